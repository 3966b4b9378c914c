#pragma once

#include <AL/al.h>
#include <AL/alc.h>

#include <cstdint>
#include <string>

#include "platform/bass/Bass.h"

namespace ynx::bass {

// The OpenAL device and its one context: the default output, or a loopback
// device that mixes only when asked (for tests and benchmarks). Listener
// values arrive left-handed and go to OpenAL with z negated.
class AudioDevice {
 public:
  AudioDevice() = default;
  ~AudioDevice() { Close(); }
  AudioDevice(const AudioDevice&) = delete;
  AudioDevice& operator=(const AudioDevice&) = delete;

  // Called before anything else of OpenAL in the process: when no output
  // looks present (no sound server, no ALSA or OSS playback node) and the
  // user chose no drivers, OpenAL is told to use its null output, which
  // would otherwise try ALSA and fill standard error with its complaints.
  static void PrepareOpenAl();
  // The name OpenAL gives its default output, without opening it.
  static std::string DefaultOutputName();

  // A BASS error code, BASS_OK on success. `loopbackFreq` 0 opens the
  // default output at `freq` Hz.
  int32_t Open(uint32_t freq, uint32_t loopbackFreq);
  void Close();
  bool IsLoopback() const { return loopback; }
  const std::string& Name() const { return name; }

  void SetStreamVolume(uint32_t percent);
  void SetListener(const BASS_3DVECTOR& position, const BASS_3DVECTOR& velocity, const BASS_3DVECTOR& front,
                   const BASS_3DVECTOR& top);
  void SetFactors(float distance, float doppler);
  // Changes between these two reach the mix together, as one Apply3D.
  void BeginBatch();
  void EndBatch();
  // Loopback only: mixes `frames` stereo float frames into `out`.
  bool Render(float* out, int32_t frames);

 private:
  ALCdevice* device = nullptr;
  ALCcontext* context = nullptr;
  bool loopback = false;
  std::string name;
};

}  // namespace ynx::bass
