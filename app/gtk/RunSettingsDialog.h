#pragma once

#include <cstdint>

namespace ynx {

class ScreensaverApplication;

// The configuration mode's dialog over the current renderer's display
// modes, owned by the application's parent window when it has one. 1 after
// OK (the settings are in the registry), 2 after Cancel or closing; -1 when
// no dialog can be shown (no display), logged.
int32_t RunSettingsDialog(ScreensaverApplication& application);

}  // namespace ynx
