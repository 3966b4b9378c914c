#pragma once

#include <bitset>
#include <cstdint>
#include <vector>

#include "platform/d3d9/shader/ShaderKey.h"
#include "platform/d3d9/shader/ShaderTokens.h"

namespace ynx {

// How a translated program meets the device: the fixed GL binding points,
// attribute and varying locations, the std140 images of its uniform blocks,
// and what one particular shader reads and writes. DESIGN.md ("Binding a
// translated program") states the contract in full; the device's own
// fixed-function programs follow the same one, so that any vertex program
// links with any pixel program.
struct ShaderInterface {
  // Uniform block binding points (glBindBufferBase(GL_UNIFORM_BUFFER, n)).
  static constexpr uint32_t VERTEX_CONSTANTS_BINDING = 0;  // ynx_VertexConstants: c#, i#, b#
  static constexpr uint32_t PIXEL_CONSTANTS_BINDING = 1;   // ynx_PixelConstants: c#
  static constexpr uint32_t VERTEX_STATE_BINDING = 2;      // ynx_VertexState
  static constexpr uint32_t PIXEL_STATE_BINDING = 3;       // ynx_PixelState

  static constexpr uint32_t VERTEX_FLOAT_CONSTANTS = 256;
  static constexpr uint32_t PIXEL_FLOAT_CONSTANTS = 32;  // ps_1_x uses c0 to c7
  static constexpr uint32_t INTEGER_CONSTANTS = 16;
  static constexpr uint32_t BOOLEAN_CONSTANTS = 16;
  static constexpr uint32_t VERTEX_INPUTS = 16;  // v# n is attribute location n
  static constexpr uint32_t TEXCOORDS = 8;
  static constexpr uint32_t STAGES = 8;     // texture stages (bump matrices, ps_1_x)
  static constexpr uint32_t SAMPLERS = 16;  // texture units; s# / stage n is unit n
  // The texture unit where c# of the vertex constant block is also bound as
  // an RGBA32F buffer texture: relatively addressed reads fetch a register
  // per vertex in one texel fetch instead of four scattered uniform loads.
  static constexpr uint32_t VERTEX_CONSTANT_TEXELS_UNIT = SAMPLERS;
  static constexpr uint32_t CLIP_PLANES = 6;
  static constexpr uint32_t RENDER_TARGETS = 4;

  // Varying locations between the vertex and the pixel program. Every
  // vertex program writes all of them.
  static constexpr uint32_t COLOR_LOCATION = 0;     // ynx_color0, ynx_color1: vec4
  static constexpr uint32_t TEXCOORD_LOCATION = 2;  // ynx_texcoord0..7: vec4, locations 2..9
  static constexpr uint32_t FOG_LOCATION = 10;      // ynx_fog: float, the fog factor (1 = no fog)
  static constexpr uint32_t VARYING_LOCATIONS = 11;

  // Byte images of the std140 uniform blocks, for glBufferSubData.
  struct VertexConstants {
    float c[VERTEX_FLOAT_CONSTANTS][4];
    int32_t i[INTEGER_CONSTANTS][4];
    uint32_t b;  // bit n: b# n
    uint32_t padding[3];
  };
  struct PixelConstants {
    float c[PIXEL_FLOAT_CONSTANTS][4];
  };
  struct VertexState {
    // gl_Position.xy = oPos.xy * positionFixup.xy + oPos.w * positionFixup.zw;
    // gl_Position.zw = oPos.zw. See DESIGN.md ("Position").
    float positionFixup[4];
    float clipPlanes[CLIP_PLANES][4];
    float pointSize[4];  // minimum, maximum (D3DRS_POINTSIZE_MIN/MAX); 0, 0
  };
  struct PixelState {
    // D3DTSS_BUMPENVMAT00, 01, 10, 11 of stage n.
    float bumpMatrix[STAGES][4];
    // D3DTSS_BUMPENVLSCALE, BUMPENVLOFFSET of stage n; 0, 0.
    float bumpLuminance[STAGES][4];
    float fogColor[4];  // r, g, b in 0..1; a unused
    // Table fog: end, 1 / (end - start), density, 0 (see DESIGN.md for
    // start == end).
    float fogParameters[4];
    float alphaReference[4];  // D3DRS_ALPHAREF & 0xFF as a float 0..255; 0, 0, 0
  };
  static_assert(sizeof(VertexConstants) == 4368);
  static_assert(sizeof(PixelConstants) == 512);
  static_assert(sizeof(VertexState) == 128);
  static_assert(sizeof(PixelState) == 304);

  // What a vertex program writes (bits of `outputs`).
  static constexpr uint32_t OUTPUT_POSITION = 1u << 0;
  static constexpr uint32_t OUTPUT_COLOR0 = 1u << 1;  // OUTPUT_COLOR0 << n for oD#
  static constexpr uint32_t OUTPUT_TEXCOORD0 = 1u << 3;  // OUTPUT_TEXCOORD0 << n for oT#
  static constexpr uint32_t OUTPUT_FOG = 1u << 11;
  static constexpr uint32_t OUTPUT_POINT_SIZE = 1u << 12;

  // A v# the vertex program reads, at attribute location `location`
  // (= the register number), matched to the vertex declaration by
  // (usage, usageIndex). `declared` is false for a v# read without dcl.
  struct Input {
    uint32_t location = 0;
    ShaderTokens::Usage usage = ShaderTokens::Usage::POSITION;
    uint8_t usageIndex = 0;
    bool declared = false;
  };

  // A texture unit the pixel program samples: its GLSL sampler type.
  struct Sampler {
    uint32_t unit = 0;
    uint32_t kind = ShaderKey::KIND_2D;  // ShaderKey::KIND_*
    bool shadow = false;                 // sampler2DShadow: a depth texture with compare mode on
  };

  bool pixel = false;
  // Vertex programs.
  std::vector<Input> inputs;  // by location
  uint32_t outputs = 0;       // OUTPUT_* bits the shader writes
  // Pixel programs: varyings read (bit n: ynx_color n / ynx_texcoord n).
  uint8_t colorsRead = 0;
  uint8_t texcoordsRead = 0;
  std::vector<Sampler> samplers;  // by unit
  uint8_t bumpStages = 0;         // stages whose bump matrix / luminance is read
  uint8_t renderTargets = 0;      // bit n: writes target n (location n)
  bool writesDepth = false;       // gl_FragDepth
  bool kills = false;             // may discard (texkill; alpha test adds its own)

  // Both: constant registers read (def-only registers excluded), whether
  // any c# is read by relative address (then all of them may be), and
  // the integer and boolean constants read (bit n: i# / b# n).
  std::bitset<VERTEX_FLOAT_CONSTANTS> constants;
  bool relativeConstants = false;
  uint16_t integerConstants = 0;
  uint16_t booleanConstants = 0;

  // The key fields this shader's programs depend on (see ShaderKey).
  ShaderKey keyMask;
};

}  // namespace ynx
