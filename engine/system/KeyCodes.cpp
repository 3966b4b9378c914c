#include "engine/system/KeyCodes.h"

#include <SDL2/SDL_keyboard.h>

#include <array>

namespace ynx {
namespace {

struct Pair {
  uint8_t from;
  uint8_t to;
};

// The engine's codes follow the alphabetical order of the key names; the
// runs of digits, letters, function keys and keypad digits are filled in by
// the table below, these are the rest.
constexpr Pair NAMED_KEYS[] = {
    {VK_ADD, 36},       {VK_OEM_7, 37},   {VK_BACK, 38},      {VK_OEM_5, 39},      {VK_CAPITAL, 40},
    {VK_OEM_COMMA, 41}, {VK_DELETE, 42},  {VK_DIVIDE, 43},    {VK_OEM_PERIOD, 44}, {VK_DOWN, 45},
    {VK_END, 46},       {VK_RETURN, 47},  {VK_OEM_PLUS, 48},  {VK_ESCAPE, 49},     {VK_OEM_3, 62},
    {VK_HOME, 63},      {VK_INSERT, 64},  {VK_OEM_4, 65},     {VK_LCONTROL, 66},   {VK_LEFT, 67},
    {VK_LMENU, 68},     {VK_LSHIFT, 69},  {VK_OEM_MINUS, 70}, {VK_MULTIPLY, 71},   {VK_NEXT, 72},
    {VK_NUMLOCK, 73},   {VK_DECIMAL, 84}, {VK_SUBTRACT, 85},  {VK_PAUSE, 86},      {VK_PRIOR, 87},
    {VK_SNAPSHOT, 88},  {VK_OEM_6, 89},   {VK_RCONTROL, 90},  {VK_RIGHT, 91},      {VK_RMENU, 92},
    {VK_RSHIFT, 93},    {VK_SCROLL, 94},  {VK_OEM_1, 95},     {VK_OEM_2, 96},      {VK_SPACE, 97},
    {VK_TAB, 98},       {VK_UP, 99},
};

constexpr std::array<uint8_t, 256> BuildKeyTable() {
  std::array<uint8_t, 256> table{};
  table.fill(KeyCodes::NONE);
  for (int i = 0; i < 10; ++i) table['0' + i] = static_cast<uint8_t>(i);
  for (int i = 0; i < 26; ++i) table['A' + i] = static_cast<uint8_t>(10 + i);
  for (int i = 0; i < 12; ++i) table[VK_F1 + i] = static_cast<uint8_t>(50 + i);
  for (int i = 0; i < 10; ++i) table[VK_NUMPAD0 + i] = static_cast<uint8_t>(74 + i);
  for (const Pair& key : NAMED_KEYS) table[key.from] = key.to;
  return table;
}

constexpr std::array<uint8_t, 256> KEY_TABLE = BuildKeyTable();

struct SdlKey {
  int32_t keycode;
  uint8_t virtualKey;
};

// SDL keys that are neither letters, digits nor function keys. Both sides of
// a modifier give the generic virtual key, as WM_KEYDOWN reports it.
constexpr SdlKey SDL_KEYS[] = {
    {SDLK_BACKSPACE, VK_BACK},
    {SDLK_TAB, VK_TAB},
    {SDLK_RETURN, VK_RETURN},
    {SDLK_KP_ENTER, VK_RETURN},
    {SDLK_LSHIFT, VK_SHIFT},
    {SDLK_RSHIFT, VK_SHIFT},
    {SDLK_LCTRL, VK_CONTROL},
    {SDLK_RCTRL, VK_CONTROL},
    {SDLK_LALT, VK_MENU},
    {SDLK_RALT, VK_MENU},
    {SDLK_PAUSE, VK_PAUSE},
    {SDLK_CAPSLOCK, VK_CAPITAL},
    {SDLK_ESCAPE, VK_ESCAPE},
    {SDLK_SPACE, VK_SPACE},
    {SDLK_PAGEUP, VK_PRIOR},
    {SDLK_PAGEDOWN, VK_NEXT},
    {SDLK_END, VK_END},
    {SDLK_HOME, VK_HOME},
    {SDLK_LEFT, VK_LEFT},
    {SDLK_UP, VK_UP},
    {SDLK_RIGHT, VK_RIGHT},
    {SDLK_DOWN, VK_DOWN},
    {SDLK_PRINTSCREEN, VK_SNAPSHOT},
    {SDLK_INSERT, VK_INSERT},
    {SDLK_DELETE, VK_DELETE},
    {SDLK_LGUI, VK_LWIN},
    {SDLK_RGUI, VK_RWIN},
    {SDLK_APPLICATION, VK_APPS},
    {SDLK_KP_0, VK_NUMPAD0},
    {SDLK_KP_1, VK_NUMPAD0 + 1},
    {SDLK_KP_2, VK_NUMPAD0 + 2},
    {SDLK_KP_3, VK_NUMPAD0 + 3},
    {SDLK_KP_4, VK_NUMPAD0 + 4},
    {SDLK_KP_5, VK_NUMPAD0 + 5},
    {SDLK_KP_6, VK_NUMPAD0 + 6},
    {SDLK_KP_7, VK_NUMPAD0 + 7},
    {SDLK_KP_8, VK_NUMPAD0 + 8},
    {SDLK_KP_9, VK_NUMPAD0 + 9},
    {SDLK_KP_MULTIPLY, VK_MULTIPLY},
    {SDLK_KP_PLUS, VK_ADD},
    {SDLK_KP_MINUS, VK_SUBTRACT},
    {SDLK_KP_PERIOD, VK_DECIMAL},
    {SDLK_KP_DIVIDE, VK_DIVIDE},
    {SDLK_NUMLOCKCLEAR, VK_NUMLOCK},
    {SDLK_SCROLLLOCK, VK_SCROLL},
    {';', VK_OEM_1},
    {'=', VK_OEM_PLUS},
    {',', VK_OEM_COMMA},
    {'-', VK_OEM_MINUS},
    {'.', VK_OEM_PERIOD},
    {'/', VK_OEM_2},
    {'`', VK_OEM_3},
    {'[', VK_OEM_4},
    {'\\', VK_OEM_5},
    {']', VK_OEM_6},
    {'\'', VK_OEM_7},
};

// What a US layout puts on the punctuation keys.
constexpr SdlKey US_PUNCTUATION[] = {
    {SDL_SCANCODE_MINUS, VK_OEM_MINUS},   {SDL_SCANCODE_EQUALS, VK_OEM_PLUS},
    {SDL_SCANCODE_LEFTBRACKET, VK_OEM_4}, {SDL_SCANCODE_RIGHTBRACKET, VK_OEM_6},
    {SDL_SCANCODE_BACKSLASH, VK_OEM_5},   {SDL_SCANCODE_SEMICOLON, VK_OEM_1},
    {SDL_SCANCODE_APOSTROPHE, VK_OEM_7},  {SDL_SCANCODE_GRAVE, VK_OEM_3},
    {SDL_SCANCODE_COMMA, VK_OEM_COMMA},   {SDL_SCANCODE_PERIOD, VK_OEM_PERIOD},
    {SDL_SCANCODE_SLASH, VK_OEM_2},       {SDL_SCANCODE_NONUSBACKSLASH, VK_OEM_102},
};

uint8_t FromKeycode(int32_t keycode) {
  if (keycode >= 'a' && keycode <= 'z') return static_cast<uint8_t>('A' + (keycode - 'a'));
  if (keycode >= '0' && keycode <= '9') return static_cast<uint8_t>(keycode);
  if (keycode >= SDLK_F1 && keycode <= SDLK_F12)
    return static_cast<uint8_t>(VK_F1 + (keycode - SDLK_F1));
  if (keycode >= SDLK_F13 && keycode <= SDLK_F24) {
    return static_cast<uint8_t>(VK_F13 + (keycode - SDLK_F13));
  }
  for (const SdlKey& key : SDL_KEYS) {
    if (key.keycode == keycode) return key.virtualKey;
  }
  return 0;
}

uint8_t FromPosition(int32_t scancode) {
  if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) {
    return static_cast<uint8_t>('A' + (scancode - SDL_SCANCODE_A));
  }
  if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) {
    return static_cast<uint8_t>('1' + (scancode - SDL_SCANCODE_1));
  }
  if (scancode == SDL_SCANCODE_0) return '0';
  for (const SdlKey& key : US_PUNCTUATION) {
    if (key.keycode == scancode) return key.virtualKey;
  }
  return 0;
}

}  // namespace

int32_t KeyCodes::FromVirtualKey(uint32_t virtualKey) {
  return virtualKey < KEY_TABLE.size() ? KEY_TABLE[virtualKey] : NONE;
}

uint8_t KeyCodes::VirtualKeyFromSdl(int32_t keycode, int32_t scancode) {
  const uint8_t virtualKey = FromKeycode(keycode);
  return virtualKey != 0 ? virtualKey : FromPosition(scancode);
}

}  // namespace ynx
