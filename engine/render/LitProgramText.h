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
};

}  // namespace ynx
