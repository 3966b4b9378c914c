#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "engine/core/Controller.h"
#include "engine/core/EngineLists.h"
#include "engine/core/Factory.h"
#include "engine/core/Object.h"
#include "tests/support/CapturedLog.h"
#include "tests/support/TestRecord.h"

namespace ynx {
namespace {

using test::TestController;
using test::TestRecord;

std::set<std::string> FactoryNames() {
  std::set<std::string> names;
  for (const auto& node : Factory::Table()) names.insert(node.key.CStr());
  return names;
}

TEST(FactoryTest, EveryLinkedClassIsRegisteredOnce) {
  const std::set<std::string> names = FactoryNames();
  for (const char* name : {"YNX.Object", "YNX.Controller", "YNX.TestRecord", "YNX.TestController"}) {
    EXPECT_EQ(names.count(name), 1u) << name;
  }
  EXPECT_EQ(Factory::Table().Count(), names.size());
}

TEST(FactoryTest, RestartingTheEngineRefillsTheTableWithObjectFirst) {
  test::CapturedLog log;
  ASSERT_EQ(ShutdownEngine(), 0);
  EXPECT_EQ(Factory::Table().Count(), 0u);
  EXPECT_EQ(Factory::Find(String("YNX.Object")), nullptr);
  ASSERT_EQ(InitializeEngine(), 0);
  EXPECT_EQ(FactoryNames().count("YNX.TestRecord"), 1u);
  // The root class registers first, so its hooks run first in both lists.
  const std::vector<std::string>& lines = log.Lines();
  const auto shutdown = std::find(lines.begin(), lines.end(), "INFO. Завершение работы движка:");
  ASSERT_LT(shutdown + 1, lines.end());
  EXPECT_EQ(*(shutdown + 1), "INFO. Завершение работы класса [Object] прошло удачно.");
  const auto start = std::find(lines.begin(), lines.end(), "INFO. Инициализация движка v.0.1.2:");
  ASSERT_LT(start + 1, lines.end());
  EXPECT_EQ(*(start + 1), "INFO. Инициализация класса [Object] прошла удачно.");
  EXPECT_EQ(lines.back(), "INFO. Постинициализация движка завершилась удачно.");
}

TEST(FactoryTest, HooksRefuseADuplicateName) {
  test::CapturedLog log;
  EXPECT_EQ(Object::InitializeClass(), 1);
  EXPECT_EQ(log.Lines().back(), "CRITICAL ERROR. Инициализация класса [Object] прошла неудачно.");
  EXPECT_EQ(TestRecord::InitializeClass(), 1);
  EXPECT_NE(Factory::Find(String("YNX.TestRecord")), nullptr) << "the existing entry stays";
}

TEST(FactoryTest, CreatingByName) {
  test::CapturedLog log;
  Object* object = nullptr;
  EXPECT_EQ(Factory::Find(String("YNX.Object"))(&object), 1);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(log.Lines().back(), "CRITICAL ERROR. Создание объекта абстрактного класса [Object].");
  log.Clear();
  EXPECT_EQ(Factory::Find(String("YNX.Controller"))(&object), 1);
  EXPECT_EQ(object, nullptr);
  EXPECT_TRUE(log.Lines().empty()) << "other abstract classes stay quiet";
  EXPECT_EQ(Factory::Find(String("YNX.Nothing")), nullptr);

  ASSERT_EQ(Factory::Find(String("YNX.TestRecord"))(&object), 0);
  Ptr<Object> held(object);
  EXPECT_EQ(object->GetType().GetName(), "YNX.TestRecord");
  EXPECT_TRUE(object->GetName().IsEmpty());
  EXPECT_EQ(object->GetReferenceCount(), 1);
}

TEST(RttiTest, DerivationFollowsTheParentChain) {
  EXPECT_TRUE(TestController::Type().IsDerivedFrom(Controller::Type()));
  EXPECT_TRUE(TestController::Type().IsDerivedFrom(Object::Type()));
  EXPECT_FALSE(Controller::Type().IsDerivedFrom(TestController::Type()));
  EXPECT_FALSE(TestRecord::Type().IsDerivedFrom(Controller::Type()));
  EXPECT_EQ(Object::Type().GetParent(), nullptr);
  EXPECT_EQ(Controller::Type().GetName(), "YNX.Controller");
  Ptr<Object> record(new TestRecord());
  EXPECT_EQ(&record->GetType(), &TestRecord::Type());
}

TEST(ObjectTest, IdsComeFromOneCounter) {
  Ptr<Object> first(new TestRecord());
  Ptr<Object> second(new TestController());
  Ptr<Object> third(new TestRecord(String("named")));
  EXPECT_EQ(second->GetID(), first->GetID() + 1);
  EXPECT_EQ(third->GetID(), first->GetID() + 2);
  EXPECT_EQ(third->GetName(), "named");
}

TEST(ObjectTest, ControllersAreKeptNewestFirstAndUpdatedInThatOrder) {
  test::CapturedLog log;
  Ptr<TestRecord> owner(new TestRecord(String("owner")));
  TestController* a = new TestController(String("A"));
  TestController* b = new TestController(String("B"));
  TestController* c = new TestController(String("C"));
  for (TestController* controller : {a, b, c}) EXPECT_EQ(owner->AttachController(controller), 0);
  EXPECT_EQ(owner->GetControllerCount(), 3);
  EXPECT_EQ(owner->GetController(0), c);
  EXPECT_EQ(owner->GetController(2), a);
  EXPECT_EQ(owner->GetController(3), nullptr);
  EXPECT_EQ(owner->GetController(-1), nullptr);
  EXPECT_EQ(a->GetOwner(), owner.Get());
  EXPECT_EQ(a->GetReferenceCount(), 1);

  b->SetActive(false);
  owner->UpdateControllers(0.25);
  owner->UpdateControllers(0.5);
  EXPECT_EQ(a->updates, 2);
  EXPECT_DOUBLE_EQ(c->elapsed, 0.75);
  EXPECT_EQ(b->updates, 0) << "an inactive controller leaves everything alone";

  EXPECT_EQ(owner->AttachController(nullptr), 3);
  EXPECT_EQ(log.Lines().back(),
            "WARNING. Указатель на устанавливаемый контроллер равен 0. Имя[owner] ID[" +
                std::to_string(owner->GetID()) + "]");
}

TEST(ObjectTest, ControllersOutlivingTheirOwnerForgetIt) {
  Ptr<TestController> controller(new TestController());
  {
    Ptr<TestRecord> owner(new TestRecord());
    owner->AttachController(controller.Get());
  }
  EXPECT_EQ(controller->GetOwner(), nullptr);
}

TEST(ObjectTest, FindByNamePrefersTheObjectThenSearchesControllers) {
  Ptr<TestRecord> owner(new TestRecord(String("same")));
  TestController* twin = new TestController(String("same"));
  TestController* other = new TestController(String("other"));
  TestController* inner = new TestController(String("inner"));
  other->AttachController(inner);
  owner->AttachController(twin);
  owner->AttachController(other);
  EXPECT_EQ(owner->FindByName(String("same")), owner.Get());
  EXPECT_EQ(owner->FindByName(String("inner")), inner);
  EXPECT_EQ(owner->FindByName(String("missing")), nullptr);
  Ptr<TestRecord> unnamed(new TestRecord());
  EXPECT_EQ(unnamed->FindByName(String()), unnamed.Get()) << "two empty names are equal";
}

TEST(ObjectTest, CollectByTypeWalksControllersRecursively) {
  Ptr<TestRecord> owner(new TestRecord());
  TestController* outer = new TestController();
  TestController* inner = new TestController();
  outer->AttachController(inner);
  owner->AttachController(outer);
  Array<Object*> all(1, 1);
  owner->CollectByType(Object::Type(), all);
  ASSERT_EQ(all.Count(), 3u);
  EXPECT_EQ(all[0], owner.Get());
  EXPECT_EQ(all[1], outer);
  EXPECT_EQ(all[2], inner);
  Array<Object*> controllers(1, 1);
  owner->CollectByType(Controller::Type(), controllers);
  EXPECT_EQ(controllers.Count(), 2u);
  EXPECT_EQ(owner->GetReferenceCount(), 1) << "collecting takes no references";
}

}  // namespace
}  // namespace ynx
