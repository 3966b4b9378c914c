#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/EngineLists.h"
#include "engine/core/Ptr.h"
#include "engine/system/InputManager.h"
#include "tests/support/CapturedLog.h"
#include "tests/system/QueuedEvents.h"

namespace ynx {
namespace {

// Writes "name:event" for every event it is handed; may post one event of
// its own while it handles the first.
class Recorder : public InputHandler {
 public:
  Recorder(const char* name, std::vector<std::string>* journal) : journal(journal) {
    SetName(String(name));
  }
  void OnInput(const InputEvent& event) override {
    journal->push_back(std::string(GetName().CStr()) + ":" + test::Text(event));
    if (postWhileHandling) {
      postWhileHandling = false;
      InputManager::PostInputEvent(InputEvent{InputEvent::SYSTEM, InputEvent::CLOSED, 0, 0});
    }
  }
  bool postWhileHandling = false;

 private:
  std::vector<std::string>* journal;
};

class InputManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(InputManager::Queue(), nullptr);
    ASSERT_EQ(InputManager::Handlers().Count(), 0u);
    InputManager::DispatchInput();
  }
  void TearDown() override {
    for (const Ptr<Recorder>& recorder : {first, second}) {
      if (InputManager::Handlers().IndexOf(recorder.Get()) >= 0) {
        InputManager::UnregisterInputHandler(recorder.Get());
      }
    }
  }
  std::vector<std::string> journal;
  Ptr<Recorder> first = new Recorder("first", &journal);
  Ptr<Recorder> second = new Recorder("second", &journal);
  test::CapturedLog log;
};

TEST_F(InputManagerTest, RegisteringNothingOrTheSameHandlerTwiceIsOnlyWarnedAbout) {
  EXPECT_EQ(InputManager::RegisterInputHandler(nullptr), 3);
  EXPECT_EQ(log.Lines().back(), "WARNING. Указатель на обработчик ввода равен 0.");
  EXPECT_EQ(InputManager::RegisterInputHandler(first.Get()), 0);
  EXPECT_EQ(first->GetReferenceCount(), 2);
  EXPECT_EQ(InputManager::RegisterInputHandler(first.Get()), 0);
  EXPECT_EQ(log.Lines().back(), "WARNING. Обработчик ввода [first] уже зарегестрирован.");
  EXPECT_EQ(InputManager::Handlers().Count(), 1u);
  EXPECT_EQ(InputManager::UnregisterInputHandler(second.Get()), 3);
  EXPECT_EQ(InputManager::UnregisterInputHandler(first.Get()), 0);
  EXPECT_EQ(first->GetReferenceCount(), 1);
}

TEST_F(InputManagerTest, TheHandlerRegisteredLastReceivesEveryEventFirst) {
  ASSERT_EQ(InputManager::RegisterInputHandler(first.Get()), 0);
  ASSERT_EQ(InputManager::RegisterInputHandler(second.Get()), 0);
  InputManager::PostInputEvent(InputEvent{InputEvent::KEYBOARD, InputEvent::PRESSED, 10, 0});
  InputManager::PostInputEvent(InputEvent{InputEvent::MOUSE, InputEvent::MOVED, 300, 200});
  EXPECT_EQ(InputManager::DispatchInput(), 0);
  EXPECT_EQ(journal, (std::vector<std::string>{"second:0,1,10,0", "second:1,3,300,200",
                                               "first:0,1,10,0", "first:1,3,300,200"}));
  EXPECT_EQ(InputManager::Queue()->Count(), 0u);

  journal.clear();
  ASSERT_EQ(InputManager::UnregisterInputHandler(second.Get()), 0);
  InputManager::PostInputEvent(InputEvent{InputEvent::KEYBOARD, InputEvent::RELEASED, 10, 0});
  EXPECT_EQ(InputManager::DispatchInput(), 0);
  EXPECT_EQ(journal, (std::vector<std::string>{"first:0,2,10,0"}));
}

TEST_F(InputManagerTest, AFrameOfMoreThan128EventsGrowsTheQueueAndLosesNone) {
  ASSERT_EQ(InputManager::RegisterInputHandler(first.Get()), 0);
  for (int32_t i = 0; i < 300; ++i) {
    InputManager::PostInputEvent(InputEvent{InputEvent::MOUSE, InputEvent::MOVED, i, -i});
  }
  EXPECT_EQ(InputManager::Queue()->Capacity(), 384u);
  EXPECT_EQ(InputManager::DispatchInput(), 0);
  ASSERT_EQ(journal.size(), 300u);
  for (int32_t i = 0; i < 300; ++i) {
    EXPECT_EQ(journal[i], "first:1,3," + std::to_string(i) + "," + std::to_string(-i));
  }
  // Clearing keeps the slots for the next frame.
  EXPECT_EQ(InputManager::Queue()->Count(), 0u);
  EXPECT_EQ(InputManager::Queue()->Capacity(), 384u);
}

TEST_F(InputManagerTest, AnEventPostedDuringTheDeliveryWaitsForTheNextFrame) {
  ASSERT_EQ(InputManager::RegisterInputHandler(first.Get()), 0);
  ASSERT_EQ(InputManager::RegisterInputHandler(second.Get()), 0);
  second->postWhileHandling = true;
  InputManager::PostInputEvent(InputEvent{InputEvent::KEYBOARD, InputEvent::PRESSED, 97, 0});
  EXPECT_EQ(InputManager::DispatchInput(), 0);
  EXPECT_EQ(journal, (std::vector<std::string>{"second:0,1,97,0", "first:0,1,97,0"}));
  EXPECT_EQ(test::QueuedEvents(), (std::vector<std::string>{"2,4,0,0"}));
  journal.clear();
  EXPECT_EQ(InputManager::DispatchInput(), 0);
  EXPECT_EQ(journal, (std::vector<std::string>{"second:2,4,0,0", "first:2,4,0,0"}));
}

TEST_F(InputManagerTest, TheEngineListsStartItAfterTheFilesAndBeforeTheModules) {
  ASSERT_EQ(InputManager::RegisterInputHandler(first.Get()), 0);
  InputManager::PostInputEvent(InputEvent{});
  ASSERT_EQ(ShutdownEngine(), 0);
  EXPECT_EQ(first->GetReferenceCount(), 1) << "the shutdown drops the handlers";
  EXPECT_EQ(InputManager::Queue(), nullptr);
  ASSERT_EQ(InitializeEngine(), 0);
  EXPECT_EQ(InputManager::Queue()->Count(), 0u);
  EXPECT_EQ(InputManager::Queue()->Capacity(), InputManager::QUEUE_CAPACITY);
  std::vector<std::string> prefixes;
  for (const char* service : {"файлов", "ввода", "модулей"}) {
    prefixes.push_back(std::string("INFO. Инициализация менеджера ") + service);
    prefixes.push_back(std::string("INFO. Завершение работы менеджера ") + service);
    prefixes.push_back(std::string("INFO. Менеджер ") + service);
  }
  EXPECT_EQ(log.Filtered(prefixes), (std::vector<std::string>{
                                        "INFO. Завершение работы менеджера файлов.",
                                        "INFO. Менеджер файлов завершил работу.",
                                        "INFO. Завершение работы менеджера ввода.",
                                        "INFO. Менеджер ввода завершил работу.",
                                        "INFO. Завершение работы менеджера модулей.",
                                        "INFO. Менеджер модулей завершил работу.",
                                        "INFO. Инициализация менеджера файлов.",
                                        "INFO. Менеджер файлов инициализирован.",
                                        "INFO. Инициализация менеджера ввода.",
                                        "INFO. Менеджер ввода инициализирован.",
                                        "INFO. Инициализация менеджера модулей.",
                                        "INFO. Менеджер модулей инициализирован.",
                                    }));
}

}  // namespace
}  // namespace ynx
