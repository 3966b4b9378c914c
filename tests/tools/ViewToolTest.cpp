// ynx-view run as a user would: a small scene saved by the engine, loose and
// inside an archive, drawn headless into PNG files; and what it refuses.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "engine/io/File.h"
#include "engine/io/STRSceneCodec.h"
#include "engine/render/ColorEffect.h"
#include "engine/render/Texture.h"
#include "engine/render/TextureEffect.h"
#include "engine/scene/Camera.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"
#include "tests/support/Subprocess.h"
#include "tools/common/PngFile.h"

namespace ynx {
namespace {

namespace fs = std::filesystem;

test::Outcome RunView(const std::string& arguments) {
  return test::RunCommand(std::string("'") + YNX_VIEW_PATH + "' " + arguments + " 2>&1");
}

Triangles* Square(float x, GeometryNodeEffect* effect) {
  auto* node = new Triangles(String("square"));
  node->SetVertices(new Vector3Buffer(4, new Vector3[4]{{x - 1, -1, 4}, {x - 1, 1, 4}, {x + 1, 1, 4}, {x + 1, -1, 4}}));
  node->SetTexCoords(0, new Vector2Buffer(4, new Vector2[4]{{0, 1}, {0, 0}, {1, 0}, {1, 1}}));
  node->SetIndices(new IntBuffer(6, new int32_t[6]{0, 1, 2, 0, 2, 3}));
  node->SetEffect(effect);
  return node;
}

// An orange square on the left and one textured from "halves.png" (red
// below, blue above) on the right, seen from the origin; without `camera`,
// nothing to see them through. Images name their files, found beside the
// scene or in its archive.
void SaveScene(const fs::path& folder, const char* name, bool camera) {
  Ptr<SceneNode> root(new SceneNode(String("Root"), 0, 2));
  if (camera) root->AppendChild(new Camera(String("eye")));
  auto* flat = new ColorEffect();
  flat->SetColor({1.0f, 0.5f, 0.25f, 1.0f});
  root->AppendChild(Square(-1.05f, flat));

  Ptr<Image> halves(new Image(String("halves"), Image::FORMAT_RGB, 4, 4));
  for (int32_t i = 0; i < 16; ++i) {
    const uint8_t red[3] = {255, 0, 0};
    const uint8_t blue[3] = {0, 0, 255};
    std::copy(i < 8 ? red : blue, (i < 8 ? red : blue) + 3, halves->GetData() + i * 3);
  }
  std::string error;
  ASSERT_TRUE(tools::PngFile::Write((folder / "halves.png").string(), *halves, error)) << error;
  const test::Outcome converted = test::RunCommand(std::string("cd '") + folder.string() + "' && '" +
                                                   YNX_IMAGE_PATH + "' halves.png halves.tga");
  ASSERT_EQ(converted.exitCode, 0) << converted.output;
  // The image keeps the name it is found by in the archive.
  const fs::path here = fs::current_path();
  fs::current_path(folder);
  File picture{String("halves.tga")};
  auto* image = new Image(&picture, String());
  fs::current_path(here);
  auto* textured = new TextureEffect();
  textured->SetTexture(new Texture(String("halves"), image));
  root->AppendChild(Square(1.05f, textured));
  File file{String((folder / name).c_str())};
  STRSceneCodec codec;
  ASSERT_EQ(codec.Save(&file, root.Get()), 0);
}

// Pixel (x, y), y counted from the top, of a picture bottom row first.
uint32_t At(const Image& picture, uint32_t x, uint32_t y) {
  const uint8_t* p = picture.GetData() + ((picture.GetHeight() - 1 - y) * picture.GetWidth() + x) * 3;
  return static_cast<uint32_t>(p[0]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[2];
}

class ViewToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::path(::testing::TempDir()) /
             (std::string("ynx-view-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder);
    fs::create_directories(folder);
  }
  void TearDown() override { fs::remove_all(folder); }

  std::string In(const std::string& name) const { return "'" + (folder / name).string() + "'"; }

  // The picture ynx-view wrote, checked against the scene.
  void ExpectScene(const fs::path& png) {
    std::string error;
    const Ptr<Image> picture = tools::PngFile::Read(png.string(), error);
    ASSERT_TRUE(picture) << error;
    ASSERT_EQ(picture->GetWidth(), 64u);
    EXPECT_EQ(At(*picture, 24, 32), 0xFF8040u);
    EXPECT_EQ(At(*picture, 48, 22), 0x0000FFu);
    EXPECT_EQ(At(*picture, 48, 42), 0xFF0000u);
    EXPECT_EQ(At(*picture, 2, 2), 0x000000u);
  }

  fs::path folder;
};

TEST_F(ViewToolTest, ScreenshotsOfASceneInAnArchiveAndOfEveryFrame) {
  SaveScene(folder, "Main.STR", true);
  test::Outcome run = test::RunCommand(std::string("cd '") + folder.string() + "' && '" + YNX_RAR_PATH +
                                       "' a -m3 show.rar2 Main.STR halves.tga");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  run = RunView(In("show.rar2") + " --size 64x64 --frames 3 --step 0.02 --screenshot " + In("shot.png"));
  ASSERT_EQ(run.exitCode, 0) << run.output;
  ExpectScene(folder / "shot.png");

  fs::rename(folder / "show.rar2", folder / "other.rar2");
  run = RunView(In("other.rar2") + " Main.STR --size 64x64 --frames 2 --stats --screenshot " +
                In("frame%d.png"));
  ASSERT_EQ(run.exitCode, 0) << run.output;
  ExpectScene(folder / "frame1.png");
  ExpectScene(folder / "frame2.png");
  EXPECT_FALSE(fs::exists(folder / "frame3.png"));
  EXPECT_NE(run.output.find("frame 2: cpu "), std::string::npos) << run.output;
  EXPECT_NE(run.output.find(", passes recorded 0, uploads 0, device objects 0"), std::string::npos)
      << "frame 2 makes nothing anew:\n" << run.output;

  // A loose scene file finds its picture in its own folder.
  run = RunView(In("Main.STR") + " --size 64x64 --screenshot " + In("loose.png"));
  ASSERT_EQ(run.exitCode, 0) << run.output;
  ExpectScene(folder / "loose.png");
}

TEST_F(ViewToolTest, RefusalsAreOneLine) {
  SaveScene(folder, "blind.STR", false);
  std::ofstream(folder / "noise.STR") << "not a scene at all";
  struct Case {
    std::string arguments;
    int exitCode;
    std::string line;
  };
  const Case cases[] = {
      {"", 2, "ynx-view: no scene given"},
      {In("Main.STR") + " --frames 0", 2, "ynx-view: bad value '0' for --frames"},
      {In("Main.STR") + " --zoom 2", 2, "ynx-view: unknown option --zoom"},
      {In("missing.STR"), 1, "ynx-view: no such file: " + (folder / "missing.STR").string()},
      {In("noise.STR") + " --frames 1", 1, "ynx-view: " + (folder / "noise.STR").string() + ": not a scene"},
      {In("blind.STR") + " --screenshot " + In("x.png"), 1,
       "ynx-view: " + (folder / "blind.STR").string() + ": the scene has no camera to take the picture with"},
  };
  for (const Case& c : cases) {
    const test::Outcome run = RunView(c.arguments);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments << "\n" << run.output;
    EXPECT_NE(run.output.find(c.line + "\n"), std::string::npos) << c.arguments << "\n" << run.output;
  }
}

}  // namespace
}  // namespace ynx
