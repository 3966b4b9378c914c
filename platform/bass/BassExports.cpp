// The C entry points. Nothing may throw across them: an allocation failure
// becomes BASS_ERROR_MEM, anything else BASS_ERROR_UNKNOWN.

#include <algorithm>
#include <memory>
#include <new>
#include <type_traits>

#include "platform/bass/Bass.h"
#include "platform/bass/BassLibrary.h"
#include "platform/bass/StreamChannel.h"

using ynx::bass::BassLibrary;
using ynx::bass::StreamChannel;

namespace {

template <typename Result, typename Call>
Result Guarded(Result failure, Call call) {
  try {
    return call();
  } catch (const std::bad_alloc&) {
    BassLibrary::SetError(BASS_ERROR_MEM);
  } catch (...) {
    BassLibrary::SetError(BASS_ERROR_UNKNOWN);
  }
  return failure;
}

// Runs `call` on the channel behind `handle`; FALSE with the error code set
// when there is none.
template <typename Call>
int32_t OnChannel(uint32_t handle, Call call) {
  return Guarded<int32_t>(0, [&]() -> int32_t {
    std::shared_ptr<StreamChannel> channel = BassLibrary::Instance().Channel(handle);
    if (!channel) return 0;
    return call(*channel) ? 1 : 0;
  });
}

// The same for the calls that only a 3D stream takes.
template <typename Call>
int32_t On3DChannel(uint32_t handle, Call call) {
  return OnChannel(handle, [&](StreamChannel& channel) {
    if (channel.Is3D()) return call(channel);
    BassLibrary::SetError(BASS_ERROR_NO3D);
    return false;
  });
}

template <typename Result>
Result Unavailable() {
  BassLibrary::SetError(BASS_ERROR_NOTAVAIL);
  if constexpr (!std::is_void_v<Result>) return Result{};
}

}  // namespace

extern "C" {

uint32_t BASS_SetConfig(uint32_t option, uint32_t value) {
  return Guarded<uint32_t>(0xFFFFFFFFu, [&] { return BassLibrary::Instance().SetConfig(option, value); });
}

uint32_t BASS_GetConfig(uint32_t option) {
  return Guarded<uint32_t>(0xFFFFFFFFu, [&] { return BassLibrary::Instance().GetConfig(option); });
}

uint32_t BASS_GetVersion(void) { return 0x20002; }

const char* BASS_GetDeviceDescription(uint32_t device) {
  return Guarded<const char*>(nullptr, [&] { return BassLibrary::Instance().GetDeviceDescription(device); });
}

int32_t BASS_ErrorGetCode(void) { return BassLibrary::LastError(); }

int32_t BASS_Init(int32_t device, uint32_t freq, uint32_t flags, void*, const void*) {
  return Guarded<int32_t>(0, [&] { return BassLibrary::Instance().Init(device, freq, flags) ? 1 : 0; });
}

uint32_t BASS_GetDevice(void) {
  return Guarded<uint32_t>(0xFFFFFFFFu, [&] { return BassLibrary::Instance().GetDevice(); });
}

int32_t BASS_Free(void) {
  return Guarded<int32_t>(0, [&] { return BassLibrary::Instance().Free() ? 1 : 0; });
}

int32_t BASS_Set3DFactors(float distf, float rollf, float doppf) {
  return Guarded<int32_t>(0, [&] { return BassLibrary::Instance().Set3DFactors(distf, rollf, doppf) ? 1 : 0; });
}

int32_t BASS_Get3DFactors(float* distf, float* rollf, float* doppf) {
  return Guarded<int32_t>(0, [&] { return BassLibrary::Instance().Get3DFactors(distf, rollf, doppf) ? 1 : 0; });
}

int32_t BASS_Set3DPosition(const BASS_3DVECTOR* pos, const BASS_3DVECTOR* vel, const BASS_3DVECTOR* front,
                           const BASS_3DVECTOR* top) {
  return Guarded<int32_t>(0, [&] { return BassLibrary::Instance().Set3DPosition(pos, vel, front, top) ? 1 : 0; });
}

int32_t BASS_Get3DPosition(BASS_3DVECTOR* pos, BASS_3DVECTOR* vel, BASS_3DVECTOR* front, BASS_3DVECTOR* top) {
  return Guarded<int32_t>(0, [&] { return BassLibrary::Instance().Get3DPosition(pos, vel, front, top) ? 1 : 0; });
}

void BASS_Apply3D(void) {
  Guarded<int32_t>(0, [&] {
    BassLibrary::Instance().Apply3D();
    return 1;
  });
}

HSTREAM BASS_StreamCreateFile(int32_t mem, const void* file, uint32_t offset, uint32_t length, uint32_t flags) {
  return Guarded<HSTREAM>(
      0, [&] { return BassLibrary::Instance().StreamCreateFile(mem != 0, file, offset, length, flags); });
}

void BASS_StreamFree(HSTREAM handle) {
  Guarded<int32_t>(0, [&] {
    BassLibrary::Instance().StreamFree(handle);
    return 1;
  });
}

uint32_t BASS_ChannelIsActive(uint32_t handle) {
  uint32_t active = BASS_ACTIVE_STOPPED;
  OnChannel(handle, [&](StreamChannel& channel) {
    active = channel.IsActive();
    return true;
  });
  return active;
}

int32_t BASS_ChannelGetInfo(uint32_t handle, BASS_CHANNELINFO* info) {
  if (info == nullptr) {
    BassLibrary::SetError(BASS_ERROR_ILLPARAM);
    return 0;
  }
  return OnChannel(handle, [&](StreamChannel& channel) {
    *info = BASS_CHANNELINFO{};
    info->freq = static_cast<uint32_t>(channel.Rate());
    info->chans = static_cast<uint32_t>(channel.Channels());
    info->flags = channel.Flags();
    info->origres = 16;
    return true;
  });
}

int32_t BASS_ChannelSetFlags(uint32_t handle, uint32_t flags) {
  return OnChannel(handle, [&](StreamChannel& channel) {
    channel.SetFlags(flags);
    return true;
  });
}

int32_t BASS_ChannelPlay(uint32_t handle, int32_t restart) {
  return OnChannel(handle, [&](StreamChannel& channel) {
    // The frame loop plays every stream every frame: only a start wakes
    // the feeder.
    if (channel.Play(restart != 0)) BassLibrary::Instance().WakeFeeder();
    return true;
  });
}

int32_t BASS_ChannelStop(uint32_t handle) {
  return OnChannel(handle, [&](StreamChannel& channel) {
    channel.Stop();
    return true;
  });
}

int32_t BASS_ChannelPause(uint32_t handle) {
  return OnChannel(handle, [&](StreamChannel& channel) {
    if (channel.Pause()) return true;
    BassLibrary::SetError(BASS_ERROR_NOPLAY);
    return false;
  });
}

int32_t BASS_ChannelSetAttributes(uint32_t handle, int32_t freq, int32_t volume, int32_t pan) {
  // -1 keeps frequency and volume, -101 keeps the pan; 0 is the file's own
  // frequency.
  if ((freq > 0 && (freq < 100 || freq > 100000)) || volume > 100 || pan > 100 || (pan < -100 && pan != -101)) {
    BassLibrary::SetError(BASS_ERROR_ILLPARAM);
    return 0;
  }
  return OnChannel(handle, [&](StreamChannel& channel) {
    channel.SetAttributes(freq, volume, pan);
    return true;
  });
}

int32_t BASS_ChannelGetAttributes(uint32_t handle, uint32_t* freq, uint32_t* volume, int32_t* pan) {
  return OnChannel(handle, [&](StreamChannel& channel) {
    channel.GetAttributes(freq, volume, pan);
    return true;
  });
}

int32_t BASS_ChannelSet3DAttributes(uint32_t handle, int32_t mode, float min, float max, int32_t iangle,
                                    int32_t oangle, int32_t outvol) {
  return On3DChannel(handle, [&](StreamChannel& channel) {
    if (channel.Set3DAttributes(mode, min, max, iangle, oangle, outvol)) return true;
    BassLibrary::SetError(BASS_ERROR_ILLPARAM);
    return false;
  });
}

int32_t BASS_ChannelGet3DAttributes(uint32_t handle, uint32_t* mode, float* min, float* max, uint32_t* iangle,
                                    uint32_t* oangle, uint32_t* outvol) {
  return On3DChannel(handle, [&](StreamChannel& channel) {
    channel.Get3DAttributes(mode, min, max, iangle, oangle, outvol);
    return true;
  });
}

int32_t BASS_ChannelSet3DPosition(uint32_t handle, const BASS_3DVECTOR* pos, const BASS_3DVECTOR* orient,
                                  const BASS_3DVECTOR* vel) {
  return On3DChannel(handle, [&](StreamChannel& channel) {
    channel.Set3DPosition(pos, orient, vel);
    return true;
  });
}

int32_t BASS_ChannelGet3DPosition(uint32_t handle, BASS_3DVECTOR* pos, BASS_3DVECTOR* orient, BASS_3DVECTOR* vel) {
  return On3DChannel(handle, [&](StreamChannel& channel) {
    channel.Get3DPosition(pos, orient, vel);
    return true;
  });
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-parameter"
#define YNX_BASS_UNAVAILABLE(ret, name, params) \
  ret name params { return Unavailable<ret>(); }
YNX_BASS_FAILING_ENTRIES(YNX_BASS_UNAVAILABLE)
#undef YNX_BASS_UNAVAILABLE
#pragma GCC diagnostic pop

int32_t YNX_BassUseLoopback(uint32_t freq) {
  return Guarded<int32_t>(0, [&] { return BassLibrary::Instance().UseLoopback(freq) ? 1 : 0; });
}

int32_t YNX_BassRenderLoopback(float* out, int32_t frames) {
  return Guarded<int32_t>(0, [&] { return BassLibrary::Instance().RenderLoopback(out, frames) ? 1 : 0; });
}
}
