#include "platform/d3d9/shader/ShaderAssembler.h"

#include <optional>
#include <utility>

#include "platform/d3d9/shader/DecodedShader.h"
#include "platform/d3d9/shader/ShaderDecoder.h"
#include "platform/d3d9/shader/ShaderEncoder.h"
#include "platform/d3d9/shader/ShaderLineParser.h"
#include "platform/d3d9/shader/ShaderModel.h"
#include "platform/d3d9/shader/ShaderPreprocessor.h"

namespace ynx {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// "vs_1_1", "vs.1.1", "ps_2_x"... as a version token.
std::optional<uint32_t> ParseVersion(std::string_view text) {
  if (text.size() < 6 || (text.substr(0, 2) != "vs" && text.substr(0, 2) != "ps")) return std::nullopt;
  const bool pixel = text[0] == 'p';
  const char separator = text[2];
  if (separator != '_' && separator != '.') return std::nullopt;
  text.remove_prefix(3);
  size_t digits = 0;
  uint32_t major = 0;
  while (digits < text.size() && digits < 3 && IsDigit(text[digits])) major = major * 10 + (text[digits++] - '0');
  if (digits == 0 || digits >= text.size() || text[digits] != separator) return std::nullopt;
  text.remove_prefix(digits + 1);
  uint32_t minor = 0;
  if (text == "x") {
    minor = 1;
  } else if (text == "sw") {
    minor = 0xFF;
  } else {
    if (text.empty() || text.size() > 3) return std::nullopt;
    for (const char c : text) {
      if (!IsDigit(c)) return std::nullopt;
      minor = minor * 10 + (c - '0');
    }
  }
  if (major > 0xFF || minor > 0xFF) return std::nullopt;
  return ShaderTokens::VersionToken(pixel, major, minor);
}

}  // namespace

bool ShaderAssembler::Assemble(std::string_view text, std::vector<uint32_t>& tokens, std::string& errors) {
  tokens.clear();
  errors.clear();
  const ShaderPreprocessor preprocessor(text);
  size_t count = 0;
  const auto report = [&](uint32_t file, uint32_t number, const std::string& message) {
    if (count++ < MAX_ERRORS) {
      errors += preprocessor.FileNames()[file] + "(" + std::to_string(number) + "): error: " + message + "\n";
    }
  };
  std::optional<ShaderModel> model;
  std::vector<uint32_t> output;
  for (const ShaderPreprocessor::Line& line : preprocessor.Lines()) {
    if (!line.error.empty()) {
      report(line.file, line.number, line.error);
      continue;
    }
    std::string lower(line.text.substr(0, line.text.find(';')));
    for (char& c : lower) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    const std::string_view statement = Trim(lower);
    if (statement.empty()) continue;
    if (!model) {
      const std::optional<uint32_t> version = ParseVersion(statement);
      if (!version) {
        report(line.file, line.number,
               "expected a shader version (vs_1_1, vs_2_0, ps_1_1 to ps_1_4 or ps_2_0), found " +
                   ShaderLineParser::Quote(statement));
        break;
      }
      if (!ShaderModel::IsSupported(*version)) {
        report(line.file, line.number,
               "unsupported shader model " + ShaderLineParser::Quote(ShaderModel::VersionName(*version)));
        break;
      }
      model.emplace(*version);
      output.push_back(*version);
      continue;
    }
    std::string error;
    DecodedShader::Instruction instruction;
    if (!ShaderLineParser(*model).Parse(statement, instruction, error)) {
      report(line.file, line.number, error);
      continue;
    }
    ShaderEncoder::EncodeInstruction(model->Version(), instruction, output);
    if (output.size() >= ShaderDecoder::MAX_TOKENS) {
      report(line.file, line.number,
             "shader too long (more than " + std::to_string(ShaderDecoder::MAX_TOKENS) + " tokens)");
      break;
    }
  }
  if (!model && count == 0) {
    const auto& lines = preprocessor.Lines();
    report(lines.empty() ? 0 : lines.back().file, lines.empty() ? 1 : lines.back().number,
           "no shader version (vs_1_1, vs_2_0, ps_1_1 to ps_1_4 or ps_2_0)");
  }
  if (count > MAX_ERRORS) errors += "(" + std::to_string(count - MAX_ERRORS) + " more errors)\n";
  if (count != 0) return false;
  output.push_back(ShaderTokens::END_TOKEN);
  tokens = std::move(output);
  return true;
}

int32_t AssembleShader(const char* text, size_t length, std::vector<uint32_t>& tokens, std::string& errors) {
  const std::string_view source = text == nullptr ? std::string_view() : std::string_view(text, length);
  return ShaderAssembler::Assemble(source, tokens, errors) ? ShaderAssembler::RESULT_OK
                                                          : ShaderAssembler::RESULT_INVALID_DATA;
}

}  // namespace ynx
