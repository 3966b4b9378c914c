#pragma once

#include <cstdint>

namespace ynx {

// What the configuration dialog tells the screensaver after each of its
// events, whatever toolkit shows it.
struct SettingsDialogMessage {
  enum class Type : int32_t {
    // The dialog's controls are made and filled.
    INIT,
    // The user acted on `control`.
    COMMAND,
    // `control` is to be drawn: its client area is the canvas below.
    PAINT,
  };

  Type type = Type::INIT;
  int32_t control = 0;
  // PAINT only: width × height pixels, 0x00RRGGBB each, rows `stride` pixels
  // apart, top row first.
  uint32_t* pixels = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  int32_t stride = 0;
};

}  // namespace ynx
