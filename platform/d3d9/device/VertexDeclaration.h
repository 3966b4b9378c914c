#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3d9/device/BufferArena.h"
#include "platform/d3d9/device/DeviceChild.h"
#include "platform/d3d9/device/FixedFunctionKey.h"
#include "platform/d3d9/shader/ShaderInterface.h"

namespace ynx {

// A vertex layout and its GL vertex array: stream n is vertex buffer
// binding n; the attributes follow the inputs of the vertex program in use,
// each matched to the element of the same (usage, usage index). Inputs the
// layout lacks read (0, 0, 0, 1).
class IDirect3DVertexDeclaration9 final : public DeviceChild {
 public:
  // False (with nothing made) when an element is malformed or repeats a
  // (usage, index) pair. `elements` ends with D3DDECL_END().
  static bool Validate(const D3DVERTEXELEMENT9* elements, std::vector<D3DVERTEXELEMENT9>& out);

  IDirect3DVertexDeclaration9(IDirect3DDevice9* device, std::vector<D3DVERTEXELEMENT9> elements);

  // Copies the elements with the end marker; `count` in: room, out: count
  // written (null `elements` asks for the count).
  HRESULT GetDeclaration(D3DVERTEXELEMENT9* elements, UINT* count) const;

  const std::vector<D3DVERTEXELEMENT9>& Elements() const { return elements; }
  // What the fixed-function pipeline reads of this layout: its inputs at
  // the generated programs' attribute locations, and the layout's part of
  // the program key.
  const std::vector<ShaderInterface::Input>& FixedFunctionInputs() const { return fixedInputs; }
  const FixedFunctionKey::Draw& FixedFunctionDraw() const { return fixedDraw; }
  // Bit n: stream n feeds an attribute of the last Prepare.
  uint32_t StreamsUsed() const { return streamsUsed; }

  // The GL vertex array with its attributes set for `inputs` (kept until
  // another input list comes). The device's context must be current.
  uint32_t Prepare(const std::vector<ShaderInterface::Input>& inputs);
  // The vertex array's buffer of `stream` and its index buffer, each set
  // only when it differs from what the array holds: draws of one mesh
  // after another change offsets, rarely buffers.
  void BindStream(uint32_t stream, const BufferArena::Slice& slice, uint32_t offset, uint32_t stride);
  void BindIndices(const BufferArena::Slice& slice);

 protected:
  void ReleaseGl() override;

 private:
  std::vector<D3DVERTEXELEMENT9> elements;
  std::vector<ShaderInterface::Input> fixedInputs;
  FixedFunctionKey::Draw fixedDraw;
  uint32_t vertexArray = 0;
  std::vector<ShaderInterface::Input> current;
  bool prepared = false;
  uint32_t streamsUsed = 0;
  // What the vertex array holds, by the slices' serials (0: nothing).
  struct Bound {
    uint64_t serial = 0;
    uint32_t offset = 0;
    uint32_t stride = 0;
  };
  Bound bound[16];
  uint64_t boundIndices = 0;
};

}  // namespace ynx
