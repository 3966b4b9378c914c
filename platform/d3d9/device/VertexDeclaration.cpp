#include "platform/d3d9/device/VertexDeclaration.h"

#include <epoxy/gl.h>

#include "platform/d3d9/device/FixedFunctionProgram.h"

namespace ynx {

namespace {

struct AttributeFormat {
  GLint size;
  GLenum type;
  GLboolean normalized;
};

// By D3DDECLTYPE; size 0 for the types the device does not take (UDEC3 and
// DEC3N have no GL equivalent with w = 1).
constexpr AttributeFormat FORMATS[] = {
    {1, GL_FLOAT, GL_FALSE},           {2, GL_FLOAT, GL_FALSE},          {3, GL_FLOAT, GL_FALSE},
    {4, GL_FLOAT, GL_FALSE},           {GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE}, {4, GL_UNSIGNED_BYTE, GL_FALSE},
    {2, GL_SHORT, GL_FALSE},           {4, GL_SHORT, GL_FALSE},          {4, GL_UNSIGNED_BYTE, GL_TRUE},
    {2, GL_SHORT, GL_TRUE},            {4, GL_SHORT, GL_TRUE},           {2, GL_UNSIGNED_SHORT, GL_TRUE},
    {4, GL_UNSIGNED_SHORT, GL_TRUE},   {0, 0, GL_FALSE},                 {0, 0, GL_FALSE},
    {2, GL_HALF_FLOAT, GL_FALSE},      {4, GL_HALF_FLOAT, GL_FALSE},
};

bool SameInputs(const std::vector<ShaderInterface::Input>& a, const std::vector<ShaderInterface::Input>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].location != b[i].location || a[i].usage != b[i].usage || a[i].usageIndex != b[i].usageIndex ||
        a[i].declared != b[i].declared) {
      return false;
    }
  }
  return true;
}

}  // namespace

bool IDirect3DVertexDeclaration9::Validate(const D3DVERTEXELEMENT9* elements, std::vector<D3DVERTEXELEMENT9>& out) {
  out.clear();
  if (!elements) return false;
  for (const D3DVERTEXELEMENT9* element = elements; element->Stream != 0xFF; ++element) {
    if (out.size() >= MAXD3DDECLLENGTH || element->Stream >= 16 || element->Type >= D3DDECLTYPE_UNUSED ||
        FORMATS[element->Type].size == 0 || element->Usage > D3DDECLUSAGE_SAMPLE ||
        element->Method != D3DDECLMETHOD_DEFAULT || (element->Offset & 3) != 0) {
      out.clear();
      return false;
    }
    for (const D3DVERTEXELEMENT9& other : out) {
      if (other.Usage == element->Usage && other.UsageIndex == element->UsageIndex) {
        out.clear();
        return false;
      }
    }
    out.push_back(*element);
  }
  return true;
}

IDirect3DVertexDeclaration9::IDirect3DVertexDeclaration9(IDirect3DDevice9* device,
                                                         std::vector<D3DVERTEXELEMENT9> elements)
    : DeviceChild(device),
      elements(std::move(elements)),
      fixedDraw(FixedFunctionKey::Draw::FromDeclaration(this->elements.data(), this->elements.size())) {
  for (const D3DVERTEXELEMENT9& element : this->elements) {
    const int32_t location = FixedFunctionProgram::AttributeLocation(element.Usage, element.UsageIndex);
    if (location < 0) continue;
    ShaderInterface::Input input;
    input.location = static_cast<uint32_t>(location);
    input.usage = static_cast<ShaderTokens::Usage>(element.Usage);
    input.usageIndex = element.UsageIndex;
    input.declared = true;
    fixedInputs.push_back(input);
  }
}

HRESULT IDirect3DVertexDeclaration9::GetDeclaration(D3DVERTEXELEMENT9* out, UINT* count) const {
  if (!count) return D3DERR_INVALIDCALL;
  const UINT needed = static_cast<UINT>(elements.size() + 1);
  if (out) {
    if (*count < needed) return D3DERR_INVALIDCALL;
    for (size_t i = 0; i < elements.size(); ++i) out[i] = elements[i];
    out[elements.size()] = D3DDECL_END();
  }
  *count = needed;
  return D3D_OK;
}

uint32_t IDirect3DVertexDeclaration9::Prepare(const std::vector<ShaderInterface::Input>& inputs) {
  if (vertexArray == 0) {
    glCreateVertexArrays(1, &vertexArray);
    prepared = false;
    for (Bound& stream : bound) stream = {};
    boundIndices = 0;
  }
  if (prepared && SameInputs(inputs, current)) return vertexArray;
  for (GLuint location = 0; location < ShaderInterface::VERTEX_INPUTS; ++location) {
    glDisableVertexArrayAttrib(vertexArray, location);
  }
  streamsUsed = 0;
  for (const ShaderInterface::Input& input : inputs) {
    if (!input.declared) continue;
    for (const D3DVERTEXELEMENT9& element : elements) {
      if (element.Usage != static_cast<BYTE>(input.usage) || element.UsageIndex != input.usageIndex) continue;
      const AttributeFormat& format = FORMATS[element.Type];
      glEnableVertexArrayAttrib(vertexArray, input.location);
      glVertexArrayAttribFormat(vertexArray, input.location, format.size, format.type, format.normalized,
                                element.Offset);
      glVertexArrayAttribBinding(vertexArray, input.location, element.Stream);
      streamsUsed |= 1u << element.Stream;
      break;
    }
  }
  current = inputs;
  prepared = true;
  return vertexArray;
}

void IDirect3DVertexDeclaration9::BindStream(uint32_t stream, const BufferArena::Slice& slice, uint32_t offset,
                                             uint32_t stride) {
  Bound& last = bound[stream];
  const uint32_t start = slice.offset + offset;
  if (last.serial == slice.serial && last.offset == start && last.stride == stride) return;
  glVertexArrayVertexBuffer(vertexArray, stream, slice.buffer, start, static_cast<GLsizei>(stride));
  last = {slice.serial, start, stride};
}

void IDirect3DVertexDeclaration9::BindIndices(const BufferArena::Slice& slice) {
  if (boundIndices == slice.serial) return;
  glVertexArrayElementBuffer(vertexArray, slice.buffer);
  boundIndices = slice.serial;
}

void IDirect3DVertexDeclaration9::ReleaseGl() {
  if (vertexArray) glDeleteVertexArrays(1, &vertexArray);
  vertexArray = 0;
  prepared = false;
}

}  // namespace ynx
