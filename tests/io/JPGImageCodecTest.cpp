#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/io/JPGImageCodec.h"
#include "tests/io/ImageFiles.h"
#include "tests/support/CapturedLog.h"
#include "tests/support/JpegEncoder.h"
// After jpeglib.h (through JpegEncoder.h), whose types it uses.
#include <jerror.h>

namespace ynx {
namespace {

using test::JpegEncoder;

int32_t LoadBytes(const std::vector<uint8_t>& bytes, Image& image) {
  JPGImageCodec codec;
  return codec.Load(test::MemoryFileOf("a.jpg", bytes).get(), &image);
}

// A smooth picture, brighter towards the top, so that compression keeps it
// close and a flip shows.
Ptr<Image> Gradient(int32_t format, uint32_t width, uint32_t height) {
  Ptr<Image> image(new Image(String("gradient"), format, width, height));
  const int32_t bytes = Image::BytesPerPixel(format);
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      for (int32_t c = 0; c < bytes; ++c) {
        image->GetData()[(y * width + x) * bytes + c] = static_cast<uint8_t>(20 + y * 3 + x * 2 + c * 20);
      }
    }
  }
  return image;
}

void ExpectClose(const Image& actual, const Image& expected) {
  ASSERT_EQ(actual.GetDataSize(), expected.GetDataSize());
  int64_t total = 0;
  int worst = 0;
  for (uint64_t i = 0; i < actual.GetDataSize(); ++i) {
    const int difference = std::abs(actual.GetData()[i] - expected.GetData()[i]);
    total += difference;
    worst = std::max(worst, difference);
  }
  EXPECT_LT(static_cast<double>(total) / static_cast<double>(actual.GetDataSize()), 3.0);
  EXPECT_LT(worst, 24);
}

TEST(JPGImageCodecTest, SavedFilesLoadBackCloseWithExactDimensions) {
  JPGImageCodec codec;
  for (const int32_t format : {Image::FORMAT_RGB, Image::FORMAT_GREY}) {
    SCOPED_TRACE(format);
    const Ptr<Image> image = Gradient(format, 40, 30);
    const std::string path = test::TempPath("ynx_gradient.jpg");
    File file{String(path.c_str())};
    ASSERT_EQ(codec.Save(&file, image.Get()), 0);
    const std::vector<uint8_t> bytes = test::ReadDiskFile(path);
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xD8);
    Image loaded;
    ASSERT_EQ(codec.Load(&file, &loaded), 0);
    std::remove(path.c_str());
    EXPECT_EQ(loaded.GetWidth(), 40u);
    EXPECT_EQ(loaded.GetHeight(), 30u);
    EXPECT_EQ(loaded.GetFormat(), format) << "grey is saved and loaded as grey";
    ExpectClose(loaded, *image);
  }
}

TEST(JPGImageCodecTest, TheFirstRowOfAFileIsTheTopRow) {
  // 8 x 16 grey, white on top, black below, as libjpeg writes it.
  std::vector<uint8_t> pixels(8 * 16, 0);
  std::fill(pixels.begin(), pixels.begin() + 8 * 8, 255);
  Image image;
  ASSERT_EQ(LoadBytes(JpegEncoder::Encode(8, 16, JCS_GRAYSCALE, 1, pixels), image), 0);
  EXPECT_EQ(image.GetFormat(), Image::FORMAT_GREY);
  EXPECT_LT(image.GetData()[0], 16) << "row 0 is the bottom";
  EXPECT_GT(image.GetData()[15 * 8], 240);
}

TEST(JPGImageCodecTest, CmykAndDamagedFilesFail) {
  test::CapturedLog log;
  Image image;
  const std::vector<uint8_t> cmyk(4 * 8 * 8, 100);
  EXPECT_EQ(LoadBytes(JpegEncoder::Encode(8, 8, JCS_CMYK, 4, cmyk), image), 1);
  EXPECT_EQ(image.GetData(), nullptr);

  const std::vector<uint8_t> rgb(3 * 64 * 64, 128);
  const std::vector<uint8_t> good = JpegEncoder::Encode(64, 64, JCS_RGB, 3, rgb);
  ASSERT_EQ(LoadBytes(good, image), 0);
  log.Clear();
  // Inside the markers, inside the picture, and only the end marker missing.
  for (size_t cut : {size_t{0}, size_t{2}, size_t{20}, size_t{200}, good.size() / 2, good.size() - 2}) {
    SCOPED_TRACE(cut);
    std::vector<uint8_t> bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut));
    Image shortened;
    EXPECT_EQ(LoadBytes(bytes, shortened), 1);
    EXPECT_EQ(shortened.GetData(), nullptr);
    if (cut + 2 == good.size()) continue;  // that would be the whole file again
    bytes.insert(bytes.end(), {0xFF, 0xD9});
    EXPECT_EQ(LoadBytes(bytes, shortened), 1) << "with an end marker right after the cut";
  }
  EXPECT_TRUE(log.Contains("WARNING. " + std::to_string(JWRN_JPEG_EOF) + " Premature end of JPEG file"))
      << "libjpeg's code and text are logged";

  log.Clear();
  EXPECT_EQ(LoadBytes({'n', 'o', 't', ' ', 'a', ' ', 'j', 'p', 'e', 'g'}, image), 1);
  EXPECT_EQ(log.Filtered({"WARNING"}),
            (std::vector<std::string>{"WARNING. " + std::to_string(JERR_NO_SOI) +
                                      " Not a JPEG file: starts with 0x6e 0x6f"}));
  JPGImageCodec codec;
  EXPECT_EQ(codec.Load(nullptr, &image), 3);
  EXPECT_EQ(codec.Load(test::MemoryFileOf("a.jpg", good).get(), nullptr), 3);
}

// The height and width in the frame header of an arithmetic-coded file.
void Claim(std::vector<uint8_t>& file, uint16_t width, uint16_t height) {
  for (size_t i = 0; i + 8 < file.size(); ++i) {
    if (file[i] == 0xFF && file[i + 1] == 0xC9) {
      file[i + 5] = static_cast<uint8_t>(height >> 8);
      file[i + 6] = static_cast<uint8_t>(height);
      file[i + 7] = static_cast<uint8_t>(width >> 8);
      file[i + 8] = static_cast<uint8_t>(width);
      return;
    }
  }
  ADD_FAILURE() << "no arithmetic frame header";
}

TEST(JPGImageCodecTest, TinyFilesCannotClaimHugePicturesOrEndlessScans) {
  const std::vector<uint8_t> flat(16 * 16, 90);
  std::vector<uint8_t> file = JpegEncoder::Encode(16, 16, JCS_GRAYSCALE, 1, flat, {.arithmetic = true, .scans = {}});
  // Arithmetic-coded data may stop early; the decoder fills in the rest.
  Claim(file, 1024, 1024);
  Image image;
  ASSERT_EQ(LoadBytes(file, image), 0) << "small pictures are taken whatever their file";
  EXPECT_EQ(image.GetDataSize(), 1024u * 1024u);
  Claim(file, 65000, 65000);
  EXPECT_EQ(LoadBytes(file, image), 1) << file.size() << " bytes claiming 4 GB";
  Claim(file, 8200, 8200);
  EXPECT_EQ(LoadBytes(file, image), 1) << file.size() << " bytes claiming 67 MB";

  // Progressive: the DC band refined ten times, then each AC coefficient in
  // a scan of its own and refined once: 137 scans.
  std::vector<jpeg_scan_info> scans;
  scans.push_back({1, {0}, 0, 0, 0, 10});
  for (int bit = 9; bit >= 0; --bit) scans.push_back({1, {0}, 0, 0, bit + 1, bit});
  for (int coefficient = 1; coefficient < 64; ++coefficient) {
    scans.push_back({1, {0}, coefficient, coefficient, 0, 1});
  }
  for (int coefficient = 1; coefficient < 64; ++coefficient) {
    scans.push_back({1, {0}, coefficient, coefficient, 1, 0});
  }
  const std::vector<uint8_t> manyScans =
      JpegEncoder::Encode(16, 16, JCS_GRAYSCALE, 1, flat, {.arithmetic = false, .scans = scans});
  EXPECT_EQ(LoadBytes(manyScans, image), 1);
  scans.resize(40);
  EXPECT_EQ(
      LoadBytes(JpegEncoder::Encode(16, 16, JCS_GRAYSCALE, 1, flat, {.arithmetic = false, .scans = scans}), image), 0)
      << "forty scans are fine";
}

TEST(JPGImageCodecTest, OnlyRgbAndGreyAreSaved) {
  JPGImageCodec codec;
  File file{String(test::TempPath("ynx_never.jpg").c_str())};
  const Ptr<Image> rgba = test::PatternImage(Image::FORMAT_RGBA, 2, 2);
  EXPECT_EQ(codec.Save(&file, rgba.Get()), 3);
  Image depth(String(), Image::FORMAT_DEPTH, 2, 2);
  EXPECT_EQ(codec.Save(&file, &depth), 3);
  EXPECT_EQ(codec.Save(nullptr, rgba.Get()), 1);
  Image empty;
  EXPECT_EQ(codec.Save(&file, &empty), 1);
  MemoryFile readOnly{String("x.jpg")};
  const Ptr<Image> rgb = test::PatternImage(Image::FORMAT_RGB, 2, 2);
  EXPECT_EQ(codec.Save(&readOnly, rgb.Get()), 1);
}

}  // namespace
}  // namespace ynx
