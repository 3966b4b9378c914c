#pragma once

#include <AL/al.h>

#include <array>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/bass/Bass.h"
#include "platform/bass/OggDecoder.h"

namespace ynx::bass {

// One stream: an OpenAL source fed from its decoder through a small queue
// of buffers. The feeder thread calls Feed; every other call comes from the
// program. Two locks: one for the source and the settings, taken briefly by
// every call, and one for the decoder, held by Feed while it decodes (and
// by Destroy), so the program never waits for decoding.
//
// Vectors arrive left-handed and go to OpenAL with z negated. 3D settings
// wait for Apply3D, as the program expects; volume, pan and frequency take
// effect at once.
class StreamChannel {
 public:
  static constexpr int kBufferCount = 4;
  static constexpr size_t kBufferFrames = 4096;

  StreamChannel(std::unique_ptr<OggDecoder> decoder, uint32_t flags);
  ~StreamChannel();
  StreamChannel(const StreamChannel&) = delete;
  StreamChannel& operator=(const StreamChannel&) = delete;

  // False when OpenAL has no source or buffers to give.
  bool Create(float rolloff);
  // Stops the source, deletes it and the decoder; later calls do nothing.
  void Destroy();

  bool Is3D() const { return (flags & BASS_SAMPLE_3D) != 0; }
  int Channels() const { return channels; }
  long Rate() const { return rate; }

  void Feed();
  uint32_t IsActive();
  // True when the stream (re)started and wants feeding.
  bool Play(bool restart);
  void Stop();
  bool Pause();
  void SetFlags(uint32_t newFlags);
  uint32_t Flags();
  void SetAttributes(int32_t freq, int32_t volume, int32_t pan);
  void GetAttributes(uint32_t* freq, uint32_t* volume, int32_t* pan);
  bool Set3DAttributes(int32_t mode, float min, float max, int32_t iangle, int32_t oangle, int32_t outvol);
  void Get3DAttributes(uint32_t* mode, float* min, float* max, uint32_t* iangle, uint32_t* oangle,
                       uint32_t* outvol);
  void Set3DPosition(const BASS_3DVECTOR* pos, const BASS_3DVECTOR* orient, const BASS_3DVECTOR* vel);
  void Get3DPosition(BASS_3DVECTOR* pos, BASS_3DVECTOR* orient, BASS_3DVECTOR* vel);
  void Apply3D(float rolloff);

 private:
  enum class State { Stopped, Playing, Paused };

  // With `mutex` held. ReclaimLocked takes back the played buffers;
  // StartOrEndLocked starts a source that has data, or marks the end when
  // nothing is left.
  void ReclaimLocked();
  void StartOrEndLocked();
  void ApplyPlacementLocked(float rolloff);
  bool SourceEndedLocked();

  // What ApplyPlacementLocked last gave OpenAL (NaN: nothing yet).
  static constexpr size_t kPlacementValues = 15;
  std::array<ALfloat, kPlacementValues> sent;

  std::mutex decodeMutex;
  std::mutex mutex;
  std::unique_ptr<OggDecoder> decoder;
  uint32_t flags;
  const int channels;
  const long rate;
  ALuint source = 0;
  std::array<ALuint, kBufferCount> buffers{};
  std::vector<ALuint> freeBuffers;
  std::vector<int16_t> scratch;
  State state = State::Stopped;
  bool decodeEnded = false;
  bool ended = false;
  bool rewindPending = false;
  // Counts restarts, so that Feed can tell a block decoded before one.
  uint64_t starts = 0;

  uint32_t freq = 0;
  uint32_t volume = 100;
  int32_t pan = 0;
  int32_t mode = BASS_3DMODE_NORMAL;
  float minDistance = 1.0f;
  float maxDistance = 1e9f;
  uint32_t insideAngle = 360;
  uint32_t outsideAngle = 360;
  uint32_t outsideVolume = 100;
  BASS_3DVECTOR position{};
  BASS_3DVECTOR orientation{};
  BASS_3DVECTOR velocity{};
};

}  // namespace ynx::bass
