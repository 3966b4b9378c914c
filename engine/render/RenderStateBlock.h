#pragma once

#include <cstdint>

#include "engine/core/Object.h"
#include "engine/core/RendererBinding.h"
#include "engine/math/Color.h"

namespace ynx {

// How one texture stage samples and combines; see RenderStateBlock.
struct TextureStageState {
  enum Filter : int32_t { NEAREST = 0, LINEAR = 1, ANISOTROPIC = 2 };
  // Minification with its mipmap filter.
  enum MinFilter : int32_t {
    MIN_NEAREST = 0,
    MIN_LINEAR = 1,
    MIN_NEAREST_MIP_NEAREST = 2,
    MIN_NEAREST_MIP_LINEAR = 3,
    MIN_LINEAR_MIP_NEAREST = 4,
    MIN_LINEAR_MIP_LINEAR = 5,
  };
  enum Address : int32_t { CLAMP = 0, WRAP = 1, BORDER = 2 };
  enum Mode : int32_t { REPLACE = 0, DECAL = 1, MODULATE = 2, BLEND = 3, ADD = 4, COMBINE = 5 };
  enum CombineOp : int32_t {
    OP_REPLACE = 0,
    OP_MODULATE = 1,
    OP_ADD = 2,
    OP_SUBTRACT = 3,
    OP_ADD_SIGNED = 4,
    OP_INTERPOLATE = 5,
  };
  enum Source : int32_t { SOURCE_TEXTURE = 0, SOURCE_VERTEX = 1, SOURCE_CONSTANT = 2, SOURCE_PREVIOUS = 3 };
  enum Operand : int32_t { COLOR = 0, ONE_MINUS_COLOR = 1, ALPHA = 2, ONE_MINUS_ALPHA = 3 };
  enum TexGen : int32_t {
    TEXGEN_NONE = 0,
    TEXGEN_REFLECTION = 1,
    TEXGEN_NORMAL = 2,
    TEXGEN_POSITION = 3,
    TEXGEN_SPHERE_MAP = 4,
    TEXGEN_PROJECTED = 5,
  };

  int32_t magFilter = LINEAR;
  int32_t minFilter = MIN_LINEAR_MIP_LINEAR;
  int32_t addressU = WRAP;
  int32_t addressV = WRAP;
  int32_t addressW = WRAP;
  Color borderColor{0.0f, 1.0f, 0.0f, 1.0f};
  int32_t mode = MODULATE;
  // The blend colour of BLEND and the constant source of COMBINE.
  Color constantColor{1.0f, 1.0f, 1.0f, 1.0f};
  int32_t combineColorOp = OP_MODULATE;
  int32_t combineAlphaOp = OP_MODULATE;
  int32_t colorSource[3] = {SOURCE_TEXTURE, SOURCE_PREVIOUS, SOURCE_CONSTANT};
  int32_t alphaSource[3] = {SOURCE_TEXTURE, SOURCE_PREVIOUS, SOURCE_CONSTANT};
  int32_t colorOperand[3] = {COLOR, COLOR, COLOR};
  int32_t alphaOperand[3] = {ALPHA, ALPHA, ALPHA};
  // Generated coordinates are in camera space except the sphere map.
  int32_t texGen = TEXGEN_NONE;
};

// The complete fixed render state of one pass: blending, alpha test,
// culling, fog, material, depth, stencil, eight texture stages and point
// sprites. Every pass makes one; the renderer records it on the device once
// and replays the recording until the pass is marked dirty. Never streamed.
class RenderStateBlock : public Object {
  YNX_DECLARE_CLASS(RenderStateBlock);

 public:
  static constexpr int32_t STAGE_COUNT = 8;
  enum BlendFactor : int32_t {
    BLEND_ZERO = 0,
    BLEND_ONE = 1,
    BLEND_SRC_COLOR = 2,
    BLEND_INV_SRC_COLOR = 3,
    BLEND_SRC_ALPHA = 4,
    BLEND_INV_SRC_ALPHA = 5,
    BLEND_DEST_COLOR = 6,
    BLEND_INV_DEST_COLOR = 7,
    BLEND_DEST_ALPHA = 8,
    BLEND_INV_DEST_ALPHA = 9,
  };
  enum Compare : int32_t {
    COMPARE_NEVER = 0,
    COMPARE_LESS = 1,
    COMPARE_LESS_EQUAL = 2,
    COMPARE_EQUAL = 3,
    COMPARE_NOT_EQUAL = 4,
    COMPARE_GREATER = 5,
    COMPARE_GREATER_EQUAL = 6,
    COMPARE_ALWAYS = 7,
  };
  enum StencilOp : int32_t { STENCIL_KEEP = 0, STENCIL_ZERO = 1, STENCIL_INCREMENT = 2 };
  enum FogMode : int32_t { FOG_LINEAR = 0, FOG_EXP = 1, FOG_EXP2 = 2 };
  enum CullMode : int32_t { CULL_CLOCKWISE = 0, CULL_COUNTER_CLOCKWISE = 1 };
  enum ShadeMode : int32_t { SHADE_FLAT = 0, SHADE_GOURAUD = 1 };

  RenderStateBlock();

  RendererBinding& GetBinding() { return binding; }

  bool blendEnable = false;
  int32_t srcBlend = BLEND_SRC_ALPHA;
  int32_t dstBlend = BLEND_INV_SRC_ALPHA;
  bool alphaTestEnable = false;
  int32_t alphaFunc = COMPARE_ALWAYS;
  // 0..255.
  int32_t alphaRef = 1;
  bool cullEnable = true;
  int32_t cullMode = CULL_COUNTER_CLOCKWISE;
  bool fogEnable = false;
  float fogStart = 0.0f;
  float fogEnd = 1000.0f;
  float fogDensity = 1.0f;
  Color fogColor{0.5f, 0.5f, 0.5f, 1.0f};
  int32_t fogMode = FOG_LINEAR;
  // Table fog instead of vertex fog.
  bool fogPerPixel = false;
  Color diffuse{0.8f, 0.8f, 0.8f, 1.0f};
  Color ambient{0.2f, 0.2f, 0.2f, 1.0f};
  Color specular{0.0f, 0.0f, 0.0f, 1.0f};
  Color emissive{0.0f, 0.0f, 0.0f, 1.0f};
  float shininess = 1.0f;
  int32_t shadeMode = SHADE_GOURAUD;
  bool wireframe = false;
  bool depthTest = true;
  bool depthWrite = true;
  int32_t depthFunc = COMPARE_LESS_EQUAL;
  bool stencilEnable = false;
  int32_t stencilFunc = COMPARE_ALWAYS;
  int32_t stencilRef = 0;
  int32_t stencilFail = STENCIL_KEEP;
  int32_t stencilDepthFail = STENCIL_KEEP;
  int32_t stencilPass = STENCIL_KEEP;
  bool twoSidedStencil = false;
  // For counter-clockwise faces.
  int32_t backStencilFunc = COMPARE_ALWAYS;
  int32_t backStencilFail = STENCIL_KEEP;
  int32_t backStencilDepthFail = STENCIL_KEEP;
  int32_t backStencilPass = STENCIL_KEEP;
  TextureStageState stages[STAGE_COUNT];
  bool pointSprites = false;

 private:
  RendererBinding binding;
};

}  // namespace ynx
