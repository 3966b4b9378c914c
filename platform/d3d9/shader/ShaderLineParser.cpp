#include "platform/d3d9/shader/ShaderLineParser.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdio>
#include <iterator>
#include <utility>

namespace ynx {

namespace {

using Opcode = ShaderTokens::Opcode;
using RegisterType = ShaderTokens::RegisterType;
using SourceModifier = ShaderTokens::SourceModifier;
using Operand = ShaderModel::Operand;
using Literal = ShaderModel::Literal;
using Instruction = DecodedShader::Instruction;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

struct RegisterName {
  RegisterType type = RegisterType::TEMP;
  uint32_t number = 0;
  bool numbered = false;
};

// "r3", "oPos", "aL", "c" (before an index)... lower case.
bool ParseRegister(std::string_view name, const ShaderModel& model, RegisterName& result, std::string& error) {
  struct Fixed {
    const char* name;
    RegisterType type;
    uint32_t number;
  };
  static constexpr Fixed FIXED[] = {
      {"opos", RegisterType::RASTOUT, ShaderTokens::POSITION_OUT},
      {"ofog", RegisterType::RASTOUT, ShaderTokens::FOG_OUT},
      {"opts", RegisterType::RASTOUT, ShaderTokens::POINT_SIZE_OUT},
      {"odepth", RegisterType::DEPTHOUT, 0},
      {"al", RegisterType::LOOP, 0},
  };
  for (const Fixed& fixed : FIXED) {
    if (name == fixed.name) {
      result = {fixed.type, fixed.number, true};
      return true;
    }
  }
  size_t prefix = 0;
  while (prefix < name.size() && !IsDigit(name[prefix])) ++prefix;
  const std::string_view letters = name.substr(0, prefix);
  const std::string_view digits = name.substr(prefix);
  struct Prefix {
    const char* letters;
    RegisterType type;
  };
  static constexpr Prefix PREFIXES[] = {
      {"r", RegisterType::TEMP},     {"v", RegisterType::INPUT},       {"c", RegisterType::CONST},
      {"a", RegisterType::ADDRESS},  {"t", RegisterType::TEXTURE},     {"od", RegisterType::ATTROUT},
      {"ot", RegisterType::TEXCRDOUT}, {"oc", RegisterType::COLOROUT}, {"i", RegisterType::CONSTINT},
      {"b", RegisterType::CONSTBOOL}, {"s", RegisterType::SAMPLER},    {"l", RegisterType::LABEL},
      {"p", RegisterType::PREDICATE},
  };
  const Prefix* found = nullptr;
  for (const Prefix& candidate : PREFIXES) {
    if (letters == candidate.letters) found = &candidate;
  }
  bool numeric = true;
  for (const char c : digits) numeric = numeric && IsDigit(c);
  if (found == nullptr || !numeric) {
    error = "unknown register " + ShaderLineParser::Quote(name);
    return false;
  }
  // a# and t# share a type: which one the text meant depends on the model.
  if ((letters == "a" && model.IsPixel()) || (letters == "t" && !model.IsPixel())) {
    error = "register " + ShaderLineParser::Quote(name) + " is not available in " + model.Name();
    return false;
  }
  if (digits.size() > 6) {
    error = "register number too large in " + ShaderLineParser::Quote(name);
    return false;
  }
  result.type = found->type;
  result.numbered = !digits.empty();
  result.number = 0;
  for (const char c : digits) result.number = result.number * 10 + static_cast<uint32_t>(c - '0');
  return true;
}

// ".xy" = .xyyy; rgba = xyzw.
bool ParseSwizzle(std::string_view text, uint8_t& swizzle, std::string& error) {
  uint32_t components[4] = {};
  bool valid = !text.empty() && text.size() <= 4;
  for (size_t i = 0; valid && i < text.size(); ++i) {
    const size_t xyzw = std::string_view("xyzw").find(text[i]);
    const size_t rgba = std::string_view("rgba").find(text[i]);
    valid = xyzw != std::string_view::npos || rgba != std::string_view::npos;
    components[i] = static_cast<uint32_t>(xyzw != std::string_view::npos ? xyzw : rgba);
  }
  if (!valid) {
    error = "invalid swizzle " + ShaderLineParser::Quote(text);
    return false;
  }
  for (size_t i = text.size(); i < 4; ++i) components[i] = components[text.size() - 1];
  swizzle = static_cast<uint8_t>(components[0] | components[1] << 2 | components[2] << 4 | components[3] << 6);
  return true;
}

// Components in x, y, z, w order, each at most once.
bool ParseWriteMask(std::string_view text, uint8_t& mask, std::string& error) {
  mask = 0;
  int previous = -1;
  bool valid = !text.empty() && text.size() <= 4;
  for (size_t i = 0; valid && i < text.size(); ++i) {
    size_t component = std::string_view("xyzw").find(text[i]);
    if (component == std::string_view::npos) component = std::string_view("rgba").find(text[i]);
    valid = component != std::string_view::npos && static_cast<int>(component) > previous;
    if (valid) {
      previous = static_cast<int>(component);
      mask = static_cast<uint8_t>(mask | 1u << component);
    }
  }
  if (!valid) {
    error = "invalid write mask " + ShaderLineParser::Quote(text);
    return false;
  }
  return true;
}

}  // namespace

std::string ShaderLineParser::Quote(std::string_view text) {
  constexpr size_t LIMIT = 40;
  return "'" + std::string(text.substr(0, LIMIT)) + (text.size() > LIMIT ? "...'" : "'");
}

bool ShaderLineParser::Tokenize(std::string_view line, std::string& error) {
  size_t i = 0;
  while (i < line.size()) {
    const char c = line[i];
    if (IsBlank(c)) {
      ++i;
      continue;
    }
    size_t end = i + 1;
    Token::Kind kind = Token::Kind::PUNCTUATION;
    if (IsLetter(c)) {
      kind = Token::Kind::IDENTIFIER;
      while (end < line.size() && (IsLetter(line[end]) || IsDigit(line[end]))) ++end;
    } else if (IsDigit(c) || (c == '.' && i + 1 < line.size() && IsDigit(line[i + 1]))) {
      // 12, 0., .5, 1.0f, -1.5e-3 (the sign is a token of its own)
      kind = Token::Kind::NUMBER;
      end = i;
      while (end < line.size() && IsDigit(line[end])) ++end;
      if (end < line.size() && line[end] == '.') {
        ++end;
        while (end < line.size() && IsDigit(line[end])) ++end;
      }
      if (end < line.size() && line[end] == 'e') {
        size_t exponent = end + 1;
        if (exponent < line.size() && (line[exponent] == '+' || line[exponent] == '-')) ++exponent;
        if (exponent < line.size() && IsDigit(line[exponent])) {
          end = exponent;
          while (end < line.size() && IsDigit(line[end])) ++end;
        }
      }
      if (end < line.size() && line[end] == 'f') ++end;
    } else if (std::string_view(",-+[].!()").find(c) == std::string_view::npos) {
      char text[48];
      if (c > ' ' && c < 0x7F) {
        std::snprintf(text, sizeof(text), "unexpected character '%c'", c);
      } else {
        std::snprintf(text, sizeof(text), "unexpected character 0x%02x", static_cast<unsigned char>(c));
      }
      error = text;
      return false;
    }
    tokens.push_back({kind, line.substr(i, end - i)});
    i = end;
  }
  return true;
}

bool ShaderLineParser::NotOneNumber(std::string& error) {
  error = "constants take one number each, not an expression";
  return false;
}

bool ShaderLineParser::RegisterSuffix(size_t position, Range range, const char* what,
                                      SuffixParser parse, uint8_t& value, std::string& error) const {
  if (position < range.end && tokens[position].Is('.')) {
    ++position;
    if (position >= range.end || tokens[position].kind != Token::Kind::IDENTIFIER) {
      error = std::string("missing ") + what + " after '.'";
      return false;
    }
    if (!parse(tokens[position].text, value, error)) return false;
    ++position;
  }
  return position == range.end || Unexpected(position, error);
}

bool ShaderLineParser::Unexpected(size_t position, std::string& error) const {
  error = position < tokens.size() ? "unexpected " + Quote(tokens[position].text) : "unexpected end of line";
  return false;
}

bool ShaderLineParser::Parse(std::string_view statement, Instruction& instruction, std::string& error) {
  tokens.clear();
  usageGiven = false;
  samplerTypeGiven = false;
  if (!Tokenize(statement, error)) return false;
  if (tokens.empty()) return Unexpected(0, error);
  size_t position = 0;
  if (tokens[0].Is('(')) {
    error = "predicated instructions are not available in " + model.Name();
    return false;
  }
  if (tokens[0].Is('+')) {
    instruction.coissue = true;
    position = 1;
  }
  if (position >= tokens.size() || tokens[position].kind != Token::Kind::IDENTIFIER) {
    return Unexpected(position, error);
  }
  const ShaderModel::InstructionInfo* info = nullptr;
  if (!Mnemonic(tokens[position].text, instruction, info, error)) return false;
  ++position;

  // Operands: comma-separated, commas inside [] belong to an index.
  std::vector<Range> operands;
  if (position < tokens.size()) {
    int depth = 0;
    size_t begin = position;
    for (size_t i = position; i <= tokens.size(); ++i) {
      if (i == tokens.size() || (depth == 0 && tokens[i].Is(','))) {
        if (i == begin) {
          error = "missing operand";
          return false;
        }
        operands.push_back({begin, i});
        begin = i + 1;
      } else if (tokens[i].Is('[')) {
        ++depth;
      } else if (tokens[i].Is(']')) {
        --depth;
      }
    }
  }
  const bool hasDestination = info->destination != Operand::NONE;
  const size_t literals = info->literal == Literal::BOOL1 ? 1 : info->literal == Literal::NONE ? 0 : 4;
  const size_t expected = (hasDestination ? 1 : 0) + info->sourceCount + literals;
  if (operands.size() != expected) {
    error = std::string("'") + info->name + "' takes " + std::to_string(expected) + " operand" +
            (expected == 1 ? "" : "s") + ", found " + std::to_string(operands.size());
    return false;
  }

  size_t next = 0;
  if (hasDestination) {
    instruction.hasDestination = true;
    if (!Destination(operands[next++], instruction.destination, error)) return false;
  }
  instruction.sourceCount = info->sourceCount;
  for (int i = 0; i < info->sourceCount; ++i) {
    if (!Source(operands[next++], instruction.sources[i], error)) return false;
  }
  instruction.literalCount = static_cast<uint8_t>(literals);
  for (size_t i = 0; i < literals; ++i) {
    const Range range = operands[next++];
    const bool parsed = info->literal == Literal::FLOAT4 ? FloatLiteral(range, instruction.literals[i], error)
                        : info->literal == Literal::INT4 ? IntLiteral(range, instruction.literals[i], error)
                                                         : BoolLiteral(range, instruction.literals[i], error);
    if (!parsed) return false;
  }

  if (instruction.opcode == Opcode::DCL) {
    if (!model.IsPixel() && samplerTypeGiven) {
      error = "sampler declarations are not available in " + model.Name();
      return false;
    }
    if (!model.IsPixel() && !usageGiven) {
      error = "dcl needs a usage in " + model.Name() + " (dcl_position, dcl_texcoord1...)";
      return false;
    }
    if (model.IsPixel() && usageGiven) {
      error = "dcl takes no usage in " + model.Name();
      return false;
    }
  }
  return model.Check(instruction, error);
}

bool ShaderLineParser::Mnemonic(std::string_view text, Instruction& instruction,
                                const ShaderModel::InstructionInfo*& info, std::string& error) {
  const size_t underscore = text.find('_');
  const std::string_view name = text.substr(0, underscore);
  info = model.Find(name);
  if (info == nullptr) {
    error = ShaderModel::IsKnownInstruction(name)
                ? "instruction " + Quote(name) + " is not available in " + model.Name()
                : "unknown instruction " + Quote(name);
    return false;
  }
  instruction.opcode = info->opcode;
  instruction.controls = info->controls;
  std::string_view rest = underscore == std::string_view::npos ? std::string_view() : text.substr(underscore);
  bool first = true;
  while (!rest.empty()) {
    rest.remove_prefix(1);  // the '_'
    const size_t end = rest.find('_');
    const std::string_view part = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end);
    if (first && instruction.opcode == Opcode::DCL) {
      static constexpr const char* USAGES[] = {"position",   "blendweight", "blendindices", "normal", "psize",
                                               "texcoord",   "tangent",     "binormal",     "tessfactor",
                                               "positiont",  "color",       "fog",          "depth",  "sample"};
      static constexpr std::pair<const char*, ShaderTokens::SamplerType> SAMPLERS[] = {
          {"2d", ShaderTokens::SamplerType::TEXTURE_2D},
          {"cube", ShaderTokens::SamplerType::CUBE},
          {"volume", ShaderTokens::SamplerType::VOLUME}};
      size_t digits = part.size();
      while (digits > 0 && IsDigit(part[digits - 1])) --digits;
      const std::string_view usage = part.substr(0, digits);
      for (size_t u = 0; u < std::size(USAGES); ++u) {
        if (usage != USAGES[u]) continue;
        const std::string_view index = part.substr(digits);
        if (index.size() > 2 || (index.size() == 2 && (index[0] - '0') * 10 + (index[1] - '0') > 15)) {
          error = "usage index out of range in " + Quote(part) + " (0 to 15)";
          return false;
        }
        instruction.usage = static_cast<ShaderTokens::Usage>(u);
        for (const char c : index) {
          instruction.usageIndex = static_cast<uint8_t>(instruction.usageIndex * 10 + (c - '0'));
        }
        usageGiven = true;
      }
      for (const auto& [samplerName, type] : SAMPLERS) {
        if (part == samplerName) {
          instruction.samplerType = type;
          samplerTypeGiven = true;
        }
      }
      first = false;
      if (usageGiven || samplerTypeGiven) continue;
    }
    first = false;
    if (!ResultModifier(part, instruction, error)) return false;
  }
  return true;
}

bool ShaderLineParser::ResultModifier(std::string_view part, Instruction& instruction, std::string& error) {
  DecodedShader::Destination& destination = instruction.destination;
  static constexpr std::pair<const char*, uint8_t> FLAGS[] = {{"sat", ShaderTokens::SATURATE},
                                                              {"pp", ShaderTokens::PARTIAL_PRECISION},
                                                              {"centroid", ShaderTokens::CENTROID}};
  static constexpr std::pair<const char*, int8_t> SHIFTS[] = {{"x2", 1},  {"x4", 2},  {"x8", 3},
                                                              {"d2", -1}, {"d4", -2}, {"d8", -3}};
  for (const auto& [name, flag] : FLAGS) {
    if (part != name) continue;
    if (destination.modifiers & flag) {
      error = "modifier " + Quote(std::string("_") + name) + " given twice";
      return false;
    }
    destination.modifiers = static_cast<uint8_t>(destination.modifiers | flag);
    return true;
  }
  for (const auto& [name, shift] : SHIFTS) {
    if (part != name) continue;
    if (destination.shift != 0) {
      error = "more than one shift modifier";
      return false;
    }
    destination.shift = shift;
    return true;
  }
  error = "unknown instruction modifier " + Quote(std::string("_").append(part));
  return false;
}

bool ShaderLineParser::Destination(Range range, DecodedShader::Destination& destination, std::string& error) {
  size_t position = range.begin;
  const Token& token = tokens[position];
  if (token.kind != Token::Kind::IDENTIFIER) return Unexpected(position, error);
  if (token.text.find('_') != std::string_view::npos) {
    error = "modifiers go on the instruction, not on the register, in " + Quote(token.text);
    return false;
  }
  RegisterName name;
  if (!ParseRegister(token.text, model, name, error)) return false;
  ++position;
  if (position < range.end && tokens[position].Is('[')) {
    error = "relative addressing is not available for destinations in " + model.Name();
    return false;
  }
  if (!name.numbered) {
    error = "missing register number in " + Quote(token.text);
    return false;
  }
  destination.type = name.type;
  destination.number = name.number;
  return RegisterSuffix(position, range, "write mask", ParseWriteMask, destination.writeMask, error);
}

bool ShaderLineParser::Source(Range range, DecodedShader::Source& source, std::string& error) {
  size_t position = range.begin;
  enum class Prefix { NONE, NEGATE, COMPLEMENT, NOT } prefix = Prefix::NONE;
  if (tokens[position].Is('-')) {
    prefix = Prefix::NEGATE;
    ++position;
  } else if (tokens[position].Is('!')) {
    prefix = Prefix::NOT;
    ++position;
  } else if (tokens[position].kind == Token::Kind::NUMBER && position + 1 < range.end &&
             tokens[position + 1].Is('-')) {
    if (tokens[position].text != "1") {
      error = "invalid source modifier " + Quote(std::string(tokens[position].text) + " -") + " (only 1 - r)";
      return false;
    }
    prefix = Prefix::COMPLEMENT;
    position += 2;
  }
  if (position >= range.end || tokens[position].kind != Token::Kind::IDENTIFIER) return Unexpected(position, error);

  // The register, then its own modifier: "r1_bx2".
  const std::string_view text = tokens[position].text;
  const size_t underscore = text.find('_');
  RegisterName name;
  if (!ParseRegister(text.substr(0, underscore), model, name, error)) return false;
  SourceModifier suffix = SourceModifier::NONE;
  if (underscore != std::string_view::npos) {
    static constexpr std::pair<const char*, SourceModifier> SUFFIXES[] = {
        {"bx2", SourceModifier::SIGN}, {"bias", SourceModifier::BIAS}, {"x2", SourceModifier::X2},
        {"dz", SourceModifier::DZ},    {"db", SourceModifier::DZ},     {"dw", SourceModifier::DW},
        {"da", SourceModifier::DW},    {"abs", SourceModifier::ABS}};
    const std::string_view part = text.substr(underscore + 1);
    bool known = false;
    for (const auto& [suffixName, modifier] : SUFFIXES) {
      if (part == suffixName) {
        suffix = modifier;
        known = true;
      }
    }
    if (!known) {
      error = "unknown source modifier " + Quote(text.substr(underscore));
      return false;
    }
  }
  switch (prefix) {
    case Prefix::NONE: source.modifier = suffix; break;
    case Prefix::NEGATE:
      switch (suffix) {
        case SourceModifier::NONE: source.modifier = SourceModifier::NEGATE; break;
        case SourceModifier::BIAS: source.modifier = SourceModifier::BIAS_NEGATE; break;
        case SourceModifier::SIGN: source.modifier = SourceModifier::SIGN_NEGATE; break;
        case SourceModifier::X2: source.modifier = SourceModifier::X2_NEGATE; break;
        case SourceModifier::ABS: source.modifier = SourceModifier::ABS_NEGATE; break;
        default:
          error = "'-' cannot be combined with " + Quote(text.substr(underscore));
          return false;
      }
      break;
    case Prefix::COMPLEMENT:
    case Prefix::NOT:
      if (suffix != SourceModifier::NONE) {
        error = std::string(prefix == Prefix::NOT ? "'!'" : "'1 -'") + " cannot be combined with " +
                Quote(text.substr(underscore));
        return false;
      }
      source.modifier = prefix == Prefix::NOT ? SourceModifier::NOT : SourceModifier::COMPLEMENT;
      break;
  }
  ++position;

  source.type = name.type;
  source.number = name.number;
  if (position < range.end && tokens[position].Is('[')) {
    size_t close = position + 1;
    while (close < range.end && !tokens[close].Is(']')) ++close;
    if (close >= range.end) {
      error = "missing ']'";
      return false;
    }
    if (!RelativeIndex({position + 1, close}, name.number, source, error)) return false;
    position = close + 1;
  } else if (!name.numbered) {
    error = "missing register number in " + Quote(text);
    return false;
  }
  return RegisterSuffix(position, range, "swizzle", ParseSwizzle, source.swizzle, error);
}

// Inside c[...]: whole numbers and at most one index register, joined by
// "+". The numbers add to the register number.
bool ShaderLineParser::RelativeIndex(Range range, uint32_t baseNumber, DecodedShader::Source& source,
                               std::string& error) {
  constexpr uint32_t LIMIT = 1u << 20;  // beyond any register; keeps the sum small
  uint32_t number = baseNumber;
  bool indexed = false;
  bool expectTerm = true;
  for (size_t position = range.begin; position < range.end; ++position) {
    const Token& token = tokens[position];
    if (!expectTerm) {
      if (token.Is('-')) {
        error = "'-' is not allowed in relative addressing";
        return false;
      }
      if (!token.Is('+')) return Unexpected(position, error);
      expectTerm = true;
      continue;
    }
    expectTerm = false;
    if (token.kind == Token::Kind::NUMBER) {
      uint32_t value = 0;
      for (const char c : token.text) {
        if (!IsDigit(c)) {
          error = "relative offset " + Quote(token.text) + " is not a whole number";
          return false;
        }
        value = std::min(LIMIT, value * 10 + static_cast<uint32_t>(c - '0'));
      }
      number = std::min(LIMIT, number + value);
      continue;
    }
    if (token.kind != Token::Kind::IDENTIFIER) {
      if (token.Is('-')) {
        error = "'-' is not allowed in relative addressing";
        return false;
      }
      return Unexpected(position, error);
    }
    if (indexed) {
      error = "more than one index register in relative addressing";
      return false;
    }
    RegisterName index;
    if (!ParseRegister(token.text, model, index, error)) return false;
    const std::string indexName = model.RegisterName(index.type, index.number);
    if (index.type != RegisterType::ADDRESS && index.type != RegisterType::LOOP) {
      error = "relative addressing needs a0 or aL, found " + Quote(token.text);
      return false;
    }
    if (model.RegisterCount(index.type) == 0 || index.number != 0) {
      error = "register " + indexName + " is not available in " + model.Name();
      return false;
    }
    indexed = true;
    source.relative = true;
    source.relativeType = index.type;
    source.relativeSwizzle = ShaderTokens::IDENTITY_SWIZZLE;
    const bool swizzled = position + 1 < range.end && tokens[position + 1].Is('.');
    if (swizzled) {
      if (position + 2 >= range.end || tokens[position + 2].kind != Token::Kind::IDENTIFIER) {
        error = "missing swizzle after '.'";
        return false;
      }
      if (index.type == RegisterType::LOOP) {
        error = "aL takes no swizzle";
        return false;
      }
      if (!ParseSwizzle(tokens[position + 2].text, source.relativeSwizzle, error)) return false;
      position += 2;
    }
    if (index.type == RegisterType::ADDRESS && model.Major() == 1) {
      // vs_1_1 has no index token: the index is always a0.x.
      if (!swizzled || source.relativeSwizzle != ShaderTokens::ReplicateSwizzle(0)) {
        error = "relative addressing in " + model.Name() + " takes a0.x only";
        return false;
      }
    }
  }
  if (expectTerm) {
    error = range.begin == range.end ? "empty relative address" : "relative address ends with '+'";
    return false;
  }
  if (number >= LIMIT) {
    error = "register number too large in relative addressing";
    return false;
  }
  source.number = number;
  return true;
}

bool ShaderLineParser::SignedNumber(Range range, size_t& position, bool& negative,
                                    const char* expected, std::string& error) const {
  position = range.begin;
  negative = tokens[position].Is('-');
  if (negative || tokens[position].Is('+')) ++position;
  if (position >= range.end || tokens[position].kind != Token::Kind::NUMBER) {
    error = std::string("expected ") + expected;
    return false;
  }
  return true;
}

bool ShaderLineParser::FloatLiteral(Range range, uint32_t& bits, std::string& error) {
  size_t position = 0;
  bool negative = false;
  if (!SignedNumber(range, position, negative, "a number", error)) return false;
  std::string_view text = tokens[position].text;
  if (text.back() == 'f') text.remove_suffix(1);
  float value = 0.0f;
  const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (status != std::errc() || end != text.data() + text.size()) {
    error = "number " + Quote(tokens[position].text) + " is out of range for a float";
    return false;
  }
  bits = std::bit_cast<uint32_t>(value) ^ (negative ? 0x80000000u : 0u);
  return position + 1 == range.end || NotOneNumber(error);
}

bool ShaderLineParser::IntLiteral(Range range, uint32_t& value, std::string& error) {
  size_t position = 0;
  bool negative = false;
  if (!SignedNumber(range, position, negative, "a whole number", error)) return false;
  int64_t magnitude = 0;
  for (const char c : tokens[position].text) {
    if (!IsDigit(c)) {
      error = "integer constant expected, found " + Quote(tokens[position].text);
      return false;
    }
    magnitude = std::min<int64_t>(magnitude * 10 + (c - '0'), int64_t{1} << 32);
  }
  if (magnitude > (negative ? int64_t{1} << 31 : (int64_t{1} << 31) - 1)) {
    error = "integer constant " + Quote(tokens[position].text) + " is out of range";
    return false;
  }
  value = static_cast<uint32_t>(negative ? -magnitude : magnitude);
  return position + 1 == range.end || NotOneNumber(error);
}

bool ShaderLineParser::BoolLiteral(Range range, uint32_t& value, std::string& error) {
  const Token& token = tokens[range.begin];
  if (range.end != range.begin + 1 || token.kind != Token::Kind::IDENTIFIER ||
      (token.text != "true" && token.text != "false")) {
    error = "defb takes true or false";
    return false;
  }
  value = token.text == "true" ? 1 : 0;
  return true;
}

}  // namespace ynx
