#pragma once

#include <cstdint>

namespace ynx::tools {

// One channel of the 2.0 method's audio mode: an adaptive linear predictor
// over the byte deltas, mirrored from the decoder step for step so that the
// symbol written turns back into the byte that was meant.
class AudioPredictor {
 public:
  // The symbol that makes the decoder produce `byte`; `channelDelta` is the
  // delta of the byte before, of whichever channel, shared by all channels.
  uint8_t Encode(uint8_t byte, int& channelDelta);

 private:
  int weight[5] = {};
  int delta[4] = {};
  int lastDelta = 0;
  int error[11] = {};
  uint32_t count = 0;
  int lastByte = 0;
};

}  // namespace ynx::tools
