#include "engine/animation/BlendStage.h"

#include <cmath>

namespace ynx {

void BlendStage::Advance(double u) {
  if (!animation || animation->GetKeyCount() == 0) return;
  const int32_t count = animation->GetKeyCount();
  key = animation->FindKey(u);
  nextKey = (key + 1) % count;
  const double from = animation->GetKey(key).time;
  double span = animation->GetKey(nextKey).time - from;
  if (span < 0.0) span += 1.0;
  if (span == 0.0) {
    fraction = 0.0;
    return;
  }
  double into = u - from;
  if (into < 0.0) into += 1.0;
  fraction = into / span;
  // Key times that are not numbers give no position between the keys.
  if (std::isnan(fraction)) fraction = 0.0;
}

}  // namespace ynx
