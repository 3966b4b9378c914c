#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/MessageOutput.h"
#include "engine/core/Ptr.h"
#include "engine/render/Renderer.h"

namespace ynx {

// The engine running with its "DirectX9" renderer current on a window
// (32-bit colour, depth 24 + stencil 8), square unless told otherwise, and
// what the renderer logs as a warning or worse: a benchmark's frames must
// draw without any.
class RendererWindow {
 public:
  RendererWindow() = default;
  RendererWindow(const RendererWindow&) = delete;
  RendererWindow& operator=(const RendererWindow&) = delete;
  ~RendererWindow();

  // False with the reason in `error`.
  bool Create(int32_t side, std::string& error) { return Create(side, side, error); }
  bool Create(int32_t width, int32_t height, std::string& error);
  // Closes the window and opens it again on a device held to `limits` (as
  // YNX_RENDERER_CAPS says them; empty for everything the device has).
  // Every device copy is made anew at the next use.
  bool Reopen(const std::string& limits, std::string& error);
  // What has been drawn since BeginFrame, rows top first as A8R8G8B8
  // words; empty when it cannot be read back.
  std::vector<uint32_t> Capture();
  // How much of a frame is drawn: its pixels other than the clear colour,
  // in all and in the centre, a quarter of each side across (`centreSize`
  // pixels). Nothing when it could not be read back.
  struct Coverage {
    int32_t all = 0;
    int32_t centre = 0;
    int32_t centreSize = 0;
  };
  // Reads back what has been drawn since BeginFrame, then ends the frame.
  Coverage EndFrameRead(uint32_t clear);

  Renderer& GetRenderer() const { return *renderer; }
  const std::string& GetLimits() const { return limits; }
  std::vector<std::string>& GetComplaints() { return complaints->lines; }

 private:
  class Complaints : public MessageOutput {
   public:
    Complaints() : MessageOutput(String("benchmark")) {}
    void Print(int32_t level, const String& message) override;
    std::vector<std::string> lines;
  };

  bool Open(std::string& error);

  Ptr<Complaints> complaints = new Complaints();
  bool engineRunning = false;
  Renderer* renderer = nullptr;  // the current one
  int32_t width = 0;
  int32_t height = 0;
  std::string limits;
};

}  // namespace ynx
