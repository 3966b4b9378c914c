#include "modules/d3d9/D3D9Mappings.h"

#include "engine/io/Image.h"
#include "engine/scene/GeometryNode.h"

namespace ynx {
namespace {

template <size_t N>
bool Lookup(const DWORD (&table)[N], int32_t index, DWORD& value) {
  if (index < 0 || static_cast<size_t>(index) >= N) return false;
  value = table[index];
  return true;
}

}  // namespace

D3DFORMAT D3D9Mappings::BackBufferFormat(const DisplayModeDesc& mode) {
  if (mode.colorBits == 16 && mode.alphaBits == 0) {
    return mode.greenBits == 5 ? D3DFMT_X1R5G5B5 : D3DFMT_R5G6B5;
  }
  if (mode.colorBits == 16 && mode.alphaBits == 1) return D3DFMT_A1R5G5B5;
  if (mode.colorBits == 32 && mode.alphaBits == 0) return D3DFMT_X8R8G8B8;
  if (mode.colorBits == 32 && mode.alphaBits == 2) return D3DFMT_A2R10G10B10;
  if (mode.colorBits == 32 && mode.alphaBits == 8) return D3DFMT_A8R8G8B8;
  return D3DFMT_UNKNOWN;
}

D3DFORMAT D3D9Mappings::AdapterFormat(const DisplayModeDesc& mode) {
  // The display has no alpha: the alpha formats' displays drop it.
  switch (BackBufferFormat(mode)) {
    case D3DFMT_A1R5G5B5: return D3DFMT_X1R5G5B5;
    case D3DFMT_A8R8G8B8: return D3DFMT_X8R8G8B8;
    default: return BackBufferFormat(mode);
  }
}

D3DFORMAT D3D9Mappings::DepthFormat(int32_t depthBits, int32_t stencilBits) {
  if (depthBits == 15 && stencilBits == 1) return D3DFMT_D15S1;
  if (depthBits == 16 && stencilBits == 0) return D3DFMT_D16;
  if (depthBits == 24 && stencilBits == 0) return D3DFMT_D24X8;
  if (depthBits == 24 && stencilBits == 4) return D3DFMT_D24X4S4;
  if (depthBits == 24 && stencilBits == 8) return D3DFMT_D24S8;
  if (depthBits == 32 && stencilBits == 0) return D3DFMT_D32;
  return D3DFMT_UNKNOWN;
}

bool D3D9Mappings::BitsOf(D3DFORMAT colorFormat, ColorBits& bits) {
  switch (colorFormat) {
    case D3DFMT_A8R8G8B8: bits = {32, 8, 8, 8, 8}; return true;
    case D3DFMT_X8R8G8B8: bits = {32, 8, 8, 8, 0}; return true;
    case D3DFMT_A2R10G10B10: bits = {32, 10, 10, 10, 2}; return true;
    case D3DFMT_R5G6B5: bits = {16, 5, 6, 5, 0}; return true;
    case D3DFMT_A1R5G5B5: bits = {16, 5, 5, 5, 1}; return true;
    case D3DFMT_X1R5G5B5: bits = {16, 5, 5, 5, 0}; return true;
    default: return false;
  }
}

bool D3D9Mappings::BitsOf(D3DFORMAT depthFormat, DepthBits& bits) {
  switch (depthFormat) {
    case D3DFMT_D24S8: bits = {24, 8}; return true;
    case D3DFMT_D24X4S4: bits = {24, 4}; return true;
    case D3DFMT_D15S1: bits = {15, 1}; return true;
    case D3DFMT_D24X8: bits = {24, 0}; return true;
    case D3DFMT_D32: bits = {32, 0}; return true;
    case D3DFMT_D16: bits = {16, 0}; return true;
    default: return false;
  }
}

D3DFORMAT D3D9Mappings::TextureFormat(int32_t imageFormat) {
  switch (imageFormat) {
    case Image::FORMAT_RGB: return D3DFMT_X8R8G8B8;
    case Image::FORMAT_RGBA: return D3DFMT_A8R8G8B8;
    case Image::FORMAT_GREY: return D3DFMT_A8;
    default: return D3DFMT_UNKNOWN;
  }
}

bool D3D9Mappings::Primitives(int32_t primitiveType, int32_t indices, D3DPRIMITIVETYPE& type,
                              uint32_t& count) {
  const uint32_t n = indices > 0 ? static_cast<uint32_t>(indices) : 0;
  switch (primitiveType) {
    case GeometryNode::PRIMITIVE_POINTS: type = D3DPT_POINTLIST; count = n; return true;
    case GeometryNode::PRIMITIVE_LINES: type = D3DPT_LINELIST; count = n / 2; return true;
    // One index makes no line: the count must not wrap below zero.
    case GeometryNode::PRIMITIVE_LINE_STRIP: type = D3DPT_LINESTRIP; count = n > 0 ? n - 1 : 0; return true;
    case GeometryNode::PRIMITIVE_TRIANGLES: type = D3DPT_TRIANGLELIST; count = n / 3; return true;
    default: return false;
  }
}

uint64_t D3D9Mappings::VerticesRead(D3DPRIMITIVETYPE type, uint32_t count) {
  switch (type) {
    case D3DPT_LINELIST: return uint64_t{count} * 2;
    case D3DPT_LINESTRIP: return count > 0 ? uint64_t{count} + 1 : 0;
    case D3DPT_TRIANGLELIST: return uint64_t{count} * 3;
    default: return count;
  }
}

bool D3D9Mappings::Blend(int32_t factor, DWORD& value) {
  static constexpr DWORD TABLE[] = {
      D3DBLEND_ZERO,     D3DBLEND_ONE,          D3DBLEND_SRCCOLOR,  D3DBLEND_INVSRCCOLOR,
      D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA,  D3DBLEND_DESTCOLOR, D3DBLEND_INVDESTCOLOR,
      D3DBLEND_DESTALPHA, D3DBLEND_INVDESTALPHA,
  };
  return Lookup(TABLE, factor, value);
}

bool D3D9Mappings::Compare(int32_t function, DWORD& value) {
  static constexpr DWORD TABLE[] = {
      D3DCMP_NEVER,    D3DCMP_LESS,    D3DCMP_LESSEQUAL,    D3DCMP_EQUAL,
      D3DCMP_NOTEQUAL, D3DCMP_GREATER, D3DCMP_GREATEREQUAL, D3DCMP_ALWAYS,
  };
  return Lookup(TABLE, function, value);
}

bool D3D9Mappings::StencilOp(int32_t operation, DWORD& value) {
  static constexpr DWORD TABLE[] = {D3DSTENCILOP_KEEP, D3DSTENCILOP_ZERO, D3DSTENCILOP_INCRSAT};
  return Lookup(TABLE, operation, value);
}

}  // namespace ynx
