#include "app/Overlay.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "app/Settings.h"
#include "engine/core/Log.h"
#include "engine/io/FileManager.h"
#include "engine/io/Image.h"
#include "engine/math/Transformation.h"
#include "engine/render/Renderer.h"
#include "engine/render/Texture.h"
#include "engine/render/TextureEffect.h"
#include "engine/scene/Camera.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/SphereBoundingVolume.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"

namespace ynx {
namespace {

constexpr int32_t BLEND_SOURCE_ALPHA = 4;
constexpr int32_t BLEND_INVERSE_SOURCE_ALPHA = 5;
constexpr Color WHITE{1.0f, 1.0f, 1.0f, 1.0f};

constexpr const char* CORNER_FILES[] = {"4loader_ld.tga", "4loader_rd.tga", "4loader_lu.tga",
                                        "4loader_ru.tga"};
constexpr const char* DIGIT_FILES[] = {
    "digit_0.tga", "digit_1.tga", "digit_2.tga", "digit_3.tga", "digit_4.tga",
    "digit_5.tga", "digit_6.tga", "digit_7.tga", "digit_8.tga", "digit_9.tga",
    "digit_a.tga", "digit_p.tga", "digit_m.tga", "digit_dot.tga", "digit_ddot.tga"};

Ptr<Texture> LoadPicture(const char* name) {
  File* file = FileManager::FindFile(String(name));
  const Ptr<Image> image = file != nullptr ? new Image(file, String(name)) : new Image(String(name));
  return new Texture(String(), image.Get());
}

Transformation Placement(float x, float y, float width, float height) {
  return Transformation(Vector3{x, y, 0.0f}, Quaternion{}, Vector3{width, height, 1.0f});
}

}  // namespace

Overlay::Overlay() = default;
Overlay::~Overlay() = default;

Matrix4 Overlay::UnitSquareProjection() {
  Matrix4 m = Matrix4::Identity();
  m.m[0] = 2.0f;
  m.m[5] = 2.0f;
  m.m[12] = -1.0f;
  m.m[13] = -1.0f;
  return m;
}

std::string Overlay::ClockText(int32_t hour, int32_t minute, int32_t second, bool hour24) {
  std::string suffix;
  if (!hour24) {
    suffix = hour < 12 ? " am " : " pm ";
    if (hour > 12) hour -= 12;
  }
  char text[48];
  std::snprintf(text, sizeof text, "%d:%s%d:%s%d%s", hour, minute > 9 ? "" : "0", minute,
                second > 9 ? "" : "0", second, suffix.c_str());
  return text;
}

float Overlay::ClockX(int32_t length, bool hour24) {
  const float half = GLYPH_WIDTH * 0.5f;
  return 1.0f - static_cast<float>(length) * GLYPH_WIDTH + (hour24 ? -half : half);
}

std::string Overlay::FpsText(double fps) {
  const double rounded = std::ceil(fps);
  // A rate beyond any display's is still printed as a bounded number.
  return std::to_string(rounded >= 0.0 && rounded < 1e9 ? static_cast<int64_t>(rounded) : 0);
}

void Overlay::Create() {
  quad = new Triangles();
  Ptr<Vector3Buffer> positions = new Vector3Buffer(6);
  Ptr<Vector2Buffer> texCoords = new Vector2Buffer(6);
  Ptr<IntBuffer> indices = new IntBuffer(6);
  static const Vector3 CORNERS[6] = {{0, 0, 0}, {1, 1, 0}, {1, 0, 0}, {0, 0, 0}, {0, 1, 0}, {1, 1, 0}};
  static const Vector2 COORDINATES[6] = {{0, 1}, {1, 0}, {1, 1}, {0, 1}, {0, 0}, {1, 0}};
  for (int32_t i = 0; i < 6; ++i) {
    positions->GetElements()[i] = CORNERS[i];
    texCoords->GetElements()[i] = COORDINATES[i];
    indices->GetElements()[i] = i;
  }
  positions->MarkChanged();
  texCoords->MarkChanged();
  indices->MarkChanged();
  quad->SetVertices(positions.Get());
  quad->SetTexCoords(0, texCoords.Get());
  quad->SetIndices(indices.Get());
  quad->UpdateRecursive(0.0, true);
  // Never culled, whatever the camera.
  const Ptr<SphereBoundingVolume> everywhere = new SphereBoundingVolume(Vector3{}, 3.4028235e38f);
  if (quad->GetWorldBound() != nullptr) quad->GetWorldBound()->CopyFrom(everywhere.Get());

  effect = new TextureEffect();
  quad->SetEffect(effect.Get());
  camera = new Camera();

  loader = LoadPicture("loader.jpg");
  LogInfo("LoadingTexture Loaded");
  for (int32_t i = 0; i < CORNER_COUNT; ++i) corners[i] = LoadPicture(CORNER_FILES[i]);
  for (int32_t i = 0; i < DIGIT_COUNT; ++i) digits[i] = LoadPicture(DIGIT_FILES[i]);
}

void Overlay::DrawQuad(Renderer& renderer, Texture* texture) {
  if (texture != nullptr) effect->SetTexture(texture);
  quad->Render(renderer);
  renderer.FlushSorted();
}

int32_t Overlay::DrawLoadingFrame(Renderer& renderer) {
  renderer.SetCamera(camera.Get());
  renderer.Clear(Renderer::CLEAR_COLOR | Renderer::CLEAR_DEPTH, Color{0.0f, 1.0f, 0.0f, 1.0f}, 1.0f, 0);
  if (renderer.BeginFrame() != 0) {
    LogError("Неудачно начало рендеринга.");
    return 1;
  }
  const Matrix4 unitSquare = UnitSquareProjection();
  camera->SetMatrices(Matrix4::Identity(), unitSquare);
  effect->SetColor(WHITE);
  effect->SetBlend(true, BLEND_SOURCE_ALPHA, BLEND_INVERSE_SOURCE_ALPHA);
  DrawQuad(renderer, loader.Get());

  const float screenWidth = static_cast<float>(std::max(renderer.GetViewportWidth(), 1));
  const float screenHeight = static_cast<float>(std::max(renderer.GetViewportHeight(), 1));
  for (int32_t corner = 0; corner < CORNER_COUNT; ++corner) {
    const Image* image = corners[corner]->GetImage();
    const float w = image != nullptr ? static_cast<float>(image->GetWidth()) / screenWidth : 0.0f;
    const float h = image != nullptr ? static_cast<float>(image->GetHeight()) / screenHeight : 0.0f;
    const float x = corner == RIGHT_DOWN || corner == RIGHT_UP ? 1.0f - w : 0.0f;
    const float y = corner == LEFT_UP || corner == RIGHT_UP ? 1.0f - h : 0.0f;
    Matrix4 placement = Matrix4::Identity();
    placement.m[0] = w;
    placement.m[5] = h;
    placement.m[12] = x;
    placement.m[13] = y;
    camera->SetMatrices(Matrix4::Identity(), Matrix4::Multiply(placement, unitSquare));
    DrawQuad(renderer, corners[corner].Get());
  }
  return 0;
}

void Overlay::ReleaseLoadingPictures(Renderer& renderer) {
  loader = nullptr;
  for (Ptr<Texture>& corner : corners) corner = nullptr;
  renderer.SetCamera(nullptr);
}

Texture* Overlay::DigitFor(char c) const {
  if (c >= '0' && c <= '9') return digits[c - '0'].Get();
  switch (c) {
    case 'a': return digits[10].Get();
    case 'p': return digits[11].Get();
    case 'm': return digits[12].Get();
    case '.': return digits[13].Get();
    case ':': return digits[14].Get();
    default: return nullptr;
  }
}

void Overlay::DrawText(Renderer& renderer, const std::string& text, float x, float y, float width,
                       float height) {
  for (const char c : text) {
    quad->SetWorldTransform(Placement(x, y, width, height));
    if (Texture* digit = DigitFor(c)) effect->SetTexture(digit);
    if (c == ' ') {
      x += width * 0.5f;
      continue;
    }
    DrawQuad(renderer, nullptr);
    x += width;
  }
}

void Overlay::Draw(Renderer& renderer, const Settings& settings, double fps) {
  renderer.FlushSorted();
  const Ptr<Camera> previous = renderer.GetCamera();
  renderer.SetCamera(camera.Get());
  camera->SetMatrices(Matrix4::Identity(), UnitSquareProjection());
  effect->SetColor(WHITE);
  if (settings.showFps) DrawText(renderer, FpsText(fps), FPS_X, FPS_Y, GLYPH_WIDTH, GLYPH_HEIGHT);
  if (settings.showTime) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const std::string clock = ClockText(local.tm_hour, local.tm_min, local.tm_sec, settings.hour24);
    DrawText(renderer, clock, ClockX(static_cast<int32_t>(clock.size()), settings.hour24), CLOCK_Y,
             GLYPH_WIDTH, GLYPH_HEIGHT);
  }
  renderer.SetCamera(previous.Get());
}

void Overlay::Destroy() {
  quad = nullptr;
  effect = nullptr;
  camera = nullptr;
  loader = nullptr;
  for (Ptr<Texture>& corner : corners) corner = nullptr;
  for (Ptr<Texture>& digit : digits) digit = nullptr;
}

}  // namespace ynx
