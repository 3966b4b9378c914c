#include <gtest/gtest.h>

#include <png.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "tests/support/Subprocess.h"

namespace {

namespace fs = std::filesystem;

// The tool as a user runs it: a script in, a PNG of the back buffer out,
// query counts on standard output, failures named by step.
TEST(PlayToolTest, WritesThePngAndNamesFailingSteps) {
  const fs::path folder = fs::path(::testing::TempDir()) / "ynx-d3d9-play";
  fs::remove_all(folder);
  fs::create_directories(folder);
  const fs::path output = folder / "out.png";
  const std::string tool = std::string("'") + YNX_D3D9PLAY_PATH + "' ";
  const ynx::test::Outcome played = ynx::test::RunCommand(
      tool + "'" + YNX_CONFORMANCE_SCRIPTS + "/queries.json' '" + output.string() + "'");
  ASSERT_EQ(played.exitCode, 0) << played.output;
  EXPECT_NE(played.output.find("query front: 80"), std::string::npos) << played.output;

  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  ASSERT_NE(png_image_begin_read_from_file(&png, output.c_str()), 0);
  png.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(png));
  ASSERT_NE(png_image_finish_read(&png, nullptr, pixels.data(), 0, nullptr), 0);
  EXPECT_EQ(png.width, 64u);
  EXPECT_EQ(png.height, 48u);
  // Inside the front rectangle: white (no colour in the vertices).
  const size_t at = (size_t{6} * png.width + 6) * 3;
  EXPECT_EQ(pixels[at], 0xFF);
  EXPECT_EQ(pixels[at + 1], 0xFF);
  EXPECT_EQ(pixels[at + 2], 0xFF);

  std::ofstream(folder / "bad.json") << R"({"steps": [{"op": "clear"}, {"op": "draw", "type": "D3DPT_POINTLIST",
      "count": 1}]})";
  const ynx::test::Outcome failed =
      ynx::test::RunCommand(tool + "'" + (folder / "bad.json").string() + "' '" + (folder / "bad.png").string() + "'");
  EXPECT_EQ(failed.exitCode, 1);
  EXPECT_NE(failed.output.find("step 2 (draw): D3DERR_INVALIDCALL"), std::string::npos) << failed.output;
  EXPECT_FALSE(fs::exists(folder / "bad.png"));

  std::ofstream(folder / "asm.json") << R"({"steps": [{"op": "vertexShader", "name": "v", "code": "vs_2_0\nmvo r0, c0\n"}]})";
  const ynx::test::Outcome refused =
      ynx::test::RunCommand(tool + "'" + (folder / "asm.json").string() + "' '" + (folder / "asm.png").string() + "'");
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_NE(refused.output.find("shader(2): error:"), std::string::npos) << refused.output;

  EXPECT_EQ(ynx::test::RunCommand(tool).exitCode, 2);
  fs::remove_all(folder);
}

// A step is checked before it plays: an op the tool does not know, or a key
// its op does not take (misspelt, or one of another op), ends the run with
// the step's number, its op and the key.
TEST(PlayToolTest, RefusesUnknownOpsAndKeysByStep) {
  struct Case {
    const char* step;
    const char* message;
  };
  const Case cases[] = {
      {R"({"op": "light", "type": "D3DLIGHT_POINT", "range": 10, "attenuation0": 1})",
       R"(step 2 (light): unknown key "attenuation0")"},
      {R"({"op": "lightEnabled", "index": 0, "enable": true})", "step 2 (lightEnabled): unknown op"},
      {R"({"op": "samplerStates", "stage": 1, "states": {"D3DSAMP_MAGFILTER": "D3DTEXF_POINT"}})",
       R"(step 2 (samplerStates): unknown key "stage")"},
      {R"({"op": "declaration", "name": "d", "elements": [{"type": "FLOAT3", "usage": "POSITION", "ofset": 0}]})",
       R"(step 2 (declaration): unknown key "ofset" in an element)"},
  };
  const fs::path folder = fs::path(::testing::TempDir()) / "ynx-d3d9-play-keys";
  fs::create_directories(folder);
  const fs::path script = folder / "script.json";
  const fs::path output = folder / "out.png";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.step);
    std::ofstream(script) << R"({"width": 8, "height": 8, "steps": [{"op": "clear"}, )" << c.step << "]}";
    const ynx::test::Outcome refused = ynx::test::RunCommand(std::string("'") + YNX_D3D9PLAY_PATH + "' '" +
                                                             script.string() + "' '" + output.string() + "'");
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.output.find(script.string() + ": " + c.message + "\n"), std::string::npos) << refused.output;
    EXPECT_FALSE(fs::exists(output));
  }
  fs::remove_all(folder);
}

}  // namespace
