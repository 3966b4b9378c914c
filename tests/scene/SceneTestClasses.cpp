#include "tests/scene/SceneTestClasses.h"

#include "tests/support/CapturedLog.h"

namespace ynx::test {

YNX_IMPLEMENT_CLASS(TestSceneEffect, SceneNodeEffect)
YNX_IMPLEMENT_CLASS(TestGeometryEffect, GeometryNodeEffect)
YNX_IMPLEMENT_CLASS(CountedGroup, SceneNode)

YNX_IMPLEMENT_CLASS(LinkController, Controller)

int32_t LinkController::Save(MemoryStream& stream) const {
  if (Controller::Save(stream) != 0) return 1;
  return stream.WriteObject(link);
}

int32_t LinkController::Load(MemoryStream& stream) {
  if (Controller::Load(stream) != 0) return 1;
  return stream.ReadObject(link);
}

void LinkController::ReleaseReferences() {
  link = nullptr;
  Controller::ReleaseReferences();
}

void LinkController::VisitReferences(const std::function<void(Object*)>& visit) const {
  Controller::VisitReferences(visit);
  if (link) visit(link.Get());
}

void TestSceneEffect::Update(double time) {
  SceneNodeEffect::Update(time);
  ++updates;
}

void TraceController::Update(double) {
  const Object* owner = GetOwner();
  trace.push_back(std::string(tag) + ":" + (owner != nullptr ? owner->GetName().CStr() : "?"));
}

TracedGroup::TracedGroup(const char* name, std::vector<std::string>& trace)
    : SceneNode(String(name), 0, 4), trace(trace) {}

void TracedGroup::UpdateBound() {
  trace.push_back(std::string("bound:") + GetName().CStr());
  SceneNode::UpdateBound();
}

ByteWriter& NodeFields(ByteWriter& bytes, int32_t parentId, const Transformation& local,
                       int32_t boundType, int8_t boundFlag) {
  bytes.I32(parentId);
  bytes.Raw(&local.scale, 12).Raw(&local.rotation, 16).Raw(&local.translation, 12);
  return bytes.I32(boundType).I8(boundFlag);
}

Ptr<Object> ReadOne(const ByteWriter& bytes, int32_t* state) {
  MemoryStream stream(bytes.Bytes().data(), bytes.Size());
  Ptr<Object> object;
  stream.ReadObject(object);
  if (state != nullptr) *state = stream.GetState();
  return object;
}

std::vector<uint8_t> Written(const Object* object) {
  MemoryStream stream;
  stream.WriteObject(object);
  return std::vector<uint8_t>(stream.GetData(), stream.GetData() + stream.GetPosition());
}

::testing::AssertionResult SameBytes(const std::vector<uint8_t>& actual,
                                     const std::vector<uint8_t>& expected) {
  if (actual == expected) return ::testing::AssertionSuccess();
  size_t at = 0;
  while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
  auto failure = ::testing::AssertionFailure();
  failure << "sizes " << actual.size() << " and " << expected.size() << ", first difference at "
          << at;
  if (at < actual.size() && at < expected.size()) {
    failure << ": " << int{actual[at]} << " instead of " << int{expected[at]};
  }
  return failure;
}

bool HasLineStartingWith(const CapturedLog& log, const std::string& start) {
  for (const std::string& line : log.Lines()) {
    if (line.compare(0, start.size(), start) == 0) return true;
  }
  return false;
}

void ExpectCutsFail(const ByteWriter& full, const std::vector<Cut>& cuts) {
  int32_t state = 1;
  Ptr<Object> whole = ReadOne(full, &state);
  ASSERT_EQ(state, 0);
  for (const Cut& cut : cuts) {
    SCOPED_TRACE(cut.loadLine);
    ByteWriter prefix;
    prefix.Raw(full.Bytes().data(), static_cast<size_t>(cut.at));
    CapturedLog log;
    if (cut.loadLine != "Невозможно загрузить ") {
      EXPECT_FALSE(ReadOne(prefix, &state));
      EXPECT_EQ(state, 1);
      EXPECT_TRUE(HasLineStartingWith(log, "ERROR. " + cut.loadLine));
      log.Clear();
    }
    MemoryStream small(cut.at, 0);
    EXPECT_NE(small.WriteObject(whole), 0);
    EXPECT_TRUE(HasLineStartingWith(log, "ERROR. " + cut.saveLine));
  }
}

}  // namespace ynx::test
