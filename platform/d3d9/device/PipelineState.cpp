#include "platform/d3d9/device/PipelineState.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <bit>
#include <iterator>

namespace ynx {

namespace {

constexpr D3DRENDERSTATETYPE BLEND[] = {
    D3DRS_ALPHABLENDENABLE, D3DRS_SRCBLEND,       D3DRS_DESTBLEND,    D3DRS_BLENDOP,          D3DRS_SEPARATEALPHABLENDENABLE,
    D3DRS_SRCBLENDALPHA,    D3DRS_DESTBLENDALPHA, D3DRS_BLENDOPALPHA, D3DRS_BLENDFACTOR,      D3DRS_COLORWRITEENABLE};
constexpr D3DRENDERSTATETYPE DEPTH[] = {D3DRS_ZENABLE, D3DRS_ZWRITEENABLE, D3DRS_ZFUNC, D3DRS_DEPTHBIAS,
                                        D3DRS_SLOPESCALEDEPTHBIAS};
constexpr D3DRENDERSTATETYPE STENCIL[] = {
    D3DRS_STENCILENABLE,   D3DRS_STENCILFAIL,     D3DRS_STENCILZFAIL,      D3DRS_STENCILPASS,
    D3DRS_STENCILFUNC,     D3DRS_STENCILREF,      D3DRS_STENCILMASK,       D3DRS_STENCILWRITEMASK,
    D3DRS_TWOSIDEDSTENCILMODE, D3DRS_CCW_STENCILFAIL, D3DRS_CCW_STENCILZFAIL, D3DRS_CCW_STENCILPASS,
    D3DRS_CCW_STENCILFUNC};
constexpr D3DRENDERSTATETYPE RASTER[] = {D3DRS_CULLMODE, D3DRS_FILLMODE, D3DRS_POINTSIZE, D3DRS_POINTSIZE_MIN,
                                         D3DRS_POINTSIZE_MAX};

// The upper-left clip origin makes GL's window rows Direct3D's screen rows,
// and GL judges facing in window coordinates: the windings agree.
constexpr GLenum CLOCKWISE_ON_SCREEN = GL_CW;

GLenum BlendFactor(uint32_t blend) {
  switch (blend) {
    case D3DBLEND_ZERO: return GL_ZERO;
    case D3DBLEND_SRCCOLOR: return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA: return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA: return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA: return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR: return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT: return GL_SRC_ALPHA_SATURATE;
    case D3DBLEND_BLENDFACTOR: return GL_CONSTANT_COLOR;
    case D3DBLEND_INVBLENDFACTOR: return GL_ONE_MINUS_CONSTANT_COLOR;
    default: return GL_ONE;
  }
}

GLenum BlendEquation(uint32_t op) {
  switch (op) {
    case D3DBLENDOP_SUBTRACT: return GL_FUNC_SUBTRACT;
    case D3DBLENDOP_REVSUBTRACT: return GL_FUNC_REVERSE_SUBTRACT;
    case D3DBLENDOP_MIN: return GL_MIN;
    case D3DBLENDOP_MAX: return GL_MAX;
    default: return GL_FUNC_ADD;
  }
}

// The (source, destination) pair of a source blend, where the BOTH* modes
// decide the destination too.
void BlendPair(uint32_t source, uint32_t destination, GLenum& glSource, GLenum& glDestination) {
  if (source == D3DBLEND_BOTHSRCALPHA) {
    glSource = GL_SRC_ALPHA;
    glDestination = GL_ONE_MINUS_SRC_ALPHA;
  } else if (source == D3DBLEND_BOTHINVSRCALPHA) {
    glSource = GL_ONE_MINUS_SRC_ALPHA;
    glDestination = GL_SRC_ALPHA;
  } else {
    glSource = BlendFactor(source);
    glDestination = BlendFactor(destination);
  }
}

GLenum Compare(uint32_t function) {
  switch (function) {
    case D3DCMP_NEVER: return GL_NEVER;
    case D3DCMP_LESS: return GL_LESS;
    case D3DCMP_EQUAL: return GL_EQUAL;
    case D3DCMP_LESSEQUAL: return GL_LEQUAL;
    case D3DCMP_GREATER: return GL_GREATER;
    case D3DCMP_NOTEQUAL: return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL: return GL_GEQUAL;
    default: return GL_ALWAYS;
  }
}

GLenum StencilOp(uint32_t op) {
  switch (op) {
    case D3DSTENCILOP_ZERO: return GL_ZERO;
    case D3DSTENCILOP_REPLACE: return GL_REPLACE;
    case D3DSTENCILOP_INCRSAT: return GL_INCR;
    case D3DSTENCILOP_DECRSAT: return GL_DECR;
    case D3DSTENCILOP_INVERT: return GL_INVERT;
    case D3DSTENCILOP_INCR: return GL_INCR_WRAP;
    case D3DSTENCILOP_DECR: return GL_DECR_WRAP;
    default: return GL_KEEP;
  }
}

float Float(uint32_t bits) { return std::bit_cast<float>(bits); }

void Enable(GLenum capability, bool on) {
  if (on) {
    glEnable(capability);
  } else {
    glDisable(capability);
  }
}

}  // namespace

bool PipelineState::Refresh(const DeviceState& state, const D3DRENDERSTATETYPE* list, size_t count, bool force) {
  bool changed = force || !valid;
  for (size_t i = 0; i < count && !changed; ++i) changed = state.renderStates[list[i]] != applied[list[i]];
  if (changed) {
    for (size_t i = 0; i < count; ++i) applied[list[i]] = state.renderStates[list[i]];
  }
  return changed;
}

void PipelineState::Apply(const DeviceState& state, const Target& target) {
  const uint32_t* rs = state.renderStates;
  const bool targetChanged = !valid || target.depthBits != appliedTarget.depthBits ||
                             target.stencilBits != appliedTarget.stencilBits ||
                             target.depthUnit != appliedTarget.depthUnit ||
                             target.programPointSize != appliedTarget.programPointSize;
  if (Refresh(state, BLEND, std::size(BLEND), false)) ApplyBlend(rs);
  if (Refresh(state, DEPTH, std::size(DEPTH), targetChanged)) ApplyDepth(rs, target);
  if (Refresh(state, STENCIL, std::size(STENCIL), targetChanged)) ApplyStencil(rs, target);
  if (Refresh(state, RASTER, std::size(RASTER), targetChanged)) {
    ApplyRaster(rs);
    Enable(GL_PROGRAM_POINT_SIZE, target.programPointSize);
  }
  const D3DVIEWPORT9& viewport = state.viewport;
  if (!valid || viewport.X != appliedViewport.X || viewport.Y != appliedViewport.Y ||
      viewport.Width != appliedViewport.Width || viewport.Height != appliedViewport.Height ||
      viewport.MinZ != appliedViewport.MinZ || viewport.MaxZ != appliedViewport.MaxZ) {
    // The clip origin is the upper left, so Direct3D's rows are GL's rows.
    glViewport(static_cast<GLint>(viewport.X), static_cast<GLint>(viewport.Y), static_cast<GLsizei>(viewport.Width),
               static_cast<GLsizei>(viewport.Height));
    glDepthRangef(viewport.MinZ, viewport.MaxZ);
    appliedViewport = viewport;
  }
  if (!valid) glDisable(GL_SCISSOR_TEST);
  appliedTarget = target;
  valid = true;
}

void PipelineState::ApplyBlend(const uint32_t* rs) {
  Enable(GL_BLEND, rs[D3DRS_ALPHABLENDENABLE] != FALSE);
  GLenum source = GL_ONE;
  GLenum destination = GL_ZERO;
  BlendPair(rs[D3DRS_SRCBLEND], rs[D3DRS_DESTBLEND], source, destination);
  GLenum alphaSource = source;
  GLenum alphaDestination = destination;
  GLenum alphaEquation = BlendEquation(rs[D3DRS_BLENDOP]);
  if (rs[D3DRS_SEPARATEALPHABLENDENABLE]) {
    BlendPair(rs[D3DRS_SRCBLENDALPHA], rs[D3DRS_DESTBLENDALPHA], alphaSource, alphaDestination);
    alphaEquation = BlendEquation(rs[D3DRS_BLENDOPALPHA]);
  }
  glBlendFuncSeparate(source, destination, alphaSource, alphaDestination);
  glBlendEquationSeparate(BlendEquation(rs[D3DRS_BLENDOP]), alphaEquation);
  const D3DCOLOR factor = rs[D3DRS_BLENDFACTOR];
  glBlendColor((factor >> 16 & 0xFF) / 255.0f, (factor >> 8 & 0xFF) / 255.0f, (factor & 0xFF) / 255.0f,
               (factor >> 24 & 0xFF) / 255.0f);
  const uint32_t mask = rs[D3DRS_COLORWRITEENABLE];
  glColorMask(mask & D3DCOLORWRITEENABLE_RED ? GL_TRUE : GL_FALSE, mask & D3DCOLORWRITEENABLE_GREEN ? GL_TRUE : GL_FALSE,
              mask & D3DCOLORWRITEENABLE_BLUE ? GL_TRUE : GL_FALSE, mask & D3DCOLORWRITEENABLE_ALPHA ? GL_TRUE : GL_FALSE);
}

void PipelineState::ApplyDepth(const uint32_t* rs, const Target& target) {
  const bool test = rs[D3DRS_ZENABLE] != D3DZB_FALSE && target.depthBits != 0;
  Enable(GL_DEPTH_TEST, test);
  glDepthFunc(Compare(rs[D3DRS_ZFUNC]));
  glDepthMask(rs[D3DRS_ZWRITEENABLE] ? GL_TRUE : GL_FALSE);
  // DEPTHBIAS is in units of the depth range; GL's polygon offset units are
  // the driver's own step for the buffer (measured).
  const float bias = Float(rs[D3DRS_DEPTHBIAS]);
  const float slope = Float(rs[D3DRS_SLOPESCALEDEPTHBIAS]);
  const bool offset = target.depthBits != 0 && target.depthUnit > 0.0f && (bias != 0.0f || slope != 0.0f);
  Enable(GL_POLYGON_OFFSET_FILL, offset);
  Enable(GL_POLYGON_OFFSET_LINE, offset);
  Enable(GL_POLYGON_OFFSET_POINT, offset);
  if (offset) glPolygonOffset(slope, bias / target.depthUnit);
}

void PipelineState::ApplyStencil(const uint32_t* rs, const Target& target) {
  const bool on = rs[D3DRS_STENCILENABLE] != FALSE && target.stencilBits != 0;
  Enable(GL_STENCIL_TEST, on);
  glStencilMask(rs[D3DRS_STENCILWRITEMASK]);
  // Front faces (GL_FRONT) are the clockwise ones; two-sided mode gives the
  // counter-clockwise ones their own states.
  const bool twoSided = rs[D3DRS_TWOSIDEDSTENCILMODE] != FALSE;
  const uint32_t ref = rs[D3DRS_STENCILREF];
  const uint32_t mask = rs[D3DRS_STENCILMASK];
  glStencilFuncSeparate(GL_FRONT, Compare(rs[D3DRS_STENCILFUNC]), static_cast<GLint>(ref), mask);
  glStencilOpSeparate(GL_FRONT, StencilOp(rs[D3DRS_STENCILFAIL]), StencilOp(rs[D3DRS_STENCILZFAIL]),
                      StencilOp(rs[D3DRS_STENCILPASS]));
  glStencilFuncSeparate(GL_BACK, Compare(rs[twoSided ? D3DRS_CCW_STENCILFUNC : D3DRS_STENCILFUNC]),
                        static_cast<GLint>(ref), mask);
  glStencilOpSeparate(GL_BACK, StencilOp(rs[twoSided ? D3DRS_CCW_STENCILFAIL : D3DRS_STENCILFAIL]),
                      StencilOp(rs[twoSided ? D3DRS_CCW_STENCILZFAIL : D3DRS_STENCILZFAIL]),
                      StencilOp(rs[twoSided ? D3DRS_CCW_STENCILPASS : D3DRS_STENCILPASS]));
}

void PipelineState::ApplyRaster(const uint32_t* rs) {
  glFrontFace(CLOCKWISE_ON_SCREEN);
  const uint32_t cull = rs[D3DRS_CULLMODE];
  Enable(GL_CULL_FACE, cull == D3DCULL_CW || cull == D3DCULL_CCW);
  glCullFace(cull == D3DCULL_CW ? GL_FRONT : GL_BACK);
  const uint32_t fill = rs[D3DRS_FILLMODE];
  glPolygonMode(GL_FRONT_AND_BACK, fill == D3DFILL_POINT ? GL_POINT : fill == D3DFILL_WIREFRAME ? GL_LINE : GL_FILL);
  const float minimum = Float(rs[D3DRS_POINTSIZE_MIN]);
  const float maximum = Float(rs[D3DRS_POINTSIZE_MAX]);
  glPointSize(std::max(1.0f, std::min(std::max(Float(rs[D3DRS_POINTSIZE]), minimum), maximum)));
}

}  // namespace ynx
