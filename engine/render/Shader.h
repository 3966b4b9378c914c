#pragma once

#include <cstdint>

#include "engine/core/Object.h"
#include "engine/core/RendererBinding.h"

namespace ynx {

// A device program given as Direct3D 9 assembly text, which the renderer
// assembles at the first bind. The text is the effect's own constant data:
// the shader points at it and never owns it. Never streamed; its factory
// always fails (only the vertex and pixel kinds exist).
class Shader : public Object {
  YNX_DECLARE_CLASS(Shader);

 public:
  // The binding has the renderer drop the device copy when the shader goes.
  explicit Shader(const String& name = String(), const char* text = nullptr);

  // Drops the device copy and takes the new text (null for none); the next
  // bind assembles it, even when it is the same text.
  void SetText(const char* newText);
  const char* GetText() const { return text; }
  int32_t GetLength() const { return length; }

  // Set by the renderer when the text does not assemble, so that it is
  // neither retried nor reported again before the next SetText.
  bool HasFailed() const { return failed; }
  void MarkFailed() { failed = true; }

  RendererBinding& GetBinding() { return binding; }

 private:
  RendererBinding binding;
  const char* text = nullptr;
  int32_t length = 0;
  bool failed = false;
};

}  // namespace ynx
