#include "tests/fuzz/FuzzGraph.h"

#include <unordered_set>
#include <vector>

#include "engine/core/Controller.h"
#include "engine/core/MemoryStream.h"
#include "tests/support/TestRecord.h"

namespace ynx::test {

YNX_IMPLEMENT_CLASS(FuzzRecord, Object)

int32_t FuzzRecord::Save(MemoryStream& stream) const {
  if (Object::Save(stream) != 0) return 1;
  stream.WriteInt8(small);
  stream.WriteInt16(medium);
  stream.WriteUInt32(large);
  stream.WriteFloat(single);
  stream.WriteDouble(wide);
  stream.WriteBool(flag);
  stream.WriteBlock(point);
  transformation.Save(stream);
  stream.WriteObject(link);
  return stream.GetState();
}

int32_t FuzzRecord::Load(MemoryStream& stream) {
  if (Object::Load(stream) != 0) return 1;
  stream.ReadInt8(small);
  stream.ReadInt16(medium);
  stream.ReadUInt32(large);
  stream.ReadFloat(single);
  stream.ReadDouble(wide);
  stream.ReadBool(flag);
  stream.ReadBlock(point);
  transformation.Load(stream);
  stream.ReadObject(link);
  return stream.GetState();
}

void FuzzRecord::ReleaseReferences() {
  Object::ReleaseReferences();
  link = nullptr;
}

namespace {

void CollectReachable(Object* object, std::unordered_set<Object*>& reached) {
  if (object == nullptr || !reached.insert(object).second) return;
  for (int32_t i = 0; i < object->GetControllerCount(); ++i) {
    CollectReachable(object->GetController(i), reached);
  }
  if (auto* record = dynamic_cast<TestRecord*>(object)) {
    for (const Ptr<Object>& link : record->links) CollectReachable(link.Get(), reached);
  }
  if (auto* fuzz = dynamic_cast<FuzzRecord*>(object)) CollectReachable(fuzz->link.Get(), reached);
}

}  // namespace

void ExerciseAndRelease(Ptr<Object>& root) {
  root->FindByName(String("missing"));
  Array<Object*> all(1, 16);
  root->CollectByType(Object::Type(), all);
  root->UpdateControllers(0.016);

  std::unordered_set<Object*> reached;
  CollectReachable(root.Get(), reached);
  std::vector<Ptr<Object>> held(reached.begin(), reached.end());
  for (const Ptr<Object>& object : held) object->ReleaseReferences();
  root = nullptr;
}

}  // namespace ynx::test
