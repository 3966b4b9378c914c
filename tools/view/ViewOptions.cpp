#include "tools/view/ViewOptions.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace ynx::tools {
namespace {

bool EndsWithNoCase(const std::string& text, const std::string& suffix) {
  if (text.size() < suffix.size()) return false;
  for (size_t i = 0; i < suffix.size(); ++i) {
    const char a = text[text.size() - suffix.size() + i];
    const char b = suffix[i];
    if ((a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a) != b) return false;
  }
  return true;
}

bool ParseNumber(const std::string& text, double& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtod(text.c_str(), &end);
  return errno == 0 && end == text.c_str() + text.size() && std::isfinite(value);
}

bool ParseCount(const std::string& text, int32_t low, int32_t high, int32_t& value) {
  double number = 0.0;
  if (!ParseNumber(text, number) || number != std::floor(number) || number < low || number > high) {
    return false;
  }
  value = static_cast<int32_t>(number);
  return true;
}

bool ParseSize(const std::string& text, int32_t& width, int32_t& height) {
  const size_t x = text.find_first_of("xX");
  return x != std::string::npos && ParseCount(text.substr(0, x), 1, 16384, width) &&
         ParseCount(text.substr(x + 1), 1, 16384, height);
}

// Exactly one "%d" and no other conversion.
bool ValidPattern(const std::string& name) {
  int32_t conversions = 0;
  for (size_t i = 0; i < name.size(); ++i) {
    if (name[i] != '%') continue;
    if (i + 1 < name.size() && name[i + 1] == 'd') {
      ++conversions;
      ++i;
    } else {
      return false;
    }
  }
  return conversions <= 1;
}

}  // namespace

bool ViewOptions::Parse(int argc, const char* const* argv, ViewOptions& out, bool& help,
                        std::string& error) {
  help = false;
  std::string positional[2];
  int32_t positionals = 0;
  bool framesGiven = false;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--help" || option == "-h") {
      help = true;
      return true;
    }
    if (option == "--stats") {
      out.stats = true;
      continue;
    }
    if (option.rfind("--", 0) != 0) {
      if (positionals == 2) {
        error = "unexpected argument '" + option + "'";
        return false;
      }
      positional[positionals++] = option;
      continue;
    }
    if (i + 1 >= argc) {
      error = option + " needs a value";
      return false;
    }
    const std::string value = argv[++i];
    bool valid = true;
    if (option == "--size") {
      valid = ParseSize(value, out.width, out.height);
    } else if (option == "--time") {
      valid = ParseNumber(value, out.startTime) && out.startTime >= 0.0;
    } else if (option == "--step") {
      valid = ParseNumber(value, out.step) && out.step > 0.0;
    } else if (option == "--frames") {
      valid = ParseCount(value, 1, 1000000, out.frames);
      framesGiven = true;
    } else if (option == "--set") {
      valid = ParseCount(value, 1, 1000, out.set);
    } else if (option == "--text") {
      out.text = value;
    } else if (option == "--font") {
      out.font = value;
      valid = !value.empty();
    } else if (option == "--screenshot") {
      out.screenshot = value;
      valid = !value.empty() && ValidPattern(value);
    } else {
      error = "unknown option " + option;
      return false;
    }
    if (!valid) {
      error = "bad value '" + value + "' for " + option;
      return false;
    }
  }
  if (positionals == 0) {
    error = "no scene given";
    return false;
  }
  out.path = positional[0];
  out.archive = EndsWithNoCase(out.path, ".rar2") || EndsWithNoCase(out.path, ".rar");
  if (positionals == 2) {
    if (!out.archive) {
      error = "a scene name only goes with an archive";
      return false;
    }
    out.entry = positional[1];
  }
  if (out.text.empty() != out.font.empty()) {
    error = "--text and --font go together";
    return false;
  }
  // A screenshot is taken headless: one frame unless told otherwise.
  if (!out.screenshot.empty() && !framesGiven) out.frames = 1;
  return true;
}

std::string ViewOptions::ScreenshotName(int32_t frame) const {
  const size_t at = screenshot.find("%d");
  if (at == std::string::npos) return screenshot;
  return screenshot.substr(0, at) + std::to_string(frame) + screenshot.substr(at + 2);
}

bool ViewOptions::Captures(int32_t frame) const {
  if (screenshot.empty()) return false;
  return screenshot.find("%d") != std::string::npos || frame == frames;
}

}  // namespace ynx::tools
