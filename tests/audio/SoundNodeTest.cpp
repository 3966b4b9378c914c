// What sound nodes, sound animations and the sound service ask of the audio
// library, call by call, against a recording stand-in; and the stored
// layouts.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/audio/SoundLibrary.h"
#include "engine/audio/SoundManager.h"
#include "engine/audio/SoundNode.h"
#include "engine/audio/SoundNodeAnimation.h"
#include "engine/audio/SoundNodeAnimationController.h"
#include "engine/io/Directory.h"
#include "engine/io/FileManager.h"
#include "engine/io/MemoryFile.h"
#include "engine/scene/Camera.h"
#include "tests/scene/SceneTestClasses.h"
#include "tests/support/CapturedLog.h"
#include "tests/support/CutStreams.h"

namespace ynx {
namespace {

using test::ByteWriter;

// The calls the engine made, as text, and what the library answers.
struct Recording {
  std::vector<std::string> calls;
  uint32_t nextStream = 7;
  uint32_t activity = BASS_ACTIVE_STOPPED;
};
Recording recording;

void Record(const std::string& call) { recording.calls.push_back(call); }
std::string N(float v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", v);
  return text;
}
std::string V(const BASS_3DVECTOR* v) {
  return v == nullptr ? "null" : "(" + N(v->x) + "," + N(v->y) + "," + N(v->z) + ")";
}

SoundLibrary::Entries RecordingEntries() {
  SoundLibrary::Reset();
  SoundLibrary::Entries e = SoundLibrary::Get();
  e.BASS_StreamCreateFile = [](int32_t mem, const void*, uint32_t offset, uint32_t length, uint32_t flags) {
    Record("StreamCreateFile " + std::to_string(mem) + " " + std::to_string(offset) + " " +
           std::to_string(length) + " " + std::to_string(flags));
    return recording.nextStream;
  };
  e.BASS_StreamFree = [](HSTREAM h) { Record("StreamFree " + std::to_string(h)); };
  e.BASS_ChannelSetFlags = [](uint32_t h, uint32_t f) {
    Record("SetFlags " + std::to_string(h) + " " + std::to_string(f));
    return 1;
  };
  e.BASS_ChannelSet3DAttributes = [](uint32_t h, int32_t mode, float min, float max, int32_t i, int32_t o,
                                     int32_t v) {
    Record("Set3DAttributes " + std::to_string(h) + " " + std::to_string(mode) + " " + N(min) + " " + N(max) +
           " " + std::to_string(i) + " " + std::to_string(o) + " " + std::to_string(v));
    return 1;
  };
  e.BASS_ChannelSetAttributes = [](uint32_t h, int32_t f, int32_t v, int32_t p) {
    Record("SetAttributes " + std::to_string(h) + " " + std::to_string(f) + " " + std::to_string(v) + " " +
           std::to_string(p));
    return 1;
  };
  e.BASS_ChannelSet3DPosition = [](uint32_t h, const BASS_3DVECTOR* pos, const BASS_3DVECTOR* orient,
                                   const BASS_3DVECTOR* vel) {
    Record("Set3DPosition " + std::to_string(h) + " " + V(pos) + " " + V(orient) + " " + V(vel));
    return 1;
  };
  e.BASS_Apply3D = [] { Record("Apply3D"); };
  e.BASS_ChannelPlay = [](uint32_t h, int32_t restart) {
    Record("Play " + std::to_string(h) + " " + std::to_string(restart));
    return 1;
  };
  e.BASS_ChannelStop = [](uint32_t h) {
    Record("Stop " + std::to_string(h));
    return 1;
  };
  e.BASS_ChannelIsActive = [](uint32_t) { return recording.activity; };
  e.BASS_SetConfig = [](uint32_t option, uint32_t value) {
    Record("SetConfig " + std::to_string(option) + " " + std::to_string(value));
    return 1u;
  };
  e.BASS_Set3DPosition = [](const BASS_3DVECTOR* pos, const BASS_3DVECTOR* vel, const BASS_3DVECTOR* front,
                            const BASS_3DVECTOR* top) {
    Record("Listener " + V(pos) + " " + V(vel) + " " + V(front) + " " + V(top));
    return 1;
  };
  return e;
}

Camera* listenerCamera = nullptr;
const Camera* ListenerCamera() { return listenerCamera; }

// A recording library, a folder "Sounds" holding water.ogg (16 bytes) in
// the virtual file system, and no camera.
class SoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    recording = Recording();
    SoundLibrary::Install(RecordingEntries());
    sounds = new Directory(String("Sounds"));
    auto* file = new MemoryFile(String("water.ogg"));
    auto* bytes = static_cast<uint8_t*>(std::malloc(16));
    std::memset(bytes, 0x4F, 16);
    file->SetSource(bytes, 16, true);
    sounds->AttachFile(file);
    ASSERT_EQ(FileManager::Root()->AttachDirectory(sounds), 0);
    SoundManager::SetCameraSource(&ListenerCamera);
  }
  void TearDown() override {
    SoundManager::SetCameraSource(nullptr);
    listenerCamera = nullptr;
    SoundLibrary::Reset();
    delete sounds;
  }

  // A node holding water.ogg, with the calls of its loading forgotten.
  Ptr<SoundNode> Loaded(bool positional, bool looping = false) {
    Ptr<SoundNode> node(new SoundNode(String("water")));
    node->SetLooping(looping);
    EXPECT_EQ(node->LoadSound(FileManager::FindFile(String("water.ogg")), positional), 0);
    recording.calls.clear();
    return node;
  }

  Directory* sounds = nullptr;
};

using Calls = std::vector<std::string>;

ByteWriter StoredNode(int32_t id, const std::string& file, uint32_t spareBits) {
  ByteWriter w;
  w.Head(id, "YNX.SoundNode", "water");
  test::NodeFields(w, -1);
  w.I8(1).F32(100.0f).Raw(&spareBits, 4).I8(1).Str(file).I8(1).I32(80);
  return w;
}

TEST_F(SoundTest, AStoredNodeLoadsItsSoundInOrderAndSavesBackByteForByte) {
  // The spare bytes are kept bit for bit, even as a NaN with a payload.
  const uint32_t spare = 0x7FC00123u;
  int32_t state = -1;
  Ptr<Object> loaded = test::ReadOne(StoredNode(1, "water.ogg", spare), &state);
  ASSERT_EQ(state, 0);
  const auto* node = static_cast<const SoundNode*>(loaded.Get());
  EXPECT_EQ(recording.calls, (Calls{"StreamCreateFile 1 0 16 8", "SetFlags 7 4", "Apply3D",
                                    "Set3DAttributes 7 0 100 -1 -1 -1 -1", "Apply3D", "SetAttributes 7 -1 80 -101",
                                    "Set3DAttributes 7 0 100 -1 -1 -1 -1", "Apply3D"}));
  EXPECT_EQ(node->GetChannel(), 7u);
  EXPECT_TRUE(node->IsPositional());
  EXPECT_TRUE(node->IsLooping());
  EXPECT_EQ(node->GetVolume(), 80);
  EXPECT_TRUE(test::SameBytes(test::Written(node), StoredNode(node->GetID(), "water.ogg", spare).Bytes()));
}

TEST_F(SoundTest, AMissingFileOrARefusedStreamLeavesTheNodeSilent) {
  struct Case {
    const char* file;
    uint32_t stream;
    const char* warning;
    Calls calls;
  };
  const Case cases[] = {
      {"rain.ogg", 7, "WARNING. Невозможно найти файл [rain.ogg] для источника звука. ID[", {}},
      {"water.ogg", 0, "WARNING. Невозможно загрузить файл звука [water.ogg]", {"StreamCreateFile 1 0 16 8", "Apply3D"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    recording = Recording();
    recording.nextStream = c.stream;
    test::CapturedLog log;
    int32_t state = -1;
    Ptr<Object> loaded = test::ReadOne(StoredNode(1, c.file, 0), &state);
    EXPECT_EQ(state, 0) << "the scene loads on";
    EXPECT_TRUE(test::HasLineStartingWith(log, c.warning));
    auto* node = static_cast<SoundNode*>(loaded.Get());
    EXPECT_EQ(node->GetChannel(), 0u);
    node->Update(0.1);
    node->SetVolume(50);
    node->SetMinDistance(2.0f);
    EXPECT_EQ(recording.calls, c.calls) << "no channel calls without a channel";
  }
}

TEST_F(SoundTest, EveryCutFailsWithTheSoundMessages) {
  using test::ClassPart;
  test::ExpectOneErrorPerLevel(
      "YNX.SoundNode", {[](ByteWriter& w) { w.Str("n").I32(0); }, [](ByteWriter& w) { test::NodeFields(w, -1); },
                        [](ByteWriter& w) { w.I8(0).F32(1.0f).I32(0).I8(0).Str("x.ogg").I8(1).I32(100); }});
  const int32_t soundAt = test::NodeFields(ByteWriter().Head(1, "YNX.SoundNode", "water"), -1).Size();
  test::ExpectCutsFail(StoredNode(1, "rain.ogg", 0),
                       {{soundAt, "Невозможно загрузить данные источника звука. ID[",
                         "Невозможно сохранить данные источника звука. Имя[water] ID["}});
}

TEST_F(SoundTest, AnEnabledNodeKeepsPlayingAndIsPlacedAgainstTheCamera) {
  struct Case {
    const char* what;
    bool positional;
    bool enabled;
    bool camera;
    Calls calls;
  };
  const Case cases[] = {
      {"positional, camera at (1, 1, 0)", true, true, true,
       {"Set3DPosition 7 (2,1,3) null null", "Apply3D", "Play 7 0"}},
      {"positional, no camera: the origin", true, true, false,
       {"Set3DPosition 7 (3,2,3) null null", "Apply3D", "Play 7 0"}},
      {"not positional", false, true, true, {"Play 7 0"}},
      {"disabled", true, false, true, {}},
  };
  Ptr<Camera> camera(new Camera(String("eye")));
  Transformation at;
  at.SetTranslation(Vector3{1.0f, 1.0f, 0.0f});
  camera->SetLocalTransform(at);
  camera->UpdateWorldTransform();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Ptr<SoundNode> node = Loaded(c.positional);
    Transformation place;
    place.SetTranslation(Vector3{3.0f, 2.0f, 3.0f});
    node->SetLocalTransform(place);
    node->SetEnabled(c.enabled);
    listenerCamera = c.camera ? camera.Get() : nullptr;
    node->Update(0.25);
    EXPECT_EQ(recording.calls, c.calls);
    EXPECT_FLOAT_EQ(node->GetPlayTime(), c.enabled ? 0.25f : 0.0f);
  }
}

TEST_F(SoundTest, ReloadingFreesTheOldStreamAndKeepsTheLoop) {
  Ptr<SoundNode> node = Loaded(false, true);
  recording.nextStream = 9;
  ASSERT_EQ(node->LoadSound(FileManager::FindFile(String("water.ogg")), false), 0);
  EXPECT_EQ(recording.calls, (Calls{"StreamFree 7", "StreamCreateFile 1 0 16 0", "SetFlags 9 4",
                                    "Set3DAttributes 9 0 3.40282e+38 -1 -1 -1 -1", "Apply3D"}));
  recording.calls.clear();
  EXPECT_EQ(node->LoadSound(nullptr, false), 3);
  EXPECT_EQ(recording.calls, (Calls{"StreamFree 9"}));
  EXPECT_EQ(node->GetChannel(), 0u);
}

TEST_F(SoundTest, SoundKeysStopAndRestartTheChannel) {
  struct Case {
    const char* what;
    bool play;
    uint32_t activity;
    bool enabledAfter;
    Calls calls;
  };
  const Case cases[] = {
      {"off while playing", false, BASS_ACTIVE_PLAYING, false, {"Stop 7"}},
      {"off while stopped", false, BASS_ACTIVE_STOPPED, false, {"Stop 7"}},
      {"on after the end: from the start", true, BASS_ACTIVE_STOPPED, true, {"Play 7 1", "Play 7 0"}},
      {"on while playing: no rewind", true, BASS_ACTIVE_PLAYING, true, {"Play 7 0"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Ptr<SoundNode> node = Loaded(false);
    node->SetEnabled(!c.enabledAfter);
    Ptr<SoundNodeAnimation> track(new SoundNodeAnimation(String("Main")));
    track->AddSoundKey(0.0, c.play);
    auto* controller = new SoundNodeAnimationController();
    controller->AddAnimation(track.Get());
    controller->AddFrame(AnimationFrame{track, AnimationFrame::MODE_LOOP, 0.0, 1.0, 1.0, 0.0});
    controller->SetPeriod(10.0);
    node->AttachController(controller);
    recording.activity = c.activity;
    controller->Update(0.1);
    EXPECT_EQ(recording.calls, c.calls);
    EXPECT_EQ(node->IsEnabled(), c.enabledAfter);
  }
}

TEST_F(SoundTest, ASoundTrackSavesAndLoadsItsKeys) {
  Ptr<SoundNodeAnimation> track(new SoundNodeAnimation(String("Main")));
  track->AddSoundKey(0.5, true);
  track->AddSoundKey(0.503, false);
  const std::vector<uint8_t> bytes = test::Written(track.Get());
  ByteWriter copy;
  copy.Raw(bytes.data(), bytes.size());
  int32_t state = -1;
  Ptr<Object> loaded = test::ReadOne(copy, &state);
  ASSERT_EQ(state, 0);
  const auto* read = static_cast<const SoundNodeAnimation*>(loaded.Get());
  ASSERT_EQ(read->GetKeyCount(), 2);
  EXPECT_EQ(read->GetSoundKey(0).time, 0.5);
  EXPECT_TRUE(read->GetSoundKey(0).play);
  EXPECT_FALSE(read->GetSoundKey(1).play);
  std::vector<uint8_t> again = test::Written(read);
  std::memcpy(again.data(), bytes.data(), 4);  // the copy has an ID of its own
  EXPECT_TRUE(test::SameBytes(again, bytes));
}

TEST_F(SoundTest, TheServiceClampsTheVolumeAndTurnsTheListener) {
  SoundManager::SetSoundVolume(150);
  SoundManager::SetSoundVolume(-3);
  SoundManager::SetSoundVolume(40);
  SoundManager::UpdateListener(Vector3{0.0f, 0.0f, 1.0f}, Vector3{0.0f, 1.0f, 0.0f});
  EXPECT_EQ(recording.calls, (Calls{"SetConfig 5 100", "SetConfig 5 0", "SetConfig 5 40",
                                    "Listener null null (0,0,1) (0,1,0)", "Apply3D"}));
}

TEST(SoundServiceTest, WithoutTheLibraryTheEngineStartsSilentlyAndEveryCallFails) {
  SoundLibrary::Reset();
  test::CapturedLog log;
  EXPECT_EQ(SoundManager::Initialize(), 0);
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                             "INFO. Инициализация менеджера звука.",
                             "ERROR. Инициализация менеджера звука. Невозможно найти ресурс [bass.dll].",
                         }));
  EXPECT_FALSE(SoundLibrary::IsLoaded());
  const SoundLibrary::Entries& library = SoundLibrary::Get();
  EXPECT_EQ(library.BASS_Init(-1, 44100, BASS_DEVICE_3D, nullptr, nullptr), 0);
  EXPECT_EQ(library.BASS_ErrorGetCode(), BASS_ERROR_UNKNOWN);
  EXPECT_EQ(library.BASS_GetDeviceDescription(0), nullptr);
  EXPECT_EQ(library.BASS_StreamCreateFile(1, "x", 0, 1, 0), 0u);
  SoundManager::SetSoundVolume(50);
  SoundManager::UpdateListener(Vector3{}, Vector3{});
  EXPECT_EQ(SoundManager::Shutdown(), 0);
}

}  // namespace
}  // namespace ynx
