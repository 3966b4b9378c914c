#include <gtest/gtest.h>

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/io/BMPImageCodec.h"
#include "engine/io/CUBEImageCodec.h"
#include "engine/io/CodecManager.h"
#include "engine/io/JPGImageCodec.h"
#include "engine/io/TGAImageCodec.h"
#include "engine/io/VolumeImage.h"
#include "tests/io/ImageFiles.h"
#include "tests/support/ByteWriter.h"

namespace ynx {
namespace {

using test::ByteWriter;

std::vector<uint8_t> Concat(std::vector<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

std::vector<uint8_t> Cut(const std::vector<uint8_t>& bytes, size_t count) {
  return {bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(count)};
}

int32_t LoadBytes(ImageCodec& codec, const char* name, const std::vector<uint8_t>& bytes,
                  Image& image) {
  auto file = test::MemoryFileOf(name, bytes);
  return codec.Load(file.get(), &image);
}

// Saves through the codec to a disk file and loads the file back.
int32_t SaveAndLoad(ImageCodec& codec, const char* name, Image& image, Image& loaded,
                    std::vector<uint8_t>* bytes = nullptr) {
  const std::string path = test::TempPath(name);
  File file{String(path.c_str())};
  const int32_t saved = codec.Save(&file, &image);
  if (saved != 0) return saved;
  if (bytes != nullptr) *bytes = test::ReadDiskFile(path);
  const int32_t status = codec.Load(&file, &loaded);
  std::remove(path.c_str());
  return status;
}

TEST(ImageCodecTest, EachCodecIsFoundByItsExtensions) {
  const std::vector<std::pair<const char*, std::vector<const char*>>> codecs = {
      {BMPImageCodec::NAME, {"BMP", "bmp", "Bmp"}},
      {JPGImageCodec::NAME, {"JPG", "jpg", "Jpg", "JPEG", "jpeg", "Jpeg"}},
      {TGAImageCodec::NAME, {"TGA", "tga", "Tga"}},
      {CUBEImageCodec::NAME, {"CUBE", "cube", "Cube"}},
  };
  for (const auto& [name, extensions] : codecs) {
    Codec* codec = nullptr;
    ASSERT_EQ(CodecManager::GetCodec(String(name), &codec), 0) << name;
    EXPECT_EQ(codec->GetKind(), Codec::KIND_IMAGE);
    for (const char* extension : extensions) {
      MemoryFile file{String("picture.") + extension};
      EXPECT_EQ(CodecManager::FindCodecForFile(&file), codec) << extension;
    }
  }
  MemoryFile odd{String("picture.bMp")};
  EXPECT_EQ(CodecManager::FindCodecForFile(&odd), nullptr) << "extensions are case-sensitive";
}

// --- BMP ---

ByteWriter BmpHeaders(int32_t width, int32_t height, int16_t bits, int32_t pixelBytes = 0,
                      int32_t offset = 54, int32_t compression = 0) {
  ByteWriter bytes;
  bytes.I16(0x4D42).I32(54 + pixelBytes).I16(0).I16(0).I32(offset);
  bytes.I32(40).I32(width).I32(height).I16(1).I16(bits).I32(compression);
  return bytes.I32(pixelBytes).I32(3780).I32(3780).I32(0).I32(0);
}

TEST(BMPImageCodecTest, RowsArePaddedToWholeWordsAndReadWithoutSkew) {
  BMPImageCodec codec;
  const Ptr<Image> image = test::PatternImage(Image::FORMAT_RGB, 255, 3);
  Image loaded;
  std::vector<uint8_t> file;
  ASSERT_EQ(SaveAndLoad(codec, "ynx_wide.bmp", *image, loaded, &file), 0);
  ASSERT_EQ(file.size(), 54u + 3 * 768) << "765 bytes of pixels padded to 768";
  EXPECT_EQ(Cut(file, 54), BmpHeaders(255, 3, 24, 3 * 768).Bytes());
  const uint8_t* row1 = file.data() + 54 + 768;
  const uint8_t* pixel = image->GetData() + 765;
  EXPECT_EQ((std::vector<uint8_t>{row1[0], row1[1], row1[2]}),
            (std::vector<uint8_t>{pixel[2], pixel[1], pixel[0]}))
      << "file rows start from row 0, as BGR";
  EXPECT_EQ((std::vector<uint8_t>{file[54 + 765], file[54 + 766], file[54 + 767]}),
            (std::vector<uint8_t>{0, 0, 0}));
  EXPECT_EQ(loaded.GetWidth(), 255u);
  EXPECT_EQ(loaded.GetHeight(), 3u);
  EXPECT_EQ(loaded.GetFormat(), Image::FORMAT_RGB);
  EXPECT_EQ(test::Pixels(loaded), test::Pixels(*image));
}

TEST(BMPImageCodecTest, GreyRoundTripsAndTopDownFilesAreTurnedUpright) {
  BMPImageCodec codec;
  const Ptr<Image> grey = test::PatternImage(Image::FORMAT_GREY, 5, 4);
  Image loaded;
  std::vector<uint8_t> file;
  ASSERT_EQ(SaveAndLoad(codec, "ynx_grey.bmp", *grey, loaded, &file), 0);
  EXPECT_EQ(file.size(), 54u + 4 * 8);
  EXPECT_EQ(loaded.GetFormat(), Image::FORMAT_GREY);
  EXPECT_EQ(test::Pixels(loaded), test::Pixels(*grey));

  // 8-bit with a colour table before the pixels, stored top first.
  ByteWriter topDown = BmpHeaders(2, -2, 8, 8, 54 + 8);
  topDown.I32(0).I32(0x00FFFFFF);
  topDown.Raw("\x01\x02\x00\x00\x03\x04\x00\x00", 8);
  Image upright;
  ASSERT_EQ(LoadBytes(codec, "top.bmp", topDown.Bytes(), upright), 0);
  EXPECT_EQ(upright.GetHeight(), 2u);
  EXPECT_EQ(test::Pixels(upright), (std::vector<uint8_t>{3, 4, 1, 2}));
}

TEST(BMPImageCodecTest, OnlyRgbAndGreyAreSaved) {
  BMPImageCodec codec;
  File file{String(test::TempPath("ynx_never.bmp").c_str())};
  const Ptr<Image> rgba = test::PatternImage(Image::FORMAT_RGBA, 2, 2);
  EXPECT_EQ(codec.Save(&file, rgba.Get()), 3);
  Image depth(String(), Image::FORMAT_DEPTH, 2, 2);
  EXPECT_EQ(codec.Save(&file, &depth), 3);
  EXPECT_EQ(codec.Save(nullptr, rgba.Get()), 1);
  EXPECT_EQ(codec.Save(&file, nullptr), 1);
  Image empty;
  EXPECT_EQ(codec.Save(&file, &empty), 1) << "no pixels";
  MemoryFile readOnly{String("x.bmp")};
  const Ptr<Image> rgb = test::PatternImage(Image::FORMAT_RGB, 2, 2);
  EXPECT_EQ(codec.Save(&readOnly, rgb.Get()), 1);
}

TEST(BMPImageCodecTest, BadFilesFailCleanly) {
  BMPImageCodec codec;
  Image image;
  EXPECT_EQ(codec.Load(nullptr, &image), 3);
  const std::vector<uint8_t> good = Concat({BmpHeaders(1, 1, 24).Bytes(), {1, 2, 3, 0}});
  ASSERT_EQ(LoadBytes(codec, "a.bmp", good, image), 0);
  EXPECT_EQ(codec.Load(test::MemoryFileOf("a.bmp", good).get(), nullptr), 3);
  // Cut at every field boundary of the headers, and inside the pixels.
  for (size_t cut : {0, 2, 6, 8, 10, 14, 18, 22, 26, 28, 30, 34, 38, 42, 46, 50, 53, 54, 56}) {
    EXPECT_EQ(LoadBytes(codec, "a.bmp", Cut(good, cut), image), 1) << cut;
  }
  const std::vector<std::pair<const char*, ByteWriter>> broken = {
      {"offset inside the headers", BmpHeaders(1, 1, 24, 4, 40)},
      {"offset past the end", BmpHeaders(1, 1, 24, 4, 1000)},
      {"32 bits", BmpHeaders(1, 1, 32)},
      {"compressed", BmpHeaders(1, 1, 24, 4, 54, 1)},
      {"zero width", BmpHeaders(0, 1, 24)},
      {"negative width", BmpHeaders(-1, 1, 24)},
      {"zero height", BmpHeaders(1, 0, 24)},
      {"height of INT32_MIN", BmpHeaders(1, INT32_MIN, 24)},
      {"overflowing size", BmpHeaders(INT32_MAX, INT32_MAX, 24)},
      {"more pixels than the file", BmpHeaders(4000, 4000, 24)},
  };
  for (const auto& [what, headers] : broken) {
    const std::vector<uint8_t> bytes = Concat({headers.Bytes(), {1, 2, 3, 0}});
    EXPECT_EQ(LoadBytes(codec, "a.bmp", bytes, image), 1) << what;
  }
  EXPECT_EQ(image.GetDataSize(), 3u) << "failed loads leave the last good picture";
  EXPECT_EQ(test::Pixels(image), (std::vector<uint8_t>{3, 2, 1}));
}

// --- TGA ---

ByteWriter TgaHeader(uint8_t type, uint16_t width, uint16_t height, uint8_t bits,
                     uint8_t descriptor, uint8_t idLength = 0) {
  ByteWriter bytes;
  bytes.I8(static_cast<int8_t>(idLength)).I8(0).I8(static_cast<int8_t>(type));
  bytes.Raw("\0\0\0\0\0", 5).I16(0).I16(0);
  bytes.I16(static_cast<int16_t>(width)).I16(static_cast<int16_t>(height));
  return bytes.I8(static_cast<int8_t>(bits)).I8(static_cast<int8_t>(descriptor));
}

TEST(TGAImageCodecTest, TheOriginDecidesWhetherBytesAreTurnedIntoRgb) {
  TGAImageCodec codec;
  const std::vector<uint8_t> pixels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  Image bottom;
  ASSERT_EQ(LoadBytes(codec, "a.tga", Concat({TgaHeader(2, 2, 2, 32, 8).Bytes(), pixels}), bottom), 0);
  EXPECT_EQ(bottom.GetFormat(), Image::FORMAT_RGBA);
  EXPECT_EQ(bottom.GetWidth(), 2u);
  EXPECT_EQ(test::Pixels(bottom),
            (std::vector<uint8_t>{3, 2, 1, 4, 7, 6, 5, 8, 11, 10, 9, 12, 15, 14, 13, 16}));
  Image top;
  ASSERT_EQ(LoadBytes(codec, "a.tga", Concat({TgaHeader(2, 2, 2, 32, 0x28).Bytes(), pixels}), top), 0);
  EXPECT_EQ(test::Pixels(top), pixels) << "a top-origin file stays exactly as stored";

  // An image ID is skipped; the colour map type is not looked at.
  Image withId;
  ASSERT_EQ(LoadBytes(codec, "a.tga",
                      Concat({TgaHeader(2, 1, 1, 24, 0, 3).Bytes(), {9, 9, 9}, {1, 2, 3}}), withId), 0);
  EXPECT_EQ(test::Pixels(withId), (std::vector<uint8_t>{3, 2, 1}));
}

TEST(TGAImageCodecTest, RunLengthPacketsRepeatOrCopyPixels) {
  TGAImageCodec codec;
  Image image;
  ASSERT_EQ(LoadBytes(codec, "a.tga", Concat({TgaHeader(10, 4, 1, 24, 0).Bytes(), {0x83, 10, 20, 30}}),
                      image), 0);
  EXPECT_EQ(test::Pixels(image), (std::vector<uint8_t>{30, 20, 10, 30, 20, 10, 30, 20, 10, 30, 20, 10}));

  ASSERT_EQ(LoadBytes(codec, "a.tga",
                      Concat({TgaHeader(10, 3, 1, 32, 0x28).Bytes(),
                              {0x01, 1, 2, 3, 4, 5, 6, 7, 8, 0x80, 9, 10, 11, 12}}),
                      image), 0);
  EXPECT_EQ(test::Pixels(image), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));

  // A packet that runs past the picture, and packets that stop short.
  EXPECT_EQ(LoadBytes(codec, "a.tga", Concat({TgaHeader(10, 2, 1, 24, 0).Bytes(), {0x83, 1, 2, 3}}), image), 1);
  EXPECT_EQ(LoadBytes(codec, "a.tga", Concat({TgaHeader(10, 2, 1, 24, 0).Bytes(), {0x02, 1, 2, 3, 4, 5, 6}}), image), 1);
  EXPECT_EQ(LoadBytes(codec, "a.tga", Concat({TgaHeader(10, 4, 1, 24, 0).Bytes(), {0x81, 1, 2, 3}}), image), 1);
  EXPECT_EQ(LoadBytes(codec, "a.tga", Concat({TgaHeader(10, 4, 1, 24, 0).Bytes(), {0x01, 1, 2, 3, 4}}), image), 1);
  EXPECT_EQ(LoadBytes(codec, "a.tga", Concat({TgaHeader(10, 1000, 1000, 24, 0).Bytes(), {0xFF, 1, 2, 3}}), image), 1)
      << "far fewer packets than the picture needs";
  EXPECT_EQ(image.GetDataSize(), 12u) << "failed loads leave the last good picture";
}

TEST(TGAImageCodecTest, BadFilesFailCleanly) {
  TGAImageCodec codec;
  Image image;
  EXPECT_EQ(codec.Load(nullptr, &image), 3);
  const std::vector<uint8_t> good = Concat({TgaHeader(2, 1, 2, 24, 0).Bytes(), {1, 2, 3, 4, 5, 6}});
  EXPECT_EQ(codec.Load(test::MemoryFileOf("a.tga", good).get(), nullptr), 3);
  for (size_t cut : {0, 1, 2, 3, 8, 10, 12, 14, 16, 17, 18, 21, 23}) {
    EXPECT_EQ(LoadBytes(codec, "a.tga", Cut(good, cut), image), 1) << cut;
  }
  const std::vector<uint8_t> pixels(64, 7);
  for (const auto& [what, header] : std::vector<std::pair<const char*, ByteWriter>>{
           {"16 bits", TgaHeader(2, 2, 2, 16, 0)},
           {"8 bits", TgaHeader(2, 2, 2, 8, 0)},
           {"colour-mapped", TgaHeader(1, 2, 2, 24, 0)},
           {"grey", TgaHeader(3, 2, 2, 24, 0)},
           {"zero width", TgaHeader(2, 0, 2, 24, 0)},
           {"zero height", TgaHeader(10, 2, 0, 24, 0)},
           {"beyond any block", TgaHeader(2, 65535, 65535, 32, 0)},
           {"more pixels than the file", TgaHeader(2, 100, 100, 24, 0)},
       }) {
    EXPECT_EQ(LoadBytes(codec, "a.tga", Concat({header.Bytes(), pixels}), image), 1) << what;
  }
  EXPECT_EQ(image.GetData(), nullptr);
}

TEST(TGAImageCodecTest, SavedFilesAreBottomOriginAndLoadBackUnchanged) {
  TGAImageCodec codec;
  for (const int32_t format : {Image::FORMAT_RGB, Image::FORMAT_RGBA}) {
    SCOPED_TRACE(format);
    const Ptr<Image> image = test::PatternImage(format, 5, 3);
    Image loaded;
    std::vector<uint8_t> file;
    ASSERT_EQ(SaveAndLoad(codec, "ynx_pattern.tga", *image, loaded, &file), 0);
    const bool alpha = format == Image::FORMAT_RGBA;
    EXPECT_EQ(Cut(file, 18), TgaHeader(2, 5, 3, alpha ? 32 : 24, alpha ? 8 : 0).Bytes())
        << "bottom origin, alpha bits counted";
    ASSERT_EQ(file.size(), 18 + image->GetDataSize());
    EXPECT_EQ((std::vector<uint8_t>{file[18], file[19], file[20]}),
              (std::vector<uint8_t>{image->GetData()[2], image->GetData()[1], image->GetData()[0]}))
        << "row 0 first, as BGR";
    EXPECT_EQ(loaded.GetFormat(), format);
    EXPECT_EQ(loaded.GetWidth(), 5u);
    EXPECT_EQ(loaded.GetHeight(), 3u);
    EXPECT_EQ(test::Pixels(loaded), test::Pixels(*image));
  }

  File target{String(test::TempPath("ynx_never.tga").c_str())};
  const Ptr<Image> grey = test::PatternImage(Image::FORMAT_GREY, 2, 2);
  EXPECT_EQ(codec.Save(&target, grey.Get()), 3);
  Image depth(String(), Image::FORMAT_DEPTH, 2, 2);
  EXPECT_EQ(codec.Save(&target, &depth), 3);
  Image empty;
  EXPECT_EQ(codec.Save(&target, &empty), 1);
  EXPECT_EQ(codec.Save(nullptr, grey.Get()), 1);
  const Ptr<Image> wide = test::PatternImage(Image::FORMAT_RGB, 65536, 1);
  EXPECT_EQ(codec.Save(&target, wide.Get()), 1) << "too wide for the header";
}

// --- CUBE ---

TEST(CUBEImageCodecTest, SixFacesRoundTripInOrder) {
  CUBEImageCodec codec;
  for (const int32_t format : {Image::FORMAT_RGB, Image::FORMAT_RGBA}) {
    VolumeImage cube(String("sky"), format, 3, 2, 6);
    test::FillPattern(cube, 3);
    VolumeImage loaded;
    std::vector<uint8_t> file;
    ASSERT_EQ(SaveAndLoad(codec, "ynx_sky.cube", cube, loaded, &file), 0);
    EXPECT_EQ(file.size(), 6 * (18 + cube.GetDataSize() / 6));
    EXPECT_EQ(loaded.GetDepth(), 6u);
    EXPECT_EQ(loaded.GetFormat(), format);
    EXPECT_EQ(test::Pixels(loaded), test::Pixels(cube));
  }
}

TEST(CUBEImageCodecTest, OnlyVolumesOfSixEqualFacesAreAccepted) {
  CUBEImageCodec codec;
  const std::vector<uint8_t> face = Concat({TgaHeader(2, 1, 1, 24, 0).Bytes(), {1, 2, 3}});
  const std::vector<uint8_t> six = Concat({face, face, face, face, face, face});
  VolumeImage cube;
  ASSERT_EQ(LoadBytes(codec, "a.cube", six, cube), 0);
  EXPECT_EQ(cube.GetDataSize(), 18u);

  Image flat;
  EXPECT_EQ(LoadBytes(codec, "a.cube", six, flat), 1) << "not a volume";
  EXPECT_EQ(codec.Load(nullptr, &cube), 3);
  const std::vector<uint8_t> wider = Concat({TgaHeader(2, 2, 1, 24, 0).Bytes(), {1, 2, 3, 4, 5, 6}});
  const std::vector<uint8_t> alpha = Concat({TgaHeader(2, 1, 1, 32, 0).Bytes(), {1, 2, 3, 4}});
  VolumeImage other;
  EXPECT_EQ(LoadBytes(codec, "a.cube", Concat({face, face, face, face, face, wider}), other), 1);
  EXPECT_EQ(LoadBytes(codec, "a.cube", Concat({face, alpha, face, face, face, face}), other), 1);
  EXPECT_EQ(LoadBytes(codec, "a.cube", Concat({face, face, face, face, face}), other), 1);
  EXPECT_EQ(LoadBytes(codec, "a.cube", Cut(six, six.size() - 1), other), 1);
  EXPECT_EQ(other.GetData(), nullptr);

  File target{String(test::TempPath("ynx_never.cube").c_str())};
  EXPECT_EQ(codec.Save(&target, &flat), 1);
  VolumeImage five(String(), Image::FORMAT_RGB, 1, 1, 5);
  EXPECT_EQ(codec.Save(&target, &five), 1);
  VolumeImage grey(String(), Image::FORMAT_GREY, 1, 1, 6);
  EXPECT_EQ(codec.Save(&target, &grey), 3);
  EXPECT_EQ(codec.Save(nullptr, &cube), 1);
}

TEST(ImageCodecTest, FlatCodecsMakeAVolumeOneSliceDeep) {
  TGAImageCodec codec;
  VolumeImage volume(String(), Image::FORMAT_RGB, 1, 1, 6);
  ASSERT_EQ(LoadBytes(codec, "a.tga", Concat({TgaHeader(2, 2, 1, 24, 0).Bytes(), {1, 2, 3, 4, 5, 6}}),
                      volume), 0);
  EXPECT_EQ(volume.GetDepth(), 1u);
  EXPECT_EQ(volume.GetDataSize(), 6u) << "the size always matches the block";
}

}  // namespace
}  // namespace ynx
