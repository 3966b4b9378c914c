#include "tests/support/OggToneEncoder.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace ynx::test {

namespace {

void Append(std::vector<uint8_t>& out, const ogg_page& page) {
  out.insert(out.end(), page.header, page.header + page.header_len);
  out.insert(out.end(), page.body, page.body + page.body_len);
}

}  // namespace

std::vector<uint8_t> OggToneEncoder::Encode(long rate, uint32_t frames, const std::vector<Tone>& tones) {
  const int channels = static_cast<int>(tones.size());
  vorbis_info info;
  vorbis_info_init(&info);
  if (vorbis_encode_init_vbr(&info, channels, rate, 0.6f) != 0) std::abort();
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  vorbis_dsp_state dsp;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block block;
  vorbis_block_init(&dsp, &block);
  ogg_stream_state stream;
  ogg_stream_init(&stream, 1);

  std::vector<uint8_t> out;
  ogg_packet header, commentHeader, codeHeader;
  vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codeHeader);
  ogg_stream_packetin(&stream, &header);
  ogg_stream_packetin(&stream, &commentHeader);
  ogg_stream_packetin(&stream, &codeHeader);
  ogg_page page;
  while (ogg_stream_flush(&stream, &page) != 0) Append(out, page);

  constexpr uint32_t kChunk = 1024;
  // The same noise every run.
  uint32_t seed = 1;
  const auto noise = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<float>(seed >> 8) / static_cast<float>(1u << 23) - 1.0f;
  };
  for (uint32_t done = 0; done <= frames;) {
    const uint32_t count = std::min(kChunk, frames - done);
    if (count == 0) {
      vorbis_analysis_wrote(&dsp, 0);
    } else {
      float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(count));
      for (int channel = 0; channel < channels; ++channel) {
        const Tone& tone = tones[static_cast<size_t>(channel)];
        for (uint32_t i = 0; i < count; ++i) {
          const double t = static_cast<double>(done + i) / static_cast<double>(rate);
          buffer[channel][i] = tone.amplitude * static_cast<float>(std::sin(2.0 * M_PI * tone.frequency * t));
          if (tone.noise != 0.0f) buffer[channel][i] += tone.noise * noise();
        }
      }
      vorbis_analysis_wrote(&dsp, static_cast<int>(count));
    }
    done += count == 0 ? 1 : count;
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
      vorbis_analysis(&block, nullptr);
      vorbis_bitrate_addblock(&block);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&dsp, &packet) != 0) {
        ogg_stream_packetin(&stream, &packet);
        while (ogg_stream_pageout(&stream, &page) != 0) Append(out, page);
      }
    }
  }
  while (ogg_stream_flush(&stream, &page) != 0) Append(out, page);

  ogg_stream_clear(&stream);
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  return out;
}

}  // namespace ynx::test
