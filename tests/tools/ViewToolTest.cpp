// ynx-view run as a user would: a small scene saved by the engine, loose and
// inside an archive, drawn headless into PNG files; and what it refuses.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/io/File.h"
#include "engine/io/STRSceneCodec.h"
#include "engine/particles/PointEmitter.h"
#include "engine/particles/SphereVolumeEmitter.h"
#include "engine/render/ColorEffect.h"
#include "engine/render/PostRenderEffect.h"
#include "engine/render/RenderShadowmapEffectController.h"
#include "engine/render/ScreensaverController.h"
#include "engine/render/ShadowmapEffect.h"
#include "engine/render/SpriteEffect.h"
#include "engine/render/SpriteParticleSystem.h"
#include "engine/render/Texture.h"
#include "engine/render/TextureEffect.h"
#include "engine/scene/Camera.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Light.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"
#include "tests/support/NearColor.h"
#include "tests/support/Subprocess.h"
#include "engine/io/PngFile.h"

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

// The picture written beside the scene as NAME.tga (by ynx-image, as a
// content author would) and read back from there, so that it keeps the
// name it is found by.
Image* SavePicture(const fs::path& folder, const std::string& name, const Image& picture) {
  std::string error;
  EXPECT_TRUE(PngFile::Write((folder / (name + ".png")).string(), picture, error)) << error;
  const test::Outcome converted = test::RunCommand(std::string("cd '") + folder.string() + "' && '" +
                                                   YNX_IMAGE_PATH + "' " + name + ".png " + name + ".tga");
  EXPECT_EQ(converted.exitCode, 0) << converted.output;
  const fs::path here = fs::current_path();
  fs::current_path(folder);
  File file{String((name + ".tga").c_str())};
  auto* image = new Image(&file, String());
  fs::current_path(here);
  return image;
}

// An orange square on the left and one textured from "halves.png" (red
// below, blue above) on the right, seen from the origin; without `camera`,
// nothing to see them through; with `sets`, a screensaver controller cuts
// between that camera and one looking away. Images name their files, found
// beside the scene or in its archive.
void SaveScene(const fs::path& folder, const char* name, bool camera, bool sets = false) {
  Ptr<SceneNode> root(new SceneNode(String("Root"), 0, 4));
  if (camera) root->AppendChild(new Camera(String("eye")));
  if (sets) {
    auto* away = new Camera(String("away"));
    away->SetDirection(Vector3{0.0f, 0.0f, -1.0f});
    root->AppendChild(away);
    auto* director = new ScreensaverController(String("director"));
    director->AddSet(static_cast<Camera*>(root->GetChild(0)), 0.0, 10.0);
    director->AddSet(away, 0.0, 10.0);
    root->AttachController(director);
  }
  auto* flat = new ColorEffect();
  flat->SetColor({1.0f, 0.5f, 0.25f, 1.0f});
  root->AppendChild(Square(-1.05f, flat));

  Ptr<Image> halves(new Image(String("halves"), Image::FORMAT_RGB, 4, 4));
  for (int32_t i = 0; i < 16; ++i) {
    const uint8_t red[3] = {255, 0, 0};
    const uint8_t blue[3] = {0, 0, 255};
    std::copy(i < 8 ? red : blue, (i < 8 ? red : blue) + 3, halves->GetData() + i * 3);
  }
  Image* image = SavePicture(folder, "halves", *halves);
  auto* textured = new TextureEffect();
  textured->SetTexture(new Texture(String("halves"), image));
  root->AppendChild(Square(1.05f, textured));
  File file{String((folder / name).c_str())};
  STRSceneCodec codec;
  ASSERT_EQ(codec.Save(&file, root.Get()), 0);
}

// A face of four corners as seen from outside: bottom left, top left, top
// right, bottom right.
Triangles* Face(const char* name, const std::array<Vector3, 4>& corners, const Color& color) {
  auto* node = new Triangles(String(name));
  node->SetVertices(new Vector3Buffer(4, new Vector3[4]{corners[0], corners[1], corners[2], corners[3]}));
  node->SetIndices(new IntBuffer(6, new int32_t[6]{0, 1, 2, 0, 2, 3}));
  auto* effect = new ColorEffect();
  effect->SetColor(color);
  node->SetEffect(effect);
  return node;
}

// A white disc fading to black: additive sprites show it as a soft dot.
Ptr<Image> Dot() {
  Ptr<Image> dot(new Image(String("dot"), Image::FORMAT_RGB, 16, 16));
  for (int32_t y = 0; y < 16; ++y) {
    for (int32_t x = 0; x < 16; ++x) {
      const float d = std::hypot(static_cast<float>(x) - 7.5f, static_cast<float>(y) - 7.5f) / 8.0f;
      std::fill_n(dot->GetData() + (y * 16 + x) * 3, 3, static_cast<uint8_t>(255.0f * std::max(0.0f, 1.0f - d)));
    }
  }
  return dot;
}

// 16 x 16 cells of 8 x 8 pixels: every printable character a white block
// inset by one pixel, the rest black.
Ptr<Image> BlockFont() {
  Ptr<Image> atlas(new Image(String("font"), Image::FORMAT_RGB, 128, 128));
  for (int32_t c = 33; c < 127; ++c) {
    const int32_t column = c % 16;
    const int32_t rowFromTop = c / 16;
    for (int32_t y = 1; y < 7; ++y) {
      // Images keep their bottom row first.
      const int32_t row = 127 - (rowFromTop * 8 + y);
      std::fill_n(atlas->GetData() + (row * 128 + column * 8 + 1) * 3, 6 * 3, uint8_t{255});
    }
  }
  return atlas;
}

SpriteParticleSystem* Particles(const char* name, Emitter* emitter, Texture* dot, const Vector3& at,
                                const Color& color) {
  auto* system = new SpriteParticleSystem(String(name));
  static_cast<SpriteEffect*>(system->GetEffect())->SetTexture(dot);
  system->SetEmitter(emitter);
  system->SetMaxParticles(300);
  system->SetInterval(0.05f, 0.0f);
  system->SetBurst(4, 1);
  system->SetLife(1.5f, 0.25f);
  system->SetStartColor(color, {0.1f, 0.1f, 0.1f, 0.0f});
  system->SetEndColor({color.red * 0.3f, color.green * 0.3f, color.blue * 0.3f, 1.0f}, {});
  system->SetStartSize(0.35f, 0.05f);
  system->SetEndSize(0.15f, 0.0f);
  system->SetLocalTransform(Transformation(at, {0.0f, 0.0f, 0.0f, 1.0f}, {1.0f, 1.0f, 1.0f}));
  return system;
}

// The shared showcase: a grey ground and an orange box above it, casting
// its shadow from a moon high behind the camera, a fountain
// of blue sprites on the right and a cloud of yellow ones on the left, all
// letterboxed, seen from above and in front; the glyph atlas "font.tga" and
// the sprite "dot.tga" beside it.
void SaveShowcase(const fs::path& folder) {
  Ptr<SceneNode> root(new SceneNode(String("Root"), 0, 2));
  auto* camera = new Camera(String("eye"));
  camera->SetLocalTransform(Transformation({0.0f, 5.0f, -8.0f}, {0.0f, 0.0f, 0.0f, 1.0f}, {1.0f, 1.0f, 1.0f}));
  camera->SetDirection(Vector3{0.0f, -5.0f, 8.0f});
  root->AppendChild(camera);

  auto* film = new SceneNode(String("film"), 0, 4);
  auto* letterbox = new PostRenderEffect();
  letterbox->SetFilm(true);
  film->AddEffect(letterbox);
  root->AppendChild(film);

  // The moon, high behind the camera and a little to its left.
  auto* moon = new Light(String("moon"));
  moon->SetLightType(Light::LIGHT_DIRECTIONAL);
  moon->SetDirection(Vector3{0.4f, -1.0f, 0.5f});
  root->AppendChild(moon);

  auto* garden = new SceneNode(String("garden"), 0, 2);
  film->AppendChild(garden);
  const Color grey{0.5f, 0.5f, 0.5f, 1.0f};
  garden->AppendChild(Face("ground", {{{-6, 0, -12}, {-6, 0, 6}, {6, 0, 6}, {6, 0, -12}}}, grey));
  auto* box = new SceneNode(String("box"), 0, 4);
  garden->AppendChild(box);
  const Color top{1.0f, 0.6f, 0.2f, 1.0f};
  const Color side{0.7f, 0.4f, 0.1f, 1.0f};
  const float l = -0.5f, r = 0.5f, b = 1.0f, t = 2.0f;
  box->AppendChild(Face("box top", {{{l, t, l}, {l, t, r}, {r, t, r}, {r, t, l}}}, top));
  box->AppendChild(Face("box front", {{{l, b, l}, {l, t, l}, {r, t, l}, {r, b, l}}}, side));
  box->AppendChild(Face("box right", {{{r, b, l}, {r, t, l}, {r, t, r}, {r, b, r}}}, side));
  box->AppendChild(Face("box left", {{{l, b, r}, {l, t, r}, {l, t, l}, {l, b, l}}}, side));
  auto* shadow = new ShadowmapEffect();
  shadow->AttachController(new RenderShadowmapEffectController());
  shadow->SetShadowMap(new Texture(String("Shadowmap"), new Image(String(), Image::FORMAT_DEPTH, 512, 512)));
  shadow->SetBias(1000.0f, 3.09f);
  shadow->SetLight(moon);
  Array<Node*> casters;
  casters.Append(box);
  shadow->SetCasters(casters);
  garden->AddEffect(shadow);

  Texture* dot = new Texture(String("dot"), SavePicture(folder, "dot", *Dot()));
  auto* fountain = new PointEmitter();
  fountain->SetAngles(0.0f, 0.3f);
  SpriteParticleSystem* water = Particles("fountain", fountain, dot, {2.5f, 0.0f, 0.0f}, {0.3f, 0.6f, 1.0f, 1.0f});
  water->SetSpeed(4.0f, 0.5f);
  water->SetAcceleration({0.0f, -5.0f, 0.0f}, {});
  film->AppendChild(water);
  auto* cloud = new SphereVolumeEmitter();
  cloud->SetRadius(1.0f);
  SpriteParticleSystem* fireflies =
      Particles("fireflies", cloud, dot, {-2.5f, 1.5f, 0.0f}, {1.0f, 0.9f, 0.3f, 1.0f});
  fireflies->SetSpeed(0.3f, 0.1f);
  film->AppendChild(fireflies);

  delete SavePicture(folder, "font", *BlockFont());
  File file{String((folder / "Showcase.STR").c_str())};
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
    const Ptr<Image> picture = PngFile::Read(png.string(), error);
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
  EXPECT_NE(run.output.find("frame 2: wall "), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("after the first frame, 1 frame: "), std::string::npos) << run.output;
  EXPECT_NE(run.output.find(", passes recorded 0, uploads 0, device objects 0"), std::string::npos)
      << "frame 2 makes nothing anew:\n" << run.output;

  // A loose scene file finds its picture in its own folder.
  run = RunView(In("Main.STR") + " --size 64x64 --screenshot " + In("loose.png"));
  ASSERT_EQ(run.exitCode, 0) << run.output;
  ExpectScene(folder / "loose.png");
}

TEST_F(ViewToolTest, ASetChosenByNumberShowsThroughItsCamera) {
  SaveScene(folder, "Sets.STR", true, true);
  // The first camera unless told; the director's count limits the number.
  for (const char* set : {"", " --set 1"}) {
    const test::Outcome run = RunView(In("Sets.STR") + set + " --size 64x64 --screenshot " + In("first.png"));
    ASSERT_EQ(run.exitCode, 0) << set << "\n" << run.output;
    ExpectScene(folder / "first.png");
  }
  test::Outcome run = RunView(In("Sets.STR") + " --set 2 --size 64x64 --screenshot " + In("away.png"));
  ASSERT_EQ(run.exitCode, 0) << run.output;
  std::string error;
  const Ptr<Image> away = PngFile::Read((folder / "away.png").string(), error);
  ASSERT_TRUE(away) << error;
  for (const auto& [x, y] : {std::pair{24u, 32u}, std::pair{48u, 22u}, std::pair{48u, 42u}}) {
    EXPECT_EQ(At(*away, x, y), 0u) << x << ", " << y;
  }
}

TEST_F(ViewToolTest, TheShowcaseDrawsLetterboxedWithItsShadowParticlesAndAText) {
  SaveShowcase(folder);
  const test::Outcome run = RunView(In("Showcase.STR") + " --size 640x480 --frames 40 --step 0.05 --text 'AB C'" +
                                    " --font font.tga --screenshot " + In("showcase.png"));
  ASSERT_EQ(run.exitCode, 0) << run.output;
  std::string error;
  const Ptr<Image> shot = PngFile::Read((folder / "showcase.png").string(), error);
  ASSERT_TRUE(shot) << error;
  ASSERT_EQ(shot->GetWidth(), 640u);

  // The bars, rows 0 to 59 and 420 to 479, hold nothing of the scene.
  for (const uint32_t y : {0u, 10u, 55u, 59u, 420u, 450u, 479u}) {
    for (uint32_t x = 0; x < 640; ++x) ASSERT_EQ(At(*shot, x, y), 0u) << x << ", " << y;
  }
  EXPECT_TRUE(test::NearColor(At(*shot, 320, 419), 0x808080u, 2, false)) << "the ground reaches the bar";
  EXPECT_TRUE(test::NearColor(At(*shot, 320, 150), 0xFF9933u, 2, false)) << "the box's top";
  EXPECT_TRUE(test::NearColor(At(*shot, 320, 190), 0xB26619u, 2, false)) << "its front";
  EXPECT_TRUE(test::NearColor(At(*shot, 355, 225), 0x404040u, 2, false)) << "its shadow, half as bright";
  EXPECT_TRUE(test::NearColor(At(*shot, 280, 300), 0x808080u, 2, false)) << "lit ground";

  // "AB C" in the top bar: 16 pixels a glyph, 2 between, a block each but
  // the space.
  for (const auto& [x, lit] : std::vector<std::pair<uint32_t, bool>>{{24, true}, {33, false}, {42, true}, {60, false}, {78, true}}) {
    EXPECT_EQ(At(*shot, x, 36), lit ? 0xFFFFFFu : 0u) << x;
  }

  // Blue sprites on the right, yellow on the left.
  int32_t blue = 0, yellow = 0;
  for (uint32_t y = 60; y < 420; ++y) {
    for (uint32_t x = 0; x < 640; ++x) {
      const uint32_t c = At(*shot, x, y);
      const int32_t red = static_cast<int32_t>(c >> 16), bl = static_cast<int32_t>(c & 0xFF);
      if (x > 380 && bl > red + 40) ++blue;
      if (x < 260 && red > bl + 40) ++yellow;
    }
  }
  EXPECT_GT(blue, 200);
  EXPECT_GT(yellow, 200);
}

TEST_F(ViewToolTest, RefusalsAreOneLine) {
  SaveScene(folder, "blind.STR", false);
  SaveScene(folder, "Main.STR", true);
  SaveScene(folder, "Sets.STR", true, true);
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
      {In("Main.STR") + " --set 0", 2, "ynx-view: bad value '0' for --set"},
      {In("Main.STR") + " --set 1 --frames 1", 1,
       "ynx-view: " + (folder / "Main.STR").string() + ": the scene has 0 camera sets"},
      {In("Sets.STR") + " --set 3 --frames 1", 1,
       "ynx-view: " + (folder / "Sets.STR").string() + ": the scene has 2 camera sets"},
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
