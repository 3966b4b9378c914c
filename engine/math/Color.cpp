#include "engine/math/Color.h"

namespace ynx {

namespace {

uint32_t ToByte(float channel) {
  // Written so that NaN fails the first test and lands on 0.
  if (!(channel > 0.0f)) return 0;
  if (channel >= 1.0f) return 255;
  return static_cast<uint32_t>(channel * 255.0f);
}

}  // namespace

uint32_t Color::ToARGB() const {
  return ToByte(alpha) << 24 | ToByte(red) << 16 | ToByte(green) << 8 | ToByte(blue);
}

}  // namespace ynx
