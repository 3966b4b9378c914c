// ynx-scene run as a user would: on a scene the engine saved, on broken
// files, and with wrong arguments.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/animation/NodeAnimation.h"
#include "engine/animation/NodeAnimationController.h"
#include "engine/animation/SkinController.h"
#include "engine/io/File.h"
#include "engine/io/STRSceneCodec.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector3Buffer.h"
#include "engine/scene/Vector4Buffer.h"
#include "tests/support/Subprocess.h"

namespace ynx {
namespace {

namespace fs = std::filesystem;

using test::Outcome;

Outcome RunTool(const std::string& arguments) {
  return test::RunCommand(std::string("'") + YNX_SCENE_PATH + "' " + arguments);
}

// A bone moved by a node animation and a mesh skinned to it, the bone shared
// between the hierarchy and the skin.
struct SavedScene {
  Ptr<SceneNode> root;
  int32_t boneId = 0;
  int32_t skinId = 0;
};

SavedScene SaveScene(const fs::path& path) {
  SavedScene scene;
  scene.root = new SceneNode(String("Root"), 0, 2);
  auto* bone = new SceneNode(String("bone"), 0, 1);
  scene.root->AppendChild(bone);
  auto* walk = new NodeAnimation(String("Animation 0"));
  for (int32_t key = 0; key < 15; ++key) {
    walk->AddNodeKey(key / 14.0, {static_cast<float>(key), 0, 0}, {}, {1, 1, 1});
  }
  auto* player = new NodeAnimationController();
  player->AddAnimation(walk);
  player->AddFrame(AnimationFrame{walk, AnimationFrame::MODE_LOOP, 0.0, 1.0, 1.0, 0.0});
  player->SetPeriod(53.6);
  bone->AttachController(player);

  auto* mesh = new Triangles(String("mesh"));
  auto* skin = new SkinController(String("skin"));
  skin->AddBone(bone, Transformation());
  skin->SetBindVertices(new Vector3Buffer(4));
  skin->SetWeights(new Vector4Buffer(4));
  skin->SetBoneIndices(new Vector4Buffer(4));
  mesh->SetVertices(new Vector3Buffer(4));
  mesh->AttachController(skin);
  scene.root->AppendChild(mesh);
  scene.boneId = bone->GetID();
  scene.skinId = skin->GetID();

  File file{String(path.c_str())};
  STRSceneCodec codec;
  EXPECT_EQ(codec.Save(&file, scene.root.Get()), 0);
  return scene;
}

class SceneToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::path(::testing::TempDir()) /
             (std::string("ynx-scene-") +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder);
    fs::create_directories(folder);
    scene = SaveScene(folder / "Main.STR");
  }
  void TearDown() override { fs::remove_all(folder); }

  std::string In(const char* name) const { return "'" + (folder / name).string() + "'"; }
  void WriteBroken(const char* name, size_t keep) {
    std::ifstream input(folder / "Main.STR", std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(input)),
                            std::istreambuf_iterator<char>());
    std::ofstream(folder / name, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(keep));
  }

  fs::path folder;
  SavedScene scene;
};

TEST_F(SceneToolTest, DumpShowsTheGraphAsRead) {
  const Outcome dump = RunTool("dump " + In("Main.STR"));
  ASSERT_EQ(dump.exitCode, 0) << dump.output;
  const std::string bone = "#" + std::to_string(scene.boneId) + " YNX.SceneNode \"bone\"";
  EXPECT_NE(dump.output.find("@0 uint32 0\n@4 uint32 1\n@8 uint32 2\n@12 #"), std::string::npos)
      << dump.output;
  EXPECT_NE(dump.output.find("  @"), std::string::npos);
  // Defined once, then referred to by the skin.
  const size_t defined = dump.output.find(bone);
  ASSERT_NE(defined, std::string::npos) << dump.output;
  EXPECT_NE(dump.output.find("ref " + bone, defined), std::string::npos);
  EXPECT_NE(dump.output.find("#" + std::to_string(scene.skinId) + " YNX.SkinController \"skin\""),
            std::string::npos);
  EXPECT_NE(dump.output.find("YNX.NodeAnimation \"Animation 0\"\n"), std::string::npos);
  EXPECT_NE(dump.output.find(" count 15\n"), std::string::npos);
  EXPECT_NE(dump.output.find(" double 0.07142857142857142\n"), std::string::npos);
  EXPECT_NE(dump.output.find(" double 53.6\n"), std::string::npos);
  EXPECT_NE(dump.output.find(" raw[48] 00 00 00 00"), std::string::npos) << "the weights' contents";
}

TEST_F(SceneToolTest, CheckRunsFramesAndStatsCount) {
  const Outcome check = RunTool("check " + In("Main.STR") + " --frames 30 --step 0.02");
  ASSERT_EQ(check.exitCode, 0) << check.output;
  EXPECT_NE(check.output.find("ran 30 frames of 0.02 s"), std::string::npos) << check.output;
  EXPECT_NE(check.output.find("       1  YNX.SkinController\n"), std::string::npos);
  EXPECT_NE(check.output.find("       2  YNX.SceneNode\n"), std::string::npos);

  const Outcome stats = RunTool("stats " + In("Main.STR"));
  ASSERT_EQ(stats.exitCode, 0) << stats.output;
  EXPECT_NE(stats.output.find("nodes         3, 2 levels deep"), std::string::npos) << stats.output;
  EXPECT_NE(stats.output.find("animations    1 with 15 keys"), std::string::npos);
  EXPECT_NE(stats.output.find("skinning      1 skin controllers with 1 bones"), std::string::npos);
  // Four buffers from the file, and the bone positions made on loading.
  EXPECT_NE(stats.output.find("buffers       5 holding 236 bytes once loaded"), std::string::npos);
}

TEST_F(SceneToolTest, BrokenFilesFailClearly) {
  WriteBroken("cut.STR", 300);
  for (const char* command : {"dump", "check", "stats"}) {
    SCOPED_TRACE(command);
    const Outcome outcome = RunTool(std::string(command) + " " + In("cut.STR"));
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_NE(outcome.output.find("ynx-scene: engine: ERROR. "), std::string::npos)
        << outcome.output;
    EXPECT_NE(outcome.output.find("the scene does not load (in #"), std::string::npos);
  }
  WriteBroken("short.STR", 7);
  const Outcome tooShort = RunTool("stats " + In("short.STR"));
  EXPECT_EQ(tooShort.exitCode, 1);
  EXPECT_NE(tooShort.output.find("too short for a scene file"), std::string::npos)
      << tooShort.output;
  std::ofstream(folder / "old.STR", std::ios::binary)
      .write("\0\0\0\0\1\0\0\0\1\0\0\0\xff\xff\xff\xff", 16);
  const Outcome old = RunTool("check " + In("old.STR"));
  EXPECT_EQ(old.exitCode, 1);
  EXPECT_NE(old.output.find("written for engine version 0.1.1"), std::string::npos) << old.output;
  EXPECT_EQ(RunTool("dump " + In("missing.STR")).exitCode, 1);

  EXPECT_EQ(RunTool("").exitCode, 2);
  EXPECT_EQ(RunTool("draw " + In("Main.STR")).exitCode, 2);
  EXPECT_EQ(RunTool("check " + In("Main.STR") + " --frames -1").exitCode, 2);
  EXPECT_EQ(RunTool("check " + In("Main.STR") + " --step nan").exitCode, 2);
  EXPECT_EQ(RunTool("--help").exitCode, 0);
}

}  // namespace
}  // namespace ynx
