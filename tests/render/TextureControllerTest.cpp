// Controllers of textures and texture effects: the flip-book, the height
// map turned into a normal map through the effect's update, and their
// stored forms.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/render/NormalmapTextureController.h"
#include "engine/render/TextureAnimation.h"
#include "engine/render/TextureAnimationController.h"
#include "engine/render/TextureEffect.h"
#include "engine/scene/SceneNode.h"
#include "tests/scene/SceneTestClasses.h"
#include "tests/support/CapturedLog.h"
#include "tests/support/CutStreams.h"

namespace ynx {
namespace {

using test::ByteWriter;

Ptr<Texture> Page(int index) {
  return Ptr<Texture>(new Texture(String(("page " + std::to_string(index)).c_str())));
}

TEST(FlipBookTest, TheTextureChangesExactlyWhenTheKeyDoes) {
  struct Case {
    const char* what;
    std::vector<double> keyTimes;  // key k shows page k
    bool active;
    bool onTextureEffect;
    // The page shown after each half-second step of a four-second track;
    // -1 the cover the effect started with.
    std::vector<int> shown;
  };
  const Case cases[] = {
      {"four pages", {0.0, 0.25, 0.5, 0.75}, true, true, {0, 1, 1, 2, 2, 3, 3, 0, 0}},
      {"pages from a quarter on", {0.25, 0.5}, true, true, {1, 0, 0, 1, 1, 1, 1, 1, 1}},
      {"no pages", {}, true, true, {-1, -1, -1, -1, -1, -1, -1, -1, -1}},
      {"inactive", {0.0, 0.5}, false, true, {-1, -1, -1, -1, -1, -1, -1, -1, -1}},
      {"on a colour effect", {0.0, 0.5}, true, false, {-1, -1, -1, -1, -1, -1, -1, -1, -1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<Ptr<Texture>> pages;
    Ptr<TextureAnimation> book(new TextureAnimation(String("book")));
    for (size_t k = 0; k < c.keyTimes.size(); ++k) {
      pages.push_back(Page(static_cast<int>(k)));
      book->AddTextureKey(c.keyTimes[k], pages.back().Get());
    }
    auto* flipper = new TextureAnimationController();
    flipper->AddAnimation(book.Get());
    flipper->AddFrame(AnimationFrame{book, AnimationFrame::MODE_LOOP, 0.0, 1.0, 1.0, 0.0});
    flipper->SetPeriod(4.0);
    flipper->SetActive(c.active);
    const Ptr<Texture> cover = Page(-1);
    Ptr<TextureEffect> effect(new TextureEffect());
    effect->SetTexture(cover.Get());
    Ptr<ColorEffect> plain(new ColorEffect());
    (c.onTextureEffect ? static_cast<Object&>(*effect) : *plain).AttachController(flipper);
    for (size_t step = 0; step < c.shown.size(); ++step) {
      SCOPED_TRACE("step " + std::to_string(step));
      effect->Update(0.5);
      plain->Update(0.5);
      const int page = c.shown[step];
      EXPECT_EQ(effect->GetTexture(), page < 0 ? cover.Get() : pages[static_cast<size_t>(page)].Get());
    }
  }
}

// The bytes of the image after conversion.
std::vector<uint8_t> Pixels(const Image& image) {
  return {image.GetData(), image.GetData() + image.GetDataSize()};
}

TEST(NormalMapTest, AGreyHeightMapBecomesANormalMapOnce) {
  struct Case {
    const char* what;
    uint32_t width;
    uint32_t height;
    std::vector<uint8_t> heights;  // rows from the bottom
    float bumpScale;
    bool withAlpha;
    std::vector<uint8_t> expected;
  };
  const Case cases[] = {
      {"flat", 2, 2, {77, 77, 77, 77}, 5.0f, false,
       {128, 128, 255, 128, 128, 255, 128, 128, 255, 128, 128, 255}},
      // dx = +-1: n = (+-0.7071, 0, 0.7071), wrapping at the right edge.
      {"a slope along x", 2, 1, {255, 0}, 1.0f, false, {217, 128, 217, 38, 128, 217}},
      {"a slope along y with the height as alpha", 1, 2, {0, 255}, 1.0f, true,
       {128, 38, 217, 0, 128, 217, 217, 255}},
      // dx = 5 (1 - 0.2) = 4: n = (4, 0, 1) / sqrt(17).
      {"a steep step", 2, 1, {255, 51}, 5.0f, false, {251, 128, 158, 4, 128, 158}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Ptr<Image> image(new Image(String("height"), Image::FORMAT_GREY, c.width, c.height));
    std::copy(c.heights.begin(), c.heights.end(), image->GetData());
    Ptr<Texture> texture(new Texture(String("bumps"), image.Get()));
    auto* normals = new NormalmapTextureController();
    normals->SetBumpScale(c.bumpScale);
    normals->SetWithAlpha(c.withAlpha);
    texture->AttachController(normals);
    Ptr<TextureEffect> effect(new TextureEffect());
    effect->SetTexture(texture.Get());
    texture->GetBinding().changed = false;

    effect->Update(0.04);
    EXPECT_TRUE(normals->IsDone());
    EXPECT_EQ(image->GetFormat(), c.withAlpha ? Image::FORMAT_RGBA : Image::FORMAT_RGB);
    EXPECT_EQ(Pixels(*image), c.expected);
    EXPECT_TRUE(texture->GetBinding().changed);

    texture->GetBinding().changed = false;
    effect->Update(0.04);
    EXPECT_FALSE(texture->GetBinding().changed) << "converted once, marked once";
    EXPECT_EQ(Pixels(*image), c.expected);
  }
}

TEST(NormalMapTest, AColourImageIsWaitedOnAndOtherOwnersEndTheWork) {
  Ptr<Image> colour(new Image(String("colour"), Image::FORMAT_RGB, 1, 1));
  std::fill(colour->GetData(), colour->GetData() + 3, uint8_t{9});
  Ptr<Texture> texture(new Texture(String("bumps"), colour.Get()));
  auto* normals = new NormalmapTextureController();
  texture->AttachController(normals);
  Ptr<TextureEffect> effect(new TextureEffect());
  effect->SetTexture(texture.Get());
  texture->GetBinding().changed = false;
  for (int frame = 0; frame < 3; ++frame) {
    effect->Update(0.04);
    EXPECT_FALSE(normals->IsDone());
    EXPECT_FALSE(texture->GetBinding().changed) << "nothing to upload while waiting";
    EXPECT_EQ(Pixels(*colour), (std::vector<uint8_t>{9, 9, 9}));
  }
  // The grey image arrives later: converted at the next update.
  Ptr<Image> grey(new Image(String("grey"), Image::FORMAT_GREY, 1, 1));
  grey->GetData()[0] = 200;
  texture->SetImage(grey.Get());
  effect->Update(0.04);
  EXPECT_TRUE(normals->IsDone());
  EXPECT_EQ(Pixels(*grey), (std::vector<uint8_t>{128, 128, 255}));

  // On something that is not a texture there is nothing to wait for.
  Ptr<SceneNode> node(new SceneNode(String("node"), 0, 1));
  auto* lost = new NormalmapTextureController();
  node->AttachController(lost);
  node->UpdateRecursive(0.04, false);
  EXPECT_TRUE(lost->IsDone());
}

// A flip-book of two keys showing one texture, stored inline with the first.
ByteWriter& BookBytes(ByteWriter& w, int32_t id, int32_t textureId) {
  w.Head(id, "YNX.TextureAnimation", "book").I32(2).F64(0.0);
  w.Head(textureId, "YNX.Texture", "page").I32(0).I32(-1);
  return w.F64(0.5).I32(textureId);
}

ByteWriter FlipperBytes(int32_t id, int32_t bookId, int32_t textureId) {
  ByteWriter w;
  w.Head(id, "YNX.TextureAnimationController", "flipper").I8(1).I32(1);
  BookBytes(w, bookId, textureId).I32(1);
  return w.I32(bookId).I32(1).F64(0).F64(1).F64(1).F64(0).F64(4.0);
}

ByteWriter BumpBytes(int32_t id) {
  ByteWriter w;
  w.Head(id, "YNX.NormalmapTextureController", "bump").I8(1);
  return w.F32(2.5f).I8(1);
}

TEST(TextureControllerStreamTest, FlipBooksAndNormalMapsReadAndWriteTheirBytes) {
  int32_t state = 1;
  Ptr<Object> loaded = test::ReadOne(FlipperBytes(1, 2, 3), &state);
  ASSERT_EQ(state, 0);
  auto* flipper = static_cast<TextureAnimationController*>(loaded.Get());
  ASSERT_EQ(flipper->GetAnimationCount(), 1);
  auto* book = static_cast<TextureAnimation*>(flipper->GetAnimation(0));
  ASSERT_EQ(book->GetKeyCount(), 2);
  Texture* page = book->GetTextureKey(0).texture.Get();
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(book->GetTextureKey(1).texture.Get(), page);
  EXPECT_EQ(book->GetKey(1).time, 0.5);
  EXPECT_EQ(flipper->GetPeriod(), 4.0);
  EXPECT_EQ(book->FindByName(String("page")), page) << "searches go on into the pages";
  Array<Object*> textures;
  book->CollectByType(Texture::Type(), textures);
  EXPECT_EQ(textures.Count(), 2u);
  std::vector<Object*> held;
  book->VisitReferences([&](Object* object) { held.push_back(object); });
  EXPECT_EQ(held, (std::vector<Object*>{page, page}));
  EXPECT_TRUE(test::SameBytes(test::Written(flipper),
                              FlipperBytes(flipper->GetID(), book->GetID(), page->GetID()).Bytes()));

  loaded = test::ReadOne(BumpBytes(5), &state);
  ASSERT_EQ(state, 0);
  auto* bump = static_cast<NormalmapTextureController*>(loaded.Get());
  EXPECT_EQ(bump->GetBumpScale(), 2.5f);
  EXPECT_TRUE(bump->GetWithAlpha());
  EXPECT_FALSE(bump->IsDone());
  EXPECT_TRUE(test::SameBytes(test::Written(bump), BumpBytes(bump->GetID()).Bytes()));
}

TEST(TextureControllerStreamTest, EveryCutFailsWithItsFieldsMessage) {
  ByteWriter book;
  BookBytes(book, 1, 2);
  const int32_t secondKey = book.Size() - 12;
  const std::string time = "родительские данные кифрейма.";
  const std::string page = "текстуру кифрейма.";
  test::ExpectCutsFail(
      book, {{secondKey, "Невозможно загрузить " + time, "Невозможно сохранить " + time},
             {secondKey + 8, "Невозможно загрузить " + page, "Невозможно сохранить " + page}});
  ByteWriter head;
  head.Head(1, "YNX.NormalmapTextureController", "bump").I8(1);
  test::ExpectCutsFail(BumpBytes(1), {{head.Size(), "Невозможно загрузить коэффициент бампа. ID[",
                                       "Невозможно сохранить коэффициент бампа. Имя["}});

  const test::ClassPart object = [](ByteWriter& w) { w.Str("n").I32(0); };
  const test::ClassPart controller = [](ByteWriter& w) { w.I8(1); };
  test::ExpectOneErrorPerLevel("YNX.TextureAnimation", {object, [](ByteWriter& w) { w.I32(0); }});
  test::ExpectOneErrorPerLevel("YNX.TextureAnimationController",
                               {object, controller, [](ByteWriter& w) { w.I32(0).I32(0).F64(4); }});
  test::ExpectOneErrorPerLevel("YNX.NormalmapTextureController",
                               {object, controller, [](ByteWriter& w) { w.F32(1).I8(0); }});

  test::CapturedLog log;
  ByteWriter wrong;
  wrong.Head(1, "YNX.TextureAnimation", "book").I32(1).F64(0.0);
  wrong.Head(2, "YNX.Vector3Buffer", "v").I32(0);
  int32_t state = 0;
  EXPECT_FALSE(test::ReadOne(wrong, &state));
  EXPECT_EQ(state, 1);
  EXPECT_TRUE(log.Contains(
      "ERROR. Неверный тип объекта. RTTI[YNX.Vector3Buffer] ID[2] Ожидался[YNX.Texture]"));
  EXPECT_TRUE(log.Contains("ERROR. Невозможно загрузить текстуру кифрейма."));
}

}  // namespace
}  // namespace ynx
