#pragma once

#include <cstdint>

namespace ynx {

class Camera;
class GeometryNode;

// What drawing the scene graph asks of the renderer, which lives above the
// scene and implements this.
class SceneRenderer {
 public:
  // The camera the frame is drawn through; null before the first frame.
  virtual Camera* GetCamera() const = 0;
  // The geometry node whose buffers the next draw uses.
  virtual void SetCurrentGeometry(GeometryNode* node) = 0;
  // Keeps the node for the next FlushSorted, keyed by its distance.
  virtual void EnqueueSorted(GeometryNode* node) = 0;
  // Draws the kept nodes, farthest first, and forgets them.
  virtual void FlushSorted() = 0;
  // Draws the current geometry with what the applied pass bound.
  virtual int32_t DrawIndexed() = 0;
  // Switches off every light the last pass pushed.
  virtual void PopLights() = 0;

 protected:
  ~SceneRenderer() = default;
};

}  // namespace ynx
