#pragma once

#include "engine/core/Controller.h"

namespace ynx {

// A controller whose work waits until the whole scene has been updated and
// the renderer has begun its frame (shadow maps are drawn so). Its update
// only lists it with the renderer, through the queue the renderer installs;
// the renderer calls PostUpdate on each listed controller once, in list
// order, and empties the list. Without a queue installed (no renderer), an
// update does nothing.
class PostUpdateController : public Controller {
  YNX_DECLARE_CLASS(PostUpdateController);

 public:
  // Lists the controller for the next frame unless it is listed already.
  using Queue = void (*)(PostUpdateController* controller);

  // Null removes the queue.
  static void SetQueue(Queue queue);
  static Queue GetQueue();

  explicit PostUpdateController(const String& name = String());

  // When active, hands the controller to the queue.
  void Update(double time) override;
  // The deferred work; the base does nothing.
  virtual void PostUpdate();
};

}  // namespace ynx
