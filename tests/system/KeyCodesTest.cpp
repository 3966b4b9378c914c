#include <SDL2/SDL_keyboard.h>
#include <gtest/gtest.h>

#include <vector>

#include "engine/system/KeyCodes.h"

namespace ynx {
namespace {

TEST(KeyCodesTest, EveryEngineCodeBelongsToExactlyOneVirtualKey) {
  std::vector<int> uses(101, 0);
  for (uint32_t virtualKey = 0; virtualKey < 256; ++virtualKey) {
    const int32_t code = KeyCodes::FromVirtualKey(virtualKey);
    ASSERT_GE(code, 0);
    ASSERT_LE(code, KeyCodes::NONE);
    ++uses[code];
  }
  for (int code = 0; code < KeyCodes::NONE; ++code) EXPECT_EQ(uses[code], 1) << "code " << code;
  EXPECT_EQ(uses[KeyCodes::NONE], 256 - 100);
  EXPECT_EQ(KeyCodes::FromVirtualKey(256), KeyCodes::NONE);
  EXPECT_EQ(KeyCodes::FromVirtualKey(0xFFFFFFFF), KeyCodes::NONE);
}

TEST(KeyCodesTest, CodesFollowTheAlphabeticalOrderOfTheKeyNames) {
  // The ends of the runs and of the named keys between them.
  const std::pair<uint32_t, int32_t> expected[] = {
      {'0', 0},         {'Z', 35},       {VK_ADD, 36},     {VK_ESCAPE, 49},  {VK_F1, 50},
      {VK_F1 + 11, 61}, {VK_OEM_3, 62},  {VK_NUMLOCK, 73}, {VK_NUMPAD0, 74}, {VK_NUMPAD0 + 9, 83},
      {VK_DECIMAL, 84}, {VK_LSHIFT, 69}, {VK_SPACE, 97},   {VK_UP, 99},      {VK_F13, 100}};
  for (const auto& [virtualKey, code] : expected) {
    EXPECT_EQ(KeyCodes::FromVirtualKey(virtualKey), code) << "virtual key " << virtualKey;
  }
  // What WM_KEYDOWN reports for either side of a modifier has no code.
  for (uint32_t generic : {VK_SHIFT, VK_CONTROL, VK_MENU}) {
    EXPECT_EQ(KeyCodes::FromVirtualKey(generic), KeyCodes::NONE);
  }
}

TEST(KeyCodesTest, SdlKeysBecomeTheVirtualKeysOfAUsLayout) {
  struct Case {
    SDL_Keycode keycode;
    SDL_Scancode scancode;
    uint8_t virtualKey;
  };
  const Case cases[] = {
      {SDLK_a, SDL_SCANCODE_A, 'A'},
      {SDLK_5, SDL_SCANCODE_5, '5'},
      {SDLK_F1, SDL_SCANCODE_F1, VK_F1},
      {SDLK_F24, SDL_SCANCODE_F24, 0x87},
      {SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, VK_SHIFT},
      {SDLK_RCTRL, SDL_SCANCODE_RCTRL, VK_CONTROL},
      {SDLK_RALT, SDL_SCANCODE_RALT, VK_MENU},
      {SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, VK_RETURN},
      {SDLK_KP_9, SDL_SCANCODE_KP_9, VK_NUMPAD0 + 9},
      {SDLK_SEMICOLON, SDL_SCANCODE_SEMICOLON, VK_OEM_1},
      {SDLK_QUOTE, SDL_SCANCODE_APOSTROPHE, VK_OEM_7},
      {SDLK_PRINTSCREEN, SDL_SCANCODE_PRINTSCREEN, VK_SNAPSHOT},
      // Symbols without a virtual key of their own go by position: a Russian
      // "ф" on the A key, a German "ü" on the left bracket.
      {0x0444, SDL_SCANCODE_A, 'A'},
      {0x00FC, SDL_SCANCODE_LEFTBRACKET, VK_OEM_4},
      {SDLK_VOLUMEUP, SDL_SCANCODE_VOLUMEUP, 0},
  };
  for (const Case& key : cases) {
    EXPECT_EQ(KeyCodes::VirtualKeyFromSdl(key.keycode, key.scancode), key.virtualKey)
        << "SDL key " << key.keycode;
  }
}

}  // namespace
}  // namespace ynx
