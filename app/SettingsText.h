#pragma once

#include <cstdint>

#include "engine/core/String.h"

namespace ynx {

// The line format of the embedded settings and texts: "key = value", ";"
// starting a comment, lines ended by CR, LF or both.
class SettingsText {
 public:
  // The next line's content (up to its end or its first ";"), skipping empty
  // and comment lines; 0 when a line was produced, 1 at the end of the text.
  static int32_t NextLine(const char* text, int32_t& position, int32_t length, String& line);
  // Splits at the first " = "; both parts as they stand. Without " = " both
  // are empty.
  static void SplitLine(const String& line, String& key, String& value);
  // A decimal number as "%d" reads it: leading blanks and a sign allowed,
  // anything after the digits ignored, out-of-range values clamped. False
  // when there is no number.
  static bool ParseInteger(const String& text, int32_t& value);
};

}  // namespace ynx
