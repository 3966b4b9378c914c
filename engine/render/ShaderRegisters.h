#pragma once

#include <cstdint>

namespace ynx {

// Every constant register the material effects' programs read, in one
// place: the passes fill them and the program texts are built from them.
// Matrices are stored transposed (a register per column of the row-vector
// matrix), since m4x4 and m4x3 take one dot product per register.
//
// Plain and swaying vertex programs of the unlit effects (vs_1_1, vs_2_0)
// and of the lit ones at vs_2_0:
//   c0-c3    world x view x projection
//   c4-c7    world x view (c6 gives the view depth)
//   c8       colour (unlit effects); camera position in object space (lit)
//   c9       (fog density, fog exponent, sway amplitude, sway speed)
//   c10      (sway amplitude, sway speed, time, 0)
//
// Skinned vertex programs (vs_2_0 only; the positions come out in world
// space, so the transforms start there):
//   c0-c3    view x projection
//   c4-c7    view (c6 gives the view depth)
//   c8-c207  bone-to-world matrices, four registers a bone, 50 bones
//   c208     camera position in world space (lit effects)
//   c209     (fog density, fog exponent, 0, 0)
//   c210     colour (unlit effects)
//
// Lit vertex programs at vs_1_1 (all lighting per vertex):
//   c0-c7    as above
//   c8-c11   material ambient, diffuse, specular, emissive
//   c12      (shininess, 0, 0, 0)
//   c13-c15  light ambient, diffuse, specular (zero without a light)
//   c16      direction towards the light, object space ((0, 0, 1, 1)
//            without a light)
//   c17      camera position in object space
//   c18      (fog density, fog exponent, sway amplitude, sway speed)
//   c19      (sway amplitude, sway speed, time, 0)
//   c20-     the member's own: velvet c20 colour, c21 (wrap, 1 / (1 +
//            wrap), 0, 0); point light c20-c22 ambient, diffuse, specular,
//            c23 position in object space, c24 (constant, linear,
//            quadratic attenuation, 0)
//
// Lit pixel programs at ps_2_0 (the vertex program hands over t0 the
// texture coordinates, t1 the normal, t2 the vector to the camera, t3 the
// position; object space, world space when skinned):
//   c0 material specular, c1 light specular, c2 direction towards the
//   light, c4.x shininess, c5 material ambient, c6 light ambient, c7
//   material diffuse, c8 light diffuse, c9 emissive;
//   velvet c10 colour, c11 (wrap, 1 / (1 + wrap), 0, 0); point light
//   c10-c12 ambient, diffuse, specular, c13 position, c14 attenuation.
// Velvet: the scatter term is multiplied by the texture and the velvet
// colour, the rim term by the velvet colour and the light's diffuse.
// Pixel programs at ps.1.1 read no constants (ps_1_x has c0-c7 only, and
// the lit ones get their colours from the vertex program), except the
// normal-map ones.
//
// Normal-map programs (lighting in tangent space) use the lit layouts
// above and add:
//   vs_2_0  c11 direction towards the light, c12 point-light position
//           (object space); skinned c210 and c211 (world space)
//   vs_1_1  parallax c20 (scale, bias, 0.5 x scale - bias, 0)
//   ps_2_0  parallax c10 (scale, bias, 0.5 x scale - bias, 0)
//   ps.1.1  c0 material ambient x light ambient, c1 material diffuse x
//           light diffuse (alpha: material diffuse alpha), c2 material
//           diffuse x point-light diffuse
//
// Shadow receiver programs (vs_1_1 plain, vs_2_0 swaying and skinned;
// texture coordinate 1 is the position in the shadow map's texture space):
//   plain, swaying  c0-c3 world x view x projection, c4-c7 world x shadow
//                   matrix, c8 shadow colour, c9 (sway amplitude, sway
//                   speed, time, 0)
//   skinned         c0-c3 view x projection, c4-c203 bone-to-world
//                   matrices, c204-c207 shadow matrix, c208 shadow colour
// The pixel program (ps.1.1) reads no constants.
//
// c240 and up (vertex), c31 (pixel): constants the programs define
// themselves (def); no pass sets them.
//
// Vertex inputs: v0 position, v1 blend weights, v2 blend indices, v3 the
// texture coordinates of the effect's set, v4 the normal; normal-map
// programs v5 the normal map's coordinates (set 1), v6 the tangent (set
// 2).
struct ShaderRegisters {
  static constexpr int32_t TRANSFORM = 0;
  static constexpr int32_t VIEW_TRANSFORM = 4;
  static constexpr int32_t VIEW_DEPTH = 6;
  static constexpr int32_t MATRIX_REGISTERS = 4;

  static constexpr int32_t COLOR = 8;
  static constexpr int32_t CAMERA = 8;
  static constexpr int32_t FOG_SWAY = 9;
  static constexpr int32_t SWAY = 10;

  static constexpr int32_t BONES = 8;
  static constexpr int32_t MAX_BONES = 50;
  static constexpr int32_t SKIN_CAMERA = 208;
  static constexpr int32_t SKIN_FOG = 209;
  static constexpr int32_t SKIN_COLOR = 210;

  // vs_1_1 lighting.
  static constexpr int32_t LIT_AMBIENT = 8;
  static constexpr int32_t LIT_DIFFUSE = 9;
  static constexpr int32_t LIT_SPECULAR = 10;
  static constexpr int32_t LIT_EMISSIVE = 11;
  static constexpr int32_t LIT_SHININESS = 12;
  static constexpr int32_t LIT_LIGHT_AMBIENT = 13;
  static constexpr int32_t LIT_LIGHT_DIFFUSE = 14;
  static constexpr int32_t LIT_LIGHT_SPECULAR = 15;
  static constexpr int32_t LIT_LIGHT_DIRECTION = 16;
  static constexpr int32_t LIT_CAMERA = 17;
  static constexpr int32_t LIT_FOG_SWAY = 18;
  static constexpr int32_t LIT_SWAY = 19;
  static constexpr int32_t LIT_OWN = 20;

  // ps_2_0 lighting.
  static constexpr int32_t PIXEL_SPECULAR = 0;
  static constexpr int32_t PIXEL_LIGHT_SPECULAR = 1;
  static constexpr int32_t PIXEL_LIGHT_DIRECTION = 2;
  static constexpr int32_t PIXEL_SHININESS = 4;
  static constexpr int32_t PIXEL_AMBIENT = 5;
  static constexpr int32_t PIXEL_LIGHT_AMBIENT = 6;
  static constexpr int32_t PIXEL_DIFFUSE = 7;
  static constexpr int32_t PIXEL_LIGHT_DIFFUSE = 8;
  static constexpr int32_t PIXEL_EMISSIVE = 9;
  static constexpr int32_t PIXEL_OWN = 10;
  // Products of the pairs above, so that programs do not multiply them per
  // pixel (a software device pays for uniform arithmetic on every pixel):
  // ambient x light ambient, diffuse x light diffuse, specular x light
  // specular, then with a point light its ambient x ambient, diffuse x
  // diffuse and specular x specular.
  static constexpr int32_t PIXEL_PRODUCTS = 16;
  static constexpr int32_t PRODUCT_AMBIENT = 0;
  static constexpr int32_t PRODUCT_DIFFUSE = 1;
  static constexpr int32_t PRODUCT_SPECULAR = 2;
  static constexpr int32_t PRODUCT_POINT_AMBIENT = 3;
  static constexpr int32_t PRODUCT_POINT_DIFFUSE = 4;
  static constexpr int32_t PRODUCT_POINT_SPECULAR = 5;

  // The members' own, from LIT_OWN and PIXEL_OWN on.
  static constexpr int32_t OWN_VELVET_COLOR = 0;
  static constexpr int32_t OWN_VELVET_WRAP = 1;
  static constexpr int32_t OWN_POINT_AMBIENT = 0;
  static constexpr int32_t OWN_POINT_DIFFUSE = 1;
  static constexpr int32_t OWN_POINT_SPECULAR = 2;
  static constexpr int32_t OWN_POINT_POSITION = 3;
  static constexpr int32_t OWN_POINT_ATTENUATION = 4;
  static constexpr int32_t OWN_PARALLAX = 0;
  static constexpr int32_t OWN_MAX = 5;

  // Normal-map programs.
  static constexpr int32_t TANGENT_LIGHTS = 11;
  static constexpr int32_t SKIN_TANGENT_LIGHTS = 210;
  static constexpr int32_t TANGENT_LIGHT_DIRECTION = 0;
  static constexpr int32_t TANGENT_POINT_POSITION = 1;
  static constexpr int32_t TANGENT_LIGHTS_MAX = 2;
  static constexpr int32_t PIXEL_1_AMBIENT = 0;
  static constexpr int32_t PIXEL_1_DIFFUSE = 1;
  static constexpr int32_t PIXEL_1_POINT_DIFFUSE = 2;

  // Shadow receivers.
  static constexpr int32_t SHADOW_TRANSFORM = 4;
  static constexpr int32_t SHADOW_COLOR = 8;
  static constexpr int32_t SHADOW_SWAY = 9;
  static constexpr int32_t SHADOW_BONES = 4;
  static constexpr int32_t SKIN_SHADOW_TRANSFORM = 204;
  static constexpr int32_t SKIN_SHADOW_COLOR = 208;

  static constexpr int32_t DEFINED = 240;
  static constexpr int32_t PIXEL_DEFINED = 31;

  static constexpr int32_t INPUT_POSITION = 0;
  static constexpr int32_t INPUT_BLEND_WEIGHTS = 1;
  static constexpr int32_t INPUT_BLEND_INDICES = 2;
  static constexpr int32_t INPUT_TEXCOORD = 3;
  static constexpr int32_t INPUT_NORMAL = 4;
  static constexpr int32_t INPUT_NORMAL_MAP_TEXCOORD = 5;
  static constexpr int32_t INPUT_TANGENT = 6;
};

}  // namespace ynx
