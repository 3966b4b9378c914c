#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "platform/d3d9/device/D3D9Types.h"
#include "platform/d3d9/device/FixedFunctionState.h"

namespace ynx {

// What selects a generated fixed-function program: the state that changes
// its code, nothing that only changes a value (values travel in uniforms,
// see FixedFunctionUniforms). Two halves, so that a fixed-function vertex
// program can pair with a translated pixel shader and the reverse: the
// device caches vertex programs by `vertex` and pixel programs by `pixel`.
// Make() normalises: state the program would not look at is left at zero,
// so that it does not split the cache. Every field is a byte (no padding),
// so equality and hashing go over the bytes.
struct FixedFunctionKey {
  static constexpr uint32_t STAGES = FixedFunctionState::STAGES;
  static constexpr uint32_t LIGHTS = FixedFunctionState::LIGHTS;
  static constexpr uint32_t TEXCOORD_SETS = 8;

  // The kind of texture bound on a stage.
  static constexpr uint8_t TEXTURE_NONE = 0;
  static constexpr uint8_t TEXTURE_2D = 1;
  static constexpr uint8_t TEXTURE_CUBE = 2;
  static constexpr uint8_t TEXTURE_DEPTH = 3;  // a 2D depth texture: sampling returns the comparison

  // Vertex fog: what the vertex program writes into the fog varying.
  static constexpr uint8_t VERTEX_FOG_NONE = 0;      // 1: no fog, or table fog
  static constexpr uint8_t VERTEX_FOG_SPECULAR = 1;  // the specular colour's alpha (no vertex fog mode)
  static constexpr uint8_t VERTEX_FOG_EXP = D3DFOG_EXP + 1;
  static constexpr uint8_t VERTEX_FOG_EXP2 = D3DFOG_EXP2 + 1;
  static constexpr uint8_t VERTEX_FOG_LINEAR = D3DFOG_LINEAR + 1;

  // Where a point's size comes from.
  static constexpr uint8_t POINT_NONE = 0;    // not drawing points
  static constexpr uint8_t POINT_STATE = 1;   // D3DRS_POINTSIZE
  static constexpr uint8_t POINT_VERTEX = 2;  // the vertex's PSIZE

  // What a draw brings beyond the state: its vertex declaration, its
  // primitive and its textures.
  struct Draw {
    bool transformed = false;  // POSITIONT: XYZRHW, already in screen space
    bool normal = false;
    bool diffuse = false;  // COLOR0
    bool specular = false;  // COLOR1
    bool pointSize = false;  // PSIZE
    uint8_t texcoordComponents[TEXCOORD_SETS] = {};  // TEXCOORD n: 1 to 4 components, 0 when absent
    bool points = false;  // drawing a point list
    uint8_t textures[STAGES] = {};  // TEXTURE_* of the texture on stage n

    // The declaration part from its elements (up to the D3DDECL_END()
    // marker or `count`). Usage indices other than 0 are not read, except
    // colour 1 (specular) and texture coordinates 1 to 7.
    static Draw FromDeclaration(const D3DVERTEXELEMENT9* elements, size_t count);
  };

  struct Vertex {
    uint8_t transformed = 0;
    uint8_t normal = 0;  // the vertex has a normal and lighting or texture generation reads it
    uint8_t diffuse = 0;   // the vertex has COLOR0
    uint8_t specular = 0;  // the vertex has COLOR1
    uint8_t lighting = 0;
    uint8_t lights[LIGHTS] = {};  // D3DLIGHTTYPE of the enabled lights in slot order, then 0
    uint8_t specularLighting = 0;  // SPECULARENABLE with lighting on
    uint8_t localViewer = 0;       // only with specularLighting
    uint8_t normalize = 0;         // NORMALIZENORMALS, only where a normal is read
    // D3DMCS_* after COLORVERTEX and the vertex's colours are taken into
    // account; only with lighting.
    uint8_t diffuseSource = 0;
    uint8_t ambientSource = 0;
    uint8_t specularSource = 0;
    uint8_t emissiveSource = 0;
    uint8_t fog = 0;  // VERTEX_FOG_*
    uint8_t rangeFog = 0;
    uint8_t point = 0;  // POINT_*
    uint8_t pointScale = 0;  // POINTSCALEENABLE (never for transformed vertices)
    // Per stage: the coordinate set (bits 0..2) and D3DTSS_TCI_* >> 16 (bits 4..6).
    uint8_t texcoords[STAGES] = {};
    // Per stage: D3DTTFF_COUNTn, 0 when the texture matrix is not applied.
    uint8_t transforms[STAGES] = {};
    // Per set: its component count, 0 when absent; 4 where the count does
    // not change the program (no texture matrix reads the set).
    uint8_t texcoordComponents[TEXCOORD_SETS] = {};

    bool operator==(const Vertex&) const = default;
    size_t Hash() const;
  };

  struct Stage {
    uint8_t colorOp = 0;  // D3DTOP_*; DISABLE ends the chain (and zeroes the later stages)
    uint8_t colorArgs[3] = {};  // D3DTA_* of COLORARG0, 1, 2 (selector and modifiers); 0 when unused
    uint8_t alphaOp = 0;
    uint8_t alphaArgs[3] = {};
    uint8_t resultTemp = 0;  // D3DTSS_RESULTARG is D3DTA_TEMP
    uint8_t texture = 0;     // TEXTURE_* when the stage samples its texture, else TEXTURE_NONE
    // The projective divide of the stage's lookup as ShaderKey encodes it:
    // 0 none, 2 by y, 3 by z, 4 by w.
    uint8_t projection = 0;

    bool operator==(const Stage&) const = default;
  };

  struct Pixel {
    Stage stages[STAGES] = {};
    uint8_t specularAdd = 0;  // SPECULARENABLE: the specular colour is added after the stages
    // As in ShaderKey: fog (FOG_*), fogFromW, alphaFunction (D3DCMP_*,
    // ALWAYS for no test), pointSprite and flatColors.
    uint8_t fog = 0;
    uint8_t fogFromW = 0;
    uint8_t alphaFunction = D3DCMP_ALWAYS;
    uint8_t pointSprite = 0;
    uint8_t flatColors = 0;

    bool operator==(const Pixel&) const = default;
    size_t Hash() const;
  };

  Vertex vertex;
  Pixel pixel;

  bool operator==(const FixedFunctionKey&) const = default;

  static FixedFunctionKey Make(const FixedFunctionState& state, const Draw& draw);

  // The render states Make reads; the key does not depend on any other, so
  // a change to those need not rebuild it. Beyond render states it reads
  // the texture-stage states, the light types and enables, the projection
  // and the draw.
  static constexpr D3DRENDERSTATETYPE RENDER_STATES_READ[] = {
      D3DRS_FOGENABLE,          D3DRS_FOGTABLEMODE,          D3DRS_FOGVERTEXMODE,
      D3DRS_RANGEFOGENABLE,     D3DRS_LIGHTING,              D3DRS_SPECULARENABLE,
      D3DRS_LOCALVIEWER,        D3DRS_COLORVERTEX,           D3DRS_DIFFUSEMATERIALSOURCE,
      D3DRS_AMBIENTMATERIALSOURCE, D3DRS_SPECULARMATERIALSOURCE, D3DRS_EMISSIVEMATERIALSOURCE,
      D3DRS_NORMALIZENORMALS,   D3DRS_POINTSCALEENABLE,      D3DRS_POINTSPRITEENABLE,
      D3DRS_ALPHATESTENABLE,    D3DRS_ALPHAFUNC,             D3DRS_SHADEMODE,
  };

  // Table fog measures depth as eye distance (w) unless the projection is
  // affine (last column 0, 0, 0, 1), where w carries no depth.
  static bool TableFogFromW(const D3DMATRIX& projection);
  // ShaderKey's projection field for one stage from its
  // D3DTSS_TEXTURETRANSFORMFLAGS: 0 without PROJECTED, else the counted
  // component to divide by (COUNT1 or DISABLE: w).
  static uint8_t ProjectionOf(uint32_t transformFlags);
  // How many of COLORARG0/1/2 (bit 0, 1, 2) an operation reads.
  static uint8_t ArgumentsOf(uint32_t op);

 private:
  // Make's two halves.
  static Vertex MakeVertex(const FixedFunctionState& state, const Draw& draw);
  static Pixel MakePixel(const FixedFunctionState& state, const Draw& draw);
};

static_assert(std::has_unique_object_representations_v<FixedFunctionKey::Vertex>);
static_assert(std::has_unique_object_representations_v<FixedFunctionKey::Pixel>);

}  // namespace ynx
