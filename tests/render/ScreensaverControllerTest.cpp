// The screensaver controller: which set it chooses and when, how long a
// set runs, where a cut leaves the new shot's animations, held shots, and
// its stored form.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/animation/NodeAnimationController.h"
#include "engine/animation/TargetCameraController.h"
#include "engine/core/Random.h"
#include "engine/render/ScreensaverController.h"
#include "engine/scene/SceneNode.h"
#include "tests/render/RenderFixture.h"
#include "tests/scene/SceneTestClasses.h"
#include "tests/support/CutStreams.h"

namespace ynx {
namespace {

using test::ByteWriter;

class ScreensaverTest : public test::RenderFixture {
 protected:
  // A track of `period` seconds attached to the object (none for a
  // negative period).
  static NodeAnimationController* Track(Object& owner, double period) {
    if (period < 0.0) return nullptr;
    auto* track = new NodeAnimationController();
    track->SetPeriod(period);
    owner.AttachController(track);
    return track;
  }

  // A camera with a track of `period` seconds, and a target controller
  // aiming it at a node with a track of `targetPeriod` seconds.
  static Ptr<Camera> Shot(const char* name, double period, double targetPeriod = -1.0) {
    Ptr<Camera> camera(new Camera(String(name)));
    if (targetPeriod >= 0.0) {
      auto* aim = new TargetCameraController();
      Ptr<Node> target(new SceneNode(String("target"), 0, 1));
      Track(*target, targetPeriod);
      aim->SetTarget(target.Get());
      camera->AttachController(aim);
    }
    Track(*camera, period);
    return camera;
  }

  // n sets of still cameras, ten seconds each.
  static Ptr<ScreensaverController> Director(int32_t n) {
    Ptr<ScreensaverController> director(new ScreensaverController(String("director")));
    for (int32_t index = 0; index < n; ++index) {
      director->AddSet(Shot(("camera " + std::to_string(index)).c_str(), -1.0).Get(), 1.0, 10.0);
    }
    return director;
  }

  // One frame as the scene runs it: the director first, then the shot's
  // own tracks.
  static void Frame(ScreensaverController& director, double time) {
    director.Update(time);
    const ScreensaverSet& set = director.GetSet(director.GetCurrentSet());
    if (set.cameraAnimation) set.cameraAnimation->Update(time);
    if (set.targetAnimation) set.targetAnimation->Update(time);
  }
};

TEST_F(ScreensaverTest, ChoicesRepeatWithTheSeedAndAvoidTheLastHalf) {
  struct Case {
    int32_t sets;
    size_t remembered;
  };
  for (const Case& c : {Case{1, 1}, Case{2, 1}, Case{3, 1}, Case{4, 2}, Case{7, 3}}) {
    SCOPED_TRACE(std::to_string(c.sets) + " sets");
    const auto run = [&] {
      Random::Seed(2024);
      Ptr<ScreensaverController> director = Director(c.sets);
      std::vector<int32_t> chosen;
      for (int cut = 0; cut < 60; ++cut) {
        director->ChooseNextSet();
        chosen.push_back(director->GetCurrentSet());
        EXPECT_EQ(renderer->GetCamera(), director->GetSet(chosen.back()).camera.Get());
        EXPECT_EQ(director->GetRecentSets().size(), c.remembered);
        EXPECT_EQ(director->GetRecentSets().back(), chosen.back());
      }
      return chosen;
    };
    const std::vector<int32_t> chosen = run();
    EXPECT_EQ(run(), chosen);
    for (int32_t set = 0; set < c.sets; ++set) {
      EXPECT_NE(std::find(chosen.begin(), chosen.end(), set), chosen.end()) << "set " << set;
    }
    for (size_t cut = c.remembered; c.remembered > 1 && cut < chosen.size(); ++cut) {
      const auto recent = chosen.begin() + static_cast<std::ptrdiff_t>(cut - c.remembered);
      EXPECT_EQ(std::find(recent, recent + static_cast<std::ptrdiff_t>(c.remembered), chosen[cut]),
                recent + static_cast<std::ptrdiff_t>(c.remembered))
          << "cut " << cut;
    }
  }
}

TEST_F(ScreensaverTest, OneSetIsChosenAtEveryCutWithItsAnimationsRestarted) {
  Ptr<ScreensaverController> director(new ScreensaverController());
  director->AddSet(Shot("only", 4.0, 6.0).Get(), 0.0, 10.0);
  director->Reset();
  for (int cut = 0; cut < 3; ++cut) {
    SCOPED_TRACE("cut " + std::to_string(cut));
    EXPECT_EQ(director->GetCurrentSet(), 0);
    const ScreensaverSet& set = director->GetSet(0);
    EXPECT_EQ(set.duration, 4.0);
    for (int frame = 0; frame < 3; ++frame) Frame(*director, 1.0);
    EXPECT_DOUBLE_EQ(set.cameraAnimation->GetPhase(), 0.75);
    EXPECT_DOUBLE_EQ(set.targetAnimation->GetPhase(), 0.5);
    Frame(*director, 1.0);
    EXPECT_EQ(director->GetElapsed(), 0.0);
    EXPECT_EQ(set.cameraAnimation->GetPhase(), 0.0);
    EXPECT_EQ(set.targetAnimation->GetPhase(), 0.0);
  }
}

TEST_F(ScreensaverTest, ASetRunsAsLongAsItsAnimations) {
  struct Case {
    const char* what;
    double cameraPeriod;  // negative: no track
    double targetPeriod;  // negative: no target controller
    double expected;
  };
  for (const Case& c : {Case{"camera track", 8.0, -1.0, 8.0},
                        Case{"shorter target track", 8.0, 5.0, 5.0},
                        Case{"longer target track", 8.0, 12.0, 8.0},
                        Case{"target track alone", -1.0, 5.0, 5.0},
                        Case{"a track without length", 0.0, -1.0, 10.0},
                        Case{"still camera", -1.0, -1.0, 10.0}}) {
    SCOPED_TRACE(c.what);
    Ptr<ScreensaverController> director(new ScreensaverController());
    director->AddSet(Shot("shot", c.cameraPeriod, c.targetPeriod).Get(), 0.0, 10.0);
    director->ChooseNextSet();
    EXPECT_EQ(director->GetSet(0).duration, c.expected);
  }
}

TEST_F(ScreensaverTest, AStartedSetRunsFromItsBeginningAndOutOfRangeChangesNothing) {
  Ptr<ScreensaverController> director(new ScreensaverController());
  for (const char* name : {"first", "second", "third"}) director->AddSet(Shot(name, 6.0, 4.0).Get(), 1.0, 10.0);
  director->ChooseNextSet();
  const std::vector<int32_t> recent = director->GetRecentSets();
  for (int frame = 0; frame < 2; ++frame) Frame(*director, 1.0);
  const int32_t other = (director->GetCurrentSet() + 1) % 3;
  const ScreensaverSet& set = director->GetSet(other);
  set.cameraAnimation->SetPhase(0.5);

  director->StartSet(other);
  EXPECT_EQ(director->GetCurrentSet(), other);
  EXPECT_EQ(renderer->GetCamera(), set.camera.Get());
  EXPECT_EQ(director->GetElapsed(), 0.0);
  EXPECT_EQ(director->GetFade(), 1.0) << "it opens black";
  EXPECT_EQ(set.duration, 4.0) << "the shorter track";
  EXPECT_EQ(set.cameraAnimation->GetPhase(), 0.0);
  EXPECT_EQ(director->GetRecentSets(), recent);

  for (const int32_t index : {-1, 3}) {
    director->StartSet(index);
    EXPECT_EQ(director->GetCurrentSet(), other) << index;
    EXPECT_EQ(renderer->GetCamera(), set.camera.Get()) << index;
  }
}

TEST_F(ScreensaverTest, ACutLeavesTheNewShotAtTheTimeLeftOver) {
  struct Case {
    const char* what;
    std::vector<double> frames;
    int32_t cuts;
    double elapsed;
  };
  // Two-second camera track, four-second target track: two-second shots.
  for (const Case& c : {Case{"no cut", {0.5, 0.5, 0.5}, 0, 1.5},
                        Case{"a cut 0.3 s into a 0.5 s frame", {1.7, 0.5}, 1, 0.2},
                        Case{"a cut at the end of a frame", {1.5, 0.5}, 1, 0.0},
                        Case{"two cuts", {1.9, 1.0, 1.5}, 2, 0.4}}) {
    SCOPED_TRACE(c.what);
    Ptr<ScreensaverController> director(new ScreensaverController());
    director->AddSet(Shot("shot", 2.0, 4.0).Get(), 0.0, 10.0);
    director->Reset();
    const ScreensaverSet& set = director->GetSet(0);
    int32_t cuts = 0;
    for (const double time : c.frames) {
      const double uncut = director->GetElapsed() + time;
      Frame(*director, time);
      cuts += director->GetElapsed() != uncut ? 1 : 0;
    }
    EXPECT_EQ(cuts, c.cuts);
    EXPECT_NEAR(director->GetElapsed(), c.elapsed, 1e-12);
    EXPECT_NEAR(set.cameraAnimation->GetPhase(), c.elapsed / 2.0, 1e-12);
    EXPECT_NEAR(set.targetAnimation->GetPhase(), c.elapsed / 4.0, 1e-12);
  }
}

TEST_F(ScreensaverTest, EachShotFadesInFromBlack) {
  // A one-second fade-in on three-second shots; the overlay is black at 1
  // and above.
  Ptr<ScreensaverController> director(new ScreensaverController());
  director->AddSet(Shot("shot", -1.0).Get(), 1.0, 3.0);
  EXPECT_EQ(director->GetFade(), 0.0) << "no set chosen";
  director->Reset();
  const struct {
    double frame;
    double fade;
  } steps[] = {{0.0, 1.0}, {0.25, 0.75}, {0.5, 0.25}, {0.5, 0.0}, {1.5, 0.0}, {0.5, 0.75}};
  for (const auto& step : steps) {
    Frame(*director, step.frame);
    EXPECT_NEAR(director->GetFade(), step.fade, 1e-12) << "at " << director->GetElapsed() << " s";
  }
}

TEST_F(ScreensaverTest, ShotsWithoutLengthAreHeldAndIdleControllersDoNothing) {
  struct Case {
    const char* what;
    double duration;
    double cameraPeriod;
    bool active;
    bool chosen;
    double elapsed;  // a held set's time runs on, for its fade-in
  };
  for (const Case& c : {Case{"a set of no duration", 0.0, -1.0, true, true, 5.0},
                        Case{"a negative duration", -3.0, -1.0, true, true, 5.0},
                        Case{"a track of period 0 and no duration", 0.0, 0.0, true, true, 5.0},
                        Case{"inactive", 1.0, 1.0, false, true, 0.0},
                        Case{"no set chosen yet", 1.0, 1.0, true, false, 0.0}}) {
    SCOPED_TRACE(c.what);
    Ptr<ScreensaverController> director(new ScreensaverController());
    director->AddSet(Shot("held", c.cameraPeriod).Get(), 0.0, c.duration);
    director->AddSet(Shot("other", c.cameraPeriod).Get(), 0.0, c.duration);
    if (c.chosen) director->ChooseNextSet();
    director->SetActive(c.active);
    const int32_t current = director->GetCurrentSet();
    const std::vector<int32_t> recent = director->GetRecentSets();
    for (int frame = 0; frame < 5; ++frame) director->Update(1.0);
    EXPECT_EQ(director->GetCurrentSet(), current);
    EXPECT_EQ(director->GetRecentSets(), recent) << "no cut drew from the generator";
    EXPECT_EQ(director->GetElapsed(), c.elapsed);
    EXPECT_EQ(director->GetFade(), 0.0);
  }

  // A track of period 0 leaves the stored duration, and its phase alone.
  Ptr<ScreensaverController> director(new ScreensaverController());
  director->AddSet(Shot("still track", 0.0).Get(), 0.0, 1.5);
  director->Reset();
  Frame(*director, 1.0);
  Frame(*director, 1.0);
  EXPECT_DOUBLE_EQ(director->GetElapsed(), 0.5);
  EXPECT_EQ(director->GetSet(0).cameraAnimation->GetPhase(), 0.0);
}

// Two sets of one camera stored inline with the first set and referenced
// by the second.
ByteWriter DirectorBytes(int32_t id, int32_t cameraId) {
  ByteWriter w;
  w.Head(id, "YNX.ScreensaverController", "director").I8(1).I32(2);
  w.Head(cameraId, "YNX.Camera", "eye");
  test::NodeFields(w, -1).F32(0.7853982f).F32(0.1f).F32(10000.0f);
  w.F64(2.0).F64(30.0);
  return w.I32(cameraId).F64(0.5).F64(12.5);
}

TEST_F(ScreensaverTest, LoadingReadsTheSetsAndChoosesTheFirstShot) {
  int32_t state = 1;
  Ptr<Object> loaded = test::ReadOne(DirectorBytes(7, 8), &state);
  ASSERT_EQ(state, 0);
  ASSERT_EQ(loaded->GetType().GetName(), "YNX.ScreensaverController");
  auto* director = static_cast<ScreensaverController*>(loaded.Get());
  ASSERT_EQ(director->GetSetCount(), 2);
  const ScreensaverSet& second = director->GetSet(1);
  EXPECT_EQ(second.camera.Get(), director->GetSet(0).camera.Get());
  EXPECT_EQ(second.camera->GetName(), "eye");
  EXPECT_EQ(second.fadeInTime, 0.5);
  EXPECT_EQ(second.duration, 12.5);
  EXPECT_EQ(second.cameraAnimation, nullptr);
  EXPECT_NE(director->GetCurrentSet(), -1);
  EXPECT_EQ(director->GetRecentSets().size(), 1u);
  EXPECT_EQ(renderer->GetCamera(), second.camera.Get());
  EXPECT_TRUE(test::SameBytes(test::Written(director),
                              DirectorBytes(director->GetID(), second.camera->GetID()).Bytes()));
}

TEST_F(ScreensaverTest, LoadingFindsTheLastTrackOfTheCameraAndOfTheLastTarget) {
  Ptr<Camera> camera(new Camera());
  Track(*camera, 6.0);
  Track(*camera, 7.0);
  for (const double period : {4.0, 5.0}) {
    auto* aim = new TargetCameraController();
    aim->SetTarget(new SceneNode(String("target"), 0, 1));
    Track(*aim->GetTarget(), period);
    camera->AttachController(aim);
  }
  Ptr<ScreensaverController> saved(new ScreensaverController());
  saved->AddSet(camera.Get(), 1.0, 60.0);
  const std::vector<uint8_t> written = test::Written(saved.Get());
  ByteWriter bytes;
  int32_t state = 1;
  Ptr<Object> loaded = test::ReadOne(bytes.Raw(written.data(), written.size()), &state);
  ASSERT_EQ(state, 0);
  // Lists run newest first: the controllers attached first come last.
  const ScreensaverSet& set = static_cast<ScreensaverController*>(loaded.Get())->GetSet(0);
  ASSERT_NE(set.cameraAnimation, nullptr);
  EXPECT_EQ(set.cameraAnimation->GetOwner(), set.camera.Get());
  EXPECT_EQ(set.cameraAnimation->GetPeriod(), 6.0);
  ASSERT_NE(set.targetAnimation, nullptr);
  EXPECT_EQ(set.targetAnimation->GetPeriod(), 4.0);
  EXPECT_EQ(set.duration, 4.0) << "chosen on loading";
}

std::string Load(const char* text) { return std::string("Невозможно загрузить ") + text; }
std::string Save(const char* text) { return std::string("Невозможно сохранить ") + text; }

TEST_F(ScreensaverTest, LoadingAndSavingFailAtTheCutField) {
  ByteWriter head;
  head.Head(1, "YNX.ScreensaverController", "director").I8(1);
  const int32_t count = head.Size();
  const int32_t secondCamera = DirectorBytes(1, 2).Size() - 20;
  const test::Cut cuts[] = {
      {count, Load("количество сетов. ID["), Save("количество сетов. Имя[")},
      // The count is refused while the bytes left cannot hold the sets: the
      // first set's own failures show on saving only.
      {count + 4, Load(""), Save("камеру сета контроллера скринсейвера.")},
      {count + 4, Load(""), Save("сет. Имя[director] ID[")},
      {secondCamera, Load("камеру сета контроллера скринсейвера."),
       Save("камеру сета контроллера скринсейвера.")},
      {secondCamera, Load("сет. Имя[director] ID["), Save("сет. Имя[director] ID[")},
      {secondCamera + 4, Load("данные сета контроллера скринсейвера."),
       Save("данные сета контроллера скринсейвера.")},
  };
  test::ExpectCutsFail(DirectorBytes(1, 2), {std::begin(cuts), std::end(cuts)});
  const test::ClassPart object = [](ByteWriter& w) { w.Str("n").I32(0); };
  test::ExpectOneErrorPerLevel("YNX.ScreensaverController",
                               {object, [](ByteWriter& w) { w.I8(1); },
                                [](ByteWriter& w) { w.I32(0); }});
}

}  // namespace
}  // namespace ynx
