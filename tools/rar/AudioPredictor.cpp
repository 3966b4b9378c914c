#include "tools/rar/AudioPredictor.h"

#include <cstdlib>

namespace ynx::tools {

uint8_t AudioPredictor::Encode(uint8_t byte, int& channelDelta) {
  delta[3] = delta[2];
  delta[2] = delta[1];
  delta[1] = lastDelta - delta[0];
  delta[0] = lastDelta;
  const int predicted = ((8 * lastByte + weight[0] * delta[0] + weight[1] * delta[1] + weight[2] * delta[2] +
                          weight[3] * delta[3] + weight[4] * channelDelta) >>
                         3) &
                        0xFF;
  const auto symbol = static_cast<uint8_t>(predicted - byte);

  // Each weight has two rivals, one step down and one step up; every 32
  // bytes the one that would have erred least wins.
  const int miss = static_cast<int8_t>(symbol) * 8;
  error[0] += std::abs(miss);
  error[1] += std::abs(miss - delta[0]);
  error[2] += std::abs(miss + delta[0]);
  error[3] += std::abs(miss - delta[1]);
  error[4] += std::abs(miss + delta[1]);
  error[5] += std::abs(miss - delta[2]);
  error[6] += std::abs(miss + delta[2]);
  error[7] += std::abs(miss - delta[3]);
  error[8] += std::abs(miss + delta[3]);
  error[9] += std::abs(miss - channelDelta);
  error[10] += std::abs(miss + channelDelta);

  channelDelta = lastDelta = static_cast<int8_t>(byte - lastByte);
  lastByte = byte;

  if ((++count & 0x1F) == 0) {
    int best = 0;
    for (int index = 1; index < 11; ++index) {
      if (error[index] < error[best]) best = index;
    }
    for (int& sum : error) sum = 0;
    if (best > 0) {
      int& w = weight[(best - 1) / 2];
      if (best % 2 == 1) {
        if (w >= -16) --w;
      } else if (w < 16) {
        ++w;
      }
    }
  }
  return symbol;
}

}  // namespace ynx::tools
