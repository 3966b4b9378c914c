#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/Controller.h"
#include "engine/core/MemoryStream.h"
#include "engine/math/Transformation.h"
#include "engine/render/GeometryNodeEffect.h"
#include "engine/render/SceneNodeEffect.h"
#include "engine/scene/SceneNode.h"
#include "tests/support/ByteWriter.h"

namespace ynx::test {

// Concrete effects (the engine's own come with the renderer).
class TestSceneEffect : public SceneNodeEffect {
  YNX_DECLARE_CLASS(TestSceneEffect);

 public:
  explicit TestSceneEffect(const String& name = String()) : SceneNodeEffect(name) {}
  void Update(double time) override;

  int32_t updates = 0;
};

class TestGeometryEffect : public GeometryNodeEffect {
  YNX_DECLARE_CLASS(TestGeometryEffect);

 public:
  explicit TestGeometryEffect(const String& name = String()) : GeometryNodeEffect(name) {}
};

// A scene node that counts its live instances, so that tests can see a
// failed load free everything it made.
class CountedGroup : public SceneNode {
  YNX_DECLARE_CLASS(CountedGroup);

 public:
  CountedGroup() { ++live; }
  ~CountedGroup() override { --live; }

  static inline int32_t live = 0;
};

// A controller holding a node, streamed after the controller data as one
// reference: the way target and bone controllers reach into a hierarchy.
class LinkController : public Controller {
  YNX_DECLARE_CLASS(LinkController);

 public:
  int32_t Save(MemoryStream& stream) const override;
  int32_t Load(MemoryStream& stream) override;
  void ReleaseReferences() override;
  void VisitReferences(const std::function<void(Object*)>& visit) const override;

  Ptr<Node> link;
};

// Appends "<tag>:<name>" to a shared trace, to check traversal order.
class TraceController : public Controller {
 public:
  TraceController(std::vector<std::string>& trace, const char* tag) : trace(trace), tag(tag) {}
  void Update(double time) override;

 private:
  std::vector<std::string>& trace;
  const char* tag;
};

class TracedGroup : public SceneNode {
 public:
  TracedGroup(const char* name, std::vector<std::string>& trace);
  void UpdateBound() override;

 private:
  std::vector<std::string>& trace;
};

// The bytes after the object data of a node: parent reference, local
// transformation, bound type and bound flag.
ByteWriter& NodeFields(ByteWriter& bytes, int32_t parentId,
                       const Transformation& local = Transformation(), int32_t boundType = 0,
                       int8_t boundFlag = 1);

// Reads one reference; the result is held. The state goes to *state.
Ptr<Object> ReadOne(const ByteWriter& bytes, int32_t* state = nullptr);
std::vector<uint8_t> Written(const Object* object);
// Equal byte sequences, or the first offset where they differ.
::testing::AssertionResult SameBytes(const std::vector<uint8_t>& actual,
                                     const std::vector<uint8_t>& expected);

class CapturedLog;

// A stream cut where a field starts fails with that field's message, on
// loading and on saving into a buffer that ends there. A load line of just
// "Невозможно загрузить " skips the loading half.
struct Cut {
  int32_t at;
  std::string loadLine;
  std::string saveLine;
};

bool HasLineStartingWith(const CapturedLog& log, const std::string& start);
void ExpectCutsFail(const ByteWriter& full, const std::vector<Cut>& cuts);

}  // namespace ynx::test
