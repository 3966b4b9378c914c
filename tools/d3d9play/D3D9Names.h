#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ynx {

// Direct3D 9 names as scripts spell them, to their values: render,
// texture-stage and sampler state types, the constants they take, and the
// enumerations a script names (formats, primitives, declaration types and
// usages, transforms, lights, result codes).
class D3D9Names {
 public:
  // State types by full name ("D3DRS_CULLMODE").
  static bool RenderState(std::string_view name, uint32_t& value);
  static bool StageState(std::string_view name, uint32_t& value);
  static bool SamplerState(std::string_view name, uint32_t& value);
  // States whose DWORD holds a float's bits.
  static bool FloatRenderState(uint32_t state);
  static bool FloatStageState(uint32_t state);
  static bool FloatSamplerState(uint32_t state);

  // Any named constant ("D3DCULL_NONE", "D3DTA_TEXTURE", "TRUE",
  // "D3DFMT_A8R8G8B8", "D3DPT_TRIANGLESTRIP", ...) or a number ("12",
  // "0xFF00FF00"); parts joined by "|" are ORed.
  static bool Value(std::string_view text, uint32_t& value);
  // The same, where the prefix may be left out ("FLOAT3" for
  // "D3DDECLTYPE_FLOAT3").
  static bool Prefixed(std::string_view prefix, std::string_view text, uint32_t& value);

  // Bytes an element of a D3DDECLTYPE takes; 0 for an unknown type.
  static uint32_t DeclarationTypeSize(uint32_t type);
  // "D3DERR_INVALIDCALL", or the number in hex.
  static std::string Result(int32_t result);
};

}  // namespace ynx
