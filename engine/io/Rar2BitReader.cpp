#include "engine/io/Rar2BitReader.h"

namespace ynx {

void Rar2BitReader::RefillSlowly() {
  for (; count < 56; count += 8, ++next) {
    const uint64_t byte = next < size ? data[next] : 0;
    buffer |= byte << (56 - count);
  }
}

}  // namespace ynx
