#include <gtest/gtest.h>

#include <vector>

#include "engine/core/Array.h"
#include "engine/core/HashMap.h"
#include "engine/core/Ptr.h"
#include "engine/core/RefCounted.h"
#include "tests/support/CapturedLog.h"

namespace ynx {
namespace {

using StringMap = HashMap<String, int>;
using IdMap = HashMap<int32_t, int>;

class Counted : public RefCounted {
 public:
  explicit Counted(int* destroyed) : destroyed(destroyed) {}
  ~Counted() override { ++*destroyed; }
  int* destroyed;
};

TEST(ArrayTest, GrowthFollowsTheIncrement) {
  Array<int> fixed(2, 0);
  EXPECT_TRUE(fixed.Append(1));
  EXPECT_TRUE(fixed.Append(2));
  EXPECT_FALSE(fixed.Append(3));
  EXPECT_FALSE(fixed.Insert(0, 4));
  EXPECT_EQ(fixed.Count(), 2u);
  EXPECT_EQ(fixed[0], 1);
  EXPECT_EQ(fixed[1], 2);

  Array<int> growing(1, 2);
  for (int i = 0; i < 4; ++i) growing.Append(i);
  EXPECT_EQ(growing.Capacity(), 5u);
  EXPECT_EQ(growing.Count(), 4u);

  Array<int> empty(0, 1);
  EXPECT_TRUE(empty.Append(7));
  EXPECT_EQ(empty[0], 7);
}

TEST(ArrayTest, InsertAndRemoveKeepOrder) {
  Array<int> values(1, 1);
  values.Append(1);
  values.Append(3);
  values.Insert(1, 2);
  values.Insert(0, 0);
  values.Insert(4, 4);
  ASSERT_EQ(values.Count(), 5u);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(values[static_cast<uint32_t>(i)], i);
  values.RemoveAt(0);
  values.RemoveAt(3);
  ASSERT_EQ(values.Count(), 3u);
  EXPECT_EQ(values[0], 1);
  EXPECT_EQ(values[2], 3);
  EXPECT_EQ(values.IndexOf(3), 2);
  EXPECT_EQ(values.IndexOf(9), -1);
}

TEST(ArrayTest, PtrElementsHoldReferences) {
  int destroyed = 0;
  Counted* first = new Counted(&destroyed);
  Counted* second = new Counted(&destroyed);
  {
    Array<Ptr<Counted>> items(1, 1);
    items.Append(first);
    items.Append(second);
    items.Insert(0, second);
    EXPECT_EQ(first->GetReferenceCount(), 1);
    EXPECT_EQ(second->GetReferenceCount(), 2);
    EXPECT_EQ(items.IndexOf(first), 1) << "a raw lookup takes no reference";
    EXPECT_EQ(first->GetReferenceCount(), 1);
    items.RemoveAt(1);
    EXPECT_EQ(destroyed, 1);
    items[0] = second;
    EXPECT_EQ(second->GetReferenceCount(), 2);
  }
  EXPECT_EQ(destroyed, 2);
}

TEST(RefCountingTest, LastReleaseDeletes) {
  int destroyed = 0;
  Counted* object = new Counted(&destroyed);
  EXPECT_EQ(object->GetReferenceCount(), 0);
  Ptr<Counted> one(object);
  {
    Ptr<Counted> two = one;
    EXPECT_EQ(object->GetReferenceCount(), 2);
    two = object;  // the same object: nothing changes
    EXPECT_EQ(object->GetReferenceCount(), 2);
  }
  EXPECT_EQ(object->GetReferenceCount(), 1);
  Ptr<Counted> moved = std::move(one);
  EXPECT_FALSE(one);
  EXPECT_EQ(object->GetReferenceCount(), 1);
  moved = nullptr;
  EXPECT_EQ(destroyed, 1);
}

TEST(RefCountingTest, DeletingAReferencedObjectWarns) {
  test::CapturedLog log;
  int destroyed = 0;
  Counted* object = new Counted(&destroyed);
  object->AddReference();
  object->AddReference();
  delete object;
  EXPECT_EQ(destroyed, 1);
  EXPECT_TRUE(log.Contains("WARNING. Удаление объекта, имеющего ссылки. Количество ссылок [2]."));
}

TEST(HashTest, StringHashSkipsTheFirstByte) {
  EXPECT_EQ(HashString(String("ab")), 98u);
  EXPECT_EQ(HashString(String("a")), 0u);
  EXPECT_EQ(HashString(String("")), 0u);
  EXPECT_EQ(HashString(String("abc")), (99u << 2 | 98u));
  // Names that differ only in the first byte share a bucket.
  EXPECT_EQ(StringMap::BucketOf(String("XModule")),
            StringMap::BucketOf(String("YModule")));
}

TEST(HashTest, IntegerHashSkipsTheLowestByte) {
  for (int32_t id : {0, 1, 42, 255}) EXPECT_EQ(IdMap::BucketOf(id), 0u);
  EXPECT_EQ(HashInteger(256), 1u);
  EXPECT_EQ(HashInteger(0x01020304), (((1u << 2) | 2u) << 2) | 3u);
  EXPECT_EQ(HashInteger(-1), (((255u << 2) | 255u) << 2) | 255u);
  EXPECT_EQ(IdMap::BucketOf(256), 1u);
  EXPECT_EQ(IdMap::BucketOf(511), 1u);
}

TEST(HashMapTest, InsertFindRemove) {
  HashMap<String, int> map;
  EXPECT_TRUE(map.Insert(String("ab"), 1));
  EXPECT_FALSE(map.Insert(String("ab"), 2)) << "an equal key, the only node of its bucket";
  EXPECT_TRUE(map.Insert(String("xb"), 3)) << "same bucket, other key";
  EXPECT_EQ(map.Count(), 2u);
  ASSERT_NE(map.Find(String("ab")), nullptr);
  EXPECT_EQ(*map.Find(String("ab")), 1);
  EXPECT_EQ(*map.Find(String("xb")), 3);
  EXPECT_EQ(map.Find(String("zz")), nullptr);
  map.Remove(String("ab"));
  map.Remove(String("missing"));
  EXPECT_EQ(map.Find(String("ab")), nullptr);
  EXPECT_EQ(*map.Find(String("xb")), 3);
  EXPECT_EQ(map.Count(), 1u);
  map.Clear();
  EXPECT_EQ(map.Count(), 0u);
  EXPECT_FALSE(map.begin() != map.end());
}

TEST(HashMapTest, IterationWalksBucketsThenChains) {
  HashMap<int32_t, int> map;
  // Buckets: 600 -> 2, 256 -> 1, 3 and 7 -> 0 (in insertion order), 300 -> 1.
  for (int32_t key : {600, 256, 3, 7, 300}) map.Insert(key, key);
  std::vector<int32_t> order;
  for (const auto& node : map) order.push_back(node.key);
  EXPECT_EQ(order, (std::vector<int32_t>{3, 7, 256, 300, 600}));
}

TEST(HashMapTest, PtrValuesAreReleasedOnRemoveAndClear) {
  int destroyed = 0;
  HashMap<String, Ptr<Counted>> map;
  map.Insert(String("one"), new Counted(&destroyed));
  map.Insert(String("two"), new Counted(&destroyed));
  map.Remove(String("one"));
  EXPECT_EQ(destroyed, 1);
  map.Clear();
  EXPECT_EQ(destroyed, 2);
}

}  // namespace
}  // namespace ynx
