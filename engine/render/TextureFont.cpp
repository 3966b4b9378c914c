#include "engine/render/TextureFont.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <memory>
#include <new>

#include "engine/core/FieldReader.h"
#include "engine/core/FieldWriter.h"
#include "engine/core/Log.h"
#include "engine/render/Renderer.h"
#include "engine/render/TextureEffect.h"
#include "engine/scene/Camera.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"

namespace ynx {
namespace {

constexpr int32_t GRID = 16;
// Source alpha over one minus source alpha: glyph cells show only their ink.
constexpr int32_t BLEND_SOURCE_ALPHA = 4;
constexpr int32_t BLEND_INVERSE_SOURCE_ALPHA = 5;
constexpr Color WHITE{1.0f, 1.0f, 1.0f, 1.0f};

// Identity view; x' = 2x - 1, y' = 2y - 1, depth kept.
Matrix4 ScreenProjection() {
  Matrix4 projection = Matrix4::Identity();
  projection.m[0] = 2.0f;
  projection.m[5] = 2.0f;
  projection.m[12] = -1.0f;
  projection.m[13] = -1.0f;
  return projection;
}

}  // namespace

YNX_IMPLEMENT_CLASS(TextureFont, Font)

TextureFont::TextureFont(const String& name) : Font(name) { TextureFont::SetMaxChars(maxChars); }

int32_t TextureFont::Save(MemoryStream& stream) const {
  const Ptr<Texture> texture = GetTexture();
  return FieldWriter(stream, *this, Font::Save(stream))
      .Field("Невозможно сохранить текстуру шрифта. Имя[%s] ID[%d]", texture)
      .Status();
}

int32_t TextureFont::Load(MemoryStream& stream) {
  Ptr<Texture> texture;
  FieldReader in(stream, *this, Font::Load(stream));
  in.Field("Невозможно загрузить текстуру шрифта. ID[%d] Имя[%s]", texture);
  if (in) SetTexture(texture.Get());
  return in.Status();
}

void TextureFont::ReleaseReferences() {
  geometry = nullptr;
  camera = nullptr;
  effect = nullptr;
  Font::ReleaseReferences();
}

void TextureFont::VisitReferences(const std::function<void(Object*)>& visit) const {
  Font::VisitReferences(visit);
  if (geometry) visit(geometry.Get());
  if (camera) visit(camera.Get());
  if (effect) visit(effect.Get());
}

Texture* TextureFont::GetTexture() const { return effect ? effect->GetTexture() : nullptr; }

void TextureFont::SetTexture(Texture* texture) {
  if (effect) effect->SetTexture(texture);
}

void TextureFont::Fail(const char* message) {
  LogError(message, GetName().CStr(), GetID());
  maxChars = 0;
}

void TextureFont::SetMaxChars(int32_t count) {
  maxChars = std::clamp(count, 0, MAX_CHARS);
  if (!geometry) geometry = new (std::nothrow) Triangles();
  if (!geometry) {
    return Fail("Недостаточно памяти для создания геометрии TextureFont. Имя[%s] ID[%d].");
  }
  const int32_t vertexCount = maxChars * VERTICES_PER_CHAR;
  const int32_t indexCount = maxChars * INDICES_PER_CHAR;
  // A buffer whose array could not be had is empty.
  Ptr<Vector3Buffer> positions = new (std::nothrow) Vector3Buffer(vertexCount);
  if (!positions || positions->GetCount() != vertexCount) {
    return Fail("Недостаточно памяти для создания вершин TextureFont. Имя[%s] ID[%d].");
  }
  geometry->SetVertices(positions.Get());
  Ptr<IntBuffer> indices = new (std::nothrow) IntBuffer(indexCount);
  if (!indices || indices->GetCount() != indexCount) {
    return Fail("Недостаточно памяти для создания индексов TextureFont. Имя[%s] ID[%d].");
  }
  int32_t* index = indices->GetElements();
  for (int32_t k = 0; k < maxChars; ++k) {
    const int32_t first = k * VERTICES_PER_CHAR;
    for (const int32_t corner : {0, 2, 1, 0, 3, 2}) *index++ = first + corner;
  }
  geometry->SetIndices(indices.Get());
  Ptr<Vector2Buffer> texCoords = new (std::nothrow) Vector2Buffer(vertexCount);
  if (!texCoords || texCoords->GetCount() != vertexCount) {
    return Fail(
        "Недостаточно памяти для создания буффера текстурных координат TextureFont. Имя[%s] "
        "ID[%d].");
  }
  geometry->SetTexCoords(0, texCoords.Get());
  if (!effect) {
    effect = new (std::nothrow) TextureEffect();
    if (!effect) return Fail("Недостаточно памяти для создания эффекта TextureFont. Имя[%s] ID[%d].");
    effect->SetBlend(true, BLEND_SOURCE_ALPHA, BLEND_INVERSE_SOURCE_ALPHA);
    effect->SetColor(color);
    geometry->SetEffect(effect.Get());
  }
  if (!camera) camera = new (std::nothrow) Camera();
  if (!camera) {
    maxChars = 0;
    return;
  }
  camera->SetMatrices(Matrix4::Identity(), ScreenProjection());
}

void TextureFont::SetColor(const Color& value) {
  Font::SetColor(value);
  if (effect) effect->SetColor(value);
}

void TextureFont::DrawText(float x, float y, float z, const char* format, ...) {
  if (maxChars == 0 || !geometry || !effect || !camera || format == nullptr) return;
  const std::unique_ptr<char[]> text(new (std::nothrow) char[static_cast<size_t>(maxChars) + 1]);
  if (!text) {
    LogError("Недостаточно памяти для создания строки текста TextureFont. Имя[%s] ID[%d].",
             GetName().CStr(), GetID());
    return;
  }
  va_list arguments;
  va_start(arguments, format);
  const int32_t written = std::vsnprintf(text.get(), static_cast<size_t>(maxChars) + 1, format,
                                         arguments);
  va_end(arguments);
  const int32_t length = std::clamp(written, 0, maxChars);
  Layout(x, y, z, text.get(), length);
  Draw(length);
}

void TextureFont::Layout(float x, float y, float z, const char* text, int32_t length) {
  Vector3* corner = geometry->GetVertices()->GetElements();
  Vector2* texCoord = static_cast<Vector2Buffer*>(geometry->GetTexCoords(0))->GetElements();
  for (int32_t k = 0; k < length; ++k) {
    const auto c = static_cast<unsigned char>(text[k]);
    const float uMin = static_cast<float>(c % GRID) / GRID;
    const float uMax = static_cast<float>(c % GRID + 1) / GRID;
    const float vMin = static_cast<float>(c / GRID) / GRID;
    const float vMax = static_cast<float>(c / GRID + 1) / GRID;
    *corner++ = {x, y - charHeight, z};
    *corner++ = {x + charWidth, y - charHeight, z};
    *corner++ = {x + charWidth, y, z};
    *corner++ = {x, y, z};
    *texCoord++ = {uMin, vMax};
    *texCoord++ = {uMax, vMax};
    *texCoord++ = {uMax, vMin};
    *texCoord++ = {uMin, vMin};
    x += charWidth + charSpacing;
  }
  geometry->GetVertices()->MarkChanged();
  geometry->GetTexCoords(0)->MarkChanged();
}

void TextureFont::Draw(int32_t length) {
  Renderer* renderer = Renderer::GetCurrent();
  if (renderer == nullptr) return;
  renderer->FlushSorted();
  const Ptr<Camera> previous = renderer->GetCamera();
  renderer->SetCamera(camera.Get());
  if (!(effect->GetColor() == WHITE)) effect->SetColor(WHITE);
  if (length > 0) {
    renderer->SetCurrentGeometry(geometry.Get());
    IntBuffer* indices = geometry->GetIndices();
    const int32_t passes = effect->PassCount();
    for (int32_t pass = 0; pass < passes; ++pass) {
      if (effect->ApplyPass(pass) == 0) {
        // The pass bound the whole buffer; only the string's glyphs are drawn.
        indices->SetCount(length * INDICES_PER_CHAR);
        renderer->DrawIndexed();
        indices->SetCount(maxChars * INDICES_PER_CHAR);
      }
      renderer->PopLights();
    }
  }
  renderer->SetCamera(previous.Get());
}

}  // namespace ynx
