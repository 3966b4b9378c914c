#include "platform/bass/OggDecoder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace ynx::bass {

namespace {

size_t ReadCallback(void* out, size_t elementSize, size_t count, void* source) {
  return static_cast<MemoryReader*>(source)->Read(out, elementSize, count);
}

int SeekCallback(void* source, ogg_int64_t offset, int whence) {
  return static_cast<MemoryReader*>(source)->Seek(offset, whence);
}

long TellCallback(void* source) { return static_cast<MemoryReader*>(source)->Tell(); }

// Left and right weights of each channel in Vorbis order, for one to eight
// channels; the low-frequency channel is dropped.
struct Fold {
  float left;
  float right;
};
constexpr float kCentre = 0.70710678f;
constexpr Fold kFolds[8][8] = {
    {{kCentre, kCentre}},
    {{1, 0}, {0, 1}},
    {{1, 0}, {kCentre, kCentre}, {0, 1}},
    {{1, 0}, {0, 1}, {1, 0}, {0, 1}},
    {{1, 0}, {kCentre, kCentre}, {0, 1}, {1, 0}, {0, 1}},
    {{1, 0}, {kCentre, kCentre}, {0, 1}, {1, 0}, {0, 1}, {0, 0}},
    {{1, 0}, {kCentre, kCentre}, {0, 1}, {1, 0}, {0, 1}, {kCentre, kCentre}, {0, 0}},
    {{1, 0}, {kCentre, kCentre}, {0, 1}, {1, 0}, {0, 1}, {1, 0}, {0, 1}, {0, 0}},
};

int16_t ToSample(float value) {
  if (std::isnan(value)) return 0;
  const float scaled = std::clamp(value, -1.0f, 1.0f) * 32767.0f;
  return static_cast<int16_t>(std::lrint(scaled));
}

}  // namespace

OggDecoder::~OggDecoder() {
  if (open) ov_clear(&file);
}

OggDecoder::Result OggDecoder::Open(const uint8_t* data, size_t size, std::vector<uint8_t> owned, bool mono) {
  ownedBytes = std::move(owned);
  reader = std::make_unique<MemoryReader>(data, size);
  const ov_callbacks callbacks = {ReadCallback, SeekCallback, nullptr, TellCallback};
  if (ov_open_callbacks(reader.get(), &file, nullptr, 0, callbacks) != 0) return Result::NotVorbis;
  open = true;
  const vorbis_info* info = ov_info(&file, -1);
  if (info == nullptr || info->channels < 1 || info->channels > 8 || info->rate < 1) return Result::BadFormat;
  // Every link must be playable, since a chained file may change its format.
  for (long link = 0; link < ov_streams(&file); ++link) {
    const vorbis_info* linkInfo = ov_info(&file, static_cast<int>(link));
    if (linkInfo == nullptr || linkInfo->channels < 1 || linkInfo->channels > 8 || linkInfo->rate < 1)
      return Result::BadFormat;
  }
  outputChannels = mono || info->channels == 1 ? 1 : 2;
  rate = info->rate;
  const ogg_int64_t total = ov_pcm_total(&file, -1);
  totalFrames = total > 0 ? static_cast<uint64_t>(total) : 0;
  return Result::Ok;
}

size_t OggDecoder::ReadOnce(int16_t* out, size_t frames) {
  float** pcm = nullptr;
  int link = 0;
  // A hole in the data (OV_HOLE) is skipped; any other error ends the file.
  for (int attempt = 0; attempt < 64; ++attempt) {
    const long got = ov_read_float(&file, &pcm, static_cast<int>(std::min<size_t>(frames, 4096)), &link);
    if (got == OV_HOLE) continue;
    if (got <= 0) return 0;
    const vorbis_info* info = ov_info(&file, link);
    if (info == nullptr || info->channels < 1 || info->channels > 8) return 0;
    const int channels = info->channels;
    const Fold* folds = kFolds[channels - 1];
    for (long frame = 0; frame < got; ++frame) {
      if (outputChannels == 1) {
        float sum = 0;
        for (int channel = 0; channel < channels; ++channel) sum += pcm[channel][frame];
        out[frame] = ToSample(sum / static_cast<float>(channels));
      } else {
        float left = 0;
        float right = 0;
        for (int channel = 0; channel < channels; ++channel) {
          left += folds[channel].left * pcm[channel][frame];
          right += folds[channel].right * pcm[channel][frame];
        }
        out[2 * frame] = ToSample(left);
        out[2 * frame + 1] = ToSample(right);
      }
    }
    return static_cast<size_t>(got);
  }
  return 0;
}

size_t OggDecoder::Read(int16_t* out, size_t frames, bool loop) {
  if (!open) return 0;
  size_t done = 0;
  bool rewoundEmpty = false;
  while (done < frames) {
    const size_t got = ReadOnce(out + done * static_cast<size_t>(outputChannels), frames - done);
    if (got > 0) {
      done += got;
      rewoundEmpty = false;
      continue;
    }
    // A file that gives nothing right after a rewind would loop forever.
    if (!loop || rewoundEmpty || !Rewind()) break;
    rewoundEmpty = true;
  }
  return done;
}

bool OggDecoder::Rewind() { return open && ov_pcm_seek(&file, 0) == 0; }

}  // namespace ynx::bass
