#include "app/gtk/RunSettingsDialog.h"

#include <gtk/gtk.h>

#include <utility>
#include <vector>

#include "app/ScreensaverApplication.h"
#include "app/SettingsDialogModel.h"
#include "app/gtk/SettingsDialogView.h"
#include "engine/core/Log.h"
#include "engine/render/Renderer.h"

namespace ynx {

int32_t RunSettingsDialog(ScreensaverApplication& application) {
  // Once, before the toolkit starts (unless it has been started already).
  static bool prepared = false;
  if (!prepared && gdk_display_get_default() == nullptr) {
    // The owner handle is an X11 window, and the engine's windows are X11's.
    gdk_set_allowed_backends("x11");
    // The engine prints and parses numbers in the C locale.
    gtk_disable_setlocale();
  }
  prepared = true;
  if (!gtk_init_check(nullptr, nullptr)) {
    LogError("Невозможно открыть диалог настроек.");
    return -1;
  }
  std::vector<DisplayModeDesc> modes;
  int32_t desktopMode = -1;
  if (const Renderer* renderer = Renderer::GetCurrent()) {
    modes = renderer->GetModes();
    desktopMode = renderer->GetDesktopMode();
  }
  SettingsDialogModel model(application, std::move(modes), desktopMode);
  SettingsDialogView view(model, application.GetParentWindow());
  return view.Run();
}

}  // namespace ynx
