#include "engine/render/NormalmapProgramText.h"

#include "engine/render/LitProgramText.h"
#include "engine/render/ShaderRegisters.h"
#include "engine/render/VertexProgramText.h"

namespace ynx {
namespace {

using R = ShaderRegisters;
const auto Normalize = &VertexProgramText::Normalize;

// The texts below name these registers.
static_assert(R::TANGENT_LIGHTS == 11 && R::SKIN_TANGENT_LIGHTS == 210 &&
              R::TANGENT_LIGHT_DIRECTION == 0 && R::TANGENT_POINT_POSITION == 1);
static_assert(R::LIT_OWN + R::OWN_PARALLAX == 20 && R::PIXEL_OWN + R::OWN_PARALLAX == 10);
static_assert(R::PIXEL_1_AMBIENT == 0 && R::PIXEL_1_DIFFUSE == 1 && R::PIXEL_1_POINT_DIFFUSE == 2);
static_assert(R::INPUT_NORMAL_MAP_TEXCOORD == 5 && R::INPUT_TANGENT == 6);

const VertexProgramText::Layout TANGENTS_1{R::LIT_FOG_SWAY, R::LIT_SWAY, true, true};
const VertexProgramText::Layout TANGENTS_2{R::FOG_SWAY, R::SWAY, true, true};

constexpr const char* INPUTS = "dcl_texcoord0 v3\ndcl_texcoord1 v5\n";
// c247: the bias, the self-shadow slope and the parallax signs.
constexpr const char* CONSTANTS = "def c247, 0.5, 8, 1, -1\n";

// `v` into tangent space: T in r6, B in r5, N in r7.
std::string ToTangent(const std::string& v, const std::string& out) {
  return "dp3 " + out + ".x, " + v + ", r6\n" + "dp3 " + out + ".y, " + v + ", r5\n" + "dp3 " +
         out + ".z, " + v + ", r7\n";
}

// min(1, 8 x max(0, N.L)) with the vertex normal.
std::string SelfShadow(const std::string& l, const std::string& out) {
  return "dp3 " + out + ", r7, " + l + "\n" + "mul " + out + ", " + out + ", c247.y\n" + "max " +
         out + ", " + out + ", c246.x\n" + "min " + out + ", " + out + ", c246.y\n";
}

// A unit vector biased into a colour's 0..1; `v` is spoilt.
std::string Biased(const std::string& v, const std::string& out) {
  return "mul " + v + ".xyz, " + v + ", c247.x\n" + "add " + out + ".xyz, " + v + ", c247.x\n";
}

// vs_1_1: oD0 = (L biased, shadow), oD1 = specular + emissive (point
// light: alpha its shadow x attenuation), oT0 and oT1 the coordinates
// (parallax: shifted); point light oT2 its L biased, oT3 the ambient
// terms. r11 gathers the specular terms.
std::string Lighting1(NormalmapProgramText::Kind kind) {
  std::string text = Normalize("r8") + ToTangent("c16", "r3") + Biased("r3", "oD0") +
                     "mov oD0.w, r4.x\n" + LitProgramText::VertexBlinnPhong("c16") +
                     "mov r11, c15\n"
                     "mul r11, r11, c10\n"
                     "mul r9.z, r9.z, r4.x\n"
                     "mul r11.xyz, r11, r9.z\n";
  if (kind == NormalmapProgramText::PARALLAX) {
    text += ToTangent("r8", "r2") +
            "mul r2.xy, r2, c20.z\n"
            "mul r2.xy, r2, c247.zw\n"
            "add oT0.xy, v3, r2\n"
            "add oT1.xy, v5, r2\n";
  } else {
    text += "mov oT0, v3\nmov oT1, v5\n";
  }
  if (kind == NormalmapProgramText::POINT_LIGHT) {
    text += LitProgramText::VertexPointLight() + SelfShadow("r1", "r4.y") + ToTangent("r1", "r2") +
            Biased("r2", "oT2") + LitProgramText::VertexBlinnPhong("r1") +
            "mov r10, c22\n"
            "mul r10, r10, c10\n"
            "mul r9.z, r9.z, r4.y\n"
            "mul r9.z, r9.z, r3.x\n"
            "mad r11.xyz, r10, r9.z, r11\n"
            "mul oD1.w, r4.y, r3.x\n"
            "mov r10, c13\n"
            "mul r10, r10, c8\n"
            "mov r2, c20\n"
            "mul r2, r2, c8\n"
            "mad oT3.xyz, r2, r3.x, r10\n";
  } else {
    text += "mov oD1.w, c11.w\n";
  }
  return text + "add oD1.xyz, r11, c11\n";
}

// vs_2_0: oT0, oT1 the coordinates, oT2 V and oT3 L in tangent space,
// oT4 the shadows; point light oT5 its vector in tangent space, oT6 the
// position.
std::string Lighting2(ProgramTable::Variant variant, NormalmapProgramText::Kind kind) {
  const bool skinned = variant == ProgramTable::SKINNED;
  const std::string light = skinned ? "c210" : "c11";
  std::string text = ToTangent("r8", "oT2") + ToTangent(light, "oT3") + "mov oT0, v3\nmov oT1, v5\n";
  if (kind == NormalmapProgramText::POINT_LIGHT) {
    text += std::string("add r1.xyz, ") + (skinned ? "c211" : "c12") + ", -r0\n" +
            ToTangent("r1", "oT5") + "mov oT6.xyz, r0\n" + Normalize("r1") + SelfShadow("r1", "r4.y");
  }
  return text + "mov oT4.xy, r4\n";
}

}  // namespace

std::string NormalmapProgramText::Vertex(ProgramTable::Model model, ProgramTable::Variant variant,
                                         Kind kind) {
  const bool one = model == ProgramTable::MODEL_1;
  const bool skinned = variant == ProgramTable::SKINNED;
  const std::string camera = one ? "c17" : skinned ? "c208" : "c8";
  const std::string light = one ? "c16" : skinned ? "c210" : "c11";
  // B = T x N, from the unit normal and tangent.
  std::string text = VertexProgramText::Prologue(model, variant, INPUTS, one ? TANGENTS_1 : TANGENTS_2) +
                     LitProgramText::VERTEX_CONSTANTS + CONSTANTS + Normalize("r7") + Normalize("r6") +
                     "mul r5.xyz, r6.zxyw, r7.yzxw\n"
                     "mad r5.xyz, r6.yzxw, r7.zxyw, -r5\n"
                     "add r8.xyz, " + camera + ", -r0\n" + SelfShadow(light, "r4.x");
  return text + (one ? Lighting1(kind) : Lighting2(variant, kind));
}

std::string NormalmapProgramText::Pixel(ProgramTable::Model model, Kind kind) {
  if (model == ProgramTable::MODEL_1) {
    std::string text = "ps.1.1\ntex t0\ntex t1\n";
    if (kind == POINT_LIGHT) text += "texcoord t2\ntexcoord t3\n";
    text += "dp3_sat r1, t1_bx2, v0_bx2\nmul r1, r1, v0.a\n";
    text += kind == POINT_LIGHT ? "mad r1, r1, c1, t3\n"
                                  "dp3_sat r0, t1_bx2, t2_bx2\n"
                                  "mul r0, r0, v1.a\n"
                                  "mad r1, r0, c2, r1\n"
                                : "mad r1, r1, c1, c0\n";
    return text + "mul r0.rgb, t0, r1\n+mul r0.a, t0.a, c1.a\nadd r0.rgb, r0, v1\n";
  }
  std::string text =
      "ps_2_0\n"
      "def c31, 0, 1, 2, 3\n"
      "def c30, 1, -1, 0, 0\n"
      "dcl t0.xy\n"
      "dcl t1.xy\n"
      "dcl t2.xyz\n"
      "dcl t3.xyz\n"
      "dcl t4.xy\n";
  if (kind == POINT_LIGHT) text += "dcl t5.xyz\ndcl t6.xyz\n";
  text += "dcl_2d s0\ndcl_2d s1\nnrm r2.xyz, t2\n";
  if (kind == PARALLAX) {
    text +=
        "texld r1, t1, s1\n"
        "mad r5.x, r1.w, c10.x, -c10.y\n"
        "mul r5.xy, r2, r5.x\n"
        "mul r5.xy, r5, c30\n"
        "mov r3, t0\n"
        "mov r4, t1\n"
        "add r3.xy, r3, r5\n"
        "add r4.xy, r4, r5\n"
        "texld r0, r3, s0\n"
        "texld r1, r4, s1\n";
  } else {
    text += "texld r0, t0, s0\ntexld r1, t1, s1\n";
  }
  text += "mad r6.xyz, r1, c31.z, -c31.y\n"
          "nrm r1.xyz, r6\n"
          "nrm r8.xyz, t3\n" +
          LitProgramText::PixelBlinnPhong("r8", "r3") + "mul r3.xy, r3, t4.x\n" +
          LitProgramText::PixelDirectionalTerms();
  if (kind == POINT_LIGHT) {
    text += LitProgramText::PixelAttenuation("t6") + "nrm r8.xyz, t5\n" +
            LitProgramText::PixelPointTerms("r8", "t4.y");
  }
  return text + LitProgramText::PixelTail();
}

namespace {

template <NormalmapProgramText::Kind kind>
std::string VertexWith(ProgramTable::Model model, ProgramTable::Variant variant) {
  return NormalmapProgramText::Vertex(model, variant, kind);
}

}  // namespace

const ProgramTable& NormalmapProgramText::Programs(Kind kind) {
  using Table = ProgramTable;
  static const Table tables[] = {
      {&VertexWith<NORMAL_MAP>, Pixel(Table::MODEL_1, NORMAL_MAP).c_str(),
       Pixel(Table::MODEL_2, NORMAL_MAP).c_str()},
      {&VertexWith<PARALLAX>, Pixel(Table::MODEL_1, PARALLAX).c_str(),
       Pixel(Table::MODEL_2, PARALLAX).c_str()},
      {&VertexWith<POINT_LIGHT>, Pixel(Table::MODEL_1, POINT_LIGHT).c_str(),
       Pixel(Table::MODEL_2, POINT_LIGHT).c_str()},
  };
  return tables[kind];
}

}  // namespace ynx
