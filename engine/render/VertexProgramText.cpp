#include "engine/render/VertexProgramText.h"

#include "engine/render/ShaderRegisters.h"

namespace ynx {
namespace {

// The texts below name these registers.
static_assert(ShaderRegisters::TRANSFORM == 0 && ShaderRegisters::VIEW_DEPTH == 6);
static_assert(ShaderRegisters::COLOR == 8 && ShaderRegisters::FOG_SWAY == 9 &&
              ShaderRegisters::SWAY == 10);
static_assert(ShaderRegisters::SKIN_FOG == 209 && ShaderRegisters::SKIN_COLOR == 210);
static_assert(ShaderRegisters::DEFINED == 240);
static_assert(ShaderRegisters::INPUT_POSITION == 0 && ShaderRegisters::INPUT_BLEND_WEIGHTS == 1 &&
              ShaderRegisters::INPUT_BLEND_INDICES == 2 && ShaderRegisters::INPUT_NORMAL == 4 &&
              ShaderRegisters::INPUT_TANGENT == 6);

std::string Register(int32_t index) { return "c" + std::to_string(index); }

// c242: the sine's last coefficient, 1, -1, and -log2(e) for the fog's
// power of e.
constexpr const char* FOG_CONSTANTS = "def c242, 19.739208, 1, -1, -1.442695\n";

// c240, c241 and c242.x: the sine's range reduction and polynomial; c243:
// the quarter offsets and the z angle's time factor; c244: the angle
// factors of x, y and z.
constexpr const char* SWAY_CONSTANTS =
    "def c240, 0.25, -9, 0.75, 0.15915494\n"
    "def c241, 24.980804, -60.145809, 85.453789, -64.939354\n"
    "def c243, 0, 0.5, 1, 1.31415\n"
    "def c244, 0.50770003, 0.30000001, -0.421, -0.6\n";

constexpr const char* SKIN_CONSTANTS = "def c245, 4, 0, 0, 0\n";

// sin(angle) into `out` (r3, r4 and r6 are spoilt). The sine is the cosine
// a quarter turn later; f, the turn's fraction, falls into one of three
// parts (below 1/4, the middle half, from 3/4), and the cosine polynomial
// runs on all three offsets t = f - (0, 1/2, 1) at once. The part mask
// (1, -1, 1 for the middle, which is the cosine's negative) picks one.
std::string Sine(const std::string& angle, const std::string& out) {
  return "mad r3.x, " + angle + ", c240.w, -c240.x\n" +
         "frc r3.y, r3.x\n"
         "slt r4.x, r3.y, c240.x\n"
         "sge r4.yz, r3.y, c240\n"
         "dp3 r4.y, r4, c242.yzy\n"
         "add r3.xyz, r3.y, -c243\n"
         "mul r3.xyz, r3, r3\n"
         "mad r6.xyz, r3, c241.x, c241.y\n"
         "mad r6.xyz, r6, r3, c241.z\n"
         "mad r6.xyz, r6, r3, c241.w\n"
         "mad r6.xyz, r6, r3, c242.x\n"
         "mad r6.xyz, r6, r3, c242.z\n"
         "dp3 " + out + ", r6, -r4\n";
}

// Offsets x and z, amplitude x sin(angle), scaled by the height: the
// ground stays, the tops move most. `sway` holds (amplitude, speed, time).
std::string SwayPosition(const std::string& sway) {
  return "mul r2.w, " + sway + ".z, " + sway + ".y\n" +
         "mad r2.x, v0.x, c244.x, r2.w\n"
         "mad r2.x, v0.z, c244.z, r2.x\n"
         "mul r2.y, v0.y, c244.y\n"
         "mad r2.y, v0.z, c244.w, r2.y\n"
         "mad r2.y, r2.w, c243.w, r2.y\n" +
         Sine("r2.x", "r5.x") + Sine("r2.y", "r5.z") +
         "mul r5.xz, r5, " + sway + ".x\n"
         "mov r0, v0\n"
         "mad r0.xz, r5, v0.y, v0\n";
}

// The four bones' rows from register `bones` on, weighted into r8 to r10:
// one matrix moves the position (m4x3) and the normal and tangent (m3x3,
// which leaves the translation out), so each row is read once a vertex.
std::string BlendBones(int32_t bones) {
  std::string text;
  const char* lanes = "xyzw";
  for (int32_t row = 0; row < 3; ++row) {
    const std::string out = "r" + std::to_string(8 + row);
    const std::string offset = " + " + std::to_string(bones + row) + "]";
    text += "mul " + out + ", v1.x, c[a0.x" + offset + "\n";
    for (int32_t k = 1; k < 4; ++k) {
      const std::string lane(1, lanes[k]);
      text += "mad " + out + ", v1." + lane + ", c[a0." + lane + offset + ", " + out + "\n";
    }
  }
  return text;
}

// Bone indices arrive as floats: floored, times the four registers a bone.
std::string SkinPosition(int32_t bones) {
  return "frc r2, v2\n"
         "add r2, v2, -r2\n"
         "mul r2, r2, c245.x\n"
         "mova a0, r2\n" +
         BlendBones(bones) + "m4x3 r0.xyz, v0, r8\nmov r0.w, c242.y\n";
}

// lit gives (density x depth)^exponent in z, and 0 where the product is
// not positive: no fog at or behind the eye.
std::string Fog(const char* position, const std::string& parameters) {
  return std::string("dp4 r1.y, ") + position + ", c6\n" +
         "mul r1.y, r1.y, " + parameters + ".x\n" +
         "mov r1.x, c242.y\n"
         "mov r1.w, " + parameters + ".y\n" +
         "lit r1, r1\n"
         "mul r1.z, r1.z, c242.w\n"
         "exp r1.z, r1.z\n"
         "mov oFog, r1.z\n";
}

}  // namespace

const VertexProgramText::Layout VertexProgramText::UNLIT{ShaderRegisters::FOG_SWAY,
                                                        ShaderRegisters::SWAY, false, false};

std::string VertexProgramText::Normalize(const std::string& r) {
  return "dp3 " + r + ".w, " + r + ", " + r + "\n" + "rsq " + r + ".w, " + r + ".w\n" + "mul " +
         r + ".xyz, " + r + ", " + r + ".w\n";
}

std::string VertexProgramText::Prologue(ProgramTable::Model model, ProgramTable::Variant variant,
                                        const char* inputs, const Layout& layout) {
  std::string text = Position(model, variant, inputs, layout, ShaderRegisters::BONES);
  text += "m4x4 oPos, r0, c0\n";
  // Skinned positions are in world space already; the others measure the
  // depth before any sway.
  text += variant == ProgramTable::SKINNED ? Fog("r0", "c209")
                                           : Fog("v0", Register(layout.fogSway));
  return text;
}

std::string VertexProgramText::Position(ProgramTable::Model model, ProgramTable::Variant variant,
                                        const char* inputs, const Layout& layout, int32_t bones) {
  std::string text = model == ProgramTable::MODEL_1 ? "vs_1_1\n" : "vs_2_0\n";
  text += "dcl_position v0\n";
  if (variant == ProgramTable::SKINNED) text += "dcl_blendweight v1\ndcl_blendindices v2\n";
  if (layout.normals) text += "dcl_normal v4\n";
  if (layout.tangents) text += "dcl_texcoord2 v6\n";
  text += inputs;
  text += FOG_CONSTANTS;
  if (variant == ProgramTable::SWAYING) {
    text += SWAY_CONSTANTS + SwayPosition(Register(layout.sway));
  } else if (variant == ProgramTable::SKINNED) {
    text += SKIN_CONSTANTS;
    text += SkinPosition(bones);
    if (layout.normals) text += "m3x3 r7.xyz, v4, r8\n";
    if (layout.tangents) text += "m3x3 r6.xyz, v6, r8\n";
  } else {
    text += "mov r0, v0\n";
  }
  if (layout.normals && variant != ProgramTable::SKINNED) text += "mov r7, v4\n";
  if (layout.tangents && variant != ProgramTable::SKINNED) text += "mov r6, v6\n";
  return text;
}

std::string VertexProgramText::ColorOutput(ProgramTable::Variant variant) {
  return variant == ProgramTable::SKINNED ? "mov oD0, c210\n" : "mov oD0, c8\n";
}

}  // namespace ynx
