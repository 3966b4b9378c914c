#include "bench/RendererWindow.h"

#include <algorithm>
#include <cstdlib>

#include "engine/core/EngineLists.h"
#include "engine/core/Log.h"
#include "engine/io/Image.h"

namespace ynx {

void RendererWindow::Complaints::Print(int32_t level, const String& message) {
  if (level >= LOG_WARNING) lines.emplace_back(message.CStr());
}

RendererWindow::~RendererWindow() {
  if (renderer != nullptr) renderer->Close();
  ReleaseRenderer();
  if (engineRunning) ShutdownEngine();
  UnregisterMessageOutput(complaints.Get());
  unsetenv("YNX_RENDERER_CAPS");
}

bool RendererWindow::Create(int32_t windowWidth, int32_t windowHeight, std::string& error) {
  width = windowWidth;
  height = windowHeight;
  RegisterMessageOutput(complaints.Get());
  engineRunning = InitializeEngine() == 0;
  if (!engineRunning || CreateRendererFromModule(String("DirectX9")) != 0) {
    error = "the engine or its DirectX9 renderer does not start";
    return false;
  }
  renderer = Renderer::GetCurrent();
  unsetenv("YNX_RENDERER_CAPS");
  return Open(error);
}

bool RendererWindow::Reopen(const std::string& newLimits, std::string& error) {
  renderer->Close();
  limits = newLimits;
  setenv("YNX_RENDERER_CAPS", limits.c_str(), 1);
  return Open(error);
}

bool RendererWindow::Open(std::string& error) {
  const std::vector<DisplayModeDesc>& modes = renderer->GetModes();
  const auto mode = std::find_if(modes.begin(), modes.end(), [](const DisplayModeDesc& m) {
    return !m.fullscreen && m.colorBits == 32 && m.depthBits == 24 && m.stencilBits == 8 && m.samples == 1;
  });
  if (mode == modes.end() ||
      renderer->Open(static_cast<int32_t>(mode - modes.begin()), String("renderer"), 0, 0, 0, width, height) != 0) {
    error = "the renderer opens no window of that size with 32-bit colour and depth 24 + stencil 8";
    return false;
  }
  return true;
}

std::vector<uint32_t> RendererWindow::Capture() {
  const Ptr<Image> picture = renderer->CaptureFrame();
  std::vector<uint32_t> pixels;
  const auto across = static_cast<uint32_t>(width);
  const auto rows = static_cast<uint32_t>(height);
  if (!picture || picture->GetWidth() != across || picture->GetHeight() != rows) return pixels;
  for (uint32_t row = rows; row-- > 0;) {
    const uint8_t* rgb = picture->GetData() + size_t{row} * across * 3;
    for (uint32_t x = 0; x < across; ++x, rgb += 3) {
      pixels.push_back(0xFF000000u | uint32_t{rgb[0]} << 16 | uint32_t{rgb[1]} << 8 | rgb[2]);
    }
  }
  return pixels;
}

RendererWindow::Coverage RendererWindow::EndFrameRead(uint32_t clear) {
  const std::vector<uint32_t> picture = Capture();
  renderer->EndFrame();
  Coverage coverage;
  coverage.centreSize = width * height / 16;
  for (size_t i = 0; i < picture.size(); ++i) {
    if (picture[i] == clear) continue;
    ++coverage.all;
    const auto x = static_cast<int32_t>(i % static_cast<size_t>(width));
    const auto y = static_cast<int32_t>(i / static_cast<size_t>(width));
    if (std::abs(x - width / 2) < width / 8 && std::abs(y - height / 2) < height / 8) ++coverage.centre;
  }
  return coverage;
}

}  // namespace ynx
