#pragma once

#include <cstdint>
#include <memory>

#include "engine/core/String.h"
#include "engine/scene/Node.h"

namespace ynx {

class File;

// A sound in the scene: one stream decoded on the fly from a copy of a file
// of the virtual file system. A positional node is placed relative to the
// camera (the listener stays at the origin and only turns); an enabled node
// keeps its channel playing, without rewinding, every frame. Every call on
// the channel is skipped while there is none, so a scene without sound
// output, or with its file missing, runs silently.
//
// Streamed after the node data: looping (1 byte), minDistance (float32),
// four spare bytes kept as they are, positional (1 byte), the file name,
// enabled (1 byte), volume (int32).
class SoundNode : public Node {
  YNX_DECLARE_CLASS(SoundNode);

 public:
  explicit SoundNode(const String& name = String());
  ~SoundNode() override;

  int32_t Save(MemoryStream& stream) const override;
  // A file that is not found leaves the node silent with a warning; the
  // load still succeeds.
  int32_t Load(MemoryStream& stream) override;

  // Controllers and world transformation; then, while enabled with a
  // channel, the position relative to the camera and Play(false).
  void Update(double time) override;
  // A sphere of radius minDistance around the node's origin.
  void UpdateBound() override;

  // Replaces the sound with a copy of the file's bytes. 3 for a missing
  // file, one that does not open or one without data; 2 without memory.
  // A stream the library refuses leaves the node without a channel (0).
  int32_t LoadSound(File* file, bool positional);
  void SetLooping(bool value);
  void SetMinDistance(float value);
  // Percent, 0 to 100.
  void SetVolume(int32_t percent);

  uint32_t GetChannel() const { return channel; }
  const String& GetFileName() const { return fileName; }
  bool IsPositional() const { return positional; }
  bool IsLooping() const { return looping; }
  bool IsEnabled() const { return enabled; }
  void SetEnabled(bool value) { enabled = value; }
  float GetMinDistance() const { return minDistance; }
  int32_t GetVolume() const { return volume; }
  float GetPlayTime() const { return playTime; }

 private:
  void FreeSound();

  String fileName;
  bool positional = false;
  bool enabled = true;
  uint32_t channel = 0;
  // The library streams from these bytes until the channel is freed.
  std::unique_ptr<uint8_t[]> fileData;
  bool looping = false;
  float minDistance = 3.4028235e38f;
  // Four bytes nothing reads, kept bit for bit.
  uint32_t spare = 0;
  int32_t volume = 100;
  float playTime = 0.0f;
};

}  // namespace ynx
