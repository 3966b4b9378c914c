// Shadow maps drawn by the renderer module: a box floating over a ground
// plane, lit straight down, darkens exactly its footprint on the plane by
// the shadow colour and leaves every other pixel as the scene pass drew
// it; the receiver pass covers the scene pass's pixels and no others.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/animation/SkinController.h"
#include "engine/render/ColorEffect.h"
#include "engine/render/OcclusionQuery.h"
#include "engine/render/RenderShadowmapEffectController.h"
#include "engine/render/ShadowmapEffect.h"
#include "engine/scene/Camera.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/Vector4Buffer.h"
#include "tests/render/RendererFixture.h"
#include "tests/support/NearColor.h"

namespace ynx::test {
namespace {

constexpr Vector3 DOWN{0.0f, -1.0f, 0.0f};
constexpr Color GROUND{0.6f, 0.6f, 0.6f, 1.0f};
constexpr Color SHADOW{0.2f, 0.1f, 0.0f, 0.5f};
// The box: |x|, |z| <= 1, BOX_LOW <= y <= BOX_LOW + 1. The ground: |x|, |z| <= 4 at y = 0.
constexpr float BOX_LOW = 2.5f;
constexpr float GROUND_HALF = 4.0f;

uint32_t Packed(const Color& color) {
  const auto channel = [](float value) { return static_cast<uint32_t>(std::lround(value * 255.0f)); };
  return 0xFF000000u | channel(color.red) << 16 | channel(color.green) << 8 | channel(color.blue);
}

// Quads of a box or plane, each face clockwise seen from outside (the
// default culling keeps them): corners c - u - v, c - u + v, c + u + v,
// c + u - v with u x v pointing into the solid.
Ptr<Triangles> Faces(const char* name, const std::vector<std::array<Vector3, 3>>& faces, const Color& color) {
  auto* positions = new Vector3Buffer(static_cast<int32_t>(faces.size() * 4));
  auto* indices = new IntBuffer(static_cast<int32_t>(faces.size() * 6));
  for (size_t face = 0; face < faces.size(); ++face) {
    const auto& [centre, u, v] = faces[face];
    Vector3* corner = positions->GetElements() + face * 4;
    corner[0] = centre - u - v;
    corner[1] = centre - u + v;
    corner[2] = centre + u + v;
    corner[3] = centre + u - v;
    const int32_t first = static_cast<int32_t>(face * 4);
    int32_t* index = indices->GetElements() + face * 6;
    for (const int32_t offset : {0, 1, 2, 0, 2, 3}) *index++ = first + offset;
  }
  Ptr<Triangles> mesh(new Triangles(String(name)));
  mesh->SetVertices(positions);
  mesh->SetIndices(indices);
  mesh->UpdateModelBound();
  auto* paint = new ColorEffect();
  paint->SetColor(color);
  mesh->SetEffect(paint);
  return mesh;
}

Ptr<Triangles> Box() {
  const Vector3 c{0.0f, BOX_LOW + 0.5f, 0.0f};
  const Vector3 x{1, 0, 0};
  const Vector3 y{0, 0.5f, 0};
  const Vector3 z{0, 0, 1};
  return Faces("box",
               {{c + y, x, z}, {c - y, z, x}, {c + x, z, y}, {c - x, y, z}, {c + z, y, x}, {c - z, x, y}},
               {0.2f, 0.4f, 0.8f, 1.0f});
}

Ptr<Triangles> Ground() {
  const Vector3 centre{0, 0, 0};
  const Vector3 x{GROUND_HALF, 0, 0};
  const Vector3 z{0, 0, GROUND_HALF};
  return Faces("ground", {{centre, x, z}}, GROUND);
}

// What a pixel of the 64 x 64 frame shows, traced through the camera.
enum class Seen { NOTHING, BOX, GROUND };

struct Trace {
  Seen seen = Seen::NOTHING;
  // On the ground: the distance from the box's footprint's border,
  // negative inside it.
  float footprint = 0.0f;
};

// One point of the frame, in pixels from the top left.
Trace TracePoint(const Camera& camera, float px, float py, int32_t size) {
  const Matrix4 inverse = Matrix4::Inverse(camera.GetViewProjection());
  const float x = px / static_cast<float>(size) * 2.0f - 1.0f;
  const float y = 1.0f - py / static_cast<float>(size) * 2.0f;
  const auto unproject = [&](float depth) {
    const Vector4 p = inverse.Transform({x, y, depth, 1.0f});
    return Vector3{p.x, p.y, p.z} * (1.0f / p.w);
  };
  const Vector3 from = unproject(0.0f);
  const Vector3 along = unproject(1.0f) - from;
  Trace trace;
  // The box by slabs.
  float enter = 0.0f;
  float leave = 1.0f;
  const float low[3] = {-1.0f, BOX_LOW, -1.0f};
  const float high[3] = {1.0f, BOX_LOW + 1.0f, 1.0f};
  const float origin[3] = {from.x, from.y, from.z};
  const float direction[3] = {along.x, along.y, along.z};
  for (int axis = 0; axis < 3; ++axis) {
    float t0 = (low[axis] - origin[axis]) / direction[axis];
    float t1 = (high[axis] - origin[axis]) / direction[axis];
    if (t0 > t1) std::swap(t0, t1);
    enter = std::max(enter, t0);
    leave = std::min(leave, t1);
  }
  if (enter <= leave) {
    trace.seen = Seen::BOX;
    return trace;
  }
  const float t = -from.y / along.y;
  const Vector3 hit = from + along * t;
  if (t < 0.0f || std::fabs(hit.x) > GROUND_HALF || std::fabs(hit.z) > GROUND_HALF) return trace;
  trace.seen = Seen::GROUND;
  trace.footprint = std::max(std::fabs(hit.x), std::fabs(hit.z)) - 1.0f;
  return trace;
}

// A pixel's centre and corners: what all of them see, else NOTHING (an
// edge, drawn by rasterisation rules the model does not follow), with the
// footprint distance nearest the border.
Trace TracePixel(const Camera& camera, int32_t px, int32_t py, int32_t size) {
  Trace pixel = TracePoint(camera, static_cast<float>(px) + 0.5f, static_cast<float>(py) + 0.5f, size);
  for (const float dx : {0.0f, 1.0f}) {
    for (const float dy : {0.0f, 1.0f}) {
      const Trace corner = TracePoint(camera, static_cast<float>(px) + dx, static_cast<float>(py) + dy, size);
      if (corner.seen != pixel.seen) return Trace{};
      if (std::fabs(corner.footprint) < std::fabs(pixel.footprint)) pixel.footprint = corner.footprint;
      if ((corner.footprint < 0.0f) != (pixel.footprint < 0.0f)) pixel.footprint = 0.0f;
    }
  }
  return pixel;
}

class ShadowmapPixelTest : public RendererFixture {
 protected:
  // The caps, then a root with the effect (lit straight down, the box
  // casting) over the box and the ground, in that order: the ground is
  // never drawn where the box hides it.
  void Build(const char* caps, bool perspective) {
    setenv("YNX_RENDERER_CAPS", caps, 1);
    ASSERT_EQ(Reopen(), 0);
    effect = new ShadowmapEffect();
    effect->AttachController(new RenderShadowmapEffectController());
    effect->SetShadowMap(effect->GetShadowMap());
    effect->SetShadowColor(SHADOW);
    effect->SetPerspective(perspective);
    // As the shipped scene has it: the box's top does not shadow itself.
    effect->SetBias(1000.0f, 3.09f);
    light = new Light();
    light->SetLightType(Light::LIGHT_DIRECTIONAL);
    light->SetDirection(DOWN);
    light->UpdateWorldTransform();
    effect->SetLight(light.Get());
    root = new SceneNode(String("root"), 0, 2);
    root->AddEffect(effect.Get());
    box = Box();
    root->AppendChild(box.Get());
    ground = Ground();
    root->AppendChild(ground.Get());
    Array<Node*> casters;
    casters.Append(box.Get());
    effect->SetCasters(casters);
    camera = new Camera();
  }

  // The camera 12 units back from the origin along `forward`.
  void Look(const Vector3& forward) {
    Transformation placed;
    placed.SetTranslation(forward * -12.0f);
    camera->SetLocalTransform(placed);
    camera->SetDirection(forward);
    camera->Update(0.0);
    renderer->SetCamera(camera.Get());
  }

  // Four bones at the ground's corners, each undoing its own place, all
  // weight on the first: the skin leaves the ground as it is, and its
  // bound (around the bones) covers it.
  void SkinGround() {
    const Ptr<SkinController> skin(new SkinController());
    for (const float x : {-GROUND_HALF, GROUND_HALF}) {
      for (const float z : {-GROUND_HALF, GROUND_HALF}) {
        const Ptr<Node> bone(new Node());
        bone->SetLocalTransform(Transformation({x, 0, z}, {}, {1, 1, 1}));
        bone->UpdateWorldTransform();
        skin->AddBone(bone.Get(), Transformation({-x, 0, -z}, {}, {1, 1, 1}));
        skeleton.push_back(bone);
      }
    }
    const int32_t count = ground->GetVertices()->GetCount();
    auto* weights = new Vector4Buffer(count);
    for (int32_t i = 0; i < count; ++i) weights->GetElements()[i] = {1, 0, 0, 0};
    skin->SetBindVertices(ground->GetVertices());
    skin->SetWeights(weights);
    skin->SetBoneIndices(new Vector4Buffer(count));
    ground->AttachController(skin.Get());
    static_cast<ColorEffect*>(ground->GetEffect())->SetSkin(skin.Get());
  }

  // One frame of the scene; with a query, counting what the scene draws.
  void SceneFrame(OcclusionQuery* query = nullptr) {
    root->UpdateRecursive(0.0, false);
    renderer->Clear(Renderer::CLEAR_COLOR | Renderer::CLEAR_DEPTH, Color{0, 0, 0, 1}, 1.0f, 0);
    ASSERT_EQ(renderer->BeginFrame(), 0);
    if (query != nullptr) renderer->BeginQuery(query);
    root->Render(*renderer);
    renderer->FlushSorted();
    if (query != nullptr) renderer->EndQuery(query);
    renderer->EndFrame();
  }

  Ptr<ShadowmapEffect> effect;
  Ptr<Light> light;
  Ptr<SceneNode> root;
  Ptr<Triangles> box;
  Ptr<Triangles> ground;
  std::vector<Ptr<Node>> skeleton;
  Ptr<Camera> camera;
};

TEST_F(ShadowmapPixelTest, TheBoxDarkensExactlyItsFootprint) {
  const float s = std::sqrt(1.0f - 0.97f * 0.97f);
  struct Case {
    const char* caps;
    bool perspective;
    Vector3 forward;
    bool shadowed;
    // Ground pixels this close to the footprint's border are not judged:
    // a texel of the map and the filter's blur.
    float margin;
    bool warped;
    // The ground sways (it lies at height 0, so nothing moves): its
    // receiver program is the 2.0 swaying one beside the 1.1 pixel program.
    bool swaying = false;
    // The ground is skinned on the device to bones that leave it where it
    // is: the skinned receiver program with the skin's blend streams.
    bool skinned = false;
  };
  for (const Case& c : {Case{"", false, {0, -0.8f, 0.6f}, true, 0.2f, false},
                        Case{"", false, {0, -0.8f, 0.6f}, true, 0.2f, false, true},
                        Case{"", false, {0, -0.8f, 0.6f}, true, 0.2f, false, false, true},
                        Case{"vs=1.1,ps=1.1", false, {0, -0.8f, 0.6f}, true, 0.2f, false},
                        Case{"depthtextures=0", false, {0, -0.8f, 0.6f}, false, 0.0f, false},
                        Case{"ps=none", false, {0, -0.8f, 0.6f}, false, 0.0f, false},
                        // Within 0.95 of the light's direction: uniform all the same.
                        Case{"", true, {0, -0.97f, s}, true, 0.2f, false},
                        Case{"", true, {0.6f, -0.6f, 0.52915f}, true, 0.35f, true}}) {
    SCOPED_TRACE(std::string("caps \"") + c.caps + "\", perspective " + std::to_string(c.perspective) +
                 ", swaying " + std::to_string(c.swaying) +
                 ", skinned " + std::to_string(c.skinned));
    Build(c.caps, c.perspective);
    static_cast<ColorEffect*>(ground->GetEffect())->SetSway(c.swaying);
    if (c.skinned) SkinGround();
    Look(c.forward);
    for (int frame = 0; frame < 2; ++frame) SceneFrame();
    if (c.shadowed) {
      EXPECT_EQ(effect->GetLightCamera()->GetProjection().m[11] != 0.0f, c.warped);
    }
    const std::vector<uint32_t> pixels = ReadBack();
    ASSERT_EQ(pixels.size(), size_t{SIZE * SIZE});
    const uint32_t lit = Packed(GROUND);
    const uint32_t dark = Packed({GROUND.red * (1 - SHADOW.alpha) + SHADOW.red * SHADOW.alpha,
                                  GROUND.green * (1 - SHADOW.alpha) + SHADOW.green * SHADOW.alpha,
                                  GROUND.blue * (1 - SHADOW.alpha) + SHADOW.blue * SHADOW.alpha, 1});
    int32_t inside = 0;
    int32_t outside = 0;
    for (int32_t y = 0; y < SIZE; ++y) {
      for (int32_t x = 0; x < SIZE; ++x) {
        const Trace trace = TracePixel(*camera, x, y, SIZE);
        if (trace.seen != Seen::GROUND || std::fabs(trace.footprint) < c.margin) continue;
        const bool under = trace.footprint < 0.0f;
        (under ? inside : outside) += 1;
        const uint32_t expected = under && c.shadowed ? dark : lit;
        EXPECT_TRUE(NearColor(At(pixels, x, y), expected, under && c.shadowed ? 2 : 1, false))
            << "pixel (" << x << ", " << y << ")";
      }
    }
    EXPECT_GE(inside, 8);
    EXPECT_GE(outside, 200);
  }
}

TEST_F(ShadowmapPixelTest, TheReceiverPassCoversTheScenePassPixels) {
  Build("", false);
  Look({0, -0.8f, 0.6f});
  SceneFrame();
  Ptr<OcclusionQuery> query(new OcclusionQuery());
  SceneFrame(query.Get());
  const std::vector<uint32_t> pixels = ReadBack();
  const auto covered = std::count_if(pixels.begin(), pixels.end(), [](uint32_t p) { return (p & 0xFFFFFF) != 0; });
  EXPECT_GT(covered, SIZE * SIZE / 4);
  // The scene pass draws each covered pixel once, the receiver pass again.
  EXPECT_EQ(query->GetVisiblePixels(), static_cast<uint32_t>(2 * covered));
}

}  // namespace
}  // namespace ynx::test
