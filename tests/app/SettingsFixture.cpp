#include "tests/app/SettingsFixture.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace ynx::test {

namespace fs = std::filesystem;

void SettingsFixture::SetUp() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  folder = fs::path(::testing::TempDir()) /
           (std::string("vellumere-") + info->test_suite_name() + "-" + info->name());
  fs::remove_all(folder);
  fs::create_directories(folder);
  setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
  application = Load();
}

void SettingsFixture::TearDown() {
  application = nullptr;
  fs::remove_all(folder);
}

Ptr<ScreensaverApplication> SettingsFixture::Load(const char* language) const {
  setenv("LC_ALL", language, 1);
  Ptr<ScreensaverApplication> loaded(new SceneScreensaver());
  EXPECT_EQ(loaded->LoadDefaults(), 0);
  EXPECT_EQ(loaded->ApplyDefaults(), 0);
  EXPECT_EQ(loaded->ReadRegistry(), 0);
  EXPECT_EQ(loaded->LoadTexts(), 0);
  return loaded;
}

DisplayModeDesc Mode(int32_t width, int32_t height, int32_t bits, int32_t depthBits, bool fullscreen) {
  DisplayModeDesc mode;
  mode.width = width;
  mode.height = height;
  mode.colorBits = bits;
  mode.depthBits = depthBits;
  mode.fullscreen = fullscreen;
  return mode;
}

fs::path SettingsFixture::RegistryFile() const { return folder / "Quorvane" / "Registry.reg"; }

std::string SettingsFixture::RegistryText() const {
  std::ifstream file(RegistryFile(), std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

}  // namespace ynx::test
