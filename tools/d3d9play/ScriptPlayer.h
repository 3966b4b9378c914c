#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/d3d9/device/ComPtr.h"
#include "platform/d3d9/device/CubeTexture.h"
#include "platform/d3d9/device/D3D9Types.h"
#include "platform/d3d9/device/Device.h"
#include "platform/d3d9/device/Direct3D9.h"
#include "platform/d3d9/device/IndexBuffer.h"
#include "platform/d3d9/device/PixelShader.h"
#include "platform/d3d9/device/Query.h"
#include "platform/d3d9/device/StateBlock.h"
#include "platform/d3d9/device/Surface.h"
#include "platform/d3d9/device/Texture.h"
#include "platform/d3d9/device/VertexBuffer.h"
#include "platform/d3d9/device/VertexDeclaration.h"
#include "platform/d3d9/device/VertexShader.h"
#include "tools/d3d9play/HiddenDevice.h"

namespace ynx {

// Replays a JSON script of Direct3D 9 device calls on a device of its own
// (a hidden SDL window of the script's size) and keeps everything it made,
// so that the caller can read render targets back and see what each draw
// was given. tools/README.md describes the script.
class ScriptPlayer {
 public:
  using Json = nlohmann::json;
  using Output = std::function<void(const std::string&)>;

  // Pixels of a render target, rows top first, as A8R8G8B8 words.
  struct Image {
    UINT width = 0;
    UINT height = 0;
    D3DFORMAT format = D3DFMT_UNKNOWN;
    std::vector<uint32_t> pixels;
    uint32_t At(UINT x, UINT y) const { return pixels[size_t{y} * width + x]; }
  };

  // The device state at one draw, read back through the device's getters,
  // with the objects in use by their script names ("" for none).
  struct DrawRecord {
    size_t step = 0;
    D3DPRIMITIVETYPE type = D3DPT_TRIANGLELIST;
    bool indexed = false;
    UINT start = 0;  // first vertex, or first index
    UINT count = 0;  // primitives
    INT baseVertex = 0;
    std::array<uint32_t, 256> renderStates{};
    std::array<std::array<uint32_t, 33>, 8> stageStates{};
    std::array<std::array<uint32_t, 14>, 8> samplerStates{};
    D3DMATRIX world{}, view{}, projection{};
    std::array<D3DMATRIX, 8> textureMatrices{};
    std::array<D3DLIGHT9, 8> lights{};
    uint8_t lightEnables = 0;
    D3DMATERIAL9 material{};
    D3DVIEWPORT9 viewport{};
    std::vector<std::array<float, 4>> vertexConstants;  // 256
    std::vector<std::array<float, 4>> pixelConstants;   // 32
    std::string vertexShader, pixelShader, declaration, indices, target;
    UINT indexBits = 0;  // 16 or 32 with an index buffer
    std::array<std::string, 8> streams;
    std::array<UINT, 8> offsets{}, strides{};
    std::array<std::string, 8> textures;
  };

  // Query results and other notes go to `output` one line at a time.
  explicit ScriptPlayer(Output output = nullptr);
  ~ScriptPlayer();
  ScriptPlayer(const ScriptPlayer&) = delete;
  ScriptPlayer& operator=(const ScriptPlayer&) = delete;

  // Reads and plays a script file (files it names are relative to it).
  // False with Error() set at the first failing step.
  bool PlayFile(const std::filesystem::path& path);
  bool Play(const Json& script, const std::filesystem::path& folder);
  const std::string& Error() const { return error; }
  // What the device reported through its message sink.
  const std::vector<std::string>& Messages() const { return messages; }

  // A render target by script name: "backbuffer", a render-target surface,
  // or a level and face of a render-target texture. Empty `name`: the
  // script's "output", else the back buffer.
  bool Read(const std::string& name, Image& image, UINT face = 0, UINT level = 0);
  bool WritePng(const std::filesystem::path& path);

  const std::vector<DrawRecord>& Draws() const { return draws; }
  // Texels the script gave a texture (A8R8G8B8 words; A8 in the alpha),
  // null for a texture without them.
  const std::vector<uint32_t>* Texels(const std::string& texture, UINT face = 0, UINT level = 0) const;
  IDirect3DBaseTexture9* Texture(const std::string& name) const;
  // Reads every face and level of a render-target texture back and keeps
  // them as its texels, so that Texels() gives what was drawn into it.
  bool KeepTexels(const std::string& texture);
  // Bytes of a vertex or index buffer as the script gave them.
  const std::vector<uint8_t>* BufferBytes(const std::string& name) const;
  // A shader's tokens; null for an unknown name.
  const std::vector<uint32_t>* ShaderTokens(const std::string& name) const;
  std::vector<D3DVERTEXELEMENT9> Declaration(const std::string& name) const;
  // The last result of a named occlusion query; false when it has none.
  bool QueryResult(const std::string& name, DWORD& count) const;

  // The texels "pattern" fills a level with: ramps up and down in steps of
  // 8, different for each layer (face * levels + level).
  static uint32_t Pattern(UINT x, UINT y, UINT layer);

 private:
  struct TextureData {
    ComPtr<IDirect3DBaseTexture9> texture;
    UINT levels = 1;
    std::vector<std::vector<uint32_t>> texels;  // face * levels + level
  };

  void Start(UINT width, UINT height, D3DFORMAT depthFormat);
  void Step(const Json& step);
  void Check(HRESULT result) const;

  void CreateVertexBuffer(const Json& step);
  void CreateIndexBuffer(const Json& step);
  void CreateDeclaration(const Json& step);
  void CreateTexture(const Json& step);
  void CreateSurface(const Json& step, bool depth);
  void CreateShader(const Json& step, bool pixel);
  void SetTexture(const Json& step);
  void SetStates(const Json& step, const std::string& op);
  void SetLight(const Json& step);
  void SetMaterial(const Json& step);
  void SetConstants(const Json& step, bool pixel);
  void SetViewport(const Json& step);
  void StateBlock(const Json& step, const std::string& op);
  void Clear(const Json& step);
  void Draw(const Json& step, bool indexed);
  void Query(const Json& step, bool begin);
  void Present();

  IDirect3DSurface9* Surface(const Json& reference);
  template <class T>
  std::string NameOf(const std::map<std::string, ComPtr<T>>& objects, T* object) const;
  std::string TextureName(IDirect3DBaseTexture9* texture) const;
  std::string SurfaceName(IDirect3DSurface9* surface) const;
  void Record(D3DPRIMITIVETYPE type, bool indexed, UINT start, UINT count, INT baseVertex);

  Output output;
  std::string error;
  std::vector<std::string> messages;
  std::filesystem::path folder;
  std::string outputTarget;
  size_t stepNumber = 0;
  std::string stepName;
  bool inScene = false;

  HiddenDevice hidden;
  IDirect3DDevice9* device = nullptr;  // the hidden device's, once started
  std::map<std::string, ComPtr<IDirect3DVertexBuffer9>> vertexBuffers;
  std::map<std::string, ComPtr<IDirect3DIndexBuffer9>> indexBuffers;
  std::map<std::string, std::vector<uint8_t>> bufferBytes;
  std::map<std::string, ComPtr<IDirect3DVertexDeclaration9>> declarations;
  std::map<std::string, TextureData> textures;
  std::map<std::string, ComPtr<IDirect3DSurface9>> surfaces;
  std::map<std::string, ComPtr<IDirect3DVertexShader9>> vertexShaders;
  std::map<std::string, ComPtr<IDirect3DPixelShader9>> pixelShaders;
  std::map<std::string, std::vector<uint32_t>> shaderTokens;
  std::map<std::string, ComPtr<IDirect3DStateBlock9>> stateBlocks;
  std::map<std::string, ComPtr<IDirect3DQuery9>> queries;
  std::map<std::string, DWORD> queryResults;
  std::vector<DrawRecord> draws;
};

}  // namespace ynx
