// A render-state block turned into device states, set while the block's
// recording runs. Values outside an engine enumeration are logged and take
// the block's default, so scene data never indexes past a table.
#include <algorithm>
#include <bit>

#include "engine/core/Log.h"
#include "engine/render/RenderStateBlock.h"
#include "modules/d3d9/D3D9Mappings.h"
#include "modules/d3d9/D3D9Renderer.h"

namespace ynx {
namespace {

using MapValue = bool (*)(int32_t value, DWORD& mapped);

// The device value of an engine value, or of the fallback when the engine
// value has none (logged, naming the field).
DWORD Mapped(MapValue map, const char* field, int32_t value, int32_t fallback) {
  DWORD mapped = 0;
  if (map(value, mapped)) return mapped;
  LogWarning("Недопустимое значение состояния рендеринга [%s] = %d, взято %d.", field, value, fallback);
  map(fallback, mapped);
  return mapped;
}

template <size_t N>
bool FromTable(const DWORD (&table)[N], int32_t value, DWORD& mapped) {
  if (value < 0 || static_cast<size_t>(value) >= N) return false;
  mapped = table[value];
  return true;
}

bool StageMode(int32_t mode, DWORD& mapped) {
  mapped = static_cast<DWORD>(mode);
  return mode >= TextureStageState::REPLACE && mode <= TextureStageState::COMBINE;
}

bool FogMode(int32_t mode, DWORD& mapped) {
  static constexpr DWORD TABLE[] = {D3DFOG_LINEAR, D3DFOG_EXP, D3DFOG_EXP2};
  return FromTable(TABLE, mode, mapped);
}

bool CombineOp(int32_t op, DWORD& mapped) {
  static constexpr DWORD TABLE[] = {D3DTOP_SELECTARG1, D3DTOP_MODULATE,  D3DTOP_ADD,
                                    D3DTOP_SUBTRACT,   D3DTOP_ADDSIGNED, D3DTOP_LERP};
  return FromTable(TABLE, op, mapped);
}

bool Source(int32_t source, DWORD& mapped) {
  static constexpr DWORD TABLE[] = {D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTA_TFACTOR, D3DTA_CURRENT};
  return FromTable(TABLE, source, mapped);
}

bool Operand(int32_t operand, DWORD& mapped) {
  static constexpr DWORD TABLE[] = {0, D3DTA_COMPLEMENT, D3DTA_ALPHAREPLICATE,
                                    D3DTA_COMPLEMENT | D3DTA_ALPHAREPLICATE};
  return FromTable(TABLE, operand, mapped);
}

// Minification, then the mipmap filter.
bool MinFilter(int32_t filter, DWORD& mapped) {
  static constexpr DWORD TABLE[] = {
      D3DTEXF_POINT << 8 | D3DTEXF_NONE,  D3DTEXF_LINEAR << 8 | D3DTEXF_NONE,
      D3DTEXF_POINT << 8 | D3DTEXF_POINT, D3DTEXF_POINT << 8 | D3DTEXF_LINEAR,
      D3DTEXF_LINEAR << 8 | D3DTEXF_POINT, D3DTEXF_LINEAR << 8 | D3DTEXF_LINEAR,
  };
  return FromTable(TABLE, filter, mapped);
}

bool MagFilter(int32_t filter, DWORD& mapped) {
  static constexpr DWORD TABLE[] = {D3DTEXF_POINT, D3DTEXF_LINEAR, D3DTEXF_ANISOTROPIC};
  return FromTable(TABLE, filter, mapped);
}

bool Address(int32_t address, DWORD& mapped) {
  static constexpr DWORD TABLE[] = {D3DTADDRESS_CLAMP, D3DTADDRESS_WRAP, D3DTADDRESS_BORDER};
  return FromTable(TABLE, address, mapped);
}

// The coordinate generation of texGen 1 to 4; passthrough for the others.
bool TexGen(int32_t texGen, DWORD& mapped) {
  static constexpr DWORD TABLE[] = {
      D3DTSS_TCI_PASSTHRU,         D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR, D3DTSS_TCI_CAMERASPACENORMAL,
      D3DTSS_TCI_CAMERASPACEPOSITION, D3DTSS_TCI_SPHEREMAP,             D3DTSS_TCI_PASSTHRU,
  };
  return FromTable(TABLE, texGen, mapped);
}

D3DCOLORVALUE ColorValue(const Color& color) { return {color.red, color.green, color.blue, color.alpha}; }

// The combiner of one stage: an operation and the arguments it reads.
struct Combiner {
  DWORD op;
  DWORD args[3];  // arguments 1, 2 and 0
  int32_t count;  // how many of them the operation takes
};

Combiner Fixed(DWORD op, int32_t count, DWORD arg1, DWORD arg2 = 0, DWORD arg0 = 0) {
  return {op, {arg1, arg2, arg0}, count};
}

Combiner Combined(int32_t op, const int32_t (&sources)[3], const int32_t (&operands)[3], bool alpha) {
  Combiner combiner{};
  combiner.op = Mapped(&CombineOp, alpha ? "combineAlphaOp" : "combineColorOp", op,
                       TextureStageState::OP_MODULATE);
  combiner.count = combiner.op == D3DTOP_SELECTARG1 ? 1 : combiner.op == D3DTOP_LERP ? 3 : 2;
  static constexpr int32_t DEFAULT_SOURCES[] = {TextureStageState::SOURCE_TEXTURE,
                                                TextureStageState::SOURCE_PREVIOUS,
                                                TextureStageState::SOURCE_CONSTANT};
  for (int32_t i = 0; i < combiner.count; ++i) {
    combiner.args[i] = Mapped(&Source, "source", sources[i], DEFAULT_SOURCES[i]) |
                       Mapped(&Operand, "operand", operands[i], alpha ? TextureStageState::ALPHA
                                                                        : TextureStageState::COLOR);
  }
  return combiner;
}

}  // namespace

void D3D9Renderer::SetState(D3DRENDERSTATETYPE state, DWORD value) {
  if (device) device->SetRenderState(state, value);
}

void D3D9Renderer::SetFloatState(D3DRENDERSTATETYPE state, float value) {
  SetState(state, std::bit_cast<DWORD>(value));
}

void D3D9Renderer::TranslateStates(const RenderStateBlock& block) {
  using Block = RenderStateBlock;
  SetState(D3DRS_ALPHABLENDENABLE, block.blendEnable ? TRUE : FALSE);
  if (block.blendEnable) {
    SetState(D3DRS_SRCBLEND, Mapped(&D3D9Mappings::Blend, "srcBlend", block.srcBlend, Block::BLEND_SRC_ALPHA));
    SetState(D3DRS_DESTBLEND,
             Mapped(&D3D9Mappings::Blend, "dstBlend", block.dstBlend, Block::BLEND_INV_SRC_ALPHA));
  }

  SetState(D3DRS_ALPHATESTENABLE, block.alphaTestEnable ? TRUE : FALSE);
  if (block.alphaTestEnable) {
    SetState(D3DRS_ALPHAREF, static_cast<DWORD>(std::clamp(block.alphaRef, 0, 255)));
    SetState(D3DRS_ALPHAFUNC,
             Mapped(&D3D9Mappings::Compare, "alphaFunc", block.alphaFunc, Block::COMPARE_ALWAYS));
  }

  SetState(D3DRS_CULLMODE, !block.cullEnable                               ? D3DCULL_NONE
                           : block.cullMode == Block::CULL_CLOCKWISE ? D3DCULL_CW
                                                                           : D3DCULL_CCW);

  SetState(D3DRS_FOGENABLE, block.fogEnable ? TRUE : FALSE);
  if (block.fogEnable) {
    SetState(D3DRS_FOGCOLOR, block.fogColor.ToARGB());
    const DWORD mode = Mapped(&FogMode, "fogMode", block.fogMode, Block::FOG_LINEAR);
    if (mode == D3DFOG_LINEAR) {
      SetFloatState(D3DRS_FOGSTART, block.fogStart);
      SetFloatState(D3DRS_FOGEND, block.fogEnd);
    } else {
      SetFloatState(D3DRS_FOGDENSITY, block.fogDensity);
    }
    // The other fog state is cleared: the device prefers table fog.
    SetState(D3DRS_FOGTABLEMODE, block.fogPerPixel ? mode : D3DFOG_NONE);
    SetState(D3DRS_FOGVERTEXMODE, block.fogPerPixel ? D3DFOG_NONE : mode);
  }

  D3DMATERIAL9 material{ColorValue(block.diffuse), ColorValue(block.ambient), ColorValue(block.specular),
                        ColorValue(block.emissive), block.shininess};
  if (!HasShaders()) {
    material.Specular = {0.0f, 0.0f, 0.0f, 0.0f};
    material.Diffuse.a = block.diffuse.alpha + block.ambient.alpha + block.specular.alpha + block.emissive.alpha;
  }
  if (device) device->SetMaterial(&material);

  SetState(D3DRS_SHADEMODE, block.shadeMode == Block::SHADE_FLAT ? D3DSHADE_FLAT : D3DSHADE_GOURAUD);

  const auto compare = [](const char* field, int32_t value) {
    return Mapped(&D3D9Mappings::Compare, field, value, Block::COMPARE_ALWAYS);
  };
  const auto stencilOp = [](const char* field, int32_t value) {
    return Mapped(&D3D9Mappings::StencilOp, field, value, Block::STENCIL_KEEP);
  };
  SetState(D3DRS_STENCILENABLE, block.stencilEnable ? TRUE : FALSE);
  if (block.stencilEnable) {
    SetState(D3DRS_STENCILFUNC, compare("stencilFunc", block.stencilFunc));
    SetState(D3DRS_STENCILREF, static_cast<DWORD>(block.stencilRef));
    SetState(D3DRS_STENCILFAIL, stencilOp("stencilFail", block.stencilFail));
    SetState(D3DRS_STENCILZFAIL, stencilOp("stencilDepthFail", block.stencilDepthFail));
    SetState(D3DRS_STENCILPASS, stencilOp("stencilPass", block.stencilPass));
  }
  SetState(D3DRS_TWOSIDEDSTENCILMODE, block.twoSidedStencil ? TRUE : FALSE);
  if (block.twoSidedStencil) {
    SetState(D3DRS_CCW_STENCILFUNC, compare("backStencilFunc", block.backStencilFunc));
    SetState(D3DRS_CCW_STENCILFAIL, stencilOp("backStencilFail", block.backStencilFail));
    SetState(D3DRS_CCW_STENCILZFAIL, stencilOp("backStencilDepthFail", block.backStencilDepthFail));
    SetState(D3DRS_CCW_STENCILPASS, stencilOp("backStencilPass", block.backStencilPass));
  }

  SetState(D3DRS_FILLMODE, block.wireframe ? D3DFILL_WIREFRAME : D3DFILL_SOLID);

  if (block.depthTest) {
    SetState(D3DRS_ZENABLE, D3DZB_TRUE);
    SetState(D3DRS_ZWRITEENABLE, block.depthWrite ? TRUE : FALSE);
    SetState(D3DRS_ZFUNC, Mapped(&D3D9Mappings::Compare, "depthFunc", block.depthFunc, Block::COMPARE_LESS_EQUAL));
  } else {
    SetState(D3DRS_ZENABLE, D3DZB_FALSE);
  }

  for (int32_t stage = 0; stage < Block::STAGE_COUNT; ++stage) {
    TranslateStage(static_cast<DWORD>(stage), block.stages[stage]);
  }

  SetState(D3DRS_POINTSPRITEENABLE, block.pointSprites ? TRUE : FALSE);
  SetState(D3DRS_POINTSCALEENABLE, block.pointSprites ? TRUE : FALSE);
  if (block.pointSprites) {
    SetFloatState(D3DRS_POINTSIZE, 0.1f);
    SetFloatState(D3DRS_POINTSIZE_MIN, 0.0f);
    SetFloatState(D3DRS_POINTSCALE_A, 0.0f);
    SetFloatState(D3DRS_POINTSCALE_B, 0.0f);
    SetFloatState(D3DRS_POINTSCALE_C, 1.0f);
  }
}

void D3D9Renderer::TranslateStage(DWORD stage, const TextureStageState& state) {
  using Stage = TextureStageState;
  Combiner color{};
  Combiner alpha{};
  switch (Mapped(&StageMode, "mode", state.mode, Stage::MODULATE)) {
    case Stage::REPLACE:
      color = Fixed(D3DTOP_SELECTARG1, 1, D3DTA_TEXTURE);
      alpha = Fixed(D3DTOP_SELECTARG1, 1, D3DTA_TEXTURE);
      break;
    case Stage::DECAL:
      color = Fixed(D3DTOP_BLENDTEXTUREALPHA, 2, D3DTA_TEXTURE, D3DTA_CURRENT);
      alpha = Fixed(D3DTOP_SELECTARG1, 1, D3DTA_CURRENT);
      break;
    case Stage::BLEND:
      color = Fixed(D3DTOP_LERP, 3, D3DTA_TFACTOR, D3DTA_CURRENT, D3DTA_TEXTURE);
      alpha = Fixed(D3DTOP_MODULATE, 2, D3DTA_TEXTURE, D3DTA_CURRENT);
      break;
    case Stage::ADD:
      color = Fixed(D3DTOP_ADD, 2, D3DTA_TEXTURE, D3DTA_CURRENT);
      alpha = color;
      break;
    case Stage::COMBINE:
      color = Combined(state.combineColorOp, state.colorSource, state.colorOperand, false);
      alpha = Combined(state.combineAlphaOp, state.alphaSource, state.alphaOperand, true);
      break;
    default:
      color = Fixed(D3DTOP_MODULATE, 2, D3DTA_TEXTURE, D3DTA_CURRENT);
      alpha = color;
      break;
  }
  static constexpr D3DTEXTURESTAGESTATETYPE COLOR_ARGS[] = {D3DTSS_COLORARG1, D3DTSS_COLORARG2, D3DTSS_COLORARG0};
  static constexpr D3DTEXTURESTAGESTATETYPE ALPHA_ARGS[] = {D3DTSS_ALPHAARG1, D3DTSS_ALPHAARG2, D3DTSS_ALPHAARG0};
  if (!device) return;
  device->SetTextureStageState(stage, D3DTSS_COLOROP, color.op);
  for (int32_t i = 0; i < color.count; ++i) device->SetTextureStageState(stage, COLOR_ARGS[i], color.args[i]);
  device->SetTextureStageState(stage, D3DTSS_ALPHAOP, alpha.op);
  for (int32_t i = 0; i < alpha.count; ++i) device->SetTextureStageState(stage, ALPHA_ARGS[i], alpha.args[i]);

  // One factor for all stages: the last stage's colour is what stays.
  SetState(D3DRS_TEXTUREFACTOR, state.constantColor.ToARGB());
  const DWORD minFilter =
      Mapped(&MinFilter, "minFilter", state.minFilter, Stage::MIN_LINEAR_MIP_LINEAR);
  device->SetSamplerState(stage, D3DSAMP_MINFILTER, minFilter >> 8);
  device->SetSamplerState(stage, D3DSAMP_MIPFILTER, minFilter & 0xFF);
  device->SetSamplerState(stage, D3DSAMP_MAGFILTER, Mapped(&MagFilter, "magFilter", state.magFilter, Stage::LINEAR));
  device->SetSamplerState(stage, D3DSAMP_ADDRESSU, Mapped(&Address, "addressU", state.addressU, Stage::WRAP));
  device->SetSamplerState(stage, D3DSAMP_ADDRESSV, Mapped(&Address, "addressV", state.addressV, Stage::WRAP));
  device->SetSamplerState(stage, D3DSAMP_ADDRESSW, Mapped(&Address, "addressW", state.addressW, Stage::WRAP));
  device->SetSamplerState(stage, D3DSAMP_BORDERCOLOR, state.borderColor.ToARGB());
  device->SetTextureStageState(stage, D3DTSS_TEXCOORDINDEX,
                               stage | Mapped(&TexGen, "texGen", state.texGen, Stage::TEXGEN_NONE));
  if (state.texGen == Stage::TEXGEN_PROJECTED) {
    device->SetTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_PROJECTED);
  } else if (state.texGen >= Stage::TEXGEN_REFLECTION && state.texGen <= Stage::TEXGEN_SPHERE_MAP) {
    device->SetTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT3);
    SetState(D3DRS_NORMALIZENORMALS, TRUE);
  }
}

}  // namespace ynx
