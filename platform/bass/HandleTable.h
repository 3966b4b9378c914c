#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace ynx::bass {

class StreamChannel;

// Stream handles: the slot number plus one in the low 16 bits and the
// slot's generation in the high 16, so a freed handle stays invalid after
// its slot is reused (for 65,535 reuses). Never 0.
class HandleTable {
 public:
  // 0 when all 65,535 slots are taken.
  uint32_t Add(std::shared_ptr<StreamChannel> channel);
  std::shared_ptr<StreamChannel> Find(uint32_t handle) const;
  std::shared_ptr<StreamChannel> Remove(uint32_t handle);
  // Empties every slot; generations move on, so old handles stay stale.
  std::vector<std::shared_ptr<StreamChannel>> RemoveAll();
  std::vector<std::shared_ptr<StreamChannel>> All() const;

 private:
  struct Slot {
    uint16_t generation = 1;
    std::shared_ptr<StreamChannel> channel;
  };
  int SlotOf(uint32_t handle) const;

  std::vector<Slot> slots;
  std::vector<uint32_t> freeSlots;
};

}  // namespace ynx::bass
