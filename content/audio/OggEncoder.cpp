#include "content/audio/OggEncoder.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>

namespace ynx::content {

namespace {

void Append(std::vector<uint8_t>& out, const ogg_page& page) {
  out.insert(out.end(), page.header, page.header + page.header_len);
  out.insert(out.end(), page.body, page.body + page.body_len);
}

}  // namespace

bool OggEncoder::Encode(const SoundBuffer& sound, float quality, int serial, std::vector<uint8_t>& out) {
  vorbis_info info;
  vorbis_info_init(&info);
  if (vorbis_encode_init_vbr(&info, sound.Channels(), sound.Rate(), quality) != 0) {
    vorbis_info_clear(&info);
    return false;
  }
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  vorbis_dsp_state dsp;
  vorbis_block block;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block_init(&dsp, &block);
  ogg_stream_state stream;
  ogg_stream_init(&stream, serial);

  ogg_packet header, commentPacket, codebooks;
  vorbis_analysis_headerout(&dsp, &comment, &header, &commentPacket, &codebooks);
  ogg_stream_packetin(&stream, &header);
  ogg_stream_packetin(&stream, &commentPacket);
  ogg_stream_packetin(&stream, &codebooks);
  ogg_page page;
  // The headers on pages of their own, as players expect.
  while (ogg_stream_flush(&stream, &page) != 0) Append(out, page);

  const int64_t chunk = 4096;
  const std::vector<float>& samples = sound.Samples();
  for (int64_t done = 0;; done += chunk) {
    const int64_t count = std::clamp<int64_t>(sound.Frames() - done, 0, chunk);
    if (count > 0) {
      float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(count));
      for (int64_t i = 0; i < count; ++i) {
        for (int channel = 0; channel < sound.Channels(); ++channel) {
          buffer[channel][i] = samples[static_cast<size_t>((done + i) * sound.Channels() + channel)];
        }
      }
    }
    // A write of 0 frames marks the end.
    vorbis_analysis_wrote(&dsp, static_cast<int>(count));
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
      vorbis_analysis(&block, nullptr);
      vorbis_bitrate_addblock(&block);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&dsp, &packet) != 0) {
        ogg_stream_packetin(&stream, &packet);
        while (ogg_stream_pageout(&stream, &page) != 0) Append(out, page);
      }
    }
    if (count == 0) break;
  }
  while (ogg_stream_flush(&stream, &page) != 0) Append(out, page);

  ogg_stream_clear(&stream);
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  return true;
}

}  // namespace ynx::content
