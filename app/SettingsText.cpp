#include "app/SettingsText.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace ynx {
namespace {

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

}  // namespace

int32_t SettingsText::NextLine(const char* text, int32_t& position, int32_t length, String& line) {
  while (position < length) {
    const char c = text[position];
    if (IsLineEnd(c)) {
      ++position;
    } else if (c == ';') {
      while (position < length && !IsLineEnd(text[position])) ++position;
    } else {
      const int32_t start = position;
      while (position < length && !IsLineEnd(text[position]) && text[position] != ';') ++position;
      line = String(text + start, position - start);
      // The rest of a line after its ";" is a comment.
      while (position < length && !IsLineEnd(text[position])) ++position;
      return 0;
    }
  }
  return 1;
}

void SettingsText::SplitLine(const String& line, String& key, String& value) {
  const char* found = nullptr;
  for (int32_t i = 0; i + 3 <= line.Length(); ++i) {
    if (std::memcmp(line.CStr() + i, " = ", 3) == 0) {
      found = line.CStr() + i;
      break;
    }
  }
  if (found == nullptr) {
    key = String();
    value = String();
    return;
  }
  const int32_t split = static_cast<int32_t>(found - line.CStr());
  key = line.Substring(0, split);
  value = line.Substring(split + 3);
}

bool SettingsText::ParseInteger(const String& text, int32_t& value) {
  const char* start = text.CStr();
  while (std::isspace(static_cast<unsigned char>(*start))) ++start;
  const char* digits = start + (*start == '-' || *start == '+' ? 1 : 0);
  if (!std::isdigit(static_cast<unsigned char>(*digits))) return false;
  const long long parsed = std::strtoll(start, nullptr, 10);
  constexpr long long lowest = std::numeric_limits<int32_t>::min();
  constexpr long long highest = std::numeric_limits<int32_t>::max();
  value = static_cast<int32_t>(parsed < lowest ? lowest : parsed > highest ? highest : parsed);
  return true;
}

}  // namespace ynx
