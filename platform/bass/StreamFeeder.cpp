#include "platform/bass/StreamFeeder.h"

#include <chrono>
#include <system_error>

namespace ynx::bass {

bool StreamFeeder::Start() {
  if (thread.joinable()) return true;
  stopping = false;
  try {
    thread = std::thread([this] { Run(); });
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

void StreamFeeder::Stop() {
  if (!thread.joinable()) return;
  {
    std::lock_guard lock(mutex);
    stopping = true;
  }
  signal.notify_one();
  thread.join();
}

void StreamFeeder::Wake() {
  {
    std::lock_guard lock(mutex);
    woken = true;
  }
  signal.notify_one();
}

void StreamFeeder::Run() {
  std::unique_lock lock(mutex);
  while (!stopping) {
    signal.wait_for(lock, std::chrono::milliseconds(10), [this] { return stopping || woken; });
    if (stopping) break;
    woken = false;
    lock.unlock();
    work();
    lock.lock();
  }
}

}  // namespace ynx::bass
