#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/d3d9/shader/DecodedShader.h"
#include "platform/d3d9/shader/ShaderModel.h"

namespace ynx {

// The assembler's front end: one statement of shader assembly (after
// preprocessing, in lower case, its ";" comment removed) into an
// instruction of the model, checked against the model.
class ShaderLineParser {
 public:
  explicit ShaderLineParser(const ShaderModel& model) : model(model) {}

  bool Parse(std::string_view statement, DecodedShader::Instruction& instruction, std::string& error);

  // Shader text inside a message: quoted and cut short.
  static std::string Quote(std::string_view text);

 private:
  struct Token {
    enum class Kind { IDENTIFIER, NUMBER, PUNCTUATION };
    Kind kind;
    std::string_view text;

    bool Is(char c) const { return kind == Kind::PUNCTUATION && text[0] == c; }
  };
  // Tokens [begin, end) of one operand.
  struct Range {
    size_t begin;
    size_t end;
  };

  bool Tokenize(std::string_view statement, std::string& error);
  bool Mnemonic(std::string_view text, DecodedShader::Instruction& instruction,
                const ShaderModel::InstructionInfo*& info, std::string& error);
  bool ResultModifier(std::string_view part, DecodedShader::Instruction& instruction, std::string& error);
  bool Destination(Range range, DecodedShader::Destination& destination, std::string& error);
  bool Source(Range range, DecodedShader::Source& source, std::string& error);
  bool RelativeIndex(Range range, uint32_t baseNumber, DecodedShader::Source& source, std::string& error);
  // An optional sign and one number token, at `position` on success;
  // `expected` names what is missing otherwise.
  bool SignedNumber(Range range, size_t& position, bool& negative, const char* expected,
                    std::string& error) const;
  bool FloatLiteral(Range range, uint32_t& bits, std::string& error);
  bool IntLiteral(Range range, uint32_t& value, std::string& error);
  bool BoolLiteral(Range range, uint32_t& value, std::string& error);
  // What may end a register operand: '.' and a suffix that `parse` reads
  // into `value` (a write mask or a swizzle), then the operand's end.
  using SuffixParser = bool (*)(std::string_view text, uint8_t& value, std::string& error);
  bool RegisterSuffix(size_t position, Range range, const char* what, SuffixParser parse,
                      uint8_t& value, std::string& error) const;
  bool Unexpected(size_t position, std::string& error) const;
  static bool NotOneNumber(std::string& error);

  const ShaderModel& model;
  std::vector<Token> tokens;
  bool usageGiven = false;
  bool samplerTypeGiven = false;
};

}  // namespace ynx
