#include "app/SettingsDialogModel.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/ScreensaverApplication.h"
#include "tests/app/SettingsFixture.h"
#include "tests/support/CapturedLog.h"

namespace {

using ynx::DisplayModeDesc;
using ynx::SettingsDialogModel;
using Model = SettingsDialogModel;
using ynx::Ptr;

using ynx::test::Mode;

// A renderer's list: the desktop mode 1024x768x32 (index 5) comes in three
// depth formats, and the renderer calls the second the desktop's.
const std::vector<DisplayModeDesc> MODES = {
    Mode(640, 480, 16),      Mode(600, 400, 32),      Mode(800, 600, 32, 24, false),
    Mode(1024, 768, 32, 16), Mode(800, 600, 32),      Mode(1024, 768, 32, 24),
    Mode(1024, 768, 32, 32), Mode(1280, 1024, 32)};
constexpr int32_t DESKTOP = 5;

class SettingsDialogModelTest : public ynx::test::SettingsFixture {
 protected:
  ynx::Settings& Current() { return application->MutableSettings(); }
  std::vector<std::string> Items(const Model& model) const {
    std::vector<std::string> texts;
    for (const Model::ModeItem& item : model.ModeItems()) texts.emplace_back(item.text.CStr());
    return texts;
  }
};

TEST_F(SettingsDialogModelTest, CaptionsComeFromTheTextTableByEachControlsKey) {
  // Every Russian text differs from the caption a control keeps without it.
  application = Load("ru_RU.UTF-8");
  const Model model(*application, MODES, DESKTOP);
  const Ptr<ynx::ScreensaverApplication> bare(new ynx::SceneScreensaver());
  const Model untranslated(*bare, {}, -1);
  EXPECT_STREQ(model.Title().CStr(), "Настройка скринсейвера Vellumere");
  for (const Model::Control& control : model.Controls()) {
    SCOPED_TRACE(control.id);
    const ynx::String& fallback = untranslated.Find(control.id)->caption;
    EXPECT_TRUE(fallback.IsEmpty() || !(control.caption == fallback)) << control.caption.CStr();
  }
  // Neighbours whose keys could be swapped.
  EXPECT_STREQ(model.Find(Model::ID_SHOW_FPS)->caption.CStr(), "Показывать FPS");
  EXPECT_STREQ(model.Find(Model::ID_HOUR_24)->caption.CStr(), "24-часовой формат");
  EXPECT_STREQ(model.Find(Model::ID_SFX)->caption.CStr(), "Звуковые эффекты");
  EXPECT_STREQ(model.Find(Model::ID_VOLUME_CAPTION)->caption.CStr(), "Громкость");
  EXPECT_EQ(model.Find(1026), nullptr) << "the options box is not in the dialog";

  const Model::About about = model.AboutTexts();
  EXPECT_STREQ(about.title.CStr(), "О программе");
  EXPECT_STREQ(about.lines[0].CStr(), "Трёхмерный скринсейвер Vellumere");
  EXPECT_STREQ(about.lines[6].CStr(), "");
  EXPECT_STREQ(about.lines[7].CStr(), "Документация: /usr/share/doc/vellumere");
  EXPECT_STREQ(about.ok.CStr(), "ОК");
}

TEST_F(SettingsDialogModelTest, MissingTextsKeepTheDialogsOwnCaptions) {
  ynx::Ptr<ynx::ScreensaverApplication> untranslated(new ynx::SceneScreensaver());
  const Model model(*untranslated, {}, -1);
  EXPECT_STREQ(model.Title().CStr(), "Vellumere 3D Screensaver Configuration");
  EXPECT_STREQ(model.Find(Model::ID_RESTORE_DEFAULTS)->caption.CStr(), "Restore Defaults");
  EXPECT_STREQ(model.AboutTexts().ok.CStr(), "OK");
  EXPECT_TRUE(model.ModeItems().empty());
  EXPECT_EQ(model.SelectedMode(), -1);
}

TEST_F(SettingsDialogModelTest, ModeListShowsEachFullScreenModeOnceAndSelectsByTheRule) {
  const struct {
    const char* name;
    bool useDesktop;
    int32_t width, height, depth;
    int32_t desktop;
    int32_t selected;
  } cases[] = {
      // The desktop's entry is the second twin of 1024x768x32: its item.
      {"desktop mode", true, 800, 600, 32, DESKTOP, 1},
      {"no desktop mode", true, 800, 600, 32, -1, -1},
      {"configured mode", false, 800, 600, 32, DESKTOP, 2},
      {"configured 16 bits", false, 640, 480, 16, DESKTOP, 0},
      {"configured mode not offered", false, 1600, 1200, 32, DESKTOP, -1},
      // The windowed and the too small modes are never listed.
      {"configured windowed mode", false, 600, 400, 32, DESKTOP, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Current().useDesktopSettings = c.useDesktop;
    Current().width = c.width;
    Current().height = c.height;
    Current().colorDepth = c.depth;
    const Model model(*application, MODES, c.desktop);
    EXPECT_EQ(Items(model), (std::vector<std::string>{"640x480x16bits", "1024x768x32bits",
                                                      "800x600x32bits", "1280x1024x32bits"}));
    EXPECT_EQ(model.SelectedMode(), c.selected);
    EXPECT_EQ(model.Find(Model::ID_MODE_LIST)->enabled, !c.useDesktop);
  }
}

TEST_F(SettingsDialogModelTest, OkStoresTheSelectedModeAndEverySettingInTheRegistry) {
  // With the desktop's settings on, the list is off but still names the mode
  // that OK stores.
  Model model(*application, MODES, DESKTOP);
  ASSERT_TRUE(Current().useDesktopSettings);
  EXPECT_FALSE(model.Find(Model::ID_MODE_LIST)->enabled);
  model.SetPosition(Model::ID_GAMMA, -40);
  model.SetChecked(Model::ID_SHOW_FPS, true);
  model.SetChecked(Model::ID_HOUR_24, true);
  EXPECT_EQ(model.Confirm(), Model::OK_RESULT);
  ynx::Settings stored = Load()->GetSettings();
  EXPECT_EQ(stored.width, 1024);
  EXPECT_EQ(stored.height, 768);
  EXPECT_EQ(stored.colorDepth, 32);
  EXPECT_EQ(stored.gamma, -40);
  EXPECT_TRUE(stored.showFps);
  EXPECT_TRUE(stored.hour24);

  // Off, the list is on and the user's pick is stored; without a pick the
  // stored mode stays.
  model.SetChecked(Model::ID_USE_DESKTOP, false);
  EXPECT_TRUE(model.Find(Model::ID_MODE_LIST)->enabled);
  model.SelectMode(3);
  model.Confirm();
  stored = Load()->GetSettings();
  EXPECT_FALSE(stored.useDesktopSettings);
  EXPECT_EQ(stored.width, 1280);
  EXPECT_EQ(stored.height, 1024);
  model.SelectMode(99);
  EXPECT_EQ(model.SelectedMode(), -1);
  Current().width = 640;
  model.Confirm();
  EXPECT_EQ(Load()->GetSettings().width, 640);
}

TEST_F(SettingsDialogModelTest, CancelAfterChangesLeavesTheRegistryFileUntouched) {
  const std::string before = RegistryText();
  const auto written = std::filesystem::last_write_time(RegistryFile());
  ASSERT_FALSE(before.empty());
  Model model(*application, MODES, DESKTOP);
  model.SetChecked(Model::ID_USE_DESKTOP, false);
  model.SelectMode(0);
  model.SetPosition(Model::ID_VOLUME, 3);
  model.RestoreDefaults();
  EXPECT_EQ(model.Cancel(), Model::CANCEL_RESULT);
  EXPECT_EQ(RegistryText(), before);
  EXPECT_EQ(std::filesystem::last_write_time(RegistryFile()), written);
}

TEST_F(SettingsDialogModelTest, GammaTrackbarStoresItsPositionAndLabelsItAsPercent) {
  Model model(*application, MODES, DESKTOP);
  EXPECT_STREQ(model.Find(Model::ID_GAMMA_VALUE)->caption.CStr(), "100%");
  const struct {
    int32_t moved;
    int32_t stored;
    const char* label;
  } cases[] = {{-40, -40, "60%"}, {-100, -100, "0%"}, {100, 100, "200%"}, {500, 100, "200%"},
               {-101, -100, "0%"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.moved);
    model.SetPosition(Model::ID_GAMMA, c.moved);
    EXPECT_EQ(Current().gamma, c.stored);
    EXPECT_EQ(model.Find(Model::ID_GAMMA)->position, c.stored);
    EXPECT_STREQ(model.Find(Model::ID_GAMMA_VALUE)->caption.CStr(), c.label);
  }
  model.SetPosition(Model::ID_VOLUME, 150);
  EXPECT_EQ(Current().volume, 100);
  model.SetPosition(Model::ID_VOLUME, 35);
  EXPECT_EQ(Current().volume, 35);
  // A stored value out of range shows at the trackbar's end.
  Current().gamma = 1 << 30;
  Current().volume = -5;
  model.Refresh();
  EXPECT_STREQ(model.Find(Model::ID_GAMMA_VALUE)->caption.CStr(), "200%");
  EXPECT_EQ(model.Find(Model::ID_VOLUME)->position, 0);
}

TEST_F(SettingsDialogModelTest, SwitchesSetTheirSettingsAndEnableTheirControls) {
  const struct {
    bool music, sfx, showTime;
  } cases[] = {{true, true, true}, {true, false, false}, {false, true, true}, {false, false, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.music << c.sfx << c.showTime);
    // Once from the settings, once through the commands.
    Current().music = c.music;
    Current().sfx = c.sfx;
    Current().showTime = c.showTime;
    Model model(*application, MODES, DESKTOP);
    for (int pass = 0; pass < 2; ++pass) {
      EXPECT_EQ(model.Find(Model::ID_VOLUME)->enabled, c.music || c.sfx);
      EXPECT_EQ(model.Find(Model::ID_VOLUME_CAPTION)->enabled, c.music || c.sfx);
      EXPECT_EQ(model.Find(Model::ID_HOUR_12)->enabled, c.showTime);
      EXPECT_EQ(model.Find(Model::ID_HOUR_24)->enabled, c.showTime);
      EXPECT_EQ(model.Find(Model::ID_MUSIC)->checked, c.music);
      EXPECT_EQ(model.Find(Model::ID_SHOW_TIME)->checked, c.showTime);
      model.SetChecked(Model::ID_MUSIC, !c.music);
      model.SetChecked(Model::ID_SFX, !c.sfx);
      model.SetChecked(Model::ID_SHOW_TIME, !c.showTime);
      model.SetChecked(Model::ID_MUSIC, c.music);
      model.SetChecked(Model::ID_SFX, c.sfx);
      model.SetChecked(Model::ID_SHOW_TIME, c.showTime);
    }
    EXPECT_EQ(Current().music, c.music);
    EXPECT_EQ(Current().sfx, c.sfx);
  }
  // Either radio button sets the clock format, checked or unchecked.
  Model model(*application, MODES, DESKTOP);
  const struct {
    int32_t id;
    bool checked;
    bool hour24;
  } clicks[] = {{Model::ID_HOUR_12, true, false}, {Model::ID_HOUR_12, false, true},
                {Model::ID_HOUR_24, false, false}, {Model::ID_HOUR_24, true, true}};
  for (const auto& click : clicks) {
    model.SetChecked(click.id, click.checked);
    EXPECT_EQ(Current().hour24, click.hour24);
    EXPECT_EQ(model.Find(Model::ID_HOUR_24)->checked, click.hour24);
    EXPECT_EQ(model.Find(Model::ID_HOUR_12)->checked, !click.hour24);
  }
}

TEST_F(SettingsDialogModelTest, RestoreDefaultsBringsBackTheSettingsTextNotTheRegistry) {
  // The registry holds choices unlike the embedded defaults.
  ynx::Settings& current = Current();
  current.volume = 7;
  current.hour24 = true;
  current.music = false;
  current.sfx = false;
  current.gamma = 30;
  current.useDesktopSettings = false;
  ASSERT_EQ(application->WriteRegistry(), 0);
  application = Load();
  Model model(*application, MODES, DESKTOP);
  EXPECT_EQ(model.Find(Model::ID_VOLUME)->position, 7);
  EXPECT_FALSE(model.Find(Model::ID_VOLUME)->enabled);
  model.RestoreDefaults();
  // The language-neutral settings text.
  EXPECT_EQ(Current().volume, 50);
  EXPECT_FALSE(Current().hour24);
  EXPECT_TRUE(Current().music);
  EXPECT_EQ(Current().gamma, 0);
  EXPECT_TRUE(Current().useDesktopSettings);
  EXPECT_EQ(model.Find(Model::ID_VOLUME)->position, 50);
  EXPECT_TRUE(model.Find(Model::ID_VOLUME)->enabled);
  EXPECT_TRUE(model.Find(Model::ID_HOUR_12)->checked);
  EXPECT_STREQ(model.Find(Model::ID_GAMMA_VALUE)->caption.CStr(), "100%");
  EXPECT_FALSE(model.Find(Model::ID_MODE_LIST)->enabled);
  EXPECT_EQ(model.SelectedMode(), 1);
}

TEST_F(SettingsDialogModelTest, FirstPlacementCentresTheDialogOnTheDesktopMode) {
  const struct {
    std::vector<DisplayModeDesc> modes;
    int32_t desktop;
    bool placed;
    int32_t x, y;
  } cases[] = {
      {MODES, DESKTOP, true, 247, 164},
      {{Mode(1280, 1024, 32), Mode(320, 200, 16)}, 1, true, -105, -120},
      {MODES, -1, false, 0, 0},
      {MODES, 8, false, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.desktop);
    const Model model(*application, c.modes, c.desktop);
    int32_t x = 0, y = 0;
    EXPECT_EQ(model.InitialPosition(Model::DESIGN_WIDTH, Model::DESIGN_HEIGHT, x, y), c.placed);
    EXPECT_EQ(x, c.x);
    EXPECT_EQ(y, c.y);
  }
}

TEST_F(SettingsDialogModelTest, AMissingPictureIsLoggedAndNeitherReadNorPainted) {
  ynx::test::CapturedLog log;
  std::vector<uint8_t> bytes{1, 2, 3};
  EXPECT_FALSE(Model::ReadPicture(Model::SETTINGS_PICTURE, bytes));
  EXPECT_TRUE(bytes.empty());
  EXPECT_TRUE(log.Contains("WARNING. Невозможно загрузить картинку диалога [settings.bmp]."));

  // Nor can the screensaver paint it: the frame stays empty, said once.
  log.Clear();
  Model model(*application, {}, -1);
  std::vector<uint32_t> canvas(512 * 128);
  ynx::SettingsDialogMessage paint{ynx::SettingsDialogMessage::Type::PAINT, Model::ID_PICTURE,
                                   canvas.data(), 512, 128, 512};
  EXPECT_EQ(model.Notify(paint), 0);
  EXPECT_EQ(model.Notify(paint), 0);
  EXPECT_EQ(log.Filtered({"WARNING. Невозможно загрузить картинку диалога [settings.bmp]."}).size(), 1u);
}

}  // namespace
