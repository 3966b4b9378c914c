#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/math/Vector3.h"
#include "engine/scene/Triangles.h"
#include "tests/render/RecordingRenderer.h"
#include "tests/support/ByteWriter.h"

namespace ynx::test {

// Each test draws through a recording renderer made current for it.
class RenderFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // One triangle named `name` at `position`, drawn by `effect`: positions
  // "positions", indices "indices", texture set 1 "uv1", bound and world
  // transformation up to date.
  static Ptr<Triangles> MakeMesh(const char* name, NodeEffect* effect,
                                 const Vector3& position = {});

  Ptr<RecordingRenderer> renderer;
};

// A geometry-node effect's own stored part: the default material, no
// sway, no skin, with the given stage clamp bits, flags byte and fog
// exponent (fog on).
void GeometryEffectPart(ByteWriter& bytes, uint8_t clampBits, uint8_t flags, float fogExponent);

}  // namespace ynx::test
