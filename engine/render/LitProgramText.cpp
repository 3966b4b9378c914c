#include "engine/render/LitProgramText.h"

#include "engine/render/ShaderRegisters.h"
#include "engine/render/VertexProgramText.h"

namespace ynx {
namespace {

using R = ShaderRegisters;

// The texts below name these registers.
static_assert(R::CAMERA == 8 && R::SKIN_CAMERA == 208);
static_assert(R::LIT_AMBIENT == 8 && R::LIT_DIFFUSE == 9 && R::LIT_SPECULAR == 10 &&
              R::LIT_EMISSIVE == 11 && R::LIT_SHININESS == 12 && R::LIT_LIGHT_AMBIENT == 13 &&
              R::LIT_LIGHT_DIFFUSE == 14 && R::LIT_LIGHT_SPECULAR == 15 &&
              R::LIT_LIGHT_DIRECTION == 16 && R::LIT_CAMERA == 17 && R::LIT_OWN == 20);
static_assert(R::PIXEL_SPECULAR == 0 && R::PIXEL_LIGHT_SPECULAR == 1 &&
              R::PIXEL_LIGHT_DIRECTION == 2 && R::PIXEL_SHININESS == 4 && R::PIXEL_AMBIENT == 5 &&
              R::PIXEL_LIGHT_AMBIENT == 6 && R::PIXEL_DIFFUSE == 7 &&
              R::PIXEL_LIGHT_DIFFUSE == 8 && R::PIXEL_EMISSIVE == 9 && R::PIXEL_OWN == 10 &&
              R::PIXEL_DEFINED == 31);
static_assert(R::PIXEL_PRODUCTS == 16 && R::PRODUCT_AMBIENT == 0 && R::PRODUCT_DIFFUSE == 1 &&
              R::PRODUCT_SPECULAR == 2 && R::PRODUCT_POINT_AMBIENT == 3 && R::PRODUCT_POINT_DIFFUSE == 4 &&
              R::PRODUCT_POINT_SPECULAR == 5);
static_assert(R::OWN_VELVET_COLOR == 0 && R::OWN_VELVET_WRAP == 1 && R::OWN_POINT_AMBIENT == 0 &&
              R::OWN_POINT_DIFFUSE == 1 && R::OWN_POINT_SPECULAR == 2 &&
              R::OWN_POINT_POSITION == 3 && R::OWN_POINT_ATTENUATION == 4);

const VertexProgramText::Layout LIT_1{R::LIT_FOG_SWAY, R::LIT_SWAY, true, false};
const VertexProgramText::Layout LIT_2{R::FOG_SWAY, R::SWAY, true, false};

const auto Normalize = &VertexProgramText::Normalize;

// Per vertex: r11 gathers ambient + diffuse, r6 specular.
std::string VertexLighting(LitProgramText::Terms terms) {
  std::string text = std::string(LitProgramText::VERTEX_CONSTANTS) + Normalize("r7") +
                     "add r8.xyz, c17, -r0\n" +
                     Normalize("r8") + LitProgramText::VertexBlinnPhong("c16") +
                     "mov r10, c14\n"
                     "mul r10, r10, c9\n"
                     "mov r11, c13\n"
                     "mul r11, r11, c8\n"
                     "mad r11.xyz, r10, r9.y, r11\n"
                     "mov r6, c15\n"
                     "mul r6, r6, c10\n"
                     "mul r6.xyz, r6, r9.z\n";
  if (terms == LitProgramText::VELVET) {
    // Scatter: smoothstep of the wrapped N.L less that of N.L, times the
    // velvet colour (and, through the first colour, the texture); rim:
    // (1 - N.V) times velvet colour and light diffuse.
    text +=
        "dp3 r1.x, r7, c16\n"
        "add r1.y, r1.x, c21.x\n"
        "mul r1.y, r1.y, c21.y\n"
        "max r1.xy, r1, c246.x\n"
        "min r1.xy, r1, c246.y\n"
        "mul r2.xy, r1, c246.z\n"
        "add r2.xy, -r2, c246.w\n"
        "mul r1.xy, r1, r1\n"
        "mul r1.xy, r1, r2\n"
        "add r1.x, r1.y, -r1.x\n"
        "max r1.x, r1.x, c246.x\n"
        "mad r11.xyz, c20, r1.x, r11\n"
        "dp3 r1.y, r7, r8\n"
        "add r1.y, c246.y, -r1.y\n"
        "mov r2, c20\n"
        "mul r2, r2, c14\n"
        "mad r6.xyz, r2, r1.y, r6\n";
  } else if (terms == LitProgramText::POINT_LIGHT) {
    text += LitProgramText::VertexPointLight() + LitProgramText::VertexBlinnPhong("r1") +
            "mul r9.yz, r9, r3.x\n"
            "mov r4, c21\n"
            "mul r4, r4, c9\n"
            "mad r11.xyz, r4, r9.y, r11\n"
            "mov r4, c20\n"
            "mul r4, r4, c8\n"
            "mad r11.xyz, r4, r3.x, r11\n"
            "mov r4, c22\n"
            "mul r4, r4, c10\n"
            "mad r6.xyz, r4, r9.z, r6\n";
  }
  return text +
         "mov oD0.xyz, r11\n"
         "mov oD0.w, c9.w\n"
         "add oD1.xyz, r6, c11\n"
         "mov oD1.w, c11.w\n"
         "mov oT0, v3\n";
}

}  // namespace

std::string LitProgramText::VertexBlinnPhong(const std::string& l) {
  return "add r10.xyz, r8, " + l + "\n" + Normalize("r10") + "dp3 r9.x, r7, " + l + "\n" +
         "dp3 r9.y, r7, r10\n"
         "mov r9.w, c12.x\n"
         "lit r9, r9\n";
}

// Attenuation 1 / (c + l d + q d^2) from r2 = (1, d, d^2).
std::string LitProgramText::VertexPointLight() {
  return "add r1.xyz, c23, -r0\n"
         "dp3 r1.w, r1, r1\n"
         "rsq r2.w, r1.w\n"
         "mul r1.xyz, r1, r2.w\n"
         "mov r2.x, c246.y\n"
         "mul r2.y, r1.w, r2.w\n"
         "mov r2.z, r1.w\n"
         "dp3 r3.x, r2, c24\n"
         "rcp r3.x, r3.x\n";
}

std::string LitProgramText::PixelBlinnPhong(const std::string& l, const std::string& out) {
  return "add r4.xyz, r2, " + l + "\n" + "nrm r5.xyz, r4\n" + "dp3 " + out + ".x, r1, " + l +
         "\n" + "max " + out + ".x, " + out + ".x, c31.x\n" + "dp3 " + out + ".y, r1, r5\n" +
         "max " + out + ".y, " + out + ".y, c31.x\n" + "pow " + out + ".y, " + out + ".y, c4.x\n" +
         "cmp " + out + ".y, -" + out + ".x, c31.x, " + out + ".y\n";
}

std::string LitProgramText::PixelDirectionalTerms() {
  return "mad r6.xyz, c17, r3.x, c16\n"
         "mul r7.xyz, c18, r3.y\n";
}

// d from d^2 and 1 / d: attenuation c + l d + q d^2 in two mads.
std::string LitProgramText::PixelAttenuation(const std::string& position) {
  return "add r9.xyz, c13, -" + position + "\n" +
         "dp3 r9.w, r9, r9\n"
         "rsq r10.w, r9.w\n"
         "mul r10.y, r9.w, r10.w\n"
         "mad r10.x, c14.y, r10.y, c14.x\n"
         "mad r10.x, c14.z, r9.w, r10.x\n"
         "rcp r10.x, r10.x\n";
}

std::string LitProgramText::PixelPointTerms(const std::string& l, const char* shadow) {
  std::string text = PixelBlinnPhong(l, "r11");
  if (shadow != nullptr) {
    text += std::string("mul r10.y, r10.x, ") + shadow + "\nmul r11.xy, r11, r10.y\n";
  } else {
    text += "mul r11.xy, r11, r10.x\n";
  }
  return text +
         "mad r6.xyz, c19, r10.x, r6\n"
         "mad r6.xyz, c20, r11.x, r6\n"
         "mad r7.xyz, c21, r11.y, r7\n";
}

std::string LitProgramText::PixelTail() {
  return "mul r6.xyz, r6, r0\n"
         "add r6.xyz, r6, r7\n"
         "add r6.xyz, r6, c9\n"
         "mul r6.w, r0.w, c7.w\n"
         "mov oC0, r6\n";
}

const char* const LitProgramText::PIXEL_1 = "ps.1.1\ntex t0\nmul r0, t0, v0\nadd r0.rgb, r0, v1\n";

std::string LitProgramText::Vertex(ProgramTable::Model model, ProgramTable::Variant variant,
                                   Terms terms) {
  if (model == ProgramTable::MODEL_1) {
    return VertexProgramText::Prologue(model, variant, "dcl_texcoord0 v3\n", LIT_1) +
           VertexLighting(terms);
  }
  std::string text = VertexProgramText::Prologue(model, variant, "dcl_texcoord0 v3\n", LIT_2) +
                     "mov oT0, v3\n"
                     "mov oT1.xyz, r7\n";
  text += variant == ProgramTable::SKINNED ? "add oT2.xyz, c208, -r0\n" : "add oT2.xyz, c8, -r0\n";
  if (terms == POINT_LIGHT) text += "mov oT3.xyz, r0\n";
  return text;
}

std::string LitProgramText::Pixel(ProgramTable::Model model, Terms terms) {
  if (model == ProgramTable::MODEL_1) return PIXEL_1;
  std::string text =
      "ps_2_0\n"
      "def c31, 0, 1, 2, 3\n"
      "dcl t0.xy\n"
      "dcl t1.xyz\n"
      "dcl t2.xyz\n";
  if (terms == POINT_LIGHT) text += "dcl t3.xyz\n";
  text += "dcl_2d s0\n"
          "texld r0, t0, s0\n"
          "nrm r1.xyz, t1\n"
          "nrm r2.xyz, t2\n" +
          PixelBlinnPhong("c2", "r3") + PixelDirectionalTerms();
  if (terms == VELVET) {
    text +=
        "dp3 r8.x, r1, c2\n"
        "add r8.y, r8.x, c11.x\n"
        "mul_sat r8.y, r8.y, c11.y\n"
        "mov_sat r8.x, r8.x\n"
        "mad r9.xy, r8, -c31.z, c31.w\n"
        "mul r8.xy, r8, r8\n"
        "mul r8.xy, r8, r9\n"
        "add r8.x, r8.y, -r8.x\n"
        "max r8.x, r8.x, c31.x\n"
        "mad r6.xyz, c10, r8.x, r6\n"
        "dp3 r8.y, r1, r2\n"
        "add r8.y, c31.y, -r8.y\n"
        "mul r9, c10, c8\n"
        "mad r7.xyz, r9, r8.y, r7\n";
  } else if (terms == POINT_LIGHT) {
    // r8 towards the point light.
    text += PixelAttenuation("t3") + "mul r8.xyz, r9, r10.w\n" + PixelPointTerms("r8", nullptr);
  }
  return text + PixelTail();
}

namespace {

template <LitProgramText::Terms terms>
std::string VertexWith(ProgramTable::Model model, ProgramTable::Variant variant) {
  return LitProgramText::Vertex(model, variant, terms);
}

}  // namespace

const ProgramTable& LitProgramText::Programs(Terms terms) {
  static const ProgramTable tables[] = {
      {&VertexWith<DIRECTIONAL>, PIXEL_1, Pixel(ProgramTable::MODEL_2, DIRECTIONAL).c_str()},
      {&VertexWith<VELVET>, PIXEL_1, Pixel(ProgramTable::MODEL_2, VELVET).c_str()},
      {&VertexWith<POINT_LIGHT>, PIXEL_1, Pixel(ProgramTable::MODEL_2, POINT_LIGHT).c_str()},
  };
  return tables[terms];
}

}  // namespace ynx
