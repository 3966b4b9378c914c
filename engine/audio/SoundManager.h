#pragma once

#include <cstdint>

#include "engine/math/Vector3.h"

namespace ynx {

class Camera;

// The engine's sound service, started and stopped through the engine's
// lists: carries the audio library out of the program's resources, loads
// it, checks its version and starts the default output with 3D sound.
// Without the resource or the library the engine runs on without sound;
// only a library of the wrong version fails the start.
class SoundManager {
 public:
  static constexpr int32_t RESOURCE_ID = 108;
  static constexpr uint32_t LIBRARY_VERSION = 0x20002;

  static int32_t Initialize();
  // Frees the output and unloads the library.
  static int32_t Shutdown();

  // The global stream volume, in percent (0 to 100).
  static void SetSoundVolume(int32_t percent);
  // Turns the listener, which stays at the origin: positional sounds are
  // given relative to the camera instead.
  static void UpdateListener(const Vector3& front, const Vector3& top);

  // Where positional sounds find the camera (the renderer's current one);
  // without a source, or without a camera, the listener is at the origin.
  using CameraSource = const Camera* (*)();
  static void SetCameraSource(CameraSource source) { cameraSource = source; }
  static Vector3 GetListenerPosition();

 private:
  static inline CameraSource cameraSource = nullptr;
};

}  // namespace ynx
