#include "platform/bass/StreamChannel.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>

namespace ynx::bass {

namespace {

// OpenAL is right-handed: the same point has its z negated.
void ToOpenAl(const BASS_3DVECTOR& v, ALfloat out[3]) {
  out[0] = v.x;
  out[1] = v.y;
  out[2] = -v.z;
}

}  // namespace

StreamChannel::StreamChannel(std::unique_ptr<OggDecoder> decoder, uint32_t flags)
    : decoder(std::move(decoder)), flags(flags), channels(this->decoder->Channels()), rate(this->decoder->Rate()) {
  sent.fill(std::numeric_limits<ALfloat>::quiet_NaN());
}

StreamChannel::~StreamChannel() { Destroy(); }

bool StreamChannel::Create(float rolloff) {
  std::lock_guard lock(mutex);
  alGetError();
  alGenSources(1, &source);
  if (alGetError() != AL_NO_ERROR) {
    source = 0;
    return false;
  }
  alGenBuffers(kBufferCount, buffers.data());
  if (alGetError() != AL_NO_ERROR) {
    alDeleteSources(1, &source);
    source = 0;
    buffers.fill(0);
    return false;
  }
  freeBuffers.assign(buffers.begin(), buffers.end());
  scratch.resize(kBufferFrames * static_cast<size_t>(channels));
  alSourcef(source, AL_MAX_DISTANCE, FLT_MAX);
  ApplyPlacementLocked(rolloff);
  return true;
}

void StreamChannel::Destroy() {
  // Waits for a decode in progress: the caller's bytes are not read again
  // once this returns.
  std::lock_guard decodeLock(decodeMutex);
  std::lock_guard lock(mutex);
  if (source != 0) {
    alSourceStop(source);
    alSourcei(source, AL_BUFFER, 0);
    alDeleteSources(1, &source);
    source = 0;
  }
  if (buffers[0] != 0) {
    alDeleteBuffers(kBufferCount, buffers.data());
    buffers.fill(0);
  }
  freeBuffers.clear();
  decoder.reset();
  state = State::Stopped;
}

void StreamChannel::Feed() {
  // Decoding and seeking hold only the decoder's lock, so the program's
  // calls on this stream never wait for them; a restart meanwhile makes
  // their result stale.
  std::lock_guard decodeLock(decodeMutex);
  bool carriedOn = false;
  // Buffers are taken back once, before filling: a source that is not
  // playing counts every queued buffer as played.
  bool reclaimed = false;
  for (;;) {
    uint64_t startedAt = 0;
    bool loop = false;
    bool rewind = false;
    {
      std::lock_guard lock(mutex);
      if (source == 0 || state != State::Playing) return;
      if (!reclaimed) ReclaimLocked();
      reclaimed = true;
      startedAt = starts;
      loop = (flags & BASS_SAMPLE_LOOP) != 0;
      // Looping switched on after the last block was decoded carries on
      // (once per feed, in case the file gives nothing at all).
      if (decodeEnded && !ended && loop && !carriedOn) {
        carriedOn = true;
        rewindPending = true;
      }
      rewind = rewindPending;
      rewindPending = false;
      if (!rewind && (decodeEnded || freeBuffers.empty())) {
        StartOrEndLocked();
        return;
      }
    }
    if (rewind) {
      const bool rewound = decoder->Rewind();
      std::lock_guard lock(mutex);
      if (starts == startedAt) decodeEnded = !rewound;
      continue;
    }
    const size_t frames = decoder->Read(scratch.data(), kBufferFrames, loop);
    std::lock_guard lock(mutex);
    if (source == 0 || starts != startedAt) continue;
    if (frames < kBufferFrames) decodeEnded = true;
    if (frames > 0) {
      const ALuint buffer = freeBuffers.back();
      freeBuffers.pop_back();
      alBufferData(buffer, channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16, scratch.data(),
                   static_cast<ALsizei>(frames * static_cast<size_t>(channels) * sizeof(int16_t)),
                   static_cast<ALsizei>(rate));
      alSourceQueueBuffers(source, 1, &buffer);
    }
  }
}

void StreamChannel::ReclaimLocked() {
  ALint processed = 0;
  alGetSourcei(source, AL_BUFFERS_PROCESSED, &processed);
  while (processed-- > 0) {
    ALuint buffer = 0;
    alSourceUnqueueBuffers(source, 1, &buffer);
    freeBuffers.push_back(buffer);
  }
}

void StreamChannel::StartOrEndLocked() {
  ALint queued = 0;
  ALint sourceState = 0;
  alGetSourcei(source, AL_BUFFERS_QUEUED, &queued);
  alGetSourcei(source, AL_SOURCE_STATE, &sourceState);
  if (sourceState != AL_PLAYING && queued > 0) {
    alSourcePlay(source);
  } else if (queued == 0 && decodeEnded) {
    state = State::Stopped;
    ended = true;
  }
}

bool StreamChannel::SourceEndedLocked() {
  if (!decodeEnded) return false;
  ALint sourceState = 0;
  ALint queued = 0;
  ALint processed = 0;
  alGetSourcei(source, AL_SOURCE_STATE, &sourceState);
  alGetSourcei(source, AL_BUFFERS_QUEUED, &queued);
  alGetSourcei(source, AL_BUFFERS_PROCESSED, &processed);
  return sourceState != AL_PLAYING && processed == queued;
}

uint32_t StreamChannel::IsActive() {
  std::lock_guard lock(mutex);
  if (source == 0) return BASS_ACTIVE_STOPPED;
  if (state == State::Playing && SourceEndedLocked()) {
    state = State::Stopped;
    ended = true;
  }
  switch (state) {
    case State::Playing: return BASS_ACTIVE_PLAYING;
    case State::Paused: return BASS_ACTIVE_PAUSED;
    case State::Stopped: break;
  }
  return BASS_ACTIVE_STOPPED;
}

bool StreamChannel::Play(bool restart) {
  std::lock_guard lock(mutex);
  if (source == 0) return false;
  if (restart) {
    alSourceStop(source);
    alSourcei(source, AL_BUFFER, 0);
    freeBuffers.assign(buffers.begin(), buffers.end());
    // The feeder rewinds the decoder; a block it is decoding now is stale.
    ++starts;
    rewindPending = true;
    decodeEnded = false;
    ended = false;
    state = State::Stopped;
  } else if (state == State::Playing && SourceEndedLocked()) {
    state = State::Stopped;
    ended = true;
  }
  // An ended stream stays at its end until it is restarted.
  if (ended || state == State::Playing) return false;
  state = State::Playing;
  ALint queued = 0;
  alGetSourcei(source, AL_BUFFERS_QUEUED, &queued);
  if (queued > 0) alSourcePlay(source);
  return true;
}

void StreamChannel::Stop() {
  std::lock_guard lock(mutex);
  if (source == 0 || state == State::Stopped) return;
  // Kept where it is, so that a later play without restart resumes there.
  alSourcePause(source);
  state = State::Stopped;
}

bool StreamChannel::Pause() {
  std::lock_guard lock(mutex);
  if (source == 0 || state != State::Playing) return false;
  alSourcePause(source);
  state = State::Paused;
  return true;
}

void StreamChannel::SetFlags(uint32_t newFlags) {
  std::lock_guard lock(mutex);
  // Only looping may change; 3D and the rest are fixed at creation.
  flags = (flags & ~BASS_SAMPLE_LOOP) | (newFlags & BASS_SAMPLE_LOOP);
}

uint32_t StreamChannel::Flags() {
  std::lock_guard lock(mutex);
  return flags;
}

void StreamChannel::SetAttributes(int32_t newFreq, int32_t newVolume, int32_t newPan) {
  std::lock_guard lock(mutex);
  if (newFreq >= 0) freq = static_cast<uint32_t>(newFreq);
  if (newVolume >= 0) volume = static_cast<uint32_t>(std::min(newVolume, 100));
  if (newPan >= -100) pan = std::min(newPan, 100);
  if (source == 0) return;
  const float pitch = freq == 0 ? 1.0f : static_cast<float>(freq) / static_cast<float>(rate);
  alSourcef(source, AL_PITCH, pitch);
  alSourcef(source, AL_GAIN, static_cast<float>(volume) / 100.0f);
  if (!Is3D()) ApplyPlacementLocked(0.0f);
}

void StreamChannel::GetAttributes(uint32_t* outFreq, uint32_t* outVolume, int32_t* outPan) {
  std::lock_guard lock(mutex);
  if (outFreq != nullptr) *outFreq = freq == 0 ? static_cast<uint32_t>(rate) : freq;
  if (outVolume != nullptr) *outVolume = volume;
  if (outPan != nullptr) *outPan = pan;
}

bool StreamChannel::Set3DAttributes(int32_t newMode, float min, float max, int32_t iangle, int32_t oangle,
                                    int32_t outvol) {
  std::lock_guard lock(mutex);
  if (newMode > BASS_3DMODE_OFF || iangle > 360 || oangle > 360 || outvol > 100) return false;
  if (newMode >= 0) mode = newMode;
  if (min > 0.0f) minDistance = min;
  if (max > 0.0f) maxDistance = max;
  if (iangle >= 0) insideAngle = static_cast<uint32_t>(iangle);
  if (oangle >= 0) outsideAngle = static_cast<uint32_t>(oangle);
  if (outvol >= 0) outsideVolume = static_cast<uint32_t>(outvol);
  return true;
}

void StreamChannel::Get3DAttributes(uint32_t* outMode, float* min, float* max, uint32_t* iangle,
                                    uint32_t* oangle, uint32_t* outvol) {
  std::lock_guard lock(mutex);
  if (outMode != nullptr) *outMode = static_cast<uint32_t>(mode);
  if (min != nullptr) *min = minDistance;
  if (max != nullptr) *max = maxDistance;
  if (iangle != nullptr) *iangle = insideAngle;
  if (oangle != nullptr) *oangle = outsideAngle;
  if (outvol != nullptr) *outvol = outsideVolume;
}

void StreamChannel::Set3DPosition(const BASS_3DVECTOR* pos, const BASS_3DVECTOR* orient,
                                  const BASS_3DVECTOR* vel) {
  std::lock_guard lock(mutex);
  if (pos != nullptr) position = *pos;
  if (orient != nullptr) orientation = *orient;
  if (vel != nullptr) velocity = *vel;
}

void StreamChannel::Get3DPosition(BASS_3DVECTOR* pos, BASS_3DVECTOR* orient, BASS_3DVECTOR* vel) {
  std::lock_guard lock(mutex);
  if (pos != nullptr) *pos = position;
  if (orient != nullptr) *orient = orientation;
  if (vel != nullptr) *vel = velocity;
}

void StreamChannel::Apply3D(float rolloff) {
  std::lock_guard lock(mutex);
  if (source != 0 && Is3D()) ApplyPlacementLocked(rolloff);
}

void StreamChannel::ApplyPlacementLocked(float rolloff) {
  ALfloat at[3] = {0, 0, 0};
  ALfloat direction[3] = {0, 0, 0};
  ALfloat speed[3] = {0, 0, 0};
  bool relative = true;
  float sourceRolloff = 0.0f;
  if (!Is3D()) {
    // A two-dimensional mono stream is panned by its direction on a unit
    // circle ahead of the listener; distance plays no part.
    const double angle = pan / 100.0 * M_PI / 2.0;
    at[0] = static_cast<ALfloat>(std::sin(angle));
    at[2] = static_cast<ALfloat>(-std::cos(angle));
  } else if (mode != BASS_3DMODE_OFF) {
    relative = mode == BASS_3DMODE_RELATIVE;
    sourceRolloff = rolloff;
    ToOpenAl(position, at);
    ToOpenAl(orientation, direction);
    ToOpenAl(velocity, speed);
  }
  const std::array<ALfloat, kPlacementValues> values = {
      relative ? 1.0f : 0.0f, at[0], at[1], at[2], direction[0], direction[1], direction[2], speed[0], speed[1],
      speed[2], sourceRolloff, minDistance, static_cast<float>(insideAngle), static_cast<float>(outsideAngle),
      static_cast<float>(outsideVolume) / 100.0f};
  // Only what changed goes to OpenAL, where every call is a property update
  // of its own; the frame loop moves sources every frame.
  const auto changed = [&](size_t first, size_t count) {
    return !std::equal(values.begin() + first, values.begin() + first + count, sent.begin() + first);
  };
  if (changed(0, 1)) alSourcei(source, AL_SOURCE_RELATIVE, relative ? AL_TRUE : AL_FALSE);
  if (changed(1, 3)) alSourcefv(source, AL_POSITION, values.data() + 1);
  if (changed(4, 3)) alSourcefv(source, AL_DIRECTION, values.data() + 4);
  if (changed(7, 3)) alSourcefv(source, AL_VELOCITY, values.data() + 7);
  if (changed(10, 1)) alSourcef(source, AL_ROLLOFF_FACTOR, values[10]);
  if (changed(11, 1)) alSourcef(source, AL_REFERENCE_DISTANCE, values[11]);
  if (changed(12, 1)) alSourcef(source, AL_CONE_INNER_ANGLE, values[12]);
  if (changed(13, 1)) alSourcef(source, AL_CONE_OUTER_ANGLE, values[13]);
  if (changed(14, 1)) alSourcef(source, AL_CONE_OUTER_GAIN, values[14]);
  sent = values;
}

}  // namespace ynx::bass
