#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include <vorbis/vorbisfile.h>

#include "platform/bass/MemoryReader.h"

namespace ynx::bass {

// One Ogg Vorbis file decoded from a block of bytes to 16-bit PCM with one
// or two channels: mono mixes every channel down, stereo keeps a stereo file
// and folds wider ones onto two speakers. Chained files may change their
// channel count between links; the output keeps its own.
class OggDecoder {
 public:
  enum class Result { Ok, NotVorbis, BadFormat };

  OggDecoder() = default;
  ~OggDecoder();
  OggDecoder(const OggDecoder&) = delete;
  OggDecoder& operator=(const OggDecoder&) = delete;

  // Reads the headers. `owned` (may be empty) keeps bytes this decoder must
  // hold itself; otherwise `data` must outlive it.
  Result Open(const uint8_t* data, size_t size, std::vector<uint8_t> owned, bool mono);

  int Channels() const { return outputChannels; }
  long Rate() const { return rate; }
  // Frames in the whole file, 0 when unknown.
  uint64_t Frames() const { return totalFrames; }

  // Decodes up to `frames` frames into `out` (frames * Channels() samples).
  // With `loop` the file starts over at its end without a gap. Returns the
  // frames written; fewer than asked only at the end of a file that does
  // not loop.
  size_t Read(int16_t* out, size_t frames, bool loop);
  bool Rewind();

 private:
  size_t ReadOnce(int16_t* out, size_t frames);

  std::vector<uint8_t> ownedBytes;
  std::unique_ptr<MemoryReader> reader;
  OggVorbis_File file{};
  bool open = false;
  int outputChannels = 0;
  long rate = 0;
  uint64_t totalFrames = 0;
};

}  // namespace ynx::bass
