#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace ynx {

// The C-style preprocessing in front of the shader assembler: CRLF line
// ends, backslash-newline continuation, /* */ and // comments, object-like
// #define and #undef, and #line. Other directives (#if, #include...) and
// function-like macros are refused with an error on their line. ";"
// comments are the assembler's: they are left in the text.
class ShaderPreprocessor {
 public:
  struct Line {
    std::string text;   // comments removed, macros expanded
    uint32_t number;    // as messages name it (#line moves it)
    uint32_t file;      // index into FileNames()
    std::string error;  // set when the line could not be preprocessed
  };

  // Macro bodies may expand into at most this many characters and macro
  // uses in all lines together, so self-multiplying macros end quickly.
  static constexpr size_t MAX_EXPANSION = 1 << 18;
  static constexpr int MAX_NESTING = 64;
  // Longer #line file names are cut: every error line repeats them.
  static constexpr size_t MAX_FILE_NAME = 128;

  explicit ShaderPreprocessor(std::string_view text);

  // Logical lines holding text or an error; directives and blank lines
  // are left out.
  const std::vector<Line>& Lines() const { return lines; }
  // "shader" first, then each name a #line directive gave.
  const std::vector<std::string>& FileNames() const { return fileNames; }

 private:
  struct Logical {
    std::string text;
    uint32_t first;  // physical line numbers, from 1
    uint32_t last;
  };

  // Joins continued lines and blanks out comments; unterminated is the
  // line of a /* that never ends (0 when none).
  static std::vector<Logical> SplitLines(std::string_view text, uint32_t& unterminated);
  void Directive(std::string_view text, const Logical& logical, Line& line);
  bool Expand(std::string_view text, std::string& out, int depth, std::vector<std::string_view>& active,
              std::string& error);

  std::vector<Line> lines;
  std::vector<std::string> fileNames;
  std::map<std::string, std::string, std::less<>> macros;
  uint32_t currentFile = 0;
  int64_t lineDelta = 0;  // reported number = physical number + lineDelta
  size_t budget = MAX_EXPANSION;
};

}  // namespace ynx
