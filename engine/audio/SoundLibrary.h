#pragma once

#include <cstdint>

#include "engine/math/Vector3.h"
#include "platform/bass/Bass.h"

namespace ynx {

// The audio library's entry points, resolved by name from the library the
// program carries. Every entry starts as a stand-in that fails the way the
// library reports failure (0, FALSE, error code -1), so that with the
// library missing every call is a quiet no-op and the scene runs silently.
// Vectors cross as the engine's own: the library converts handedness.
class SoundLibrary {
 public:
  // Every 2.x entry, named as the library names it.
  struct Entries {
#define YNX_SOUND_ENTRY(ret, name, params) name##Fn name;
    YNX_BASS_ENTRIES(YNX_SOUND_ENTRY)
#undef YNX_SOUND_ENTRY
  };

  enum LoadResult : int32_t {
    LOADED = 0,
    NO_FILE = 1,
    NO_LIBRARY = 2,
  };

  // Writes the library's bytes to an anonymous memory file, so that nothing
  // is left behind even when the process is killed, loads it and resolves
  // every entry it has; missing names keep their stand-ins. A library
  // already loaded is kept.
  static LoadResult Load(const uint8_t* bytes, uint32_t size);
  // Back to the stand-ins, then the library is unloaded.
  static void Unload();
  static bool IsLoaded();

  // The entries in force; a test may put its own in place (Reset puts the
  // stand-ins back).
  static const Entries& Get() { return entries; }
  static void Install(const Entries& replacement) { entries = replacement; }
  static void Reset();

  // The calls the engine makes, with the engine's types.
  static void Set3DPosition(const Vector3* position, const Vector3* front, const Vector3* top);
  static void ChannelSet3DPosition(uint32_t channel, const Vector3& position);

 private:
  static Entries StandIns();

  static inline Entries entries = StandIns();
  static inline void* library = nullptr;
};

}  // namespace ynx
