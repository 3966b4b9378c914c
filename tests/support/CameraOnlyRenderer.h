#pragma once

#include <cstdint>

#include "engine/scene/SceneRenderer.h"

namespace ynx::test {

// Drawing the scene graph without a renderer: nodes cull against `eye` and
// effects search their techniques, and every draw is dropped.
struct CameraOnlyRenderer : SceneRenderer {
  Camera* eye = nullptr;

  Camera* GetCamera() const override { return eye; }
  void SetCurrentGeometry(GeometryNode*) override {}
  void EnqueueSorted(GeometryNode*) override {}
  void FlushSorted() override {}
  int32_t DrawIndexed() override { return 0; }
  void PopLights() override {}
};

}  // namespace ynx::test
