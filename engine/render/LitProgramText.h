#pragma once

#include <cstdint>
#include <string>

#include "engine/render/ProgramTable.h"

namespace ynx {

// The programs of the lit material effects over the registers of
// ShaderRegisters.h: one textured surface lit by one directional light
// (Blinn-Phong), optionally with a velvet sheen or a point light on top.
// At vs_1_1 the vertex program lights per vertex and hands over (ambient +
// diffuse) and (specular + emissive) as its two colours; at vs_2_0 it
// hands over normal, view vector (and position) and the ps_2_0 program
// lights per pixel.
//
// d = max(0, N.L), s = max(0, N.H)^shininess and 0 where d is 0;
// colour = texture x (ambient x light ambient + diffuse x light diffuse x
// d) + specular x light specular x s + emissive; alpha = texture alpha x
// diffuse alpha.
class LitProgramText {
 public:
  // What a member adds to the directional light.
  enum Terms : int32_t { DIRECTIONAL = 0, VELVET = 1, POINT_LIGHT = 2 };

  static std::string Vertex(ProgramTable::Model model, ProgramTable::Variant variant, Terms terms);
  static std::string Pixel(ProgramTable::Model model, Terms terms);
  // The table of every program with these terms, made at first use.
  static const ProgramTable& Programs(Terms terms);

  // The ps.1.1 program: texture x first colour + second colour in colour,
  // texture alpha x first colour's alpha in alpha, so that alpha test and
  // blending see the texture's alpha.
  static const char* const PIXEL_1;

  // Pieces the lit programs share with the normal-map ones (vs_1_1 and
  // vs_2_0 over the vs_1_1 lit registers, ps_2_0 over the lit pixel
  // registers).
  //
  // c246 = (0, 1, 2, 3): vertex programs read one constant register per
  // instruction, so a product of two colours goes through a temporary.
  static constexpr const char* VERTEX_CONSTANTS = "def c246, 0, 1, 2, 3\n";
  // r9 = lit(N.L, N.H, shininess) for the unit vector towards a light `l`:
  // r9.y the diffuse factor, r9.z the specular one (0 where N.L is not
  // positive). N in r7, unit V in r8; r10 is spoilt.
  static std::string VertexBlinnPhong(const std::string& l);
  // r1 the unit vector from r0 towards the point light (c23), r3.x its
  // attenuation (c24); r2 is spoilt.
  static std::string VertexPointLight();
  // `out`.x = max(0, N.L), `out`.y = max(0, N.H)^shininess and 0 where
  // `out`.x is 0, for the unit vector towards a light `l`. N in r1, unit V
  // in r2; r4 and r5 are spoilt. c31 = (0, 1, ...).
  static std::string PixelBlinnPhong(const std::string& l, const std::string& out);
  // From r3 = (d, s): r6 = ambient x light ambient + diffuse x light
  // diffuse x d, r7 = specular x light specular x s.
  static std::string PixelDirectionalTerms();
  // r10.x the point light's attenuation at `position` (the space of c13),
  // r9.xyz the vector towards it, r10.w 1 / its length.
  static std::string PixelAttenuation(const std::string& position);
  // The point light's terms added to r6 and r7, attenuated by r10.x and
  // by the `shadow` register where one is given: `l` the unit vector
  // towards it. r4, r5, r10.y and r11 are spoilt.
  static std::string PixelPointTerms(const std::string& l, const char* shadow);
  // oC0 = texture (r0) x r6 + r7 + emissive, alpha texture x diffuse.
  static std::string PixelTail();
};

}  // namespace ynx
