// The sound settings on a loaded scene, against a recording stand-in of the
// audio library.

#include "app/SceneSounds.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/Settings.h"
#include "engine/audio/SoundLibrary.h"
#include "engine/audio/SoundNode.h"
#include "engine/core/Ptr.h"
#include "engine/io/Directory.h"
#include "engine/io/FileManager.h"
#include "engine/io/MemoryFile.h"
#include "engine/scene/SceneNode.h"

namespace {

using namespace ynx;

// Channel numbers the stand-in gives out, and the calls that touch a
// channel after loading.
uint32_t nextChannel = 0;
std::vector<std::string> calls;

class SceneSoundsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    nextChannel = 40;
    SoundLibrary::Entries entries = SoundLibrary::Get();
    entries.BASS_StreamCreateFile = [](int32_t, const void*, uint32_t, uint32_t, uint32_t) {
      return ++nextChannel;
    };
    entries.BASS_ChannelSetAttributes = [](uint32_t channel, int32_t frequency, int32_t volume, int32_t pan) {
      calls.push_back("SetAttributes " + std::to_string(channel) + " " + std::to_string(frequency) + " " +
                      std::to_string(volume) + " " + std::to_string(pan));
      return 1;
    };
    entries.BASS_ChannelStop = [](uint32_t channel) {
      calls.push_back("Stop " + std::to_string(channel));
      return 1;
    };
    SoundLibrary::Install(entries);
    folder = new Directory(String("Sounds"));
    auto* file = new MemoryFile(String("tone.ogg"));
    auto* bytes = static_cast<uint8_t*>(std::malloc(16));
    std::memset(bytes, 0x4F, 16);
    file->SetSource(bytes, 16, true);
    folder->AttachFile(file);
    ASSERT_EQ(FileManager::Root()->AttachDirectory(folder), 0);
  }
  void TearDown() override {
    SoundLibrary::Reset();
    delete folder;
  }

  // A sound node playing tone.ogg on its own channel, or silent without one.
  static Ptr<SoundNode> Sound(const char* name, bool withChannel) {
    Ptr<SoundNode> node(new SoundNode(String(name)));
    if (withChannel) node->LoadSound(FileManager::FindFile(String("tone.ogg")), false);
    node->SetVolume(70);
    return node;
  }

  Directory* folder = nullptr;
};

TEST_F(SceneSoundsTest, SfxAndMusicSwitchTheirOwnNodes) {
  struct Expected {
    int32_t volume;
    bool enabled;
  };
  const struct {
    bool sfxOn, musicOn;
    // Wind (channel 41), Music (42), a silent Birds, and a "Music" that is
    // not a sound node ahead of the real one when `decoy`.
    bool decoy;
    Expected wind, musicNode, birds;
    std::vector<std::string> calls;
  } cases[] = {
      {true, true, false, {70, true}, {70, true}, {70, true}, {}},
      {false, true, false, {0, false}, {70, true}, {0, false}, {"SetAttributes 41 -1 0 -101", "Stop 41"}},
      {true, false, false, {70, true}, {0, true}, {70, true}, {"SetAttributes 42 -1 0 -101"}},
      {false, false, false, {0, false}, {0, true}, {0, false},
       {"SetAttributes 41 -1 0 -101", "Stop 41", "SetAttributes 42 -1 0 -101"}},
      // The object found by the name has no volume: the music plays on.
      {true, false, true, {70, true}, {70, true}, {70, true}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("sfx ") + (c.sfxOn ? "on" : "off") + ", music " + (c.musicOn ? "on" : "off") +
                 (c.decoy ? ", decoy" : ""));
    nextChannel = 40;
    const Ptr<SceneNode> scene(new SceneNode(String("Root"), 0, 2));
    if (c.decoy) scene->AppendChild(new SceneNode(String("Music"), 0, 2));
    const Ptr<SoundNode> wind = Sound("Wind", true);
    const Ptr<SoundNode> music = Sound("Music", true);
    const Ptr<SoundNode> birds = Sound("Birds", false);
    for (SoundNode* node : {wind.Get(), music.Get(), birds.Get()}) scene->AppendChild(node);
    ASSERT_EQ(music->GetChannel(), 42u);
    calls.clear();

    Settings settings;
    settings.sfx = c.sfxOn;
    settings.music = c.musicOn;
    SceneSounds::ApplySettings(*scene, settings);

    const struct {
      const SoundNode* node;
      Expected expected;
    } nodes[] = {{wind.Get(), c.wind}, {music.Get(), c.musicNode}, {birds.Get(), c.birds}};
    for (const auto& n : nodes) {
      SCOPED_TRACE(n.node->GetName().CStr());
      EXPECT_EQ(n.node->GetVolume(), n.expected.volume);
      EXPECT_EQ(n.node->IsEnabled(), n.expected.enabled);
    }
    EXPECT_EQ(calls, c.calls);
  }
}

}  // namespace
