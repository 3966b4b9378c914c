#pragma once

#include <cstdint>
#include <string>

#include "engine/render/ProgramTable.h"

namespace ynx {

// The programs of the normal-map effects over the registers of
// ShaderRegisters.h: Blinn-Phong (as LitProgramText) with the normal taken
// from a normal map, lit in tangent space. The vertex program brings the
// vectors to the camera and to the lights into tangent space (T the
// tangent, N the normal, B = T x N) and computes per vertex, with the
// unperturbed normal, each light's self-shadow factor min(1, 8 x max(0,
// N.L)), which multiplies that light's diffuse and specular terms. The
// map's normal is 2 x (colour - 0.5).
//
// vs_2_0 / ps_2_0 compute the formulas per pixel: the map's normal, the
// view and light vectors normalised, the point light's attenuation from
// the interpolated position. Parallax: both coordinate sets are shifted
// by (Vx, -Vy) x (height x scale - bias) before sampling, height the
// normal map's alpha, V the unit tangent-space view vector.
//
// vs_1_1 / ps.1.1 (eight arithmetic instructions, colours and texture
// coordinates clamped to 0..1): the diffuse term per pixel from the map's
// normal and each light's tangent-space vector, handed over biased into
// 0..1 and not normalised again; the self-shadow factors, the point
// light's attenuation and the ambient terms per vertex; the specular
// term per vertex with the unperturbed normal (it does not see the map);
// parallax shifts the coordinates per vertex at the middle height 0.5
// instead of the map's height.
class NormalmapProgramText {
 public:
  enum Kind : int32_t { NORMAL_MAP = 0, PARALLAX = 1, POINT_LIGHT = 2 };

  static std::string Vertex(ProgramTable::Model model, ProgramTable::Variant variant, Kind kind);
  static std::string Pixel(ProgramTable::Model model, Kind kind);
  // The table of every program of a kind, made at first use.
  static const ProgramTable& Programs(Kind kind);
};

}  // namespace ynx
