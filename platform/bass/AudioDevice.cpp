#include "platform/bass/AudioDevice.h"

#include <AL/alext.h>

#include <glob.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>
#include <mutex>

namespace ynx::bass {

namespace {

bool Exists(const std::string& path) {
  struct stat info {};
  return !path.empty() && stat(path.c_str(), &info) == 0;
}

bool OutputLooksPresent() {
  if (const char* server = std::getenv("PULSE_SERVER"); server != nullptr && *server != '\0') return true;
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime != '\0') {
    if (Exists(std::string(runtime) + "/pulse/native")) return true;
  }
  if (Exists("/dev/dsp")) return true;
  glob_t found{};
  const bool alsa = glob("/dev/snd/pcmC*D*p", 0, nullptr, &found) == 0 && found.gl_pathc > 0;
  globfree(&found);
  return alsa;
}

}  // namespace

void AudioDevice::PrepareOpenAl() {
  static std::once_flag once;
  std::call_once(once, [] {
    if (std::getenv("ALSOFT_DRIVERS") == nullptr && !OutputLooksPresent()) setenv("ALSOFT_DRIVERS", "null", 0);
  });
}

std::string AudioDevice::DefaultOutputName() {
  PrepareOpenAl();
  const ALCchar* text = alcGetString(nullptr, ALC_DEFAULT_DEVICE_SPECIFIER);
  return text != nullptr ? text : "";
}

int32_t AudioDevice::Open(uint32_t freq, uint32_t loopbackFreq) {
  PrepareOpenAl();
  loopback = loopbackFreq != 0;
  std::vector<ALCint> attributes;
  if (loopback) {
    auto openLoopback = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(
        alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
    if (openLoopback == nullptr) return BASS_ERROR_DRIVER;
    device = openLoopback(nullptr);
    // Plain panning and no limiter, so that levels can be measured.
    attributes = {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT, ALC_FORMAT_TYPE_SOFT, ALC_FLOAT_SOFT,
                  ALC_FREQUENCY, static_cast<ALCint>(loopbackFreq), ALC_HRTF_SOFT, ALC_FALSE,
                  ALC_OUTPUT_LIMITER_SOFT, ALC_FALSE, 0};
  } else {
    device = alcOpenDevice(nullptr);
    attributes = {ALC_FREQUENCY, static_cast<ALCint>(freq), 0};
  }
  if (device == nullptr) return BASS_ERROR_DRIVER;
  context = alcCreateContext(device, attributes.data());
  if (context == nullptr || alcMakeContextCurrent(context) == ALC_FALSE) {
    Close();
    return BASS_ERROR_FORMAT;
  }
  const ALCchar* text = alcGetString(device, ALC_DEVICE_SPECIFIER);
  name = text != nullptr ? text : "";
  alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
  return BASS_OK;
}

void AudioDevice::Close() {
  if (context != nullptr) {
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(context);
    context = nullptr;
  }
  if (device != nullptr) {
    alcCloseDevice(device);
    device = nullptr;
  }
  name.clear();
}

void AudioDevice::SetStreamVolume(uint32_t percent) {
  // Streams are the only channels, so the listener's gain is their volume.
  if (context != nullptr) alListenerf(AL_GAIN, static_cast<float>(percent) / 100.0f);
}

void AudioDevice::SetListener(const BASS_3DVECTOR& position, const BASS_3DVECTOR& velocity,
                              const BASS_3DVECTOR& front, const BASS_3DVECTOR& top) {
  if (context == nullptr) return;
  const ALfloat at[3] = {position.x, position.y, -position.z};
  const ALfloat speed[3] = {velocity.x, velocity.y, -velocity.z};
  const ALfloat orientation[6] = {front.x, front.y, -front.z, top.x, top.y, -top.z};
  alListenerfv(AL_POSITION, at);
  alListenerfv(AL_VELOCITY, speed);
  alListenerfv(AL_ORIENTATION, orientation);
}

void AudioDevice::SetFactors(float distance, float doppler) {
  if (context == nullptr) return;
  // A distance factor is metres per unit; OpenAL wants the speed of sound
  // in units per second.
  alSpeedOfSound(343.3f / distance);
  alDopplerFactor(doppler);
}

void AudioDevice::BeginBatch() {
  static const auto defer = reinterpret_cast<LPALDEFERUPDATESSOFT>(alGetProcAddress("alDeferUpdatesSOFT"));
  if (context != nullptr && defer != nullptr) defer();
}

void AudioDevice::EndBatch() {
  static const auto process = reinterpret_cast<LPALPROCESSUPDATESSOFT>(alGetProcAddress("alProcessUpdatesSOFT"));
  if (context != nullptr && process != nullptr) process();
}

bool AudioDevice::Render(float* out, int32_t frames) {
  if (!loopback || device == nullptr || out == nullptr || frames < 0) return false;
  static const auto render =
      reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
  if (render == nullptr) return false;
  render(device, out, frames);
  return true;
}

}  // namespace ynx::bass
