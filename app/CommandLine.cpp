#include "app/CommandLine.h"

#include <cctype>
#include <cstring>
#include <limits>

namespace ynx {
namespace {

const char* SkipProgramName(const char* line) {
  if (*line == '"') {
    const char* closing = std::strchr(line + 1, '"');
    return closing != nullptr ? closing + 1 : line + std::strlen(line);
  }
  const char* blank = std::strchr(line, ' ');
  return blank != nullptr ? blank + 1 : line + std::strlen(line);
}

// The first decimal number after the switch letter, if any; saturates
// instead of overflowing.
uint64_t ReadWindowHandle(const char* text) {
  while (*text != 0 && !std::isdigit(static_cast<unsigned char>(*text))) ++text;
  uint64_t value = 0;
  constexpr uint64_t limit = std::numeric_limits<uint64_t>::max();
  for (; std::isdigit(static_cast<unsigned char>(*text)); ++text) {
    const uint64_t digit = static_cast<uint64_t>(*text - '0');
    value = value > (limit - digit) / 10 ? limit : value * 10 + digit;
  }
  return value;
}

}  // namespace

CommandLine ParseCommandLine(const char* line) {
  CommandLine result;
  if (line == nullptr) return result;
  const char* rest = SkipProgramName(line);
  const char* mark = std::strpbrk(rest, "/-");
  if (mark == nullptr) return result;
  const char* letter = mark + 1;
  switch (std::tolower(static_cast<unsigned char>(*letter))) {
    case 'a':
      result.mode = RUN_MODE_PASSWORD;
      break;
    case 'c':
      result.mode = RUN_MODE_CONFIGURE;
      break;
    case 'p':
      result.mode = RUN_MODE_PREVIEW;
      break;
    case 't':
      result.mode = RUN_MODE_TEST;
      return result;
    default:
      result.mode = RUN_MODE_SCREENSAVER;
      return result;
  }
  result.parentWindow = ReadWindowHandle(letter + 1);
  return result;
}

}  // namespace ynx
