#pragma once

#include <cstdint>
#include <vector>

#include "content/audio/SoundBuffer.h"

namespace ynx::content {

// Ogg Vorbis through libvorbisenc at a quality of -0.1 to 1. The stream's
// serial number is given, not drawn, so that the file repeats exactly.
class OggEncoder {
 public:
  static bool Encode(const SoundBuffer& sound, float quality, int serial, std::vector<uint8_t>& out);
};

}  // namespace ynx::content
