// The sound service with the real audio library, carried as this program's
// resource "BASS" 108 as the screensaver carries it: started, playing a
// sound node, stopped; and a thousand starts and stops leave threads,
// memory and mappings where they were.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "engine/audio/SoundLibrary.h"
#include "engine/audio/SoundManager.h"
#include "engine/audio/SoundNode.h"
#include "engine/io/Directory.h"
#include "engine/io/FileManager.h"
#include "engine/io/MemoryFile.h"
#include "tests/support/CapturedLog.h"
#include "tests/support/LeakCheck.h"
#include "tests/support/OggToneEncoder.h"

namespace ynx {
namespace {

// A number from /proc/self/status ("Threads", "VmRSS" in KiB).
long Status(const std::string& key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(key + ":", 0) == 0) return std::atol(line.c_str() + key.size() + 1);
  }
  return -1;
}

// Whether the library's memory file is still mapped.
bool LibraryMapped() {
  std::ifstream maps("/proc/self/maps");
  std::string line;
  while (std::getline(maps, line)) {
    if (line.find("memfd:bas") != std::string::npos) return true;
  }
  return false;
}

// A looping second of a 441 Hz tone as "tone.ogg" in the virtual file
// system; the engine has already started the service once.
class SoundServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SoundManager::Shutdown();
    const std::vector<uint8_t> ogg = test::OggToneEncoder::Encode(44100, 44100, {{}});
    folder = new Directory(String("Sounds"));
    auto* file = new MemoryFile(String("tone.ogg"));
    auto* bytes = static_cast<uint8_t*>(std::malloc(ogg.size()));
    std::memcpy(bytes, ogg.data(), ogg.size());
    file->SetSource(bytes, static_cast<int32_t>(ogg.size()), true);
    folder->AttachFile(file);
    ASSERT_EQ(FileManager::Root()->AttachDirectory(folder), 0);
  }
  void TearDown() override {
    SoundManager::Shutdown();
    delete folder;
  }

  // Whether a positional looping node plays its tone after an update.
  static bool NodePlays() {
    Ptr<SoundNode> node(new SoundNode(String("tone")));
    node->SetLooping(true);
    if (node->LoadSound(FileManager::FindFile(String("tone.ogg")), true) != 0 || node->GetChannel() == 0) {
      return false;
    }
    node->Update(0.02);
    return SoundLibrary::Get().BASS_ChannelIsActive(node->GetChannel()) == BASS_ACTIVE_PLAYING;
  }

  Directory* folder = nullptr;
};

TEST_F(SoundServiceTest, StartsFromTheResourcePlaysAndStops) {
  test::CapturedLog log;
  ASSERT_EQ(SoundManager::Initialize(), 0);
  EXPECT_TRUE(SoundLibrary::IsLoaded());
  EXPECT_TRUE(NodePlays());
  EXPECT_EQ(SoundManager::Shutdown(), 0);
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                             "INFO. Инициализация менеджера звука.",
                             "INFO. Звук инициализирован. Устройство [1] [OpenAL Soft]",
                             "INFO. Менеджер звука инициализирован.",
                             "INFO. Завершение работы менеджера звука.",
                             "INFO. Менеджер звука завершил работу.",
                         }));
  EXPECT_FALSE(SoundLibrary::IsLoaded());
  EXPECT_FALSE(LibraryMapped());
  EXPECT_FALSE(NodePlays()) << "without the library nothing plays, and nothing breaks";
}

TEST_F(SoundServiceTest, AThousandStartsAndStopsLeaveNothingBehind) {
  const auto cycle = [] {
    ASSERT_EQ(SoundManager::Initialize(), 0);
    ASSERT_TRUE(NodePlays());
    ASSERT_EQ(SoundManager::Shutdown(), 0);
  };
  for (int i = 0; i < 50; ++i) cycle();
  const long threads = Status("Threads");
  const long resident = Status("VmRSS");
  for (int i = 50; i < 1000; ++i) {
    cycle();
    if (HasFatalFailure()) return;
  }
  EXPECT_EQ(Status("Threads"), threads);
  EXPECT_FALSE(LibraryMapped());
#ifndef YNX_TEST_HAS_LSAN
  // The address sanitizer keeps freed memory in quarantine; its leak check
  // speaks for it there.
  EXPECT_LT(Status("VmRSS") - resident, 2048) << "KiB grown over 950 starts";
#else
  (void)resident;
#endif
}

}  // namespace
}  // namespace ynx
