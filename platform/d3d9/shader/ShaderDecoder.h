#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/d3d9/shader/DecodedShader.h"

namespace ynx {

// Takes a token stream apart into a DecodedShader. Accepts exactly the
// streams of the supported models whose every instruction ShaderModel
// allows and whose every token bit has a meaning, so that ShaderEncoder
// gives the same tokens back (comment blocks aside, which are skipped).
// Anything else is refused with the index of the offending token; nothing
// is read past `count` or past MAX_TOKENS.
class ShaderDecoder {
 public:
  // Longer streams are refused: no program of these models comes close.
  static constexpr size_t MAX_TOKENS = 65536;

  // Reads up to the end token; tokens after it are not looked at. On
  // failure `shader` is left empty and `error` says why ("token 7: ...").
  static bool Decode(const uint32_t* tokens, size_t count, DecodedShader& shader, std::string& error);
};

}  // namespace ynx
