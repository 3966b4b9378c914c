#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace ynx::bass {

// The thread that keeps every playing stream's queue full, so the program
// never decodes: it runs `work` every 10 ms, and at once when woken.
class StreamFeeder {
 public:
  explicit StreamFeeder(std::function<void()> work) : work(std::move(work)) {}
  ~StreamFeeder() { Stop(); }
  StreamFeeder(const StreamFeeder&) = delete;
  StreamFeeder& operator=(const StreamFeeder&) = delete;

  bool Start();
  // Returns once the thread has ended.
  void Stop();
  void Wake();

 private:
  void Run();

  std::function<void()> work;
  std::thread thread;
  std::mutex mutex;
  std::condition_variable signal;
  bool stopping = false;
  bool woken = false;
};

}  // namespace ynx::bass
