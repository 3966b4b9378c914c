// A letterboxed subtree drawn by the renderer module at 640 x 480: the
// children land between the bars on the first frame and on every frame
// that replays the recorded passes, a sibling drawn after the effect has the
// whole window again, and without film the subtree draws full screen.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/render/PostRenderEffect.h"
#include "engine/scene/Camera.h"
#include "engine/scene/SceneNode.h"
#include "tests/render/RendererFixture.h"

namespace ynx::test {
namespace {

constexpr int32_t WIDTH = 640;
constexpr int32_t HEIGHT = 480;
constexpr uint32_t CLEAR = 0xFF0000FFu;
constexpr uint32_t CHILD = 0xFFFF0000u;
constexpr uint32_t SIBLING = 0xFF00FF00u;
// The sibling's corner in clip space: its edges fall three quarters into a
// pixel, so columns 0..160 and rows 0..24 whichever way pixel centres lie.
constexpr float SIBLING_RIGHT = 160.75f / (WIDTH / 2) - 1.0f;
constexpr float SIBLING_BOTTOM = 1.0f - 24.75f / (HEIGHT / 2);

class PostRenderPixelTest : public RendererFixture {};

TEST_F(PostRenderPixelTest, ChildrenDrawBetweenTheBarsOnEveryFrameAndTheNextSiblingFullScreen) {
  struct Case {
    bool film;
    // The rows a full-screen child covers.
    int32_t firstRow;
    int32_t lastRow;
  };
  ASSERT_EQ(Reopen(WIDTH, HEIGHT), 0);
  // Behind the origin, where the nodes' bounds lie.
  Ptr<Camera> camera(new Camera(String("eye")));
  camera->SetLocalTransform(Transformation({0.0f, 0.0f, -1.0f}, {}, {1, 1, 1}));
  camera->Update(0.0);
  renderer->SetCamera(camera.Get());
  for (const Case& c : {Case{true, 60, 419}, Case{false, 0, HEIGHT - 1}}) {
    SCOPED_TRACE(c.film ? "film" : "no film");
    Ptr<QuadEffect> childLook(new QuadEffect());
    Ptr<QuadEffect> siblingLook(new QuadEffect());
    Ptr<PostRenderEffect> effect(new PostRenderEffect(String("letterbox")));
    effect->SetFilm(c.film);
    Ptr<SceneNode> framed(new SceneNode(String("framed"), 0, 1));
    framed->AddEffect(effect.Get());
    framed->AppendChild(Quad(-1.0f, -1.0f, 1.0f, 1.0f, Color{1.0f, 0.0f, 0.0f, 1.0f}, childLook.Get()).Get());
    Ptr<SceneNode> root(new SceneNode(String("root"), 0, 2));
    root->AppendChild(framed.Get());
    root->AppendChild(
        Quad(-1.0f, SIBLING_BOTTOM, SIBLING_RIGHT, 1.0f, Color{0.0f, 1.0f, 0.0f, 1.0f}, siblingLook.Get()).Get());
    root->UpdateRecursive(0.0, false);

    for (int32_t frame = 0; frame < 3; ++frame) {
      SCOPED_TRACE("frame " + std::to_string(frame));
      renderer->Clear(Renderer::CLEAR_COLOR | Renderer::CLEAR_DEPTH, Color{0.0f, 0.0f, 1.0f, 1.0f}, 1.0f, 0);
      ASSERT_EQ(renderer->BeginFrame(), 0);
      // Moved after BeginFrame built its matrices: only the letterbox
      // builds them again.
      camera->SetLocalTransform(Transformation({0.0f, 0.0f, -1.5f - static_cast<float>(frame)}, {}, {1, 1, 1}));
      camera->UpdateWorldTransform();
      root->Render(*renderer);
      renderer->EndFrame();
      EXPECT_EQ(camera->GetView() == camera->BuildView(), c.film);
      // Later frames replay what the first recorded.
      if (frame > 0) {
        EXPECT_EQ(renderer->GetStats().passesRecorded, 0);
      }
      EXPECT_EQ(renderer->GetViewportWidth(), WIDTH);
      EXPECT_EQ(renderer->GetViewportHeight(), HEIGHT);

      const std::vector<uint32_t> pixels = ReadBack();
      ASSERT_EQ(pixels.size(), size_t{WIDTH * HEIGHT});
      int32_t wrong = 0;
      std::string first;
      for (int32_t y = 0; y < HEIGHT; ++y) {
        for (int32_t x = 0; x < WIDTH; ++x) {
          uint32_t expected = y >= c.firstRow && y <= c.lastRow ? CHILD : CLEAR;
          if (x <= 160 && y <= 24) expected = SIBLING;
          if (pixels[y * WIDTH + x] == expected) continue;
          if (wrong++ == 0) first = "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
        }
      }
      EXPECT_EQ(wrong, 0) << "first at " << first;
    }
  }
  EXPECT_TRUE(log.Filtered({"ERROR"}).empty());
}

}  // namespace
}  // namespace ynx::test
