// libFuzzer target: arbitrary bytes as a scene file through the scene codec,
// the way the screensaver loads its scene from a mounted archive.

#include <cstddef>
#include <cstdint>

#include "engine/core/EngineLists.h"
#include "engine/io/MemoryFile.h"
#include "engine/io/STRSceneCodec.h"
#include "tests/fuzz/FuzzGraph.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace ynx;
  static const bool started = InitializeEngine() == 0;
  if (!started || size > static_cast<size_t>(INT32_MAX)) return 0;

  MemoryFile file{String("Main.STR")};
  file.SetSource(data, static_cast<int32_t>(size), false);
  STRSceneCodec codec;
  Object* loaded = nullptr;
  // A null root is a valid, empty scene.
  if (codec.Load(&file, &loaded) != 0 || loaded == nullptr) return 0;
  Ptr<Object> root(loaded);
  test::ExerciseAndRelease(root);
  return 0;
}
