#include "platform/bass/BassLibrary.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/bass/StreamChannel.h"

namespace ynx::bass {

namespace {

thread_local int32_t lastError = BASS_OK;

// The one output device: -1 asks for the default, which is device 1.
constexpr uint32_t kOutputDevice = 1;
constexpr uint32_t kSupportedStreamFlags = BASS_SAMPLE_8BITS | BASS_SAMPLE_MONO | BASS_SAMPLE_LOOP |
                                           BASS_SAMPLE_3D | BASS_SAMPLE_SOFTWARE | BASS_SAMPLE_FLOAT |
                                           BASS_STREAM_PRESCAN;

bool ReadWholeFile(const char* path, uint32_t offset, uint32_t length, std::vector<uint8_t>& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  in.seekg(offset);
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (length != 0 && bytes.size() > length) bytes.resize(length);
  return true;
}

}  // namespace

BassLibrary& BassLibrary::Instance() {
  // Destroyed when the library is unloaded, which stops the feeder first.
  static BassLibrary library;
  return library;
}

int32_t BassLibrary::LastError() { return lastError; }

void BassLibrary::SetError(int32_t code) { lastError = code; }

BassLibrary::BassLibrary() : feeder([this] { FeedAll(); }) {}

BassLibrary::~BassLibrary() {
  if (initialized) Free();
}

bool BassLibrary::RequireInit() {
  if (initialized) return true;
  SetError(BASS_ERROR_INIT);
  return false;
}

uint32_t BassLibrary::SetConfig(uint32_t option, uint32_t value) {
  std::lock_guard lock(mutex);
  if (option != BASS_CONFIG_GVOL_STREAM) {
    SetError(BASS_ERROR_ILLPARAM);
    return 0xFFFFFFFFu;
  }
  streamVolume = value > 100 ? 100 : value;
  device.SetStreamVolume(streamVolume);
  SetError(BASS_OK);
  return streamVolume;
}

uint32_t BassLibrary::GetConfig(uint32_t option) {
  std::lock_guard lock(mutex);
  if (option != BASS_CONFIG_GVOL_STREAM) {
    SetError(BASS_ERROR_ILLPARAM);
    return 0xFFFFFFFFu;
  }
  SetError(BASS_OK);
  return streamVolume;
}

const char* BassLibrary::GetDeviceDescription(uint32_t deviceNumber) {
  std::lock_guard lock(mutex);
  if (deviceNumber != kOutputDevice) {
    SetError(BASS_ERROR_DEVICE);
    return nullptr;
  }
  description = initialized ? device.Name() : AudioDevice::DefaultOutputName();
  SetError(BASS_OK);
  return description.c_str();
}

bool BassLibrary::Init(int32_t deviceNumber, uint32_t freq, uint32_t flags) {
  std::lock_guard lock(mutex);
  if (deviceNumber != -1 && deviceNumber != static_cast<int32_t>(kOutputDevice)) {
    SetError(BASS_ERROR_DEVICE);
    return false;
  }
  // The sound manager and the application both initialise; the second call
  // keeps the device, its streams and its settings.
  if (initialized) {
    SetError(BASS_OK);
    return true;
  }
  if (freq == 0 || freq > 192000) {
    SetError(BASS_ERROR_FORMAT);
    return false;
  }
  if (const int32_t error = device.Open(freq, loopbackFreq); error != BASS_OK) {
    SetError(error);
    return false;
  }
  if (!feeder.Start()) {
    device.Close();
    SetError(BASS_ERROR_UNKNOWN);
    return false;
  }
  initialized = true;
  initFlags = flags;
  pending = Space{};
  applied = Space{};
  device.SetStreamVolume(streamVolume);
  device.SetListener(applied.position, applied.velocity, applied.front, applied.top);
  device.SetFactors(applied.distance, applied.doppler);
  SetError(BASS_OK);
  return true;
}

uint32_t BassLibrary::GetDevice() {
  std::lock_guard lock(mutex);
  if (!RequireInit()) return 0xFFFFFFFFu;
  SetError(BASS_OK);
  return kOutputDevice;
}

bool BassLibrary::Free() {
  {
    std::lock_guard lock(mutex);
    if (!RequireInit()) return false;
  }
  // Outside the lock: the feeder takes it to find its work.
  feeder.Stop();
  std::lock_guard lock(mutex);
  for (const std::shared_ptr<StreamChannel>& channel : channels.RemoveAll()) channel->Destroy();
  device.Close();
  initialized = false;
  SetError(BASS_OK);
  return true;
}

bool BassLibrary::Set3DFactors(float distance, float rolloff, float doppler) {
  std::lock_guard lock(mutex);
  if (!RequireInit()) return false;
  // Negative values keep the current factor; a distance factor must be
  // above zero, the others may be zero.
  if (distance > 0.0f) pending.distance = distance;
  if (rolloff >= 0.0f) pending.rolloff = rolloff;
  if (doppler >= 0.0f) pending.doppler = doppler;
  SetError(BASS_OK);
  return true;
}

bool BassLibrary::Get3DFactors(float* distance, float* rolloff, float* doppler) {
  std::lock_guard lock(mutex);
  if (!RequireInit()) return false;
  if (distance != nullptr) *distance = pending.distance;
  if (rolloff != nullptr) *rolloff = pending.rolloff;
  if (doppler != nullptr) *doppler = pending.doppler;
  SetError(BASS_OK);
  return true;
}

bool BassLibrary::Set3DPosition(const BASS_3DVECTOR* pos, const BASS_3DVECTOR* vel, const BASS_3DVECTOR* front,
                                const BASS_3DVECTOR* top) {
  std::lock_guard lock(mutex);
  if (!RequireInit()) return false;
  if (pos != nullptr) pending.position = *pos;
  if (vel != nullptr) pending.velocity = *vel;
  if (front != nullptr) pending.front = *front;
  if (top != nullptr) pending.top = *top;
  SetError(BASS_OK);
  return true;
}

bool BassLibrary::Get3DPosition(BASS_3DVECTOR* pos, BASS_3DVECTOR* vel, BASS_3DVECTOR* front, BASS_3DVECTOR* top) {
  std::lock_guard lock(mutex);
  if (!RequireInit()) return false;
  if (pos != nullptr) *pos = pending.position;
  if (vel != nullptr) *vel = pending.velocity;
  if (front != nullptr) *front = pending.front;
  if (top != nullptr) *top = pending.top;
  SetError(BASS_OK);
  return true;
}

void BassLibrary::Apply3D() {
  std::lock_guard lock(mutex);
  if (!RequireInit()) return;
  applied = pending;
  device.BeginBatch();
  device.SetListener(applied.position, applied.velocity, applied.front, applied.top);
  device.SetFactors(applied.distance, applied.doppler);
  for (const std::shared_ptr<StreamChannel>& channel : channels.All()) channel->Apply3D(applied.rolloff);
  device.EndBatch();
  SetError(BASS_OK);
}

HSTREAM BassLibrary::StreamCreateFile(bool memory, const void* file, uint32_t offset, uint32_t length,
                                      uint32_t flags) {
  std::lock_guard lock(mutex);
  if (!RequireInit()) return 0;
  if (file == nullptr || (memory && length == 0)) {
    SetError(BASS_ERROR_ILLPARAM);
    return 0;
  }
  if ((flags & ~kSupportedStreamFlags) != 0) {
    SetError(BASS_ERROR_NOTAVAIL);
    return 0;
  }
  if ((flags & BASS_SAMPLE_3D) != 0 && (initFlags & BASS_DEVICE_3D) == 0) {
    SetError(BASS_ERROR_NO3D);
    return 0;
  }
  std::vector<uint8_t> owned;
  const uint8_t* bytes = static_cast<const uint8_t*>(file) + (memory ? offset : 0);
  size_t size = length;
  if (!memory) {
    if (!ReadWholeFile(static_cast<const char*>(file), offset, length, owned)) {
      SetError(BASS_ERROR_FILEOPEN);
      return 0;
    }
    bytes = owned.data();
    size = owned.size();
  }
  auto decoder = std::make_unique<OggDecoder>();
  const bool mono = (flags & (BASS_SAMPLE_3D | BASS_SAMPLE_MONO)) != 0;
  switch (decoder->Open(bytes, size, std::move(owned), mono)) {
    case OggDecoder::Result::Ok: break;
    case OggDecoder::Result::NotVorbis: SetError(BASS_ERROR_FILEFORM); return 0;
    case OggDecoder::Result::BadFormat: SetError(BASS_ERROR_FORMAT); return 0;
  }
  auto channel = std::make_shared<StreamChannel>(std::move(decoder), flags);
  if (!channel->Create(applied.rolloff)) {
    SetError(BASS_ERROR_NOCHAN);
    return 0;
  }
  const HSTREAM handle = channels.Add(channel);
  if (handle == 0) {
    channel->Destroy();
    SetError(BASS_ERROR_NOCHAN);
    return 0;
  }
  SetError(BASS_OK);
  return handle;
}

void BassLibrary::StreamFree(HSTREAM handle) {
  std::shared_ptr<StreamChannel> channel;
  {
    std::lock_guard lock(mutex);
    if (!RequireInit()) return;
    channel = channels.Remove(handle);
  }
  if (!channel) {
    SetError(BASS_ERROR_HANDLE);
    return;
  }
  channel->Destroy();
  SetError(BASS_OK);
}

std::shared_ptr<StreamChannel> BassLibrary::Channel(uint32_t handle) {
  std::lock_guard lock(mutex);
  if (!RequireInit()) return nullptr;
  std::shared_ptr<StreamChannel> channel = channels.Find(handle);
  SetError(channel ? BASS_OK : BASS_ERROR_HANDLE);
  return channel;
}

void BassLibrary::FeedAll() {
  std::vector<std::shared_ptr<StreamChannel>> all;
  {
    std::lock_guard lock(mutex);
    all = channels.All();
  }
  for (const std::shared_ptr<StreamChannel>& channel : all) channel->Feed();
}

bool BassLibrary::UseLoopback(uint32_t freq) {
  std::lock_guard lock(mutex);
  if (initialized) {
    SetError(BASS_ERROR_ALREADY);
    return false;
  }
  loopbackFreq = freq;
  SetError(BASS_OK);
  return true;
}

bool BassLibrary::RenderLoopback(float* out, int32_t frames) {
  {
    std::lock_guard lock(mutex);
    if (!RequireInit()) return false;
    if (!device.IsLoopback() || out == nullptr || frames < 0) {
      SetError(BASS_ERROR_NOTAVAIL);
      return false;
    }
  }
  // In slices shorter than one buffer, each after a feed, so that no stream
  // runs dry however long the render.
  constexpr int32_t kSlice = 1024;
  for (int32_t done = 0; done < frames; done += kSlice) {
    FeedAll();
    std::lock_guard lock(mutex);
    device.Render(out + 2 * static_cast<size_t>(done), std::min(kSlice, frames - done));
  }
  SetError(BASS_OK);
  return true;
}

}  // namespace ynx::bass
