#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace ynx {

// The user's settings, with their built-in values (before the embedded
// defaults and the registry have spoken).
struct Settings {
  bool showFps = false;
  bool exitOnMouseMove = true;
  bool showTime = true;
  bool useDesktopSettings = true;
  bool music = true;
  bool sfx = true;
  bool hour24 = true;
  int32_t volume = 80;
  int32_t width = 800;
  int32_t height = 600;
  int32_t colorDepth = 32;
  int32_t antiAliasing = 0;
  int32_t gamma = 100;
  // Frames per second at most; 0 for no cap.
  int32_t maxFps = 0;

  static constexpr int32_t MAX_FPS_LIMIT = 1000;

  // Stored values may be anything: volume is a percentage, gamma -100..100,
  // the frame cap 0..1000.
  void ClampRanges() {
    volume = std::clamp(volume, 0, 100);
    gamma = std::clamp(gamma, -100, 100);
    maxFps = std::clamp(maxFps, 0, MAX_FPS_LIMIT);
  }

  // One setting: its key (also its registry value name) and its field.
  struct Field {
    const char* key;
    bool Settings::*flag;
    int32_t Settings::*number;
  };
  // Every setting, in the order they are stored; the log shows the first
  // LOGGED_FIELDS (the frame cap came later and is stored only).
  static constexpr Field FIELDS[] = {
      {"ShowFPS", &Settings::showFps, nullptr},
      {"ExitOnMouseMove", &Settings::exitOnMouseMove, nullptr},
      {"ShowTime", &Settings::showTime, nullptr},
      {"UseDesktopSettings", &Settings::useDesktopSettings, nullptr},
      {"Music", &Settings::music, nullptr},
      {"SFX", &Settings::sfx, nullptr},
      {"Hour24", &Settings::hour24, nullptr},
      {"Volume", nullptr, &Settings::volume},
      {"Width", nullptr, &Settings::width},
      {"Height", nullptr, &Settings::height},
      {"ColorDepth", nullptr, &Settings::colorDepth},
      {"AntiAliasing", nullptr, &Settings::antiAliasing},
      {"Gamma", nullptr, &Settings::gamma},
      {"MaxFPS", nullptr, &Settings::maxFps},
  };
  static constexpr size_t LOGGED_FIELDS = 13;
};

}  // namespace ynx
