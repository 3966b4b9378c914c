// Texture fonts without a device: the glyph quads a string lays out, what
// one draw hands the renderer and under which camera, and the stored form.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/render/TextureEffect.h"
#include "engine/render/TextureFont.h"
#include "engine/scene/Camera.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector2Buffer.h"
#include "tests/render/RenderFixture.h"
#include "tests/scene/SceneTestClasses.h"
#include "tests/support/CapturedLog.h"
#include "tests/support/CutStreams.h"

namespace ynx {
namespace {

using test::ByteWriter;

// Remembers, per draw, how many indices were visible and through which
// camera.
class DrawWatcher : public test::RecordingRenderer {
 public:
  struct Seen {
    int32_t indices;
    Camera* camera;
  };
  int32_t DrawIndexed() override {
    IntBuffer* indices = GetCurrentGeometry()->GetIndices();
    seen.push_back({indices != nullptr ? indices->GetCount() : -1, GetCamera()});
    return RecordingRenderer::DrawIndexed();
  }
  std::vector<Seen> seen;
};

class FontTest : public test::RenderFixture {
 protected:
  void SetUp() override {
    RenderFixture::SetUp();
    watcher = new DrawWatcher();
    watcher->SetCapabilities(Renderer::SHADER_NONE, Renderer::SHADER_NONE, 1);
    renderer = watcher;
    Renderer::SetCurrent(watcher);
    scene = new Camera(String("scene"));
    renderer->SetCamera(scene.Get());
  }

  DrawWatcher* watcher = nullptr;
  Ptr<Camera> scene;
};

struct Corner {
  float x, y, u, v;
};

// Glyph k's four corners as laid out: positions and texture coordinates.
std::vector<Corner> Corners(const TextureFont& font, int32_t glyph) {
  std::vector<Corner> corners;
  const Vector3* positions = font.GetGeometry()->GetVertices()->GetElements();
  const Vector2* uv = static_cast<Vector2Buffer*>(font.GetGeometry()->GetTexCoords(0))->GetElements();
  for (int32_t i = glyph * 4; i < glyph * 4 + 4; ++i) {
    corners.push_back({positions[i].x, positions[i].y, uv[i].x, uv[i].y});
  }
  return corners;
}

void ExpectCorners(const std::vector<Corner>& actual, const std::vector<Corner>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t i = 0; i < actual.size(); ++i) {
    SCOPED_TRACE("corner " + std::to_string(i));
    EXPECT_FLOAT_EQ(actual[i].x, expected[i].x);
    EXPECT_FLOAT_EQ(actual[i].y, expected[i].y);
    EXPECT_FLOAT_EQ(actual[i].u, expected[i].u);
    EXPECT_FLOAT_EQ(actual[i].v, expected[i].v);
  }
}

TEST_F(FontTest, GlyphsAreCutFromTheGridAndAdvanceByWidthAndSpacing) {
  // Corners: bottom left, bottom right, top right, top left; the glyph's
  // column c mod 16 and row c div 16 give u and v in sixteenths.
  struct Case {
    const char* name;
    float width, height, spacing;
    float x, y;
    std::string text;
    int32_t glyph;
    std::vector<Corner> corners;
  };
  const float s = 1.0f / 16;
  const std::vector<Case> cases = {
      {"'A' (65) at the default size", 0.04f, 0.03f, 0.0f, 0.1f, 0.9f, "A", 0,
       {{0.1f, 0.87f, 1 * s, 5 * s}, {0.14f, 0.87f, 2 * s, 5 * s}, {0.14f, 0.9f, 2 * s, 4 * s},
        {0.1f, 0.9f, 1 * s, 4 * s}}},
      {"second glyph 'b' (98) after width plus spacing", 0.1f, 0.2f, 0.05f, 0.0f, 0.5f, "ab", 1,
       {{0.15f, 0.3f, 2 * s, 7 * s}, {0.25f, 0.3f, 3 * s, 7 * s}, {0.25f, 0.5f, 3 * s, 6 * s},
        {0.15f, 0.5f, 2 * s, 6 * s}}},
      {"byte 255 takes the last cell", 0.04f, 0.03f, 0.0f, 0.0f, 1.0f, "\xff", 0,
       {{0.0f, 0.97f, 15 * s, 1}, {0.04f, 0.97f, 1, 1}, {0.04f, 1.0f, 1, 15 * s},
        {0.0f, 1.0f, 15 * s, 15 * s}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Ptr<TextureFont> font(new TextureFont());
    font->SetCharSize(c.width, c.height, c.spacing);
    font->DrawText(c.x, c.y, 0.25f, "%s", c.text.c_str());
    ExpectCorners(Corners(*font, c.glyph), c.corners);
    EXPECT_EQ(font->GetGeometry()->GetVertices()->GetElements()[c.glyph * 4].z, 0.25f);
  }
}

TEST_F(FontTest, BuffersHoldMaxCharsGlyphsAndOnlyTheStringIsDrawn) {
  struct Case {
    const char* name;
    int32_t maxChars;
    const char* text;
    int32_t drawnIndices;  // -1: no draw
  };
  for (const Case& c : {Case{"short string", 4, "ab", 12}, Case{"cut to maxChars", 4, "abcdef", 24},
                        Case{"empty string", 4, "", -1}, Case{"no glyphs at all", 0, "ab", -1},
                        Case{"negative asks for none", -3, "ab", -1}}) {
    SCOPED_TRACE(c.name);
    watcher->seen.clear();
    Ptr<TextureFont> font(new TextureFont());
    font->SetMaxChars(c.maxChars);
    const int32_t glyphs = font->GetMaxChars();
    EXPECT_EQ(glyphs, std::max(c.maxChars, 0));
    Triangles* geometry = font->GetGeometry();
    EXPECT_EQ(geometry->GetVertices()->GetCount(), 4 * glyphs);
    EXPECT_EQ(geometry->GetTexCoords(0)->GetCount(), 4 * glyphs);
    ASSERT_EQ(geometry->GetIndices()->GetCount(), 6 * glyphs);
    for (int32_t k = 0; k < glyphs; ++k) {
      const int32_t* index = geometry->GetIndices()->GetElements() + 6 * k;
      EXPECT_EQ(std::vector<int32_t>(index, index + 6),
                (std::vector<int32_t>{4 * k, 4 * k + 2, 4 * k + 1, 4 * k, 4 * k + 3, 4 * k + 2}));
    }
    font->DrawText(0, 1, 0, "%s", c.text);
    if (c.drawnIndices < 0) {
      EXPECT_TRUE(watcher->seen.empty());
    } else {
      ASSERT_EQ(watcher->seen.size(), 1u);
      EXPECT_EQ(watcher->seen[0].indices, c.drawnIndices);
      EXPECT_EQ(watcher->seen[0].camera, font->GetCamera());
    }
    // The full buffer again, and the scene's camera.
    EXPECT_EQ(geometry->GetIndices()->GetCount(), 6 * glyphs);
    EXPECT_EQ(renderer->GetCamera(), scene.Get());
  }
}

TEST_F(FontTest, DrawsBlendedOverTheQueueThroughAScreenCamera) {
  Ptr<TextureFont> font(new TextureFont(String("label")));
  font->SetColor({1.0f, 0.0f, 0.0f, 0.5f});
  EXPECT_EQ(font->GetEffect()->GetColor(), (Color{1.0f, 0.0f, 0.0f, 0.5f}));
  EXPECT_TRUE(font->GetEffect()->GetBlend());
  EXPECT_EQ(font->GetEffect()->GetSrcBlend(), 4);
  EXPECT_EQ(font->GetEffect()->GetDstBlend(), 5);

  Ptr<Triangles> queued = MakeMesh("queued", new TextureEffect());
  renderer->EnqueueSorted(queued.Get());
  renderer->SetCamera(nullptr);
  renderer->TakeCalls();
  font->DrawText(0.5f, 0.5f, 0, "x");
  std::vector<std::string> draws;
  for (const std::string& call : renderer->TakeCalls()) {
    if (call.rfind("DrawIndexed", 0) == 0) draws.push_back(call);
  }
  EXPECT_EQ(draws, (std::vector<std::string>{"DrawIndexed queued", "DrawIndexed YNX.Triangles"}));
  // No camera before, none after.
  EXPECT_EQ(renderer->GetCamera(), nullptr);
  EXPECT_EQ(font->GetEffect()->GetColor(), (Color{1.0f, 1.0f, 1.0f, 1.0f}));

  // Identity view; screen 0..1 onto the full clip range.
  const Camera& camera = *font->GetCamera();
  EXPECT_EQ(camera.GetView(), Matrix4::Identity());
  for (const auto& [in, out] : std::vector<std::pair<Vector3, Vector3>>{
           {{0, 0, 0.5f}, {-1, -1, 0.5f}}, {{1, 1, 0}, {1, 1, 0}}, {{0.25f, 0.75f, 1}, {-0.5f, 0.5f, 1}}}) {
    const Vector3 clip = camera.GetViewProjection().TransformPoint(in);
    EXPECT_FLOAT_EQ(clip.x, out.x);
    EXPECT_FLOAT_EQ(clip.y, out.y);
    EXPECT_FLOAT_EQ(clip.z, out.z);
  }
}

// A texture font "label" with maxChars `count`, size 0.05 x 0.1 and
// spacing 0.01, colour (0.5, 0.25, 1, 1), and an inline texture "glyphs".
ByteWriter FontBytes(int32_t id, int32_t count, int32_t textureId) {
  ByteWriter bytes;
  bytes.Head(id, "YNX.TextureFont", "label").I32(count).F32(0.1f).F32(0.05f).F32(0.01f);
  bytes.F32(0.5f).F32(0.25f).F32(1).F32(1);
  bytes.Head(textureId, "YNX.Texture", "glyphs").I32(0).I32(-1);
  return bytes;
}

TEST_F(FontTest, StoredFormReadsBackAndMaxCharsIsClampedOnLoad) {
  struct Case {
    int32_t stored;
    int32_t loaded;
    bool logged;
  };
  for (const Case& c : {Case{7, 7, false}, Case{0, 0, false}, Case{16383, 16383, false},
                        Case{16384, 16383, true}, Case{2000000000, 16383, true},
                        Case{-5, 0, true}}) {
    SCOPED_TRACE(c.stored);
    test::CapturedLog log;
    int32_t state = 1;
    Ptr<Object> loaded = test::ReadOne(FontBytes(1, c.stored, 2), &state);
    ASSERT_EQ(state, 0);
    auto* font = static_cast<TextureFont*>(loaded.Get());
    EXPECT_EQ(font->GetMaxChars(), c.loaded);
    EXPECT_EQ(font->GetGeometry()->GetIndices()->GetCount(), 6 * c.loaded);
    EXPECT_FLOAT_EQ(font->GetCharHeight(), 0.1f);
    EXPECT_FLOAT_EQ(font->GetCharWidth(), 0.05f);
    EXPECT_FLOAT_EQ(font->GetCharSpacing(), 0.01f);
    EXPECT_EQ(font->GetEffect()->GetColor(), (Color{0.5f, 0.25f, 1, 1}));
    ASSERT_NE(font->GetTexture(), nullptr);
    EXPECT_EQ(font->GetTexture()->GetName(), String("glyphs"));
    const std::string clamp = "WARNING. Количество символов шрифта [" + std::to_string(c.stored) +
                              "] ограничено до [" + std::to_string(c.loaded) + "]. ID[";
    EXPECT_EQ(test::HasLineStartingWith(log, clamp), c.logged);
    EXPECT_TRUE(test::SameBytes(test::Written(font),
                                FontBytes(font->GetID(), c.loaded, font->GetTexture()->GetID()).Bytes()));
  }
}

TEST_F(FontTest, EveryCutFailsWithOneErrorPerClassLevel) {
  test::ExpectOneErrorPerLevel(
      "YNX.TextureFont",
      {[](ByteWriter& w) { w.Str("n").I32(0); },
       [](ByteWriter& w) { w.I32(3).F32(0.1f).F32(0.1f).F32(0).F32(1).F32(1).F32(1).F32(1); },
       [](ByteWriter& w) { w.I32(-1); }});
}

}  // namespace
}  // namespace ynx
