#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "app/SettingsDialogMessage.h"
#include "engine/core/String.h"
#include "engine/render/DisplayModeDesc.h"

namespace ynx {

class ScreensaverApplication;

// The configuration dialog without a toolkit: every control's state keyed
// by its dialog id, the rules that tie the controls to the settings, and the
// commands a view forwards. Each command changes the application's current
// settings at once; only Confirm writes them to the registry.
class SettingsDialogModel {
 public:
  enum ControlId : int32_t {
    ID_OK = 1,
    ID_CANCEL = 2,
    ID_MODE_LIST = 1011,
    ID_MODE_BOX = 1016,
    ID_VOLUME = 1020,
    ID_MUSIC = 1021,
    ID_PRODUCTS_BOX = 1022,
    ID_PRODUCTS = 1025,
    ID_PICTURE = 1036,
    ID_SHOW_FPS = 1044,
    ID_EXIT_ON_MOUSE = 1045,
    ID_GAMMA = 1046,
    ID_VISIT = 1061,
    ID_ABOUT = 1062,
    ID_RESTORE_DEFAULTS = 1063,
    ID_HOUR_12 = 1111,
    ID_HOUR_24 = 1112,
    ID_SHOW_TIME = 1119,
    ID_USE_DESKTOP = 11012,
    ID_SOUND_BOX = 11017,
    ID_MISC_BOX = 11019,
    ID_SFX = 11022,
    ID_VOLUME_CAPTION = 11023,
    ID_GAMMA_CAPTION = 11106,
    ID_GAMMA_VALUE = 11118,
    ID_GRAPHICS_BOX = 21018,
  };

  enum class Kind : int32_t { GROUP, LABEL, CHECK, RADIO, BUTTON, TRACKBAR, LIST, PICTURE };

  struct Control {
    int32_t id;
    Kind kind;
    String caption;
    bool enabled = true;
    bool checked = false;
    int32_t position = 0;
    int32_t minimum = 0;
    int32_t maximum = 0;
  };

  // One entry of the mode list: its text and the mode it stands for.
  struct ModeItem {
    String text;
    DisplayModeDesc mode;
  };

  // The about box's texts.
  struct About {
    static constexpr int32_t LINE_COUNT = 8;
    String title;
    std::array<String, LINE_COUNT> lines;
    String ok;
  };

  // The dialog's size the first placement centres on the desktop mode.
  static constexpr int32_t DESIGN_WIDTH = 530;
  static constexpr int32_t DESIGN_HEIGHT = 440;
  // Pictures of the custom-data archive: the dialog's and the about box's.
  static constexpr char SETTINGS_PICTURE[] = "settings.bmp";
  static constexpr char LOGO_PICTURE[] = "logo.bmp";
  static constexpr int32_t OK_RESULT = 1;
  static constexpr int32_t CANCEL_RESULT = 2;

  // The modes as the renderer lists them, and the index of the desktop's
  // (-1 for none). Captions and controls are set up at once.
  SettingsDialogModel(ScreensaverApplication& application, std::vector<DisplayModeDesc> modes,
                      int32_t desktopMode);

  // Puts the current settings into the controls and rebuilds the mode list;
  // then the application hears of it.
  void Refresh();
  // A view reports each event once the model has acted on it: the
  // application's answer (for PAINT: 1 when the canvas was drawn).
  int32_t Notify(const SettingsDialogMessage& message);

  const String& Title() const { return title; }
  // Every control, in the order of the dialog's table.
  const std::vector<Control>& Controls() const { return controls; }
  // The control of that id; null for an id the dialog does not have.
  const Control* Find(int32_t id) const;
  const std::vector<ModeItem>& ModeItems() const { return modeItems; }
  // The selected mode item, or -1.
  int32_t SelectedMode() const { return selectedMode; }
  const String& WebSiteUrl() const;
  About AboutTexts() const;
  // The bytes of a file of the virtual file system, for a view to decode.
  // False, with a warning logged, when it is missing or empty.
  static bool ReadPicture(const char* name, std::vector<uint8_t>& bytes);
  // Where the first placement puts a dialog of that size: centred on the
  // desktop mode. False when there is no desktop mode.
  bool InitialPosition(int32_t width, int32_t height, int32_t& x, int32_t& y) const;

  // A check box or radio button changed by the user; other ids are ignored.
  void SetChecked(int32_t id, bool checked);
  // A trackbar moved; the position is kept within its range.
  void SetPosition(int32_t id, int32_t position);
  // The user picked a mode item (-1 for none).
  void SelectMode(int32_t item);
  // The defaults of the embedded settings text become current again.
  void RestoreDefaults();
  // OK: the selected mode becomes the full-screen mode, the settings go to
  // the registry (a failed write is logged there, not here). OK_RESULT.
  int32_t Confirm();
  // Cancel: nothing is written. CANCEL_RESULT.
  int32_t Cancel() const { return CANCEL_RESULT; }

 private:
  Control& At(int32_t id);
  void SetGammaLabel();
  void EnableTimeFormat();
  void EnableVolume();
  void FillModeList();

  ScreensaverApplication& application;
  std::vector<DisplayModeDesc> modes;
  int32_t desktopMode;
  String title;
  std::vector<Control> controls;
  std::vector<ModeItem> modeItems;
  int32_t selectedMode = -1;
};

}  // namespace ynx
