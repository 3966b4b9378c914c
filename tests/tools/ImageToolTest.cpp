#include <gtest/gtest.h>

#include <png.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/Subprocess.h"

namespace {

namespace fs = std::filesystem;

using ynx::test::Outcome;

Outcome RunTool(const std::string& arguments) {
  return ynx::test::RunCommand(std::string("'") + YNX_IMAGE_PATH + "' " + arguments);
}

// Top-down 8-bit pixels of a PNG, with its size.
struct Picture {
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t format = PNG_FORMAT_RGB;
  std::vector<uint8_t> pixels;
};

bool WritePng(const fs::path& path, Picture& picture) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = picture.width;
  png.height = picture.height;
  png.format = picture.format;
  return png_image_write_to_file(&png, path.c_str(), 0, picture.pixels.data(), 0, nullptr) != 0;
}

Picture ReadPng(const fs::path& path) {
  Picture picture;
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_file(&png, path.c_str()) == 0) return picture;
  picture.width = png.width;
  picture.height = png.height;
  picture.format = png.format;
  picture.pixels.resize(PNG_IMAGE_SIZE(png));
  if (png_image_finish_read(&png, nullptr, picture.pixels.data(), 0, nullptr) == 0) return {};
  return picture;
}

// No two rows, columns or channels alike, so that flips and swaps show.
Picture Pattern(uint32_t width, uint32_t height, uint32_t format) {
  Picture picture{width, height, format, {}};
  picture.pixels.resize(size_t{width} * height * PNG_IMAGE_PIXEL_CHANNELS(format));
  for (size_t i = 0; i < picture.pixels.size(); ++i) picture.pixels[i] = static_cast<uint8_t>(i * 29 + i / 7);
  return picture;
}

class ImageToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::path(::testing::TempDir()) /
             (std::string("ynx-image-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder);
    fs::create_directories(folder);
  }
  void TearDown() override { fs::remove_all(folder); }

  std::string In(const char* name) const { return "'" + (folder / name).string() + "'"; }

  fs::path folder;
};

TEST_F(ImageToolTest, PixelsSurvivePngToBmpToTgaToPngExactly) {
  Picture original = Pattern(13, 7, PNG_FORMAT_RGB);
  ASSERT_TRUE(WritePng(folder / "in.png", original));
  for (const auto& [from, to] : {std::pair{"in.png", "a.bmp"}, {"a.bmp", "b.tga"}, {"b.tga", "out.png"}}) {
    const Outcome step = RunTool(In(from) + " " + In(to));
    ASSERT_EQ(step.exitCode, 0) << from << " -> " << to << ": " << step.output;
    EXPECT_EQ(step.output, "");
  }
  const Picture result = ReadPng(folder / "out.png");
  EXPECT_EQ(result.width, 13u);
  EXPECT_EQ(result.height, 7u);
  EXPECT_EQ(result.pixels, original.pixels);
}

TEST_F(ImageToolTest, CubeMapsAreSixFacesStackedTopDown) {
  Picture strip = Pattern(4, 24, PNG_FORMAT_RGBA);
  ASSERT_TRUE(WritePng(folder / "strip.png", strip));
  ASSERT_EQ(RunTool(In("strip.png") + " " + In("sky.cube")).exitCode, 0);
  const Outcome info = RunTool("info " + In("sky.cube"));
  EXPECT_EQ(info.exitCode, 0);
  EXPECT_EQ(info.output, "width: 4\nheight: 4\nformat: 1 (RGBA)\ndepth: 6\n");
  ASSERT_EQ(RunTool(In("sky.cube") + " " + In("back.png")).exitCode, 0);
  EXPECT_EQ(ReadPng(folder / "back.png").pixels, strip.pixels);

  Picture odd = Pattern(4, 7, PNG_FORMAT_RGB);
  ASSERT_TRUE(WritePng(folder / "odd.png", odd));
  const Outcome refused = RunTool(In("odd.png") + " " + In("odd.cube"));
  EXPECT_NE(refused.exitCode, 0);
  EXPECT_NE(refused.output.find("divides by six"), std::string::npos) << refused.output;
}

TEST_F(ImageToolTest, FailuresAreExplainedOnStandardError) {
  const Outcome help = RunTool("--help");
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.output.find("Usage: ynx-image"), std::string::npos);
  EXPECT_EQ(RunTool("").exitCode, 2);

  const Outcome missing = RunTool(In("none.png") + " " + In("x.bmp"));
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.output.find("no such file"), std::string::npos) << missing.output;

  std::FILE* junk = std::fopen((folder / "junk.jpg").c_str(), "wb");
  std::fputs("not a picture", junk);
  std::fclose(junk);
  const Outcome damaged = RunTool(In("junk.jpg") + " " + In("x.png"));
  EXPECT_EQ(damaged.exitCode, 1);
  EXPECT_NE(damaged.output.find("Not a JPEG file"), std::string::npos)
      << "the codec's reason comes along: " << damaged.output;

  Picture picture = Pattern(2, 2, PNG_FORMAT_RGB);
  ASSERT_TRUE(WritePng(folder / "in.png", picture));
  EXPECT_NE(RunTool(In("in.png") + " " + In("x.gif")).exitCode, 0);
}

}  // namespace
