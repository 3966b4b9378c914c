// libFuzzer target: arbitrary bytes into ReadObject with every engine class
// registered, plus two test classes that between them use every encoding of
// the stream. A graph that loads must also save, and its bytes load again.

#include <cstddef>
#include <cstdint>
#include <unordered_set>
#include <vector>

#include "engine/core/EngineLists.h"
#include "engine/core/MemoryStream.h"
#include "engine/math/Transformation.h"
#include "tests/support/TestRecord.h"

namespace ynx::test {
namespace {

// Every primitive encoding, in one class.
class FuzzRecord : public Object {
  YNX_DECLARE_CLASS(FuzzRecord);

 public:
  int32_t Save(MemoryStream& stream) const override {
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
  int32_t Load(MemoryStream& stream) override {
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
  void ReleaseReferences() override {
    Object::ReleaseReferences();
    link = nullptr;
  }

  int8_t small = 0;
  int16_t medium = 0;
  uint32_t large = 0;
  float single = 0;
  double wide = 0;
  bool flag = false;
  Vector3 point;
  Transformation transformation;
  Ptr<Object> link;
};

YNX_IMPLEMENT_CLASS(FuzzRecord, Object)

// Reference cycles are legal in the stream and are never freed by counting;
// cut every reference of every reachable object so that each input leaves
// nothing behind.
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

void ReleaseGraph(Ptr<Object>& root) {
  std::unordered_set<Object*> reached;
  CollectReachable(root.Get(), reached);
  std::vector<Ptr<Object>> held(reached.begin(), reached.end());
  for (const Ptr<Object>& object : held) object->ReleaseReferences();
  root = nullptr;
}

void Exercise(Object& root) {
  root.FindByName(String("missing"));
  Array<Object*> all(1, 16);
  root.CollectByType(Object::Type(), all);
  root.UpdateControllers(0.016);
}

}  // namespace
}  // namespace ynx::test

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace ynx;
  static const bool started = InitializeEngine() == 0;
  if (!started || size > static_cast<size_t>(INT32_MAX)) return 0;

  MemoryStream input(data, static_cast<int32_t>(size));
  Ptr<Object> root;
  if (input.ReadObject(root) != 0 || !root) return 0;
  test::Exercise(*root);

  MemoryStream output;
  if (output.WriteObject(root) != 0) __builtin_trap();
  MemoryStream again(output.GetData(), output.GetPosition());
  Ptr<Object> copy;
  if (again.ReadObject(copy) != 0 || again.GetPosition() != output.GetPosition()) __builtin_trap();
  test::ReleaseGraph(copy);
  test::ReleaseGraph(root);
  return 0;
}
