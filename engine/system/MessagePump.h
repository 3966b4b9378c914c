#pragma once

#include <cstdint>

namespace ynx {

// The thread's message loop: SDL's events become the messages of the system
// windows' procedure.
class MessagePump {
 public:
  // Takes every pending event, each to the procedure of the system window
  // it concerns; events of other windows are dropped. Always 0.
  static int32_t PumpMessages();
};

inline int32_t PumpMessages() { return MessagePump::PumpMessages(); }

}  // namespace ynx
