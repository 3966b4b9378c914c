// Device copies of buffers, textures, shaders and queries, their release,
// and drawing redirected into textures.
#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include "engine/core/Log.h"
#include "engine/io/Image.h"
#include "engine/render/CubeTexture.h"
#include "engine/render/OcclusionQuery.h"
#include "engine/render/Pass.h"
#include "engine/render/PixelShader.h"
#include "engine/render/Texture.h"
#include "engine/render/VertexShader.h"
#include "engine/render/VolumeTexture.h"
#include "engine/scene/ColorBuffer.h"
#include "engine/scene/IntBuffer.h"
#include "modules/d3d9/D3D9Mappings.h"
#include "modules/d3d9/D3D9Renderer.h"
#include "platform/d3d9/device/D3DX9.h"
#include "platform/os/MessageBox.h"

namespace ynx {
namespace {

// Image rows start at the bottom, texture rows at the top; pixels become
// blue, green, red, alpha (opaque for RGB).
void CopyRows(const Image& image, const uint8_t* source, const D3DLOCKED_RECT& locked) {
  const uint32_t width = image.GetWidth();
  const uint32_t height = image.GetHeight();
  const auto bytes = static_cast<uint32_t>(Image::BytesPerPixel(image.GetFormat()));
  for (uint32_t row = 0; row < height; ++row) {
    const uint8_t* in = source + size_t{row} * width * bytes;
    uint8_t* out = static_cast<uint8_t*>(locked.pBits) + size_t{height - 1 - row} * static_cast<size_t>(locked.Pitch);
    if (bytes == 1) {
      std::memcpy(out, in, width);
      continue;
    }
    for (uint32_t x = 0; x < width; ++x, in += bytes, out += 4) {
      out[0] = in[2];
      out[1] = in[1];
      out[2] = in[0];
      out[3] = bytes == 4 ? in[3] : 0xFF;
    }
  }
}

// The assembler's lines as one log line.
std::string OneLine(const char* text) {
  std::string line = text != nullptr ? text : "";
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  std::replace(line.begin(), line.end(), '\n', ' ');
  return line;
}

}  // namespace

bool D3D9Renderer::Attach(RendererBinding& binding, DeviceCopy* copy) {
  // Another renderer's copy goes first: a binding holds one owner's.
  if (binding.owner && binding.owner.Get() != this) binding.Release();
  if (!resources.Insert(copy->id, &binding)) {
    delete copy;
    return false;
  }
  binding.owner = this;
  binding.rendererData = copy;
  ++stats.deviceObjectsCreated;
  return true;
}

void D3D9Renderer::Drop(DeviceCopy* copy) {
  if (copy == boundIndices) {
    boundIndices = nullptr;
    boundIndexBuffer = nullptr;
  }
  if (copy == replayLayout) replayLayout = nullptr;
  delete copy;
}

void D3D9Renderer::ReleaseBinding(RendererBinding& binding) {
  if (binding.owner.Get() == this && binding.rendererData != nullptr) {
    auto* copy = static_cast<DeviceCopy*>(binding.rendererData);
    RendererBinding** registered = resources.Find(copy->id);
    if (registered != nullptr && *registered == &binding) resources.Remove(copy->id);
    Drop(copy);
  }
  // The owner goes last: it may hold this renderer's last reference.
  binding.Reset();
}

void D3D9Renderer::ReleaseAll() {
  targets.clear();
  for (auto& byPositions : skinLayouts) {
    for (auto& byWeights : byPositions) {
      for (ComPtr<IDirect3DVertexDeclaration9>& skin : byWeights) skin = nullptr;
    }
  }
  layout = nullptr;
  replayLayout = nullptr;
  boundIndices = nullptr;
  boundIndexBuffer = nullptr;
  if (resources.Count() == 0) return;
  // Each binding holds a reference: the last may go with the loop.
  const Ptr<BindingOwner> keep = this;
  std::vector<RendererBinding*> bindings;
  bindings.reserve(resources.Count());
  for (const auto& entry : resources) bindings.push_back(entry.value);
  resources.Clear();
  for (RendererBinding* binding : bindings) {
    delete static_cast<DeviceCopy*>(binding->rendererData);
    binding->Reset();
  }
}

void D3D9Renderer::ReleaseBuffer(Buffer* buffer) {
  if (buffer != nullptr) buffer->GetBinding().Release();
}

void D3D9Renderer::ReleaseTexture(BaseTexture* texture) {
  if (texture != nullptr) texture->GetBinding().Release();
}

void D3D9Renderer::ReleaseShader(Shader* shader) {
  if (shader != nullptr) shader->GetBinding().Release();
}

void D3D9Renderer::ReleaseQuery(OcclusionQuery* query) {
  if (query != nullptr) query->GetBinding().Release();
}

void D3D9Renderer::ReportOnce(const Object& object, const char* format) {
  if (std::find(reported.begin(), reported.end(), object.GetID()) != reported.end()) return;
  reported.push_back(object.GetID());
  LogWarning(format, object.GetName().CStr());
}

// --- Buffers ---

IDirect3DVertexBuffer9* D3D9Renderer::PrepareVertexBuffer(Buffer& buffer, bool packedColors) {
  if (!device) return nullptr;
  RendererBinding& binding = buffer.GetBinding();
  const auto size = static_cast<UINT>(packedColors ? buffer.GetCount() * 4 : buffer.GetDataSize());
  BufferCopy* copy = CopyOf<BufferCopy>(binding);
  if (copy != nullptr && (!copy->vertices || copy->size != size || copy->packedColors != packedColors)) {
    binding.Release();
    copy = nullptr;
  }
  if (copy == nullptr) {
    IDirect3DVertexBuffer9* made = nullptr;
    if (size == 0 || buffer.GetData() == nullptr ||
        FAILED(device->CreateVertexBuffer(size, D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED, &made, nullptr))) {
      return nullptr;
    }
    copy = NewCopy(buffer.GetID(), made, &BufferCopy::vertices);
    if (copy == nullptr) return nullptr;
    copy->size = size;
    copy->packedColors = packedColors;
    if (!Attach(binding, copy)) return nullptr;
  }
  void* bits = nullptr;
  if (binding.changed && SUCCEEDED(copy->vertices->Lock(0, 0, &bits, 0))) {
    if (packedColors) {
      const auto* colors = static_cast<const Color*>(buffer.GetData());
      auto* packed = static_cast<uint32_t*>(bits);
      for (int32_t i = 0; i < buffer.GetCount(); ++i) packed[i] = colors[i].ToARGB();
    } else {
      std::memcpy(bits, buffer.GetData(), size);
    }
    copy->vertices->Unlock();
    binding.changed = false;
    ++stats.uploads;
  }
  return copy->vertices.Get();
}

BufferCopy* D3D9Renderer::PrepareIndexBuffer(IntBuffer& buffer) {
  if (!device) return nullptr;
  RendererBinding& binding = buffer.GetBinding();
  const UINT indexSize = index32 ? 4 : 2;
  const auto size = static_cast<UINT>(buffer.GetCount()) * indexSize;
  BufferCopy* copy = CopyOf<BufferCopy>(binding);
  if (copy != nullptr && (!copy->indices || copy->size != size)) {
    binding.Release();
    copy = nullptr;
  }
  if (copy == nullptr) {
    IDirect3DIndexBuffer9* made = nullptr;
    if (size == 0 || buffer.GetData() == nullptr ||
        FAILED(device->CreateIndexBuffer(size, D3DUSAGE_WRITEONLY, index32 ? D3DFMT_INDEX32 : D3DFMT_INDEX16,
                                         D3DPOOL_MANAGED, &made, nullptr))) {
      return nullptr;
    }
    copy = NewCopy(buffer.GetID(), made, &BufferCopy::indices);
    if (copy == nullptr) return nullptr;
    copy->size = size;
    if (!Attach(binding, copy)) return nullptr;
  }
  void* bits = nullptr;
  if (binding.changed && SUCCEEDED(copy->indices->Lock(0, 0, &bits, 0))) {
    uint32_t largest = 0;
    const int32_t* indices = buffer.GetElements();
    for (int32_t i = 0; i < buffer.GetCount(); ++i) {
      // A 16-bit buffer keeps each index's low half, which is what is read.
      const uint32_t index = index32 ? static_cast<uint32_t>(indices[i]) : static_cast<uint16_t>(indices[i]);
      largest = std::max(largest, index);
      if (index32) {
        static_cast<uint32_t*>(bits)[i] = index;
      } else {
        static_cast<uint16_t*>(bits)[i] = static_cast<uint16_t>(index);
      }
    }
    copy->indices->Unlock();
    copy->largestIndex = largest;
    binding.changed = false;
    ++stats.uploads;
  }
  return copy;
}

void D3D9Renderer::SetIndexBuffer(IntBuffer* buffer) {
  boundIndexBuffer = nullptr;
  boundIndices = nullptr;
  if (!device) return;
  BufferCopy* copy = buffer != nullptr ? PrepareIndexBuffer(*buffer) : nullptr;
  device->SetIndices(copy != nullptr ? copy->indices.Get() : nullptr);
  if (copy != nullptr) {
    boundIndexBuffer = buffer;
    boundIndices = copy;
  }
}

// --- Textures ---

IDirect3DBaseTexture9* D3D9Renderer::PrepareTexture(BaseTexture& texture) {
  // Volume textures have no device copy: the stage goes without.
  if (!device || texture.IsDerivedFrom(VolumeTexture::Type())) return nullptr;
  RendererBinding& binding = texture.GetBinding();
  TextureCopy* copy = CopyOf<TextureCopy>(binding);
  const Image* image = texture.GetImage();
  const bool cube = texture.IsDerivedFrom(CubeTexture::Type());
  if (image == nullptr || (cube && !static_cast<const CubeTexture&>(texture).HasFaces())) {
    ReportOnce(texture, cube ? "Кубическая текстура [%s] без шести квадратных граней не создаётся."
                             : "Текстура [%s] без изображения не создаётся.");
    if (copy != nullptr) binding.Release();
    return nullptr;
  }
  const int32_t requestedLevels = copy != nullptr ? copy->requestedLevels : texture.GetMipLevels();
  if (copy != nullptr && (copy->width != image->GetWidth() || copy->height != image->GetHeight() ||
                          copy->format != image->GetFormat())) {
    // Another size or format needs another device texture.
    binding.Release();
    copy = nullptr;
  }
  // Render targets and depth textures are drawn into, never uploaded.
  if (copy != nullptr && copy->usage != 0) return copy->texture.Get();
  if (copy == nullptr) {
    copy = MakeTexture(texture, requestedLevels);
    if (copy == nullptr) return nullptr;
  }
  if (binding.changed) UploadTexture(texture, *copy);
  return copy->texture.Get();
}

TextureCopy* D3D9Renderer::MakeTexture(BaseTexture& texture, int32_t requestedLevels) {
  const Image& image = *texture.GetImage();
  const D3DFORMAT format = D3D9Mappings::TextureFormat(image.GetFormat());
  if (format == D3DFMT_UNKNOWN || image.GetWidth() == 0 || image.GetHeight() == 0) return nullptr;
  const UINT levels = requestedLevels > 0 ? static_cast<UINT>(requestedLevels) : 0;
  IDirect3DBaseTexture9* made = nullptr;
  if (texture.IsDerivedFrom(CubeTexture::Type())) {
    IDirect3DCubeTexture9* cube = nullptr;
    if (FAILED(device->CreateCubeTexture(image.GetWidth(), levels, 0, format, D3DPOOL_DEFAULT, &cube, nullptr))) {
      return nullptr;
    }
    made = cube;
  } else {
    IDirect3DTexture9* plain = nullptr;
    if (FAILED(device->CreateTexture(image.GetWidth(), image.GetHeight(), levels, 0, format, D3DPOOL_MANAGED,
                                     &plain, nullptr))) {
      return nullptr;
    }
    made = plain;
  }
  TextureCopy* copy = NewCopy(texture.GetID(), made, &TextureCopy::texture);
  if (copy == nullptr) return nullptr;
  copy->width = image.GetWidth();
  copy->height = image.GetHeight();
  copy->format = image.GetFormat();
  copy->requestedLevels = requestedLevels;
  if (!Attach(texture.GetBinding(), copy)) return nullptr;
  texture.SetMipLevels(static_cast<int32_t>(made->GetLevelCount()));
  return copy;
}

bool D3D9Renderer::UploadTexture(BaseTexture& texture, TextureCopy& copy) {
  const Image& image = *texture.GetImage();
  const bool cube = copy.texture->IsCube();
  const uint64_t face = Image::DataSize(image.GetFormat(), image.GetWidth(), image.GetHeight());
  const uint32_t faces = cube ? CubeTexture::FACE_COUNT : 1;
  // Without pixels the device texture stays as it was made.
  if (image.GetData() == nullptr || image.GetDataSize() < face * faces) return false;
  D3DLOCKED_RECT locked{};
  if (!cube) {
    auto* plain = static_cast<IDirect3DTexture9*>(copy.texture.Get());
    if (FAILED(plain->LockRect(0, &locked, nullptr, 0))) return false;
    CopyRows(image, image.GetData(), locked);
    plain->UnlockRect(0);
    D3DXFilterTexture(plain, nullptr, D3DX_DEFAULT, D3DX_DEFAULT);
  } else {
    IDirect3DCubeTexture9* staging = nullptr;
    if (FAILED(device->CreateCubeTexture(image.GetWidth(), copy.texture->GetLevelCount(), 0, copy.texture->Format(),
                                         D3DPOOL_SYSTEMMEM, &staging, nullptr))) {
      LogError("Невозможно создать системную текстуру для обновления изображения текстуры [%s].",
               texture.GetName().CStr());
      return false;
    }
    const ComPtr<IDirect3DCubeTexture9> held = ComPtr<IDirect3DCubeTexture9>::Adopt(staging);
    for (uint32_t index = 0; index < faces; ++index) {
      const auto side = static_cast<D3DCUBEMAP_FACES>(index);
      if (FAILED(staging->LockRect(side, 0, &locked, nullptr, 0))) return false;
      CopyRows(image, image.GetData() + face * index, locked);
      staging->UnlockRect(side, 0);
    }
    D3DXFilterTexture(staging, nullptr, D3DX_DEFAULT, D3DX_DEFAULT);
    if (FAILED(device->UpdateTexture(staging, copy.texture.Get()))) {
      LogError("Невозможно обновить изображение текстуры [%s].", texture.GetName().CStr());
      return false;
    }
  }
  texture.GetBinding().changed = false;
  ++stats.uploads;
  return true;
}

bool D3D9Renderer::IsTarget(const IDirect3DBaseTexture9* texture) const {
  return std::any_of(targets.begin(), targets.end(),
                     [&](const Target& target) { return target.texture.Get() == texture; });
}

void D3D9Renderer::SetTexture(BaseTexture* texture, int32_t stage) {
  if (!device || stage < 0 || stage >= RenderStateBlock::STAGE_COUNT) return;
  const auto unit = static_cast<DWORD>(stage);
  if (texture == nullptr) {
    device->SetTexture(unit, nullptr);
    return;
  }
  // What is being drawn into cannot be read: the stage keeps what it had.
  const TextureCopy* current = CopyOf<TextureCopy>(texture->GetBinding());
  if (current != nullptr && IsTarget(current->texture.Get())) return;
  device->SetTexture(unit, PrepareTexture(*texture));
}

// --- Shaders and queries ---

DeviceShader* D3D9Renderer::PrepareShader(Shader& shader, bool pixel) {
  if (!device || shader.HasFailed()) return nullptr;
  RendererBinding& binding = shader.GetBinding();
  if (const ShaderCopy* copy = CopyOf<ShaderCopy>(binding)) {
    return pixel ? static_cast<DeviceShader*>(copy->pixelShader.Get()) : copy->vertexShader.Get();
  }
  if (shader.GetText() == nullptr || shader.GetLength() == 0) return nullptr;
  ID3DXBuffer* code = nullptr;
  ID3DXBuffer* errors = nullptr;
  const HRESULT assembled = D3DXAssembleShader(shader.GetText(), static_cast<UINT>(shader.GetLength()), nullptr,
                                               nullptr, 0, &code, &errors);
  const ComPtr<ID3DXBuffer> heldCode = ComPtr<ID3DXBuffer>::Adopt(code);
  const ComPtr<ID3DXBuffer> heldErrors = ComPtr<ID3DXBuffer>::Adopt(errors);
  // A text that does not assemble is reported once, not at every bind.
  if (FAILED(assembled) || code == nullptr) {
    shader.MarkFailed();
    const char* text = errors != nullptr ? static_cast<const char*>(errors->GetBufferPointer()) : "";
    LogError("Невозможно ассемблировать шейдер [%s]: %s", shader.GetName().CStr(), OneLine(text).c_str());
    MessageBox::ShowError("", text);
    return nullptr;
  }
  auto* copy = new (std::nothrow) ShaderCopy(shader.GetID());
  if (copy == nullptr) return nullptr;
  const auto* tokens = static_cast<const DWORD*>(code->GetBufferPointer());
  IDirect3DVertexShader9* vertex = nullptr;
  IDirect3DPixelShader9* pixelShader = nullptr;
  const HRESULT created =
      pixel ? device->CreatePixelShader(tokens, &pixelShader) : device->CreateVertexShader(tokens, &vertex);
  copy->vertexShader = ComPtr<IDirect3DVertexShader9>::Adopt(vertex);
  copy->pixelShader = ComPtr<IDirect3DPixelShader9>::Adopt(pixelShader);
  if (FAILED(created)) {
    delete copy;
    shader.MarkFailed();
    LogError("Невозможно создать шейдер [%s].", shader.GetName().CStr());
    return nullptr;
  }
  if (!Attach(binding, copy)) return nullptr;
  return pixel ? static_cast<DeviceShader*>(pixelShader) : vertex;
}

void D3D9Renderer::SetVertexShader(VertexShader* shader) {
  if (!device) return;
  device->SetVertexShader(
      shader != nullptr ? static_cast<IDirect3DVertexShader9*>(PrepareShader(*shader, false)) : nullptr);
}

void D3D9Renderer::SetPixelShader(PixelShader* shader) {
  if (!device) return;
  device->SetPixelShader(shader != nullptr ? static_cast<IDirect3DPixelShader9*>(PrepareShader(*shader, true))
                                           : nullptr);
}

void D3D9Renderer::SetVertexShaderConstants(int32_t firstRegister, const float* values, int32_t registerCount) {
  if (device && values != nullptr && firstRegister >= 0 && registerCount > 0) {
    device->SetVertexShaderConstantF(static_cast<UINT>(firstRegister), values, static_cast<UINT>(registerCount));
  }
}

void D3D9Renderer::SetPixelShaderConstants(int32_t firstRegister, const float* values, int32_t registerCount) {
  if (device && values != nullptr && firstRegister >= 0 && registerCount > 0) {
    device->SetPixelShaderConstantF(static_cast<UINT>(firstRegister), values, static_cast<UINT>(registerCount));
  }
}

void D3D9Renderer::BeginQuery(OcclusionQuery* query) {
  if (query == nullptr) return;
  RendererBinding& binding = query->GetBinding();
  QueryCopy* copy = CopyOf<QueryCopy>(binding);
  if (copy == nullptr) {
    IDirect3DQuery9* made = nullptr;
    if (!device || FAILED(device->CreateQuery(D3DQUERYTYPE_OCCLUSION, &made))) {
      query->SetVisiblePixels(0);
      return;
    }
    copy = NewCopy(query->GetID(), made, &QueryCopy::query);
    if (copy == nullptr || !Attach(binding, copy)) {
      query->SetVisiblePixels(0);
      return;
    }
  }
  copy->query->Issue(D3DISSUE_BEGIN);
}

void D3D9Renderer::EndQuery(OcclusionQuery* query) {
  QueryCopy* copy = query != nullptr ? CopyOf<QueryCopy>(query->GetBinding()) : nullptr;
  if (copy == nullptr) return;
  copy->query->Issue(D3DISSUE_END);
  DWORD count = 0;
  HRESULT result = S_FALSE;
  // The device answers once its commands are flushed; an error ends the wait.
  while ((result = copy->query->GetData(&count, sizeof count, D3DGETDATA_FLUSH)) == S_FALSE) {
  }
  query->SetVisiblePixels(SUCCEEDED(result) ? count : 0);
}

// --- Drawing into textures ---

TextureCopy* D3D9Renderer::PrepareTarget(BaseTexture& texture, DWORD usage, bool ownDepth) {
  const bool depthTexture = usage == D3DUSAGE_DEPTHSTENCIL;
  if (depthTexture && texture.GetImage() == nullptr) {
    // A depth texture without an image takes the viewport's size.
    Image* sized = new (std::nothrow) Image(String(), Image::FORMAT_DEPTH, static_cast<uint32_t>(GetViewportWidth()),
                                            static_cast<uint32_t>(GetViewportHeight()));
    if (sized == nullptr) return nullptr;
    texture.SetImage(sized);
  }
  const Image* image = texture.GetImage();
  const bool cube = texture.IsDerivedFrom(CubeTexture::Type());
  if (image == nullptr || image->GetWidth() == 0 || image->GetHeight() == 0 ||
      (cube && image->GetWidth() != image->GetHeight())) {
    return nullptr;
  }
  RendererBinding& binding = texture.GetBinding();
  TextureCopy* copy = CopyOf<TextureCopy>(binding);
  if (copy != nullptr && copy->usage == usage && copy->width == image->GetWidth() &&
      copy->height == image->GetHeight() && copy->format == image->GetFormat()) {
    return copy;
  }
  // A copy made for another use is made again for this one.
  if (copy != nullptr) binding.Release();
  const D3DFORMAT format = depthTexture ? depthFormat : D3D9Mappings::TextureFormat(image->GetFormat());
  if (format == D3DFMT_UNKNOWN) return nullptr;
  IDirect3DBaseTexture9* made = nullptr;
  if (cube) {
    IDirect3DCubeTexture9* target = nullptr;
    if (FAILED(device->CreateCubeTexture(image->GetWidth(), 1, usage, format, D3DPOOL_DEFAULT, &target, nullptr))) {
      return nullptr;
    }
    made = target;
  } else {
    IDirect3DTexture9* target = nullptr;
    if (FAILED(device->CreateTexture(image->GetWidth(), image->GetHeight(), 1, usage, format, D3DPOOL_DEFAULT,
                                     &target, nullptr))) {
      return nullptr;
    }
    made = target;
  }
  copy = NewCopy(texture.GetID(), made, &TextureCopy::texture);
  if (copy == nullptr) return nullptr;
  copy->usage = usage;
  copy->width = image->GetWidth();
  copy->height = image->GetHeight();
  copy->format = image->GetFormat();
  copy->requestedLevels = texture.GetMipLevels();
  IDirect3DSurface9* depth = nullptr;
  if (!depthTexture && ownDepth &&
      SUCCEEDED(device->CreateDepthStencilSurface(image->GetWidth(), image->GetHeight(), depthFormat,
                                                  D3DMULTISAMPLE_NONE, 0, FALSE, &depth, nullptr))) {
    copy->depth = ComPtr<IDirect3DSurface9>::Adopt(depth);
    ++stats.deviceObjectsCreated;
  }
  if (!Attach(binding, copy)) return nullptr;
  binding.changed = false;
  return copy;
}

void D3D9Renderer::BeginRedirection(BaseTexture& texture, DWORD usage, int32_t face, bool ownDepth) {
  Target entry;
  const TextureCopy* copy = device ? PrepareTarget(texture, usage, ownDepth) : nullptr;
  IDirect3DSurface9* surface = nullptr;
  if (copy != nullptr) copy->texture->GetLevelSurface(static_cast<UINT>(face), 0, &surface);
  if (surface == nullptr) {
    targets.push_back(std::move(entry));
    return;
  }
  const ComPtr<IDirect3DSurface9> held = ComPtr<IDirect3DSurface9>::Adopt(surface);
  IDirect3DSurface9* color = nullptr;
  IDirect3DSurface9* depth = nullptr;
  device->GetRenderTarget(0, &color);
  device->GetDepthStencilSurface(&depth);
  entry.color = ComPtr<IDirect3DSurface9>::Adopt(color);
  entry.depth = ComPtr<IDirect3DSurface9>::Adopt(depth);
  entry.texture = copy->texture;
  entry.marker = false;
  if (usage == D3DUSAGE_DEPTHSTENCIL) {
    device->SetDepthStencilSurface(surface);
  } else {
    device->SetRenderTarget(0, surface);
    if (copy->depth) device->SetDepthStencilSurface(copy->depth.Get());
    const D3DVIEWPORT9 full{0, 0, surface->Width(), surface->Height(), 0.0f, 1.0f};
    device->SetViewport(&full);
    width = static_cast<int32_t>(surface->Width());
    height = static_cast<int32_t>(surface->Height());
  }
  targets.push_back(std::move(entry));
}

void D3D9Renderer::EndRedirection() {
  if (targets.empty()) return;
  if (targets.back().marker) {
    targets.pop_back();
    return;
  }
  FlushSorted();
  if (targets.empty()) return;
  const Target entry = std::move(targets.back());
  targets.pop_back();
  if (!device) return;
  device->SetDepthStencilSurface(entry.depth.Get());
  if (!entry.color) return;
  device->SetRenderTarget(0, entry.color.Get());
  const D3DVIEWPORT9 full{0, 0, entry.color->Width(), entry.color->Height(), 0.0f, 1.0f};
  device->SetViewport(&full);
  width = static_cast<int32_t>(full.Width);
  height = static_cast<int32_t>(full.Height);
}

void D3D9Renderer::BeginRenderToTexture(Texture* texture) {
  if (texture == nullptr) {
    EndRedirection();
    return;
  }
  BeginRedirection(*texture, D3DUSAGE_RENDERTARGET, 0, texture->GetOwnDepth());
}

void D3D9Renderer::BeginRenderToCubeFace(int32_t face, CubeTexture* texture) {
  if (texture == nullptr) {
    EndRedirection();
    return;
  }
  if (face < 0 || face >= CubeTexture::FACE_COUNT) {
    targets.emplace_back();
    return;
  }
  BeginRedirection(*texture, D3DUSAGE_RENDERTARGET, face, true);
}

void D3D9Renderer::BeginRenderToDepthTexture(Texture* texture, float depthBias, float slopeBias) {
  if (texture == nullptr) {
    EndRedirection();
    // Ends with no bias whatever was open.
    SetFloatState(D3DRS_DEPTHBIAS, 0.0f);
    SetFloatState(D3DRS_SLOPESCALEDEPTHBIAS, 0.0f);
    return;
  }
  BeginRedirection(*texture, D3DUSAGE_DEPTHSTENCIL, 0, false);
  if (!targets.back().marker) {
    // The bias is in units of the smallest depth step of a 24-bit buffer.
    SetFloatState(D3DRS_DEPTHBIAS, depthBias * 5.9604645e-8f);
    SetFloatState(D3DRS_SLOPESCALEDEPTHBIAS, slopeBias);
  }
}

Ptr<Image> D3D9Renderer::CaptureFrame() {
  if (!device) return nullptr;
  IDirect3DSurface9* back = nullptr;
  if (FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back))) return nullptr;
  const ComPtr<IDirect3DSurface9> backBuffer = ComPtr<IDirect3DSurface9>::Adopt(back);
  D3DSURFACE_DESC desc{};
  IDirect3DSurface9* copy = nullptr;
  if (FAILED(back->GetDesc(&desc)) ||
      FAILED(device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format,
                                                 D3DPOOL_SYSTEMMEM, &copy, nullptr))) {
    return nullptr;
  }
  const ComPtr<IDirect3DSurface9> held = ComPtr<IDirect3DSurface9>::Adopt(copy);
  D3DLOCKED_RECT locked{};
  if (FAILED(device->GetRenderTargetData(back, copy)) ||
      FAILED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
    return nullptr;
  }
  Ptr<Image> picture(new (std::nothrow) Image(String(), Image::FORMAT_RGB, desc.Width, desc.Height));
  const bool filled = picture && picture->GetData() != nullptr &&
                      (desc.Format == D3DFMT_X8R8G8B8 || desc.Format == D3DFMT_A8R8G8B8);
  if (filled) {
    // Images keep their bottom row first; the surface its top row.
    for (UINT y = 0; y < desc.Height; ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(locked.pBits) +
                                                          size_t{desc.Height - 1 - y} * locked.Pitch);
      uint8_t* out = picture->GetData() + size_t{y} * desc.Width * 3;
      for (UINT x = 0; x < desc.Width; ++x) {
        out[x * 3 + 0] = static_cast<uint8_t>(row[x] >> 16);
        out[x * 3 + 1] = static_cast<uint8_t>(row[x] >> 8);
        out[x * 3 + 2] = static_cast<uint8_t>(row[x]);
      }
    }
  }
  copy->UnlockRect();
  return filled ? picture : nullptr;
}

}  // namespace ynx
