#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/SceneScreensaver.h"
#include "engine/core/Ptr.h"
#include "engine/render/DisplayModeDesc.h"

namespace ynx::test {

// A display mode as a renderer lists it.
DisplayModeDesc Mode(int32_t width, int32_t height, int32_t bits, int32_t depthBits = 24,
                     bool fullscreen = true);

// An application with its settings loaded as start-up loads them (the
// embedded defaults and texts in the given language, then the registry),
// its registry file in a folder of the test's own.
class SettingsFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A fresh application, loaded from the embedded texts and the registry
  // file as it stands now.
  Ptr<ScreensaverApplication> Load(const char* language = "C") const;
  std::filesystem::path RegistryFile() const;
  // The registry file's bytes; empty when there is none.
  std::string RegistryText() const;

  std::filesystem::path folder;
  Ptr<ScreensaverApplication> application;
};

}  // namespace ynx::test
