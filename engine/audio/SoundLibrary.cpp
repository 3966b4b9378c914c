#include "engine/audio/SoundLibrary.h"

#include <dlfcn.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <type_traits>

namespace ynx {
namespace {

// What an entry does while the library is missing: nothing, reporting
// failure as the library would.
template <typename F>
struct StandIn;

template <typename R, typename... A>
struct StandIn<R (*)(A...)> {
  static R Call(A...) {
    if constexpr (std::is_pointer_v<R>) {
      return nullptr;
    } else if constexpr (!std::is_void_v<R>) {
      return R{};
    }
  }
};

int ErrorWithoutLibrary() { return BASS_ERROR_UNKNOWN; }

template <typename F>
void Resolve(void* library, const char* name, F& entry) {
  if (void* symbol = dlsym(library, name)) entry = reinterpret_cast<F>(symbol);
}

BASS_3DVECTOR ToLibrary(const Vector3& v) { return BASS_3DVECTOR{v.x, v.y, v.z}; }

}  // namespace

SoundLibrary::Entries SoundLibrary::StandIns() {
  Entries stand{};
#define YNX_SOUND_ENTRY(ret, name, params) stand.name = &StandIn<name##Fn>::Call;
  YNX_BASS_ENTRIES(YNX_SOUND_ENTRY)
#undef YNX_SOUND_ENTRY
  stand.BASS_ErrorGetCode = &ErrorWithoutLibrary;
  return stand;
}

SoundLibrary::LoadResult SoundLibrary::Load(const uint8_t* bytes, uint32_t size) {
  if (library != nullptr) return LOADED;
  const int fd = memfd_create("bas", MFD_CLOEXEC);
  if (fd < 0) return NO_FILE;
  for (uint32_t written = 0; written < size;) {
    const ssize_t step = write(fd, bytes + written, size - written);
    if (step <= 0) {
      close(fd);
      return NO_FILE;
    }
    written += static_cast<uint32_t>(step);
  }
  char path[32];
  std::snprintf(path, sizeof path, "/proc/self/fd/%d", fd);
  // The mapping outlives the descriptor: nothing is left to remove.
  library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
  close(fd);
  if (library == nullptr) return NO_LIBRARY;
  Entries resolved = StandIns();
#define YNX_SOUND_ENTRY(ret, name, params) Resolve(library, #name, resolved.name);
  YNX_BASS_ENTRIES(YNX_SOUND_ENTRY)
#undef YNX_SOUND_ENTRY
  entries = resolved;
  return LOADED;
}

void SoundLibrary::Unload() {
  Reset();
  if (library != nullptr) dlclose(library);
  library = nullptr;
}

bool SoundLibrary::IsLoaded() { return library != nullptr; }

void SoundLibrary::Reset() { entries = StandIns(); }

void SoundLibrary::Set3DPosition(const Vector3* position, const Vector3* front, const Vector3* top) {
  BASS_3DVECTOR values[3];
  const Vector3* given[3] = {position, front, top};
  BASS_3DVECTOR* passed[3] = {};
  for (int i = 0; i < 3; ++i) {
    if (given[i] == nullptr) continue;
    values[i] = ToLibrary(*given[i]);
    passed[i] = &values[i];
  }
  entries.BASS_Set3DPosition(passed[0], nullptr, passed[1], passed[2]);
}

void SoundLibrary::ChannelSet3DPosition(uint32_t channel, const Vector3& position) {
  const BASS_3DVECTOR value = ToLibrary(position);
  entries.BASS_ChannelSet3DPosition(channel, &value, nullptr, nullptr);
}

}  // namespace ynx
