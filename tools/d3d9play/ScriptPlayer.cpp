#include "tools/d3d9play/ScriptPlayer.h"

#include <png.h>

#include <bit>
#include <chrono>
#include <cstring>
#include <fstream>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/d3d9/shader/ShaderAssembler.h"
#include "tools/d3d9play/D3D9Names.h"
#include "tools/d3d9play/ScriptValues.h"

namespace ynx {

namespace {

using Json = ScriptPlayer::Json;
using ScriptError = ScriptValues::Error;

constexpr const char* BACK_BUFFER = "backbuffer";

UINT Unsigned(const Json& step, const char* member, UINT fallback) {
  if (!step.contains(member)) return fallback;
  const Json& value = step[member];
  if (!value.is_number_integer() || value.get<int64_t>() < 0 || value.get<int64_t>() > 0x7FFFFFFF) {
    throw ScriptError(std::string("\"") + member + "\" must be a whole number >= 0");
  }
  return value.get<UINT>();
}

float FloatOr(const Json& step, const char* member, float fallback) {
  return step.contains(member) ? ScriptValues::Float(step[member], member) : fallback;
}

// An optional object name: a string, or null / absent for none.
std::string OptionalName(const Json& step, const char* member) {
  if (!step.contains(member) || step[member].is_null()) return {};
  if (!step[member].is_string()) throw ScriptError(std::string("\"") + member + "\" must be a name or null");
  return step[member].get<std::string>();
}

template <class T>
T* Find(const std::map<std::string, ComPtr<T>>& objects, const std::string& name, const char* kind) {
  if (name.empty()) return nullptr;
  const auto found = objects.find(name);
  if (found == objects.end()) throw ScriptError(std::string("no ") + kind + " named '" + name + "'");
  return found->second.Get();
}

template <class Map>
void CheckNew(const Map& objects, const std::string& name) {
  if (objects.count(name)) throw ScriptError("'" + name + "' is already defined");
}

// Four-byte words from numbers (as floats) and "0x" strings (as DWORDs).
std::vector<uint8_t> VertexBytes(const Json& data) {
  if (!data.is_array()) throw ScriptError("\"data\" must be a list");
  std::vector<uint8_t> bytes;
  bytes.reserve(data.size() * 4);
  for (const Json& value : data) {
    const uint32_t word =
        value.is_number() ? std::bit_cast<uint32_t>(value.get<float>()) : ScriptValues::Dword(value);
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<uint8_t>(word >> shift));
  }
  return bytes;
}

std::vector<uint32_t> ReadPng(const std::filesystem::path& path, UINT& width, UINT& height) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_file(&png, path.c_str()) == 0) {
    throw ScriptError("cannot read '" + path.string() + "': " + png.message);
  }
  png.format = PNG_FORMAT_RGBA;
  std::vector<uint8_t> bytes(PNG_IMAGE_SIZE(png));
  if (png_image_finish_read(&png, nullptr, bytes.data(), 0, nullptr) == 0) {
    throw ScriptError("cannot read '" + path.string() + "': " + png.message);
  }
  width = png.width;
  height = png.height;
  std::vector<uint32_t> texels(size_t{width} * height);
  for (size_t i = 0; i < texels.size(); ++i) {
    const uint8_t* rgba = &bytes[4 * i];
    texels[i] = uint32_t{rgba[3]} << 24 | uint32_t{rgba[0]} << 16 | uint32_t{rgba[1]} << 8 | rgba[2];
  }
  return texels;
}

}  // namespace

ScriptPlayer::ScriptPlayer(Output output) : output(std::move(output)) {}

ScriptPlayer::~ScriptPlayer() {
  // Objects before the device, the device before its window.
  draws.clear();
  queries.clear();
  stateBlocks.clear();
  surfaces.clear();
  textures.clear();
  vertexShaders.clear();
  pixelShaders.clear();
  declarations.clear();
  vertexBuffers.clear();
  indexBuffers.clear();
  device = nullptr;
  hidden.Close();
}

uint32_t ScriptPlayer::Pattern(UINT x, UINT y, UINT layer) {
  const auto ramp = [](UINT value) { return value % 512 < 256 ? value % 512 : 511 - value % 512; };
  return 0xFF000000u | ramp(8 * x + 37 * layer) << 16 | ramp(8 * y + 59 * layer) << 8 |
         ramp(4 * (x + y) + 100 + 23 * layer);
}

bool ScriptPlayer::PlayFile(const std::filesystem::path& path) {
  std::ifstream file(path);
  if (!file) {
    error = "cannot open '" + path.string() + "'";
    return false;
  }
  Json script;
  try {
    script = Json::parse(file);
  } catch (const Json::exception& failure) {
    error = path.string() + ": " + failure.what();
    return false;
  }
  return Play(script, path.parent_path());
}

bool ScriptPlayer::Play(const Json& script, const std::filesystem::path& scriptFolder) {
  folder = scriptFolder;
  stepNumber = 0;
  stepName = "script";
  try {
    if (!script.is_object()) throw ScriptError("a script is an object");
    ScriptValues::CheckKeys(script, {"width", "height", "depthFormat", "output", "steps"}, " in the script");
    const UINT width = Unsigned(script, "width", 640);
    const UINT height = Unsigned(script, "height", 480);
    if (width == 0 || height == 0 || width > 4096 || height > 4096) throw ScriptError("width and height: 1 to 4096");
    const auto depthFormat = static_cast<D3DFORMAT>(
        script.contains("depthFormat") ? ScriptValues::Prefixed("D3DFMT_", script["depthFormat"]) : D3DFMT_D24S8);
    outputTarget = script.contains("output") ? ScriptValues::Name(script, "output") : std::string();
    if (!device) Start(width, height, depthFormat);
    const Json& steps = ScriptValues::Member(script, "steps");
    if (!steps.is_array()) throw ScriptError("\"steps\" must be a list");
    for (const Json& step : steps) {
      ++stepNumber;
      stepName = "?";
      if (!step.is_object()) throw ScriptError("a step is an object");
      stepName = ScriptValues::Name(step, "op");
      Step(step);
    }
    stepName = "end";
    if (inScene) {
      inScene = false;
      Check(device->EndScene());
    }
  } catch (const std::exception& failure) {
    error = (stepNumber ? "step " + std::to_string(stepNumber) + " (" + stepName + "): " : std::string()) +
            failure.what();
    return false;
  }
  return true;
}

void ScriptPlayer::Start(UINT width, UINT height, D3DFORMAT depthFormat) {
  std::string failure;
  if (!hidden.Open("ynx-d3d9-play", width, height, [this](const std::string& message) { messages.push_back(message); },
                   failure)) {
    throw ScriptError(failure);
  }
  const HRESULT result = hidden.CreateDevice(depthFormat);
  if (result != D3D_OK) throw ScriptError("CreateDevice: " + D3D9Names::Result(result));
  device = hidden.device;
}

void ScriptPlayer::Check(HRESULT result) const {
  if (result != D3D_OK) throw ScriptError(D3D9Names::Result(result));
}

void ScriptPlayer::Step(const Json& step) {
  // Every op with the keys its step may have besides "op", and what plays
  // it. A key not listed is an error, so that a misspelt one cannot pass
  // unnoticed and draw something else.
  using Play = void (*)(ScriptPlayer&, const Json&);
  struct Op {
    std::vector<std::string_view> keys;
    Play play;
  };
  static const std::map<std::string, Op, std::less<>> OPS = {
      {"vertexBuffer", {{"name", "data"}, [](ScriptPlayer& p, const Json& s) { p.CreateVertexBuffer(s); }}},
      {"indexBuffer", {{"name", "bits", "data"}, [](ScriptPlayer& p, const Json& s) { p.CreateIndexBuffer(s); }}},
      {"declaration", {{"name", "elements"}, [](ScriptPlayer& p, const Json& s) { p.CreateDeclaration(s); }}},
      {"texture",
       {{"name", "width", "height", "cube", "levels", "format", "usage", "data", "fill", "pattern", "png"},
        [](ScriptPlayer& p, const Json& s) { p.CreateTexture(s); }}},
      {"renderTarget",
       {{"name", "width", "height", "format"}, [](ScriptPlayer& p, const Json& s) { p.CreateSurface(s, false); }}},
      {"depthSurface",
       {{"name", "width", "height", "format"}, [](ScriptPlayer& p, const Json& s) { p.CreateSurface(s, true); }}},
      {"vertexShader", {{"name", "code"}, [](ScriptPlayer& p, const Json& s) { p.CreateShader(s, false); }}},
      {"pixelShader", {{"name", "code"}, [](ScriptPlayer& p, const Json& s) { p.CreateShader(s, true); }}},
      {"setVertexShader",
       {{"shader"},
        [](ScriptPlayer& p, const Json& s) {
          p.Check(p.device->SetVertexShader(Find(p.vertexShaders, OptionalName(s, "shader"), "vertex shader")));
        }}},
      {"setPixelShader",
       {{"shader"},
        [](ScriptPlayer& p, const Json& s) {
          p.Check(p.device->SetPixelShader(Find(p.pixelShaders, OptionalName(s, "shader"), "pixel shader")));
        }}},
      {"setDeclaration",
       {{"declaration"},
        [](ScriptPlayer& p, const Json& s) {
          p.Check(p.device->SetVertexDeclaration(Find(p.declarations, OptionalName(s, "declaration"), "declaration")));
        }}},
      {"setStreamSource",
       {{"stream", "buffer", "offset", "stride"},
        [](ScriptPlayer& p, const Json& s) {
          p.Check(p.device->SetStreamSource(Unsigned(s, "stream", 0),
                                            Find(p.vertexBuffers, OptionalName(s, "buffer"), "vertex buffer"),
                                            Unsigned(s, "offset", 0), Unsigned(s, "stride", 0)));
        }}},
      {"setIndices",
       {{"buffer"},
        [](ScriptPlayer& p, const Json& s) {
          p.Check(p.device->SetIndices(Find(p.indexBuffers, OptionalName(s, "buffer"), "index buffer")));
        }}},
      {"setTexture", {{"stage", "texture"}, [](ScriptPlayer& p, const Json& s) { p.SetTexture(s); }}},
      {"renderStates", {{"states"}, [](ScriptPlayer& p, const Json& s) { p.SetStates(s, "renderStates"); }}},
      {"stageStates", {{"stage", "states"}, [](ScriptPlayer& p, const Json& s) { p.SetStates(s, "stageStates"); }}},
      {"samplerStates",
       {{"sampler", "states"}, [](ScriptPlayer& p, const Json& s) { p.SetStates(s, "samplerStates"); }}},
      {"transform",
       {{"type", "matrix"},
        [](ScriptPlayer& p, const Json& s) {
          const uint32_t type = ScriptValues::Dword(ScriptValues::Member(s, "type"));
          const D3DMATRIX matrix = ScriptValues::Matrix(ScriptValues::Member(s, "matrix"));
          p.Check(p.device->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(type), &matrix));
        }}},
      {"light",
       {{"index", "type", "diffuse", "specular", "ambient", "position", "direction", "range", "falloff",
         "attenuation", "theta", "phi", "enable"},
        [](ScriptPlayer& p, const Json& s) { p.SetLight(s); }}},
      {"lightEnable",
       {{"index", "enable"},
        [](ScriptPlayer& p, const Json& s) {
          const DWORD enable = ScriptValues::Dword(ScriptValues::Member(s, "enable"));
          p.Check(p.device->LightEnable(Unsigned(s, "index", 0), enable));
        }}},
      {"material",
       {{"diffuse", "ambient", "specular", "emissive", "power"},
        [](ScriptPlayer& p, const Json& s) { p.SetMaterial(s); }}},
      {"vertexConstants", {{"start", "values"}, [](ScriptPlayer& p, const Json& s) { p.SetConstants(s, false); }}},
      {"pixelConstants", {{"start", "values"}, [](ScriptPlayer& p, const Json& s) { p.SetConstants(s, true); }}},
      {"viewport",
       {{"x", "y", "width", "height", "minZ", "maxZ"}, [](ScriptPlayer& p, const Json& s) { p.SetViewport(s); }}},
      {"setRenderTarget",
       {{"index", "target"},
        [](ScriptPlayer& p, const Json& s) {
          p.Check(p.device->SetRenderTarget(Unsigned(s, "index", 0), p.Surface(ScriptValues::Member(s, "target"))));
        }}},
      {"setDepthStencil",
       {{"surface"},
        [](ScriptPlayer& p, const Json& s) {
          p.Check(p.device->SetDepthStencilSurface(s.contains("surface") ? p.Surface(s["surface"]) : nullptr));
        }}},
      {"beginStateBlock", {{}, [](ScriptPlayer& p, const Json& s) { p.StateBlock(s, "beginStateBlock"); }}},
      {"endStateBlock", {{"name"}, [](ScriptPlayer& p, const Json& s) { p.StateBlock(s, "endStateBlock"); }}},
      {"createStateBlock",
       {{"name", "type"}, [](ScriptPlayer& p, const Json& s) { p.StateBlock(s, "createStateBlock"); }}},
      {"applyStateBlock", {{"name"}, [](ScriptPlayer& p, const Json& s) { p.StateBlock(s, "applyStateBlock"); }}},
      {"captureStateBlock", {{"name"}, [](ScriptPlayer& p, const Json& s) { p.StateBlock(s, "captureStateBlock"); }}},
      {"clear", {{"flags", "rects", "color", "z", "stencil"}, [](ScriptPlayer& p, const Json& s) { p.Clear(s); }}},
      {"draw",
       {{"type", "buffer", "stride", "start", "count"}, [](ScriptPlayer& p, const Json& s) { p.Draw(s, false); }}},
      {"drawIndexed",
       {{"type", "buffer", "stride", "baseVertex", "minIndex", "vertexCount", "startIndex", "count"},
        [](ScriptPlayer& p, const Json& s) { p.Draw(s, true); }}},
      {"beginQuery", {{"name"}, [](ScriptPlayer& p, const Json& s) { p.Query(s, true); }}},
      {"endQuery", {{"name"}, [](ScriptPlayer& p, const Json& s) { p.Query(s, false); }}},
      {"present", {{}, [](ScriptPlayer& p, const Json&) { p.Present(); }}},
  };
  const auto op = OPS.find(stepName);
  if (op == OPS.end()) throw ScriptError("unknown op");
  std::vector<std::string_view> keys = op->second.keys;
  keys.push_back("op");
  ScriptValues::CheckKeys(step, keys, "");
  op->second.play(*this, step);
}

void ScriptPlayer::SetTexture(const Json& step) {
  const std::string name = OptionalName(step, "texture");
  IDirect3DBaseTexture9* texture = nullptr;
  if (!name.empty()) {
    texture = Texture(name);
    if (!texture) throw ScriptError("no texture named '" + name + "'");
  }
  Check(device->SetTexture(Unsigned(step, "stage", 0), texture));
}

void ScriptPlayer::CreateVertexBuffer(const Json& step) {
  const std::string name = ScriptValues::Name(step);
  CheckNew(bufferBytes, name);
  std::vector<uint8_t> bytes = VertexBytes(ScriptValues::Member(step, "data"));
  if (bytes.empty()) throw ScriptError("a buffer needs data");
  IDirect3DVertexBuffer9* buffer = nullptr;
  Check(device->CreateVertexBuffer(static_cast<UINT>(bytes.size()), D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED, &buffer,
                                   nullptr));
  vertexBuffers[name] = ComPtr<IDirect3DVertexBuffer9>::Adopt(buffer);
  void* data = nullptr;
  Check(buffer->Lock(0, 0, &data, 0));
  std::memcpy(data, bytes.data(), bytes.size());
  Check(buffer->Unlock());
  bufferBytes[name] = std::move(bytes);
}

void ScriptPlayer::CreateIndexBuffer(const Json& step) {
  const std::string name = ScriptValues::Name(step);
  CheckNew(bufferBytes, name);
  const UINT bits = Unsigned(step, "bits", 16);
  if (bits != 16 && bits != 32) throw ScriptError("\"bits\" is 16 or 32");
  const Json& data = ScriptValues::Member(step, "data");
  if (!data.is_array() || data.empty()) throw ScriptError("\"data\" must be a list of indices");
  std::vector<uint8_t> bytes;
  for (const Json& value : data) {
    if (!value.is_number_unsigned() || (bits == 16 && value.get<uint64_t>() > 0xFFFF) ||
        value.get<uint64_t>() > 0xFFFFFFFFu) {
      throw ScriptError("index out of range: " + value.dump());
    }
    const uint32_t index = value.get<uint32_t>();
    for (UINT shift = 0; shift < bits; shift += 8) bytes.push_back(static_cast<uint8_t>(index >> shift));
  }
  IDirect3DIndexBuffer9* buffer = nullptr;
  Check(device->CreateIndexBuffer(static_cast<UINT>(bytes.size()), D3DUSAGE_WRITEONLY,
                                  bits == 16 ? D3DFMT_INDEX16 : D3DFMT_INDEX32, D3DPOOL_MANAGED, &buffer, nullptr));
  indexBuffers[name] = ComPtr<IDirect3DIndexBuffer9>::Adopt(buffer);
  void* mapped = nullptr;
  Check(buffer->Lock(0, 0, &mapped, 0));
  std::memcpy(mapped, bytes.data(), bytes.size());
  Check(buffer->Unlock());
  bufferBytes[name] = std::move(bytes);
}

void ScriptPlayer::CreateDeclaration(const Json& step) {
  const std::string name = ScriptValues::Name(step);
  CheckNew(declarations, name);
  const Json& list = ScriptValues::Member(step, "elements");
  if (!list.is_array()) throw ScriptError("\"elements\" must be a list");
  std::vector<D3DVERTEXELEMENT9> elements;
  std::array<UINT, 16> next{};  // next free offset per stream
  for (const Json& entry : list) {
    // ["FLOAT3", "POSITION"] or ["FLOAT2", "TEXCOORD", 1], or an object with
    // type, usage, index, stream, offset.
    const bool compact = entry.is_array();
    if (compact && (entry.size() < 2 || entry.size() > 3)) throw ScriptError("an element is [type, usage, index]");
    if (!compact) ScriptValues::CheckKeys(entry, {"type", "usage", "index", "stream", "offset"}, " in an element");
    const Json& type = compact ? entry[0] : ScriptValues::Member(entry, "type");
    const Json& usage = compact ? entry[1] : ScriptValues::Member(entry, "usage");
    const UINT index = compact ? (entry.size() == 3 ? ScriptValues::Dword(entry[2]) : 0) : Unsigned(entry, "index", 0);
    const UINT stream = compact ? 0 : Unsigned(entry, "stream", 0);
    if (stream >= next.size()) throw ScriptError("stream out of range");
    D3DVERTEXELEMENT9 element{};
    element.Stream = static_cast<WORD>(stream);
    element.Type = static_cast<BYTE>(ScriptValues::Prefixed("D3DDECLTYPE_", type));
    element.Usage = static_cast<BYTE>(ScriptValues::Prefixed("D3DDECLUSAGE_", usage));
    element.UsageIndex = static_cast<BYTE>(index);
    element.Offset = static_cast<WORD>(compact ? next[stream] : Unsigned(entry, "offset", next[stream]));
    const UINT size = D3D9Names::DeclarationTypeSize(element.Type);
    if (size == 0) throw ScriptError("unknown element type " + type.dump());
    next[stream] = element.Offset + size;
    elements.push_back(element);
  }
  elements.push_back(D3DDECL_END());
  IDirect3DVertexDeclaration9* declaration = nullptr;
  Check(device->CreateVertexDeclaration(elements.data(), &declaration));
  declarations[name] = ComPtr<IDirect3DVertexDeclaration9>::Adopt(declaration);
}

void ScriptPlayer::CreateTexture(const Json& step) {
  const std::string name = ScriptValues::Name(step);
  CheckNew(textures, name);
  const bool cube = step.value("cube", false);
  const auto format = static_cast<D3DFORMAT>(
      step.contains("format") ? ScriptValues::Prefixed("D3DFMT_", step["format"]) : D3DFMT_A8R8G8B8);
  const DWORD usage = step.contains("usage") ? ScriptValues::Prefixed("D3DUSAGE_", step["usage"]) : 0;
  const bool inGl = (usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL)) != 0;
  UINT width = Unsigned(step, "width", 0);
  UINT height = cube ? width : Unsigned(step, "height", 0);
  std::vector<std::vector<uint32_t>> texels;
  if (step.contains("png")) {
    if (cube) throw ScriptError("\"png\" fills 2D textures only");
    texels.push_back(ReadPng(folder / ScriptValues::Name(step, "png"), width, height));
  }
  if (width == 0 || height == 0) throw ScriptError("a texture needs a width and height");
  // 0 levels is the full chain, as CreateTexture reads it.
  const UINT chain = IDirect3DBaseTexture9::FullChain(width, height);
  const UINT requested = Unsigned(step, "levels", 1);
  const UINT levels = requested == 0 ? chain : requested;
  const UINT faces = cube ? 6 : 1;
  if (levels > chain) throw ScriptError("bad level count");
  if (!texels.empty() && levels != 1) throw ScriptError("a texture from a PNG has one level");
  const auto levelSize = [&](UINT level) {
    return size_t{std::max(width >> level, 1u)} * std::max(height >> level, 1u);
  };

  // Texels from a list per (face, level), one colour per (face, level), or
  // the pattern.
  const size_t layers = size_t{faces} * levels;
  if (step.contains("data") || step.contains("fill") || step.contains("pattern")) {
    if (!texels.empty() || inGl) throw ScriptError("texels only for textures that are not render targets");
    for (size_t layer = 0; layer < layers; ++layer) {
      const UINT level = static_cast<UINT>(layer % levels);
      std::vector<uint32_t> data(levelSize(level));
      if (step.contains("data")) {
        const Json& list = step["data"];
        if (!list.is_array() || list.size() != layers || !list[layer].is_array() ||
            list[layer].size() != data.size()) {
          throw ScriptError("\"data\" needs a list of " + std::to_string(data.size()) + " texels for each of " +
                      std::to_string(layers) + " levels and faces");
        }
        for (size_t i = 0; i < data.size(); ++i) data[i] = ScriptValues::Color(list[layer][i]);
      } else if (step.contains("fill")) {
        const Json& list = step["fill"];
        if (!list.is_array() || list.size() != layers) {
          throw ScriptError("\"fill\" needs one colour for each of " + std::to_string(layers) + " levels and faces");
        }
        std::fill(data.begin(), data.end(), ScriptValues::Color(list[layer]));
      } else {
        const UINT levelWidth = std::max(width >> level, 1u);
        for (size_t i = 0; i < data.size(); ++i) {
          data[i] = Pattern(static_cast<UINT>(i % levelWidth), static_cast<UINT>(i / levelWidth),
                            static_cast<UINT>(layer));
        }
      }
      texels.push_back(std::move(data));
    }
  }

  const D3DPOOL pool = inGl ? D3DPOOL_DEFAULT : D3DPOOL_MANAGED;
  TextureData entry;
  entry.levels = levels;
  if (cube) {
    IDirect3DCubeTexture9* texture = nullptr;
    Check(device->CreateCubeTexture(width, levels, usage, format, pool, &texture, nullptr));
    entry.texture = ComPtr<IDirect3DBaseTexture9>::Adopt(texture);
  } else {
    IDirect3DTexture9* texture = nullptr;
    Check(device->CreateTexture(width, height, levels, usage, format, pool, &texture, nullptr));
    entry.texture = ComPtr<IDirect3DBaseTexture9>::Adopt(texture);
  }
  if (!texels.empty()) {
    const UINT bytesPerTexel = format == D3DFMT_A8 ? 1 : 4;
    if (format != D3DFMT_A8 && format != D3DFMT_A8R8G8B8 && format != D3DFMT_X8R8G8B8) {
      throw ScriptError("texels are given for A8R8G8B8, X8R8G8B8 and A8 only");
    }
    for (size_t layer = 0; layer < layers; ++layer) {
      const UINT face = static_cast<UINT>(layer / levels);
      const UINT level = static_cast<UINT>(layer % levels);
      const UINT levelWidth = std::max(width >> level, 1u);
      D3DLOCKED_RECT locked{};
      Check(entry.texture->LockLevel(face, level, &locked, nullptr, 0));
      for (size_t i = 0; i < texels[layer].size(); ++i) {
        uint8_t* texel = static_cast<uint8_t*>(locked.pBits) + (i / levelWidth) * locked.Pitch +
                         (i % levelWidth) * bytesPerTexel;
        const uint32_t value = texels[layer][i];
        if (bytesPerTexel == 1) {
          *texel = static_cast<uint8_t>(value >> 24);
        } else {
          std::memcpy(texel, &value, 4);
        }
      }
      Check(entry.texture->UnlockLevel(face, level));
    }
    entry.texels = std::move(texels);
  }
  textures[name] = std::move(entry);
}

void ScriptPlayer::CreateSurface(const Json& step, bool depth) {
  const std::string name = ScriptValues::Name(step);
  CheckNew(surfaces, name);
  const UINT width = Unsigned(step, "width", 0);
  const UINT height = Unsigned(step, "height", 0);
  const auto format = static_cast<D3DFORMAT>(
      step.contains("format") ? ScriptValues::Prefixed("D3DFMT_", step["format"])
                              : (depth ? D3DFMT_D24S8 : D3DFMT_A8R8G8B8));
  IDirect3DSurface9* surface = nullptr;
  if (depth) {
    Check(device->CreateDepthStencilSurface(width, height, format, D3DMULTISAMPLE_NONE, 0, FALSE, &surface, nullptr));
  } else {
    Check(device->CreateRenderTarget(width, height, format, D3DMULTISAMPLE_NONE, 0, FALSE, &surface, nullptr));
  }
  surfaces[name] = ComPtr<IDirect3DSurface9>::Adopt(surface);
}

void ScriptPlayer::CreateShader(const Json& step, bool pixel) {
  const std::string name = ScriptValues::Name(step);
  CheckNew(shaderTokens, name);
  const Json& code = ScriptValues::Member(step, "code");
  std::string text;
  if (code.is_string()) {
    text = code.get<std::string>();
  } else if (code.is_array()) {
    for (const Json& line : code) {
      if (!line.is_string()) throw ScriptError("\"code\" is a string or a list of lines");
      text += line.get<std::string>() + "\n";
    }
  } else {
    throw ScriptError("\"code\" is a string or a list of lines");
  }
  std::vector<uint32_t> tokens;
  std::string errors;
  if (AssembleShader(text.data(), text.size(), tokens, errors) != ShaderAssembler::RESULT_OK) {
    while (!errors.empty() && errors.back() == '\n') errors.pop_back();
    throw ScriptError("'" + name + "' does not assemble:\n" + errors);
  }
  if (pixel) {
    IDirect3DPixelShader9* shader = nullptr;
    Check(device->CreatePixelShader(tokens.data(), &shader));
    pixelShaders[name] = ComPtr<IDirect3DPixelShader9>::Adopt(shader);
  } else {
    IDirect3DVertexShader9* shader = nullptr;
    Check(device->CreateVertexShader(tokens.data(), &shader));
    vertexShaders[name] = ComPtr<IDirect3DVertexShader9>::Adopt(shader);
  }
  shaderTokens[name] = std::move(tokens);
}

void ScriptPlayer::SetStates(const Json& step, const std::string& op) {
  const Json& states = ScriptValues::Member(step, "states");
  if (!states.is_object()) throw ScriptError("\"states\" must be an object of name: value");
  const UINT unit = op == "renderStates" ? 0 : Unsigned(step, op == "samplerStates" ? "sampler" : "stage", 0);
  for (const auto& [name, value] : states.items()) {
    uint32_t state = 0;
    if (op == "renderStates") {
      if (!D3D9Names::RenderState(name, state)) throw ScriptError("unknown render state '" + name + "'");
      Check(device->SetRenderState(static_cast<D3DRENDERSTATETYPE>(state),
                                   ScriptValues::StateValue(value, D3D9Names::FloatRenderState(state))));
    } else if (op == "stageStates") {
      if (!D3D9Names::StageState(name, state)) throw ScriptError("unknown texture-stage state '" + name + "'");
      Check(device->SetTextureStageState(unit, static_cast<D3DTEXTURESTAGESTATETYPE>(state),
                                         ScriptValues::StateValue(value, D3D9Names::FloatStageState(state))));
    } else {
      if (!D3D9Names::SamplerState(name, state)) throw ScriptError("unknown sampler state '" + name + "'");
      Check(device->SetSamplerState(unit, static_cast<D3DSAMPLERSTATETYPE>(state),
                                    ScriptValues::StateValue(value, D3D9Names::FloatSamplerState(state))));
    }
  }
}

void ScriptPlayer::SetLight(const Json& step) {
  D3DLIGHT9 light{};
  light.Type = static_cast<D3DLIGHTTYPE>(ScriptValues::Dword(ScriptValues::Member(step, "type")));
  if (step.contains("diffuse")) light.Diffuse = ScriptValues::ColorValue(step["diffuse"]);
  if (step.contains("specular")) light.Specular = ScriptValues::ColorValue(step["specular"]);
  if (step.contains("ambient")) light.Ambient = ScriptValues::ColorValue(step["ambient"]);
  if (step.contains("position")) light.Position = ScriptValues::Vector(step["position"]);
  if (step.contains("direction")) light.Direction = ScriptValues::Vector(step["direction"]);
  light.Range = FloatOr(step, "range", 0.0f);
  light.Falloff = FloatOr(step, "falloff", 0.0f);
  if (step.contains("attenuation")) {
    const Json& factors = step["attenuation"];
    if (!factors.is_array() || factors.size() != 3) throw ScriptError("\"attenuation\" is [a0, a1, a2]");
    light.Attenuation0 = ScriptValues::Float(factors[0], "attenuation");
    light.Attenuation1 = ScriptValues::Float(factors[1], "attenuation");
    light.Attenuation2 = ScriptValues::Float(factors[2], "attenuation");
  }
  light.Theta = FloatOr(step, "theta", 0.0f);
  light.Phi = FloatOr(step, "phi", 0.0f);
  const UINT index = Unsigned(step, "index", 0);
  Check(device->SetLight(index, &light));
  if (step.contains("enable")) Check(device->LightEnable(index, ScriptValues::Dword(step["enable"])));
}

void ScriptPlayer::SetMaterial(const Json& step) {
  D3DMATERIAL9 material{};
  if (step.contains("diffuse")) material.Diffuse = ScriptValues::ColorValue(step["diffuse"]);
  if (step.contains("ambient")) material.Ambient = ScriptValues::ColorValue(step["ambient"]);
  if (step.contains("specular")) material.Specular = ScriptValues::ColorValue(step["specular"]);
  if (step.contains("emissive")) material.Emissive = ScriptValues::ColorValue(step["emissive"]);
  material.Power = FloatOr(step, "power", 0.0f);
  Check(device->SetMaterial(&material));
}

void ScriptPlayer::SetConstants(const Json& step, bool pixel) {
  const Json& values = ScriptValues::Member(step, "values");
  if (!values.is_array() || values.empty()) throw ScriptError("\"values\" is a list of [x, y, z, w]");
  std::vector<float> data;
  for (const Json& vector : values) {
    if (!vector.is_array() || vector.size() != 4) throw ScriptError("a constant is [x, y, z, w]");
    for (const Json& value : vector) data.push_back(ScriptValues::Float(value, "constant"));
  }
  const UINT start = Unsigned(step, "start", 0);
  const UINT count = static_cast<UINT>(values.size());
  Check(pixel ? device->SetPixelShaderConstantF(start, data.data(), count)
              : device->SetVertexShaderConstantF(start, data.data(), count));
}

void ScriptPlayer::SetViewport(const Json& step) {
  D3DVIEWPORT9 viewport{Unsigned(step, "x", 0),     Unsigned(step, "y", 0),   Unsigned(step, "width", 0),
                        Unsigned(step, "height", 0), FloatOr(step, "minZ", 0), FloatOr(step, "maxZ", 1)};
  Check(device->SetViewport(&viewport));
}

void ScriptPlayer::StateBlock(const Json& step, const std::string& op) {
  if (op == "beginStateBlock") {
    Check(device->BeginStateBlock());
    return;
  }
  const std::string name = ScriptValues::Name(step);
  if (op == "endStateBlock" || op == "createStateBlock") {
    IDirect3DStateBlock9* block = nullptr;
    if (op == "endStateBlock") {
      Check(device->EndStateBlock(&block));
    } else {
      const uint32_t type = step.contains("type") ? ScriptValues::Dword(step["type"]) : D3DSBT_ALL;
      Check(device->CreateStateBlock(static_cast<D3DSTATEBLOCKTYPE>(type), &block));
    }
    stateBlocks[name] = ComPtr<IDirect3DStateBlock9>::Adopt(block);
    return;
  }
  IDirect3DStateBlock9* block = Find(stateBlocks, name, "state block");
  Check(op == "applyStateBlock" ? block->Apply() : block->Capture());
}

void ScriptPlayer::Clear(const Json& step) {
  const DWORD flags = step.contains("flags") ? ScriptValues::Dword(step["flags"])
                                             : D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL;
  std::vector<D3DRECT> rects;
  if (step.contains("rects")) {
    for (const Json& rect : step["rects"]) {
      if (!rect.is_array() || rect.size() != 4) throw ScriptError("a rectangle is [x1, y1, x2, y2]");
      rects.push_back({rect[0].get<LONG>(), rect[1].get<LONG>(), rect[2].get<LONG>(), rect[3].get<LONG>()});
    }
  }
  const D3DCOLOR color = step.contains("color") ? ScriptValues::Color(step["color"]) : 0;
  Check(device->Clear(static_cast<DWORD>(rects.size()), rects.empty() ? nullptr : rects.data(), flags, color,
                      FloatOr(step, "z", 1.0f), Unsigned(step, "stencil", 0)));
}

void ScriptPlayer::Draw(const Json& step, bool indexed) {
  const auto type = static_cast<D3DPRIMITIVETYPE>(ScriptValues::Dword(ScriptValues::Member(step, "type")));
  const UINT count = Unsigned(step, "count", 0);
  // A buffer named in the draw goes to stream 0 first.
  if (step.contains("buffer")) {
    Check(device->SetStreamSource(0, Find(vertexBuffers, ScriptValues::Name(step, "buffer"), "vertex buffer"), 0,
                                  Unsigned(step, "stride", 0)));
  }
  if (!inScene) {
    Check(device->BeginScene());
    inScene = true;
  }
  if (indexed) {
    const INT baseVertex = static_cast<INT>(step.value("baseVertex", 0));
    const UINT startIndex = Unsigned(step, "startIndex", 0);
    Record(type, true, startIndex, count, baseVertex);
    Check(device->DrawIndexedPrimitive(type, baseVertex, Unsigned(step, "minIndex", 0),
                                       Unsigned(step, "vertexCount", 0), startIndex, count));
  } else {
    const UINT start = Unsigned(step, "start", 0);
    Record(type, false, start, count, 0);
    Check(device->DrawPrimitive(type, start, count));
  }
}

void ScriptPlayer::Query(const Json& step, bool begin) {
  const std::string name = ScriptValues::Name(step);
  if (begin) {
    if (!queries.count(name)) {
      IDirect3DQuery9* query = nullptr;
      Check(device->CreateQuery(D3DQUERYTYPE_OCCLUSION, &query));
      queries[name] = ComPtr<IDirect3DQuery9>::Adopt(query);
    }
    Check(queries[name]->Issue(D3DISSUE_BEGIN));
    return;
  }
  IDirect3DQuery9* query = Find(queries, name, "query");
  Check(query->Issue(D3DISSUE_END));
  DWORD count = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  HRESULT result = S_FALSE;
  while ((result = query->GetData(&count, sizeof count, D3DGETDATA_FLUSH)) == S_FALSE) {
    if (std::chrono::steady_clock::now() > deadline) throw ScriptError("query '" + name + "' gave no result");
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  Check(result);
  queryResults[name] = count;
  if (output) output("query " + name + ": " + std::to_string(count));
}

void ScriptPlayer::Present() {
  if (inScene) {
    inScene = false;
    Check(device->EndScene());
  }
  Check(device->Present(nullptr, nullptr, 0, nullptr));
}

IDirect3DSurface9* ScriptPlayer::Surface(const Json& reference) {
  if (reference.is_null()) return nullptr;
  std::string name;
  UINT face = 0;
  UINT level = 0;
  if (reference.is_object()) {
    ScriptValues::CheckKeys(reference, {"texture", "face", "level"}, " in a surface");
    name = ScriptValues::Name(reference, "texture");
    if (reference.contains("face")) face = ScriptValues::Prefixed("D3DCUBEMAP_FACE_", reference["face"]);
    level = Unsigned(reference, "level", 0);
  } else if (reference.is_string()) {
    name = reference.get<std::string>();
  } else {
    throw ScriptError("a surface is a name, {\"texture\", \"face\", \"level\"} or null");
  }
  if (name == BACK_BUFFER) {
    IDirect3DSurface9* backBuffer = nullptr;
    Check(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer));
    backBuffer->Release();  // the device keeps it
    return backBuffer;
  }
  if (const auto found = surfaces.find(name); found != surfaces.end()) return found->second.Get();
  IDirect3DBaseTexture9* texture = Texture(name);
  if (!texture) throw ScriptError("no surface or texture named '" + name + "'");
  if (face >= texture->Faces() || level >= texture->GetLevelCount()) throw ScriptError("no such face or level");
  return texture->LevelSurface(face, level);
}

template <class T>
std::string ScriptPlayer::NameOf(const std::map<std::string, ComPtr<T>>& objects, T* object) const {
  if (!object) return {};
  for (const auto& [name, held] : objects) {
    if (held.Get() == object) return name;
  }
  return "?";
}

std::string ScriptPlayer::TextureName(IDirect3DBaseTexture9* texture) const {
  if (!texture) return {};
  for (const auto& [name, entry] : textures) {
    if (entry.texture.Get() == texture) return name;
  }
  return "?";
}

std::string ScriptPlayer::SurfaceName(IDirect3DSurface9* surface) const {
  IDirect3DSurface9* backBuffer = nullptr;
  device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer);
  if (backBuffer) backBuffer->Release();
  if (surface == backBuffer) return BACK_BUFFER;
  if (surface && surface->Container()) return TextureName(surface->Container());
  return NameOf(surfaces, surface);
}

void ScriptPlayer::Record(D3DPRIMITIVETYPE type, bool indexed, UINT start, UINT count, INT baseVertex) {
  DrawRecord record;
  record.step = stepNumber;
  record.type = type;
  record.indexed = indexed;
  record.start = start;
  record.count = count;
  record.baseVertex = baseVertex;
  for (uint32_t state = 0; state < record.renderStates.size(); ++state) {
    device->GetRenderState(static_cast<D3DRENDERSTATETYPE>(state), &record.renderStates[state]);
  }
  for (DWORD stage = 0; stage < 8; ++stage) {
    for (uint32_t state = 0; state < record.stageStates[stage].size(); ++state) {
      device->GetTextureStageState(stage, static_cast<D3DTEXTURESTAGESTATETYPE>(state),
                                   &record.stageStates[stage][state]);
    }
    for (uint32_t state = 0; state < record.samplerStates[stage].size(); ++state) {
      device->GetSamplerState(stage, static_cast<D3DSAMPLERSTATETYPE>(state), &record.samplerStates[stage][state]);
    }
    device->GetTransform(static_cast<D3DTRANSFORMSTATETYPE>(D3DTS_TEXTURE0 + stage), &record.textureMatrices[stage]);
    if (device->GetLight(stage, &record.lights[stage]) != D3D_OK) record.lights[stage] = {};
    BOOL enabled = FALSE;
    if (device->GetLightEnable(stage, &enabled) == D3D_OK && enabled) record.lightEnables |= 1u << stage;
    IDirect3DBaseTexture9* texture = nullptr;
    device->GetTexture(stage, &texture);
    record.textures[stage] = TextureName(texture);
    if (texture) texture->Release();
    IDirect3DVertexBuffer9* buffer = nullptr;
    device->GetStreamSource(stage, &buffer, &record.offsets[stage], &record.strides[stage]);
    record.streams[stage] = NameOf(vertexBuffers, buffer);
    if (buffer) buffer->Release();
  }
  device->GetTransform(D3DTS_WORLD, &record.world);
  device->GetTransform(D3DTS_VIEW, &record.view);
  device->GetTransform(D3DTS_PROJECTION, &record.projection);
  device->GetMaterial(&record.material);
  device->GetViewport(&record.viewport);
  record.vertexConstants.resize(256);
  record.pixelConstants.resize(32);
  device->GetVertexShaderConstantF(0, record.vertexConstants[0].data(), 256);
  device->GetPixelShaderConstantF(0, record.pixelConstants[0].data(), 32);
  IDirect3DVertexShader9* vertexShader = nullptr;
  device->GetVertexShader(&vertexShader);
  record.vertexShader = NameOf(vertexShaders, vertexShader);
  if (vertexShader) vertexShader->Release();
  IDirect3DPixelShader9* pixelShader = nullptr;
  device->GetPixelShader(&pixelShader);
  record.pixelShader = NameOf(pixelShaders, pixelShader);
  if (pixelShader) pixelShader->Release();
  IDirect3DVertexDeclaration9* declaration = nullptr;
  device->GetVertexDeclaration(&declaration);
  record.declaration = NameOf(declarations, declaration);
  if (declaration) declaration->Release();
  IDirect3DIndexBuffer9* indices = nullptr;
  device->GetIndices(&indices);
  record.indices = NameOf(indexBuffers, indices);
  if (indices) {
    D3DINDEXBUFFER_DESC desc{};
    if (indices->GetDesc(&desc) == D3D_OK) record.indexBits = desc.Format == D3DFMT_INDEX32 ? 32 : 16;
    indices->Release();
  }
  IDirect3DSurface9* target = nullptr;
  device->GetRenderTarget(0, &target);
  record.target = SurfaceName(target);
  if (target) target->Release();
  draws.push_back(std::move(record));
}

bool ScriptPlayer::Read(const std::string& name, Image& image, UINT face, UINT level) {
  try {
    const std::string target = !name.empty() ? name : !outputTarget.empty() ? outputTarget : BACK_BUFFER;
    IDirect3DSurface9* source = nullptr;
    if (face || level) {
      source = Surface(Json{{"texture", target}, {"face", face}, {"level", level}});
    } else {
      source = Surface(Json(target));
    }
    D3DSURFACE_DESC desc{};
    Check(HiddenDevice::ReadPixels(device, source, image.pixels, desc));
    image.width = desc.Width;
    image.height = desc.Height;
    image.format = desc.Format;
  } catch (const std::exception& failure) {
    error = "reading '" + name + "': " + failure.what();
    return false;
  }
  return true;
}

bool ScriptPlayer::WritePng(const std::filesystem::path& path) {
  Image image;
  if (!Read({}, image)) return false;
  const bool alpha = image.format == D3DFMT_A8R8G8B8;
  const size_t channels = alpha ? 4 : 3;
  std::vector<uint8_t> bytes;
  bytes.reserve(image.pixels.size() * channels);
  for (const uint32_t pixel : image.pixels) {
    bytes.push_back(static_cast<uint8_t>(pixel >> 16));
    bytes.push_back(static_cast<uint8_t>(pixel >> 8));
    bytes.push_back(static_cast<uint8_t>(pixel));
    if (alpha) bytes.push_back(static_cast<uint8_t>(pixel >> 24));
  }
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = image.width;
  png.height = image.height;
  png.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
  if (png_image_write_to_file(&png, path.c_str(), 0, bytes.data(), 0, nullptr) == 0) {
    error = "cannot write '" + path.string() + "': " + png.message;
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    return false;
  }
  return true;
}

const std::vector<uint32_t>* ScriptPlayer::Texels(const std::string& texture, UINT face, UINT level) const {
  const auto found = textures.find(texture);
  if (found == textures.end()) return nullptr;
  const size_t layer = size_t{face} * found->second.levels + level;
  return layer < found->second.texels.size() ? &found->second.texels[layer] : nullptr;
}

bool ScriptPlayer::KeepTexels(const std::string& texture) {
  const auto found = textures.find(texture);
  if (found == textures.end()) {
    error = "no texture named '" + texture + "'";
    return false;
  }
  TextureData& entry = found->second;
  std::vector<std::vector<uint32_t>> texels;
  for (UINT face = 0; face < entry.texture->Faces(); ++face) {
    for (UINT level = 0; level < entry.levels; ++level) {
      Image image;
      if (!Read(texture, image, face, level)) return false;
      texels.push_back(std::move(image.pixels));
    }
  }
  entry.texels = std::move(texels);
  return true;
}

IDirect3DBaseTexture9* ScriptPlayer::Texture(const std::string& name) const {
  const auto found = textures.find(name);
  return found == textures.end() ? nullptr : found->second.texture.Get();
}

const std::vector<uint8_t>* ScriptPlayer::BufferBytes(const std::string& name) const {
  const auto found = bufferBytes.find(name);
  return found == bufferBytes.end() ? nullptr : &found->second;
}

const std::vector<uint32_t>* ScriptPlayer::ShaderTokens(const std::string& name) const {
  const auto found = shaderTokens.find(name);
  return found == shaderTokens.end() ? nullptr : &found->second;
}

std::vector<D3DVERTEXELEMENT9> ScriptPlayer::Declaration(const std::string& name) const {
  const auto found = declarations.find(name);
  if (found == declarations.end()) return {};
  std::vector<D3DVERTEXELEMENT9> elements(MAXD3DDECLLENGTH + 1);
  UINT count = static_cast<UINT>(elements.size());
  if (found->second->GetDeclaration(elements.data(), &count) != D3D_OK) return {};
  elements.resize(count);
  return elements;
}

bool ScriptPlayer::QueryResult(const std::string& name, DWORD& count) const {
  const auto found = queryResults.find(name);
  if (found == queryResults.end()) return false;
  count = found->second;
  return true;
}

}  // namespace ynx
