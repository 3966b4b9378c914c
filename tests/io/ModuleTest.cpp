#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/EngineLists.h"
#include "engine/io/FileManager.h"
#include "engine/io/MemoryFile.h"
#include "engine/system/ModuleManager.h"
#include "engine/system/StaticModule.h"
#include "tests/support/CapturedLog.h"

namespace ynx {
namespace {

int shutdowns = 0;
int32_t CountShutdown() {
  ++shutdowns;
  return 0;
}
int32_t Answer() { return 42; }

TEST(StaticModuleTest, SymbolsAndShutdown) {
  test::CapturedLog log;
  shutdowns = 0;
  {
    Ptr<StaticModule> module(new StaticModule(String("Tools")));
    module->AddSymbol(String("Shutdown"), &CountShutdown);
    module->AddSymbol(String("Answer"), &Answer);
    int32_t (*answer)() = nullptr;
    ASSERT_EQ(module->FindFunction(&answer, String("Answer")), 0);
    EXPECT_EQ(answer(), 42);
    EXPECT_EQ(module->FindFunction(&answer, String("Question")), 1);
    EXPECT_EQ(log.Lines().back(), "WARNING. Невозможно найти символ [Question] в модуле [Tools].");
    EXPECT_EQ(module->FindSymbol(nullptr, String("Answer")), 3);
    EXPECT_EQ(log.Lines().back(), "WARNING. Указатель на символ [Answer] равен 0.");
  }
  EXPECT_EQ(shutdowns, 1) << "the module's Shutdown runs when it dies";

  log.Clear();
  { Ptr<StaticModule> bare(new StaticModule(String("Bare"))); }
  EXPECT_EQ(log.Lines().back(),
            "WARNING. В модуле не найдена функция завершения работы модуля [Bare].");
}

TEST(ModuleManagerTest, RegistrationAndLookup) {
  test::CapturedLog log;
  EXPECT_EQ(ModuleManager::RegisterModule(nullptr), 3);
  EXPECT_EQ(log.Lines().back(), "WARNING. Указатель на модуль равен 0 при регистрации.");

  Ptr<StaticModule> first(new StaticModule(String("Twin")));
  Ptr<StaticModule> second(new StaticModule(String("Twin")));
  first->AddSymbol(String("Shutdown"), &CountShutdown);
  second->AddSymbol(String("Shutdown"), &CountShutdown);
  EXPECT_EQ(ModuleManager::RegisterModule(first.Get()), 0);
  EXPECT_EQ(ModuleManager::RegisterModule(second.Get()), 1);
  EXPECT_EQ(log.Lines().back(), "WARNING. Модуль с именем [Twin] уже зарегестрирован.");
  EXPECT_EQ(ModuleManager::FindModule(String("Twin")), first.Get());
  EXPECT_EQ(first->GetReferenceCount(), 2) << "the table holds one reference";

  log.Clear();
  Module* found = nullptr;
  EXPECT_EQ(ModuleManager::LoadModule(String("Twin"), &found), 0);
  EXPECT_EQ(found, first.Get());
  EXPECT_TRUE(log.Lines().empty()) << "a registered module loads silently";
}

TEST(ModuleManagerTest, AnUnknownModuleIsLookedForAsALibraryFile) {
  test::CapturedLog log;
  EXPECT_EQ(ModuleManager::LoadModule(String("Nowhere"), nullptr), 3);
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                             "INFO. Загружается модуль [Nowhere].",
                             "INFO. Загружается модуль [Nowhere].",
                             "WARNING. Не найден файл модуля [Nowhere.dll].",
                             "ERROR. Невозможно загрузить модуль [Nowhere].",
                         }));
}

// A shared library built beside the tests stands in for a module found in a
// directory that maps to the disk.
TEST(ModuleManagerTest, ADynamicModuleLoadsInitialisesAndUnloads) {
  Directory* folder = new Directory(String(TEST_MODULE_FOLDER));
  folder->AttachFile(new MemoryFile(String("TestModule.dll")));
  ASSERT_EQ(FileManager::Root()->AttachDirectory(folder), 0);

  test::CapturedLog log;
  Module* module = nullptr;
  ASSERT_EQ(ModuleManager::LoadModule(String("TestModule"), &module), 0);
  EXPECT_EQ(ModuleManager::FindModule(String("TestModule")), module);
  int32_t (*initialized)() = nullptr;
  ASSERT_EQ(module->FindFunction(&initialized, String("TestModuleInitialized")), 0);
  EXPECT_EQ(initialized(), 1);
  EXPECT_EQ(module->FindFunction(&initialized, String("Missing")), 1);
  EXPECT_EQ(log.Lines().back(), "WARNING. Символ [Missing] не найден в модуле [TestModule].");

  // Stopping the engine drops the module: it shuts down and unloads (and the
  // file tree goes with the file manager).
  log.Clear();
  ASSERT_EQ(ShutdownEngine(), 0);
  ASSERT_EQ(InitializeEngine(), 0);
  EXPECT_TRUE(log.Contains("INFO. Выгружается модуль [TestModule]."));
  EXPECT_EQ(ModuleManager::FindModule(String("TestModule")), nullptr);
}

}  // namespace
}  // namespace ynx
