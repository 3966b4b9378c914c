// Passes: their recording at the first draw and their replay afterwards,
// the vertex layout their stream operations describe, and the draws.
#include <algorithm>
#include <limits>
#include <new>

#include "engine/render/Pass.h"
#include "engine/scene/ColorBuffer.h"
#include "engine/scene/FloatBuffer.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"
#include "engine/scene/Vector4Buffer.h"
#include "modules/d3d9/D3D9Mappings.h"
#include "modules/d3d9/D3D9Renderer.h"

namespace ynx {
namespace {

UINT Stride(D3DDECLTYPE type) {
  return type == D3DDECLTYPE_D3DCOLOR ? 4 : 4 * (static_cast<UINT>(type - D3DDECLTYPE_FLOAT1) + 1);
}

}  // namespace

bool D3D9Renderer::VectorType(const Buffer* buffer, D3DDECLTYPE& type) {
  if (buffer->IsDerivedFrom(FloatBuffer::Type())) {
    type = D3DDECLTYPE_FLOAT1;
  } else if (buffer->IsDerivedFrom(Vector2Buffer::Type())) {
    type = D3DDECLTYPE_FLOAT2;
  } else if (buffer->IsDerivedFrom(Vector3Buffer::Type())) {
    type = D3DDECLTYPE_FLOAT3;
  } else if (buffer->IsDerivedFrom(Vector4Buffer::Type())) {
    type = D3DDECLTYPE_FLOAT4;
  } else {
    return false;
  }
  return true;
}

void D3D9Renderer::DiscardRecording() {
  if (blockRecording && device) {
    IDirect3DStateBlock9* dropped = nullptr;
    if (SUCCEEDED(device->EndStateBlock(&dropped)) && dropped != nullptr) dropped->Release();
  }
  blockRecording = false;
  elements.clear();
  recordedSlots.clear();
  recordingPass = nullptr;
}

void D3D9Renderer::ApplyPass(Pass* pass) {
  DiscardRecording();
  layout = nullptr;
  replayLayout = nullptr;
  streamOperations = 0;
  streamsBound = 0;
  streamsNeeded = 0;
  vertexLimit = std::numeric_limits<uint64_t>::max();
  hasPositions = false;
  boundIndexBuffer = nullptr;
  boundIndices = nullptr;
  appliedPass = nullptr;
  if (!device || pass == nullptr) return;

  RendererBinding& binding = pass->GetBinding();
  RenderStateBlock* block = pass->GetStateBlock();
  const LayoutCopy* recorded = CopyOf<LayoutCopy>(binding);
  const RecordingCopy* recording = block != nullptr ? CopyOf<RecordingCopy>(block->GetBinding()) : nullptr;
  // The recording and the layout are made together and go together.
  const bool complete = recorded != nullptr && (block == nullptr || recording != nullptr);
  if ((recorded != nullptr || recording != nullptr) && (binding.changed || !complete)) {
    ReleasePass(pass);
    recorded = nullptr;
    recording = nullptr;
  }
  appliedPass = pass;
  if (recorded != nullptr) {
    if (recording != nullptr) recording->block->Apply();
    replayLayout = recorded;
    layout = recorded->declaration;
    streamsNeeded = recorded->streams;
    return;
  }

  // First use: everything the pass sets up until its first draw is kept.
  blockRecording = SUCCEEDED(device->BeginStateBlock());
  recordingPass = pass;
  if (block != nullptr) TranslateStates(*block);
  // What earlier passes bound is not part of this one.
  for (DWORD stage = 0; stage < 7; ++stage) device->SetTexture(stage, nullptr);
  device->SetVertexShader(nullptr);
  device->SetPixelShader(nullptr);
}

void D3D9Renderer::AbandonPass(Pass* pass) {
  if (pass != nullptr && recordingPass.Get() == pass) DiscardRecording();
}

void D3D9Renderer::ReleasePass(Pass* pass) {
  if (pass == nullptr) return;
  if (RenderStateBlock* block = pass->GetStateBlock()) block->GetBinding().Release();
  pass->GetBinding().Release();
  if (pass == appliedPass) {
    appliedPass = nullptr;
    layout = nullptr;
  }
}

bool D3D9Renderer::CommitPass() {
  if (!recordingPass) return layout != nullptr;
  // Held until the copies are stored in it.
  const Ptr<Pass> pass = std::move(recordingPass);
  IDirect3DStateBlock9* ended = nullptr;
  if (blockRecording) device->EndStateBlock(&ended);
  blockRecording = false;
  const ComPtr<IDirect3DStateBlock9> block = ComPtr<IDirect3DStateBlock9>::Adopt(ended);

  std::vector<D3DVERTEXELEMENT9> declared = elements;
  declared.push_back(D3DDECL_END());
  elements.clear();
  IDirect3DVertexDeclaration9* made = nullptr;
  if (FAILED(device->CreateVertexDeclaration(declared.data(), &made))) {
    // Nothing is kept: the pass records again at its next use.
    recordedSlots.clear();
    return false;
  }
  LayoutCopy* copy = NewCopy(pass->GetID(), made, &LayoutCopy::declaration);
  if (copy == nullptr) {
    recordedSlots.clear();
    return false;
  }
  copy->slots = std::move(recordedSlots);
  copy->streams = streamsNeeded;
  recordedSlots.clear();
  RenderStateBlock* stateBlock = pass->GetStateBlock();
  if (block && stateBlock != nullptr) {
    auto* recording = new (std::nothrow) RecordingCopy(stateBlock->GetID());
    if (recording != nullptr) {
      recording->block = block;
      if (Attach(stateBlock->GetBinding(), recording)) stateBlock->GetBinding().changed = false;
    }
  }
  layout = copy->declaration;
  if (!Attach(pass->GetBinding(), copy)) return true;
  pass->GetBinding().changed = false;
  replayLayout = copy;
  ++stats.passesRecorded;
  // The recording reached only the block: the first draw needs it as well.
  if (block) {
    block->Apply();
    // Every later draw binds its own buffers: replaying the first draw's
    // would only add references to drop again.
    StateMask& recorded = block->Mask();
    recorded.streams = 0;
    recorded.indices = false;
  }
  return true;
}

void D3D9Renderer::BindStream(Buffer* buffer, D3DDECLTYPE type, D3DDECLUSAGE usage, int32_t usageIndex,
                              bool packedColors) {
  const auto operation = static_cast<size_t>(streamOperations++);
  if (!device) return;
  const D3DVERTEXELEMENT9 wanted{0, 0, static_cast<BYTE>(type), D3DDECLMETHOD_DEFAULT, static_cast<BYTE>(usage),
                                 static_cast<BYTE>(usageIndex)};
  int32_t stream = -1;
  if (recordingPass) {
    // A missing buffer adds nothing: the layout describes what is there.
    if (buffer != nullptr && elements.size() < DeviceState::STREAMS) {
      stream = static_cast<int32_t>(elements.size());
      D3DVERTEXELEMENT9 element = wanted;
      element.Stream = static_cast<WORD>(stream);
      elements.push_back(element);
      streamsNeeded |= 1u << stream;
    }
    recordedSlots.push_back({stream, wanted});
  } else if (replayLayout != nullptr && operation < replayLayout->slots.size()) {
    // Each draw binds its own buffers where the layout reads them.
    const LayoutCopy::Slot& slot = replayLayout->slots[operation];
    stream = slot.stream;
    if (stream >= 0 && (buffer == nullptr || slot.element.Type != wanted.Type ||
                        slot.element.Usage != wanted.Usage || slot.element.UsageIndex != wanted.UsageIndex)) {
      // Not what the layout reads there: nothing is drawn from it.
      device->SetStreamSource(static_cast<UINT>(stream), nullptr, 0, 0);
      vertexLimit = 0;
      return;
    }
  }
  if (buffer == nullptr) return;
  IDirect3DVertexBuffer9* vertices = PrepareVertexBuffer(*buffer, packedColors);
  if (stream < 0) return;
  device->SetStreamSource(static_cast<UINT>(stream), vertices, 0, vertices != nullptr ? Stride(type) : 0);
  if (vertices == nullptr) {
    vertexLimit = 0;
    return;
  }
  streamsBound |= 1u << stream;
  vertexLimit = std::min(vertexLimit, static_cast<uint64_t>(buffer->GetCount()));
  if (usage == D3DDECLUSAGE_POSITION) hasPositions = true;
}

void D3D9Renderer::SetPositionStream(Buffer* buffer) {
  D3DDECLTYPE type = D3DDECLTYPE_FLOAT3;
  // A buffer of another kind holds no positions.
  BindStream(buffer != nullptr && VectorType(buffer, type) ? buffer : nullptr, type, D3DDECLUSAGE_POSITION, 0);
}

void D3D9Renderer::SetTexCoordStream(Buffer* buffer, int32_t set) {
  D3DDECLTYPE type = D3DDECLTYPE_FLOAT3;
  const bool usable = buffer != nullptr && set >= 0 && set < RenderStateBlock::STAGE_COUNT && VectorType(buffer, type);
  BindStream(usable ? buffer : nullptr, type, D3DDECLUSAGE_TEXCOORD, usable ? set : 0);
}

void D3D9Renderer::SetColorStream(ColorBuffer* buffer) {
  // Without shaders the device reads colours packed.
  const bool packed = !HasShaders();
  BindStream(buffer, packed ? D3DDECLTYPE_D3DCOLOR : D3DDECLTYPE_FLOAT4, D3DDECLUSAGE_COLOR, 0, packed);
  if (buffer != nullptr && device) {
    device->SetRenderState(D3DRS_COLORVERTEX, TRUE);
    device->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);
  }
}

void D3D9Renderer::SetPointSizeStream(FloatBuffer* buffer) {
  BindStream(buffer, D3DDECLTYPE_FLOAT1, D3DDECLUSAGE_PSIZE, 0);
}

void D3D9Renderer::SetNormalStream(Vector3Buffer* buffer) {
  BindStream(buffer, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_NORMAL, 0);
}

void D3D9Renderer::SetBlendWeightStream(Vector4Buffer* buffer) {
  BindStream(buffer, D3DDECLTYPE_FLOAT4, D3DDECLUSAGE_BLENDWEIGHT, 0);
}

void D3D9Renderer::SetBlendIndexStream(Vector4Buffer* buffer) {
  BindStream(buffer, D3DDECLTYPE_FLOAT4, D3DDECLUSAGE_BLENDINDICES, 0);
}

bool D3D9Renderer::StreamsHold(uint64_t vertices) const {
  return hasPositions && (streamsNeeded & ~streamsBound) == 0 && vertices <= vertexLimit;
}

int32_t D3D9Renderer::DrawIndexed() {
  if (!device || !CommitPass()) return 0;
  device->SetVertexDeclaration(layout.Get());
  const GeometryNode* geometry = GetCurrentGeometry();
  D3DPRIMITIVETYPE type = D3DPT_TRIANGLELIST;
  uint32_t count = 0;
  // Empty draws and draws that would read past their buffers are skipped.
  if (geometry == nullptr || boundIndices == nullptr ||
      !D3D9Mappings::Primitives(geometry->GetPrimitiveType(), boundIndexBuffer->GetCount(), type, count) ||
      count == 0) {
    return 0;
  }
  const uint64_t indexBytes = D3D9Mappings::VerticesRead(type, count) * (index32 ? 4 : 2);
  if (indexBytes > boundIndices->size || !StreamsHold(uint64_t{boundIndices->largestIndex} + 1)) return 0;
  const Vector3Buffer* positions = geometry->GetVertices();
  device->DrawIndexedPrimitive(type, 0, 0, positions != nullptr ? static_cast<UINT>(positions->GetCount()) : 0, 0,
                               count);
  ++stats.draws;
  return 0;
}

int32_t D3D9Renderer::Draw(int32_t primitiveCount) {
  if (!device || !CommitPass()) return 0;
  device->SetVertexDeclaration(layout.Get());
  const GeometryNode* geometry = GetCurrentGeometry();
  D3DPRIMITIVETYPE type = D3DPT_TRIANGLELIST;
  uint32_t unused = 0;
  if (primitiveCount <= 0 || geometry == nullptr ||
      !D3D9Mappings::Primitives(geometry->GetPrimitiveType(), 0, type, unused)) {
    return 0;
  }
  const auto count = static_cast<uint32_t>(primitiveCount);
  if (!StreamsHold(D3D9Mappings::VerticesRead(type, count))) return 0;
  device->DrawPrimitive(type, 0, count);
  ++stats.draws;
  return 0;
}

IDirect3DVertexDeclaration9* D3D9Renderer::SkinLayout(D3DDECLTYPE positions, bool weights, bool indices) {
  ComPtr<IDirect3DVertexDeclaration9>& cached = skinLayouts[positions - D3DDECLTYPE_FLOAT1][weights][indices];
  if (cached) return cached.Get();
  std::vector<D3DVERTEXELEMENT9> declared{
      {0, 0, static_cast<BYTE>(positions), D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0}};
  if (weights) declared.push_back({1, 0, D3DDECLTYPE_FLOAT4, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_BLENDWEIGHT, 0});
  if (indices) declared.push_back({2, 0, D3DDECLTYPE_FLOAT4, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_BLENDINDICES, 0});
  declared.push_back(D3DDECL_END());
  IDirect3DVertexDeclaration9* made = nullptr;
  if (FAILED(device->CreateVertexDeclaration(declared.data(), &made))) return nullptr;
  cached = ComPtr<IDirect3DVertexDeclaration9>::Adopt(made);
  ++stats.deviceObjectsCreated;
  return made;
}

int32_t D3D9Renderer::DrawIndexedSkinned(Buffer* positions, IntBuffer* indices, Vector4Buffer* blendWeights,
                                         Vector4Buffer* blendIndices) {
  if (!device) return 0;
  // A pass still recording ends here as at any draw.
  CommitPass();
  const GeometryNode* geometry = GetCurrentGeometry();
  D3DDECLTYPE type = D3DDECLTYPE_FLOAT3;
  if (geometry == nullptr || positions == nullptr || indices == nullptr || !VectorType(positions, type)) return 0;
  IDirect3DVertexBuffer9* vertices = PrepareVertexBuffer(*positions, false);
  SetIndexBuffer(indices);
  IDirect3DVertexBuffer9* weights = blendWeights != nullptr ? PrepareVertexBuffer(*blendWeights, false) : nullptr;
  IDirect3DVertexBuffer9* bones = blendIndices != nullptr ? PrepareVertexBuffer(*blendIndices, false) : nullptr;
  if (vertices == nullptr || boundIndices == nullptr || (blendWeights != nullptr && weights == nullptr) ||
      (blendIndices != nullptr && bones == nullptr)) {
    return 0;
  }
  uint64_t limit = static_cast<uint64_t>(positions->GetCount());
  if (blendWeights != nullptr) limit = std::min(limit, static_cast<uint64_t>(blendWeights->GetCount()));
  if (blendIndices != nullptr) limit = std::min(limit, static_cast<uint64_t>(blendIndices->GetCount()));
  D3DPRIMITIVETYPE primitive = D3DPT_TRIANGLELIST;
  uint32_t count = 0;
  if (!D3D9Mappings::Primitives(geometry->GetPrimitiveType(), indices->GetCount(), primitive, count) ||
      count == 0 || boundIndices->largestIndex >= limit) {
    return 0;
  }
  // A layout of exactly what is bound, so that the weights and indices
  // reach the program whatever the pass recorded.
  IDirect3DVertexDeclaration9* skin = SkinLayout(type, blendWeights != nullptr, blendIndices != nullptr);
  if (skin == nullptr) return 0;
  device->SetVertexDeclaration(skin);
  device->SetStreamSource(0, vertices, 0, Stride(type));
  if (weights != nullptr) device->SetStreamSource(1, weights, 0, 16);
  if (bones != nullptr) device->SetStreamSource(2, bones, 0, 16);
  device->DrawIndexedPrimitive(primitive, 0, 0, static_cast<UINT>(positions->GetCount()), 0, count);
  ++stats.draws;
  return 0;
}

}  // namespace ynx
