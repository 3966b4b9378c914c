#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "platform/bass/AudioDevice.h"
#include "platform/bass/Bass.h"
#include "platform/bass/HandleTable.h"
#include "platform/bass/StreamFeeder.h"

namespace ynx::bass {

// Everything behind the C entry points: the device, the streams, the feeder
// thread, the configuration and the 3D settings waiting for Apply3D. Each
// call sets the calling thread's error code, as the 2.x library does. The
// configuration outlives Free; everything else goes with it.
class BassLibrary {
 public:
  static BassLibrary& Instance();
  static int32_t LastError();
  static void SetError(int32_t code);

  BassLibrary();
  ~BassLibrary();
  BassLibrary(const BassLibrary&) = delete;
  BassLibrary& operator=(const BassLibrary&) = delete;

  uint32_t SetConfig(uint32_t option, uint32_t value);
  uint32_t GetConfig(uint32_t option);
  const char* GetDeviceDescription(uint32_t device);
  bool Init(int32_t device, uint32_t freq, uint32_t flags);
  uint32_t GetDevice();
  bool Free();
  bool Set3DFactors(float distance, float rolloff, float doppler);
  bool Get3DFactors(float* distance, float* rolloff, float* doppler);
  bool Set3DPosition(const BASS_3DVECTOR* pos, const BASS_3DVECTOR* vel, const BASS_3DVECTOR* front,
                     const BASS_3DVECTOR* top);
  bool Get3DPosition(BASS_3DVECTOR* pos, BASS_3DVECTOR* vel, BASS_3DVECTOR* front, BASS_3DVECTOR* top);
  void Apply3D();
  HSTREAM StreamCreateFile(bool memory, const void* file, uint32_t offset, uint32_t length, uint32_t flags);
  void StreamFree(HSTREAM handle);
  // The channel behind a handle, or null with the error code set.
  std::shared_ptr<StreamChannel> Channel(uint32_t handle);
  // Wakes the feeder after a channel starts.
  void WakeFeeder() { feeder.Wake(); }

  bool UseLoopback(uint32_t freq);
  bool RenderLoopback(float* out, int32_t frames);

 private:
  struct Space {
    float distance = 1.0f;
    float rolloff = 1.0f;
    float doppler = 1.0f;
    BASS_3DVECTOR position{0, 0, 0};
    BASS_3DVECTOR velocity{0, 0, 0};
    BASS_3DVECTOR front{0, 0, 1};
    BASS_3DVECTOR top{0, 1, 0};
  };

  void FeedAll();
  bool RequireInit();

  std::mutex mutex;
  AudioDevice device;
  HandleTable channels;
  StreamFeeder feeder;
  bool initialized = false;
  uint32_t initFlags = 0;
  uint32_t streamVolume = 100;
  uint32_t loopbackFreq = 0;
  // What the program set, and what Apply3D last gave OpenAL.
  Space pending;
  Space applied;
  std::string description;
};

}  // namespace ynx::bass
