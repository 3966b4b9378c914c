#include "platform/bass/HandleTable.h"

namespace ynx::bass {

namespace {
constexpr uint32_t kMaxSlots = 0xFFFF;
}

uint32_t HandleTable::Add(std::shared_ptr<StreamChannel> channel) {
  uint32_t index = 0;
  if (!freeSlots.empty()) {
    index = freeSlots.back();
    freeSlots.pop_back();
  } else {
    if (slots.size() >= kMaxSlots) return 0;
    index = static_cast<uint32_t>(slots.size());
    slots.emplace_back();
  }
  slots[index].channel = std::move(channel);
  return (static_cast<uint32_t>(slots[index].generation) << 16) | (index + 1);
}

int HandleTable::SlotOf(uint32_t handle) const {
  const uint32_t index = (handle & 0xFFFF) - 1;
  if ((handle & 0xFFFF) == 0 || index >= slots.size()) return -1;
  const Slot& slot = slots[index];
  if (!slot.channel || slot.generation != (handle >> 16)) return -1;
  return static_cast<int>(index);
}

std::shared_ptr<StreamChannel> HandleTable::Find(uint32_t handle) const {
  const int index = SlotOf(handle);
  return index < 0 ? nullptr : slots[static_cast<size_t>(index)].channel;
}

std::shared_ptr<StreamChannel> HandleTable::Remove(uint32_t handle) {
  const int index = SlotOf(handle);
  if (index < 0) return nullptr;
  Slot& slot = slots[static_cast<size_t>(index)];
  std::shared_ptr<StreamChannel> channel = std::move(slot.channel);
  slot.channel.reset();
  // Generation 0 is skipped so that no handle is ever 0x0000xxxx twice.
  slot.generation = static_cast<uint16_t>(slot.generation == 0xFFFF ? 1 : slot.generation + 1);
  freeSlots.push_back(static_cast<uint32_t>(index));
  return channel;
}

std::vector<std::shared_ptr<StreamChannel>> HandleTable::RemoveAll() {
  std::vector<std::shared_ptr<StreamChannel>> removed;
  for (size_t index = 0; index < slots.size(); ++index) {
    if (!slots[index].channel) continue;
    removed.push_back(Remove((static_cast<uint32_t>(slots[index].generation) << 16) |
                             static_cast<uint32_t>(index + 1)));
  }
  return removed;
}

std::vector<std::shared_ptr<StreamChannel>> HandleTable::All() const {
  std::vector<std::shared_ptr<StreamChannel>> all;
  for (const Slot& slot : slots)
    if (slot.channel) all.push_back(slot.channel);
  return all;
}

}  // namespace ynx::bass
