#include "app/SettingsDialogModel.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <utility>

#include "app/ScreensaverApplication.h"
#include "engine/core/Log.h"
#include "engine/io/File.h"
#include "engine/io/FileManager.h"

namespace ynx {
namespace {

using Kind = SettingsDialogModel::Kind;

// The dialog's controls: id, kind, the text key of its caption and the
// caption it keeps when the text table lacks that key.
struct ControlEntry {
  int32_t id;
  Kind kind;
  const char* key;
  const char* caption;
};

constexpr ControlEntry CONTROLS[] = {
    {SettingsDialogModel::ID_MODE_BOX, Kind::GROUP, "Mes_Settings_Box_Mode", "Video Mode"},
    {SettingsDialogModel::ID_MODE_LIST, Kind::LIST, nullptr, ""},
    {SettingsDialogModel::ID_USE_DESKTOP, Kind::CHECK, "Mes_Settings_UseDesktop", "Use Desktop Settings"},
    {SettingsDialogModel::ID_SOUND_BOX, Kind::GROUP, "Mes_Settings_Box_Sound", "Sound Control"},
    {SettingsDialogModel::ID_VOLUME_CAPTION, Kind::LABEL, "Mes_Settings_MusicVolume", "Volume"},
    {SettingsDialogModel::ID_VOLUME, Kind::TRACKBAR, nullptr, ""},
    {SettingsDialogModel::ID_MUSIC, Kind::CHECK, "Mes_Settings_EnableMusic", "Enable Music"},
    {SettingsDialogModel::ID_SFX, Kind::CHECK, "Mes_Settings_EnableSound", "Enable SFX"},
    {SettingsDialogModel::ID_GRAPHICS_BOX, Kind::GROUP, "Mes_Settings_Box_Graphics", "Graphics"},
    {SettingsDialogModel::ID_GAMMA_CAPTION, Kind::LABEL, "Mes_Settings_Gamma", "Gamma Control:"},
    {SettingsDialogModel::ID_GAMMA, Kind::TRACKBAR, nullptr, ""},
    {SettingsDialogModel::ID_GAMMA_VALUE, Kind::LABEL, nullptr, ""},
    {SettingsDialogModel::ID_MISC_BOX, Kind::GROUP, "Mes_Settings_Box_Misc", "Misc Options"},
    {SettingsDialogModel::ID_SHOW_FPS, Kind::CHECK, "Mes_Settings_ShowFPS", "Show FPS"},
    {SettingsDialogModel::ID_EXIT_ON_MOUSE, Kind::CHECK, "Mes_Settings_ExitOnMouse", "Exit on Mouse Move"},
    {SettingsDialogModel::ID_SHOW_TIME, Kind::CHECK, "Mes_Settings_ShowTime", "Show Time"},
    {SettingsDialogModel::ID_HOUR_24, Kind::RADIO, "Mes_Settings_24h", "24h format"},
    {SettingsDialogModel::ID_HOUR_12, Kind::RADIO, "Mes_Settings_12h", "12h format"},
    {SettingsDialogModel::ID_PRODUCTS_BOX, Kind::GROUP, "Mes_Settings_Box_Products", "Products"},
    {SettingsDialogModel::ID_PRODUCTS, Kind::LABEL, "Mes_Settings_Products",
     "Visit our official web-site for more great 3D screensavers"},
    {SettingsDialogModel::ID_VISIT, Kind::BUTTON, "Mes_Settings_Button_Visit", "Visit..."},
    {SettingsDialogModel::ID_ABOUT, Kind::BUTTON, "Mes_Settings_Button_About", "About..."},
    {SettingsDialogModel::ID_RESTORE_DEFAULTS, Kind::BUTTON, "Mes_Settings_Button_RestoreDefs",
     "Restore Defaults"},
    {SettingsDialogModel::ID_OK, Kind::BUTTON, "Mes_Button_OK", "OK"},
    {SettingsDialogModel::ID_CANCEL, Kind::BUTTON, "Mes_Button_Cancel", "Cancel"},
    {SettingsDialogModel::ID_PICTURE, Kind::PICTURE, nullptr, ""},
};

// The check boxes and the setting each one stands for.
struct CheckSpec {
  int32_t id;
  bool Settings::*flag;
};

constexpr CheckSpec CHECKS[] = {
    {SettingsDialogModel::ID_USE_DESKTOP, &Settings::useDesktopSettings},
    {SettingsDialogModel::ID_MUSIC, &Settings::music},
    {SettingsDialogModel::ID_SFX, &Settings::sfx},
    {SettingsDialogModel::ID_SHOW_FPS, &Settings::showFps},
    {SettingsDialogModel::ID_EXIT_ON_MOUSE, &Settings::exitOnMouseMove},
    {SettingsDialogModel::ID_SHOW_TIME, &Settings::showTime},
};

String Text(const ScreensaverApplication& application, const char* key, const char* fallback) {
  const String* text = application.GetText(String(key));
  return text != nullptr ? *text : String(fallback);
}

String ModeText(const DisplayModeDesc& mode) {
  char text[48];
  std::snprintf(text, sizeof text, "%dx%dx%dbits", mode.width, mode.height, mode.colorBits);
  return String(text);
}

}  // namespace

SettingsDialogModel::SettingsDialogModel(ScreensaverApplication& application,
                                         std::vector<DisplayModeDesc> modes, int32_t desktopMode)
    : application(application), modes(std::move(modes)), desktopMode(desktopMode) {
  title = Text(application, "Mes_Settings_Title", "Vellumere 3D Screensaver Configuration");
  controls.reserve(std::size(CONTROLS));
  for (const ControlEntry& entry : CONTROLS) {
    controls.push_back(Control{entry.id, entry.kind,
                               entry.key != nullptr ? Text(application, entry.key, entry.caption) : String()});
  }
  At(ID_VOLUME).maximum = 100;
  At(ID_GAMMA).minimum = -100;
  At(ID_GAMMA).maximum = 100;
  Refresh();
}

const SettingsDialogModel::Control* SettingsDialogModel::Find(int32_t id) const {
  for (const Control& control : controls) {
    if (control.id == id) return &control;
  }
  return nullptr;
}

SettingsDialogModel::Control& SettingsDialogModel::At(int32_t id) {
  return *const_cast<Control*>(Find(id));
}

void SettingsDialogModel::Refresh() {
  const Settings& settings = application.GetSettings();
  // Stored values outside a trackbar's range show at its end.
  Control& gamma = At(ID_GAMMA);
  gamma.position = std::clamp(settings.gamma, gamma.minimum, gamma.maximum);
  Control& volume = At(ID_VOLUME);
  volume.position = std::clamp(settings.volume, volume.minimum, volume.maximum);
  SetGammaLabel();
  At(ID_HOUR_24).checked = settings.hour24;
  At(ID_HOUR_12).checked = !settings.hour24;
  for (const CheckSpec& check : CHECKS) At(check.id).checked = settings.*check.flag;
  EnableTimeFormat();
  EnableVolume();
  At(ID_MODE_LIST).enabled = !settings.useDesktopSettings;
  FillModeList();
  application.OnSettingsDialogInit();
}

int32_t SettingsDialogModel::Notify(const SettingsDialogMessage& message) {
  return application.OnSettingsDialogMessage(*this, message);
}

void SettingsDialogModel::SetGammaLabel() {
  char text[16];
  std::snprintf(text, sizeof text, "%d%s", At(ID_GAMMA).position + 100, "%");
  At(ID_GAMMA_VALUE).caption = String(text);
}

void SettingsDialogModel::EnableTimeFormat() {
  const bool on = application.GetSettings().showTime;
  At(ID_HOUR_24).enabled = on;
  At(ID_HOUR_12).enabled = on;
}

void SettingsDialogModel::EnableVolume() {
  const Settings& settings = application.GetSettings();
  const bool on = settings.music || settings.sfx;
  At(ID_VOLUME).enabled = on;
  At(ID_VOLUME_CAPTION).enabled = on;
}

void SettingsDialogModel::FillModeList() {
  const Settings& settings = application.GetSettings();
  modeItems.clear();
  selectedMode = -1;
  for (size_t index = 0; index < modes.size(); ++index) {
    const DisplayModeDesc& mode = modes[index];
    if (mode.width < 640 || mode.height < 480 || !mode.fullscreen) continue;
    const bool selected = settings.useDesktopSettings
                              ? static_cast<int32_t>(index) == desktopMode
                              : mode.width == settings.width && mode.height == settings.height &&
                                    mode.colorBits == settings.colorDepth;
    const String text = ModeText(mode);
    auto twin = std::find_if(modeItems.begin(), modeItems.end(),
                             [&text](const ModeItem& item) { return item.text == text; });
    // Modes differing only in depth formats or samples are listed once; the
    // desktop mode may be such a twin and then selects the item it shares.
    if (twin == modeItems.end()) twin = modeItems.insert(modeItems.end(), ModeItem{text, mode});
    if (selected) selectedMode = static_cast<int32_t>(twin - modeItems.begin());
  }
}

const String& SettingsDialogModel::WebSiteUrl() const { return application.GetWebSiteUrl(); }

SettingsDialogModel::About SettingsDialogModel::AboutTexts() const {
  About about;
  about.title = Text(application, "Mes_About_Title", "About");
  for (int32_t line = 0; line < About::LINE_COUNT; ++line) {
    char key[32];
    std::snprintf(key, sizeof key, "Mes_About_String%d", line + 1);
    about.lines[line] = Text(application, key, "");
  }
  about.ok = Text(application, "Mes_Button_OK", "OK");
  return about;
}

bool SettingsDialogModel::ReadPicture(const char* name, std::vector<uint8_t>& bytes) {
  bytes.clear();
  File* file = FileManager::FindFile(String(name));
  if (file != nullptr && file->Open(File::MODE_READ) == 0) {
    const int32_t size = file->GetSize();
    if (size > 0 && file->GetData() != nullptr) bytes.assign(file->GetData(), file->GetData() + size);
    file->Close();
  }
  if (bytes.empty()) {
    LogWarning("Невозможно загрузить картинку диалога [%s].", name);
    return false;
  }
  return true;
}

bool SettingsDialogModel::InitialPosition(int32_t width, int32_t height, int32_t& x,
                                          int32_t& y) const {
  if (desktopMode < 0 || desktopMode >= static_cast<int32_t>(modes.size())) return false;
  // Halved with an arithmetic shift: a dialog larger than the mode goes
  // up and left by half the excess, rounded down.
  x = (modes[desktopMode].width - width) >> 1;
  y = (modes[desktopMode].height - height) >> 1;
  return true;
}

void SettingsDialogModel::SetChecked(int32_t id, bool checked) {
  Settings& settings = application.MutableSettings();
  if (id == ID_HOUR_12 || id == ID_HOUR_24) {
    settings.hour24 = id == ID_HOUR_24 ? checked : !checked;
    At(ID_HOUR_24).checked = settings.hour24;
    At(ID_HOUR_12).checked = !settings.hour24;
    return;
  }
  for (const CheckSpec& check : CHECKS) {
    if (check.id != id) continue;
    settings.*check.flag = checked;
    At(id).checked = checked;
  }
  if (id == ID_MUSIC || id == ID_SFX) EnableVolume();
  if (id == ID_SHOW_TIME) EnableTimeFormat();
  if (id == ID_USE_DESKTOP) At(ID_MODE_LIST).enabled = !checked;
}

void SettingsDialogModel::SetPosition(int32_t id, int32_t position) {
  if (id != ID_VOLUME && id != ID_GAMMA) return;
  Control& trackbar = At(id);
  trackbar.position = std::clamp(position, trackbar.minimum, trackbar.maximum);
  Settings& settings = application.MutableSettings();
  if (id == ID_VOLUME) {
    settings.volume = trackbar.position;
  } else {
    settings.gamma = trackbar.position;
    SetGammaLabel();
  }
}

void SettingsDialogModel::SelectMode(int32_t item) {
  selectedMode = item >= 0 && item < static_cast<int32_t>(modeItems.size()) ? item : -1;
}

void SettingsDialogModel::RestoreDefaults() {
  application.ApplyDefaults();
  Refresh();
}

int32_t SettingsDialogModel::Confirm() {
  if (selectedMode >= 0) {
    const DisplayModeDesc& mode = modeItems[selectedMode].mode;
    Settings& settings = application.MutableSettings();
    settings.width = mode.width;
    settings.height = mode.height;
    settings.colorDepth = mode.colorBits;
  }
  application.WriteRegistry();
  return OK_RESULT;
}

}  // namespace ynx
