#include "platform/d3d9/device/DeviceState.h"

#include <bit>

namespace ynx {

namespace {

constexpr uint32_t Float(float value) { return std::bit_cast<uint32_t>(value); }

constexpr D3DMATRIX IDENTITY = {{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}}};

}  // namespace

void DeviceState::SetDefaults(bool depthBuffer, UINT width, UINT height) {
  for (uint32_t& value : renderStates) value = 0;
  uint32_t* rs = renderStates;
  rs[D3DRS_ZENABLE] = depthBuffer ? D3DZB_TRUE : D3DZB_FALSE;
  rs[D3DRS_FILLMODE] = D3DFILL_SOLID;
  rs[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
  rs[D3DRS_ZWRITEENABLE] = TRUE;
  rs[D3DRS_LASTPIXEL] = TRUE;
  rs[D3DRS_SRCBLEND] = D3DBLEND_ONE;
  rs[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
  rs[D3DRS_CULLMODE] = D3DCULL_CCW;
  rs[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
  rs[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
  rs[D3DRS_FOGSTART] = Float(0.0f);
  rs[D3DRS_FOGEND] = Float(1.0f);
  rs[D3DRS_FOGDENSITY] = Float(1.0f);
  rs[D3DRS_STENCILFAIL] = D3DSTENCILOP_KEEP;
  rs[D3DRS_STENCILZFAIL] = D3DSTENCILOP_KEEP;
  rs[D3DRS_STENCILPASS] = D3DSTENCILOP_KEEP;
  rs[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
  rs[D3DRS_STENCILMASK] = 0xFFFFFFFF;
  rs[D3DRS_STENCILWRITEMASK] = 0xFFFFFFFF;
  rs[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFF;
  rs[D3DRS_CLIPPING] = TRUE;
  rs[D3DRS_LIGHTING] = TRUE;
  rs[D3DRS_COLORVERTEX] = TRUE;
  rs[D3DRS_LOCALVIEWER] = TRUE;
  rs[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
  rs[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
  rs[D3DRS_AMBIENTMATERIALSOURCE] = D3DMCS_MATERIAL;
  rs[D3DRS_EMISSIVEMATERIALSOURCE] = D3DMCS_MATERIAL;
  rs[D3DRS_POINTSIZE] = Float(1.0f);
  rs[D3DRS_POINTSIZE_MIN] = Float(1.0f);
  rs[D3DRS_POINTSCALE_A] = Float(1.0f);
  rs[D3DRS_MULTISAMPLEANTIALIAS] = TRUE;
  rs[D3DRS_MULTISAMPLEMASK] = 0xFFFFFFFF;
  rs[D3DRS_DEBUGMONITORTOKEN] = 0xBAADCAFE;
  rs[D3DRS_POINTSIZE_MAX] = Float(64.0f);
  rs[D3DRS_COLORWRITEENABLE] = 0xF;
  rs[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
  rs[D3DRS_POSITIONDEGREE] = 3;  // cubic
  rs[D3DRS_NORMALDEGREE] = 1;    // linear
  rs[D3DRS_MINTESSELLATIONLEVEL] = Float(1.0f);
  rs[D3DRS_MAXTESSELLATIONLEVEL] = Float(1.0f);
  rs[D3DRS_ADAPTIVETESS_Z] = Float(1.0f);
  rs[D3DRS_CCW_STENCILFAIL] = D3DSTENCILOP_KEEP;
  rs[D3DRS_CCW_STENCILZFAIL] = D3DSTENCILOP_KEEP;
  rs[D3DRS_CCW_STENCILPASS] = D3DSTENCILOP_KEEP;
  rs[D3DRS_CCW_STENCILFUNC] = D3DCMP_ALWAYS;
  rs[D3DRS_COLORWRITEENABLE1] = 0xF;
  rs[D3DRS_COLORWRITEENABLE2] = 0xF;
  rs[D3DRS_COLORWRITEENABLE3] = 0xF;
  rs[D3DRS_BLENDFACTOR] = 0xFFFFFFFF;
  rs[D3DRS_SRCBLENDALPHA] = D3DBLEND_ONE;
  rs[D3DRS_DESTBLENDALPHA] = D3DBLEND_ZERO;
  rs[D3DRS_BLENDOPALPHA] = D3DBLENDOP_ADD;

  for (uint32_t stage = 0; stage < STAGES; ++stage) {
    uint32_t* ts = stageStates[stage];
    for (uint32_t i = 0; i < STAGE_STATES; ++i) ts[i] = 0;
    ts[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
    ts[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    ts[D3DTSS_COLORARG2] = D3DTA_CURRENT;
    ts[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
    ts[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    ts[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
    ts[D3DTSS_TEXCOORDINDEX] = stage;
    ts[D3DTSS_TEXTURETRANSFORMFLAGS] = D3DTTFF_DISABLE;
    ts[D3DTSS_COLORARG0] = D3DTA_CURRENT;
    ts[D3DTSS_ALPHAARG0] = D3DTA_CURRENT;
    ts[D3DTSS_RESULTARG] = D3DTA_CURRENT;
  }
  for (uint32_t sampler = 0; sampler < SAMPLERS; ++sampler) {
    uint32_t* ss = samplerStates[sampler];
    for (uint32_t i = 0; i < SAMPLER_STATES; ++i) ss[i] = 0;
    ss[D3DSAMP_ADDRESSU] = D3DTADDRESS_WRAP;
    ss[D3DSAMP_ADDRESSV] = D3DTADDRESS_WRAP;
    ss[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
    ss[D3DSAMP_MAGFILTER] = D3DTEXF_POINT;
    ss[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
    ss[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
    ss[D3DSAMP_MAXANISOTROPY] = 1;
  }

  world = view = projection = IDENTITY;
  for (D3DMATRIX& matrix : texture) matrix = IDENTITY;
  for (D3DLIGHT9& light : lights) {
    // An unset light reads as a white directional light along +z.
    light = {};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1, 1, 1, 0};
    light.Direction = {0, 0, 1};
  }
  lightEnables = 0;
  material = {};
  viewport = {0, 0, width, height, 0.0f, 1.0f};
  for (auto& constant : vertexConstants) constant[0] = constant[1] = constant[2] = constant[3] = 0.0f;
  for (auto& constant : pixelConstants) constant[0] = constant[1] = constant[2] = constant[3] = 0.0f;

  vertexShader.Reset();
  pixelShader.Reset();
  declaration.Reset();
  for (Stream& stream : streams) stream = {};
  indices.Reset();
  for (auto& texture : textures) texture.Reset();
}

D3DMATRIX* DeviceState::Transform(D3DTRANSFORMSTATETYPE type) {
  switch (type) {
    case D3DTS_WORLD: return &world;
    case D3DTS_VIEW: return &view;
    case D3DTS_PROJECTION: return &projection;
    default:
      if (type >= D3DTS_TEXTURE0 && type <= D3DTS_TEXTURE7) return &texture[type - D3DTS_TEXTURE0];
      return nullptr;
  }
}

}  // namespace ynx
