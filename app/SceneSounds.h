#pragma once

namespace ynx {

class Object;
struct Settings;

// The sound settings applied to a loaded scene.
class SceneSounds {
 public:
  // With SFX off every sound node but "Music" is silenced, disabled and
  // stopped; with Music off the sound node "Music" keeps running silently.
  static void ApplySettings(Object& scene, const Settings& settings);
};

}  // namespace ynx
