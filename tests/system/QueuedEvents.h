#pragma once

#include <string>
#include <vector>

#include "engine/system/InputEvent.h"
#include "engine/system/InputManager.h"

namespace ynx::test {

// "device,action,code,value": how the suites write the events they expect.
inline std::string Text(const InputEvent& event) {
  return std::to_string(event.device) + "," + std::to_string(event.action) + "," +
         std::to_string(event.code) + "," + std::to_string(event.value);
}

inline std::vector<std::string> QueuedEvents() {
  std::vector<std::string> events;
  for (const InputEvent& event : *InputManager::Queue()) events.push_back(Text(event));
  return events;
}

}  // namespace ynx::test
