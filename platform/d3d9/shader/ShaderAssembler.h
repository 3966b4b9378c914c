#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ynx {

// Direct3D 9 shader assembly text to the token stream the runtime takes,
// token for token what D3DXAssembleShader gives for the supported models
// (vs_1_1, vs_2_0, ps_1_1 to ps_1_4, ps_2_0). Text runs through
// ShaderPreprocessor first; names of instructions, registers, modifiers
// and swizzles are not case-sensitive.
class ShaderAssembler {
 public:
  // Results of AssembleShader, as D3DXAssembleShader returns them.
  static constexpr int32_t RESULT_OK = 0;
  static constexpr int32_t RESULT_INVALID_DATA = static_cast<int32_t>(0x88760B59u);  // D3DXERR_INVALIDDATA

  // Errors beyond this many are summed up in one last line.
  static constexpr size_t MAX_ERRORS = 32;

  // On success `tokens` holds the stream (version to end token) and
  // `errors` is empty. On failure `tokens` is empty and `errors` holds one
  // line per problem, "shader(3): error: unknown instruction 'mvo'": the
  // file name is "shader" unless a #line directive names one, the number is
  // the line's (counted from 1, moved by #line).
  static bool Assemble(std::string_view text, std::vector<uint32_t>& tokens, std::string& errors);
};

// The stand-in for D3DXAssembleShader(text, length, NULL, NULL, 0, &code,
// &errorText): the code buffer becomes `tokens` (hand tokens.data() to the
// device's shader creation), the error buffer becomes `errors`.
int32_t AssembleShader(const char* text, size_t length, std::vector<uint32_t>& tokens, std::string& errors);

}  // namespace ynx
