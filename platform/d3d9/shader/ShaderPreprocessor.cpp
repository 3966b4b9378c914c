#include "platform/d3d9/shader/ShaderPreprocessor.h"

#include <algorithm>

namespace ynx {

namespace {

bool IsIdentifierStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsIdentifierChar(char c) { return IsIdentifierStart(c) || IsDigit(c); }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view TakeIdentifier(std::string_view& text) {
  size_t length = 0;
  if (!text.empty() && IsIdentifierStart(text[0])) {
    while (length < text.size() && IsIdentifierChar(text[length])) ++length;
  }
  const std::string_view name = text.substr(0, length);
  text.remove_prefix(length);
  return name;
}

// A pp-number: digits, letters, "_", "." and signed exponents, so that the
// "f" of "1.0f" is never taken for a macro.
size_t NumberLength(std::string_view text) {
  size_t length = 1;
  while (length < text.size()) {
    const char c = text[length];
    if ((c == '+' || c == '-') && (text[length - 1] == 'e' || text[length - 1] == 'E')) {
      ++length;
    } else if (IsIdentifierChar(c) || c == '.') {
      ++length;
    } else {
      break;
    }
  }
  return length;
}

}  // namespace

std::vector<ShaderPreprocessor::Logical> ShaderPreprocessor::SplitLines(std::string_view text,
                                                                       uint32_t& unterminated) {
  std::vector<Logical> result;
  Logical current{{}, 1, 1};
  uint32_t physical = 1;
  uint32_t commentStart = 0;
  bool lineComment = false;
  bool blockComment = false;
  const size_t size = text.size();
  for (size_t i = 0; i < size; ++i) {
    const char c = text[i];
    const char next = i + 1 < size ? text[i + 1] : '\0';
    if (c == '\r' && next == '\n') continue;  // the '\n' ends the line
    if (c == '\\') {
      size_t j = i + 1;
      if (j < size && text[j] == '\r' && j + 1 < size && text[j + 1] == '\n') ++j;
      if (j < size && text[j] == '\n') {
        ++physical;
        i = j;
        continue;
      }
    }
    if (blockComment) {
      if (c == '*' && next == '/') {
        blockComment = false;
        current.text += ' ';
        ++i;
      } else if (c == '\n') {
        ++physical;
      }
      continue;
    }
    if (c == '\n') {
      current.last = physical;
      if (!Trim(current.text).empty()) result.push_back(std::move(current));
      ++physical;
      current = Logical{{}, physical, physical};
      lineComment = false;
      continue;
    }
    if (lineComment) continue;
    if (c == '/' && next == '/') {
      lineComment = true;
      continue;
    }
    if (c == '/' && next == '*') {
      blockComment = true;
      commentStart = physical;
      ++i;
      continue;
    }
    current.text += c;
  }
  current.last = physical;
  if (!Trim(current.text).empty()) result.push_back(std::move(current));
  unterminated = blockComment ? commentStart : 0;
  return result;
}

ShaderPreprocessor::ShaderPreprocessor(std::string_view text) : fileNames{"shader"} {
  uint32_t unterminated = 0;
  const std::vector<Logical> logicalLines = SplitLines(text, unterminated);
  std::vector<std::string_view> active;
  for (const Logical& logical : logicalLines) {
    Line line{{}, static_cast<uint32_t>(std::clamp<int64_t>(logical.first + lineDelta, 0, INT32_MAX)), currentFile,
              {}};
    const std::string_view trimmed = Trim(logical.text);
    if (trimmed.front() == '#') {
      Directive(trimmed.substr(1), logical, line);
      if (!line.error.empty()) lines.push_back(std::move(line));
      continue;
    }
    if (macros.empty()) {
      line.text = logical.text;
    } else if (!Expand(logical.text, line.text, 0, active, line.error)) {
      line.text.clear();
    }
    lines.push_back(std::move(line));
  }
  if (unterminated != 0) {
    lines.push_back(Line{{}, unterminated, 0, "unterminated /* comment"});
  }
}

void ShaderPreprocessor::Directive(std::string_view text, const Logical& logical, Line& line) {
  text = Trim(text);
  const std::string_view name = TakeIdentifier(text);
  if (name.empty() && Trim(text).empty()) return;  // "#" alone
  if (name == "define") {
    text = Trim(text);
    const std::string_view macro = TakeIdentifier(text);
    if (macro.empty()) {
      line.error = "#define needs a macro name";
    } else if (!text.empty() && text.front() == '(') {
      line.error = "function-like macros are not supported";
    } else if (!text.empty() && !IsBlank(text.front())) {
      line.error = "#define needs a blank after the macro name";
    } else {
      macros.insert_or_assign(std::string(macro), std::string(Trim(text)));
    }
  } else if (name == "undef") {
    text = Trim(text);
    const std::string_view macro = TakeIdentifier(text);
    if (macro.empty() || !Trim(text).empty()) {
      line.error = "#undef needs one macro name";
    } else {
      macros.erase(std::string(macro));
    }
  } else if (name == "line") {
    text = Trim(text);
    int64_t number = 0;
    size_t digits = 0;
    while (digits < text.size() && IsDigit(text[digits]) && number <= INT32_MAX) {
      number = number * 10 + (text[digits++] - '0');
    }
    text.remove_prefix(digits);
    text = Trim(text);
    std::string_view file;
    bool named = false;
    if (!text.empty() && text.front() == '"') {
      const size_t close = text.find('"', 1);
      if (close != std::string_view::npos) {
        file = text.substr(1, std::min<size_t>(close - 1, MAX_FILE_NAME));
        named = true;
        text = Trim(text.substr(close + 1));
      }
    }
    if (digits == 0 || number > INT32_MAX || !text.empty()) {
      line.error = "#line needs a line number and an optional \"file name\"";
      return;
    }
    // The line after the directive gets the number.
    lineDelta = number - static_cast<int64_t>(logical.last) - 1;
    if (named) {
      const auto found = std::find(fileNames.begin(), fileNames.end(), file);
      currentFile = static_cast<uint32_t>(found - fileNames.begin());
      if (found == fileNames.end()) fileNames.emplace_back(file);
    }
  } else {
    line.error = "unsupported preprocessor directive '#" + std::string(name.substr(0, 32)) + "'";
  }
}

bool ShaderPreprocessor::Expand(std::string_view text, std::string& out, int depth,
                                std::vector<std::string_view>& active, std::string& error) {
  size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    size_t length = 1;
    if (IsIdentifierStart(c)) {
      while (i + length < text.size() && IsIdentifierChar(text[i + length])) ++length;
      const std::string_view name = text.substr(i, length);
      const auto macro = macros.find(name);
      if (macro != macros.end() && std::find(active.begin(), active.end(), name) == active.end()) {
        if (depth >= MAX_NESTING || budget == 0) {
          error = depth >= MAX_NESTING ? "macros nested too deeply" : "macro expansion too large";
          return false;
        }
        --budget;
        active.push_back(macro->first);
        const bool expanded = Expand(macro->second, out, depth + 1, active, error);
        active.pop_back();
        if (!expanded) return false;
        i += length;
        continue;
      }
    } else if (IsDigit(c) || (c == '.' && i + 1 < text.size() && IsDigit(text[i + 1]))) {
      length = NumberLength(text.substr(i));
    }
    if (depth > 0) {
      if (length > budget) {
        error = "macro expansion too large";
        return false;
      }
      budget -= length;
    }
    out.append(text.substr(i, length));
    i += length;
  }
  return true;
}

}  // namespace ynx
