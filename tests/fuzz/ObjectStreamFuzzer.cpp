// libFuzzer target: arbitrary bytes into ReadObject with every engine class
// registered, plus test classes that between them use every encoding of the
// stream. A graph that loads must also save, and its bytes load again.

#include <cstddef>
#include <cstdint>

#include "engine/core/EngineLists.h"
#include "engine/core/MemoryStream.h"
#include "tests/fuzz/FuzzGraph.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace ynx;
  static const bool started = InitializeEngine() == 0;
  if (!started || size > static_cast<size_t>(INT32_MAX)) return 0;

  MemoryStream input(data, static_cast<int32_t>(size));
  Ptr<Object> root;
  if (input.ReadObject(root) != 0 || !root) return 0;

  MemoryStream output;
  if (output.WriteObject(root) != 0) __builtin_trap();
  MemoryStream again(output.GetData(), output.GetPosition());
  Ptr<Object> copy;
  if (again.ReadObject(copy) != 0 || again.GetPosition() != output.GetPosition()) __builtin_trap();
  test::ExerciseAndRelease(copy);
  test::ExerciseAndRelease(root);
  return 0;
}
