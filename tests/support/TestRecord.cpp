#include "tests/support/TestRecord.h"

#include "engine/core/MemoryStream.h"

namespace ynx::test {

YNX_IMPLEMENT_CLASS(TestRecord, Object)

int32_t TestRecord::Save(MemoryStream& stream) const {
  if (Object::Save(stream) != 0) return 1;
  if (stream.WriteInt32(number) != 0 || stream.WriteString(text) != 0) return 1;
  if (stream.WriteInt32(static_cast<int32_t>(links.Count())) != 0) return 1;
  for (const Ptr<Object>& link : links) {
    if (stream.WriteObject(link) != 0) return 1;
  }
  return 0;
}

int32_t TestRecord::Load(MemoryStream& stream) {
  if (Object::Load(stream) != 0) return 1;
  if (stream.ReadInt32(number) != 0 || stream.ReadString(text) != 0) return 1;
  int32_t count = 0;
  if (stream.ReadCount(count, 4) != 0) return 1;
  for (int32_t i = 0; i < count; ++i) {
    Ptr<Object> link;
    if (stream.ReadObject(link) != 0) return 1;
    links.Append(link);
  }
  // A negative number stands for a loader that replaces what it read.
  if (number < 0) links.Clear();
  return 0;
}

void TestRecord::ReleaseReferences() {
  Object::ReleaseReferences();
  links.Clear();
}

void TestRecord::VisitReferences(const std::function<void(Object*)>& visit) const {
  Object::VisitReferences(visit);
  for (const Ptr<Object>& link : links) {
    if (link) visit(link.Get());
  }
}

YNX_IMPLEMENT_CLASS(TestController, Controller)

void TestController::Update(double time) {
  if (!IsActive()) return;
  ++updates;
  elapsed += time;
}

}  // namespace ynx::test
