#pragma once

#include <cstdint>
#include <string>

#include "engine/render/ProgramTable.h"

namespace ynx {

// The vertex program pieces the material effects share, as Direct3D 9
// assembly over the registers of ShaderRegisters.h. A program is the
// prologue (inputs, the position of the variant in r0, oPos and oFog)
// followed by what the effect outputs.
class VertexProgramText {
 public:
  // Where the plain and swaying programs find their fog and sway registers,
  // and whether the program takes normals and tangents.
  struct Layout {
    int32_t fogSway;
    int32_t sway;
    bool normals;
    bool tangents;
  };
  static const Layout UNLIT;

  // The version and position lines, `inputs` (the effect's own dcl lines),
  // then: plain, the position as it is; swaying, moved by the sway; skinned
  // (vs_2_0 only), blended from four bones into world space. oPos through
  // c0-c3; oFog = 1 / e^((density x depth)^exponent) with the view depth
  // of the unmoved position, 1 at or behind the eye. With normals (v4) the
  // normal is left in r7, with tangents (v6, texture set 2) the tangent in
  // r6, both blended into world space when skinned. r1-r5 (r1-r6 without
  // tangents) and r8 up are free afterwards.
  static std::string Prologue(ProgramTable::Model model, ProgramTable::Variant variant,
                              const char* inputs, const Layout& layout = UNLIT);
  // The part of the prologue before oPos, for programs with registers of
  // their own: the position of the variant in r0 (and the normal and
  // tangent as above), the skinned one from the bone matrices at `bones`
  // on; layout.fogSway is not read.
  static std::string Position(ProgramTable::Model model, ProgramTable::Variant variant,
                              const char* inputs, const Layout& layout, int32_t bones);
  // `r`.xyz scaled to unit length (dp3, rsq, mul: vs_1_1 has no nrm);
  // `r`.w is spoilt.
  static std::string Normalize(const std::string& r);
  // oD0 = the unlit effects' colour register of the variant.
  static std::string ColorOutput(ProgramTable::Variant variant);
};

}  // namespace ynx
