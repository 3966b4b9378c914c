#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/Factory.h"
#include "engine/core/MemoryStream.h"
#include "engine/io/CodecManager.h"
#include "engine/io/Directory.h"
#include "engine/io/FileManager.h"
#include "engine/io/Image.h"
#include "engine/io/TGAImageCodec.h"
#include "engine/io/VolumeImage.h"
#include "tests/io/ImageFiles.h"
#include "tests/support/ByteWriter.h"
#include "tests/support/CapturedLog.h"
#include "tests/support/CutStreams.h"

namespace ynx {
namespace {

using test::ByteWriter;

// A line of the given level and text whose ID, in the middle, is not known
// in advance.
bool HasLine(const test::CapturedLog& log, const std::string& start, const std::string& end) {
  for (const std::string& line : log.Lines()) {
    if (line.rfind(start, 0) == 0 && line.size() >= end.size() &&
        line.compare(line.size() - end.size(), end.size(), end) == 0) {
      return true;
    }
  }
  return false;
}

int32_t ReadImage(const ByteWriter& bytes, Ptr<Image>& image) {
  MemoryStream stream(bytes.Bytes().data(), bytes.Size());
  image = nullptr;
  return stream.ReadObject(image);
}

// A 2 x 1 targa picture: one red pixel, one green.
std::vector<uint8_t> TinyTarga() {
  return {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 1, 0, 24, 0, 0, 0, 255, 0, 255, 0};
}

TEST(ImageTest, TheFactoryKnowsBothClasses) {
  for (const char* name : {"YNX.Image", "YNX.VolumeImage"}) {
    CreateFunction create = Factory::Find(String(name));
    ASSERT_NE(create, nullptr) << name;
    Object* made = nullptr;
    ASSERT_EQ(create(&made), 0);
    Ptr<Object> held(made);
    EXPECT_EQ(made->GetType().GetName(), name);
    EXPECT_TRUE(made->IsDerivedFrom(Image::Type()));
    EXPECT_EQ(static_cast<Image*>(made)->GetData(), nullptr) << "no pixels until loaded";
  }
  EXPECT_FALSE(Image::Type().IsDerivedFrom(VolumeImage::Type()));
}

TEST(ImageTest, SizesFollowTheFormatAndNeverWrap) {
  EXPECT_EQ(Image(String(), Image::FORMAT_RGB, 5, 3).GetDataSize(), 45u);
  EXPECT_EQ(Image(String(), Image::FORMAT_RGBA, 5, 3).GetDataSize(), 60u);
  EXPECT_EQ(Image(String(), Image::FORMAT_GREY, 5, 3).GetDataSize(), 15u);
  const Image depth(String(), Image::FORMAT_DEPTH, 640, 480);
  EXPECT_EQ(depth.GetDataSize(), 0u);
  EXPECT_EQ(depth.GetData(), nullptr) << "a depth picture holds no pixels";
  const VolumeImage cube(String(), Image::FORMAT_RGB, 4, 2, 6);
  EXPECT_EQ(cube.GetDataSize(), 144u);
  ASSERT_NE(cube.GetData(), nullptr);
  EXPECT_EQ(Image::DataSize(Image::FORMAT_RGBA, UINT32_MAX, UINT32_MAX, UINT32_MAX), UINT64_MAX);
  EXPECT_EQ(Image::DataSize(42, 10, 10), 0u);

  test::CapturedLog log;
  const Image huge(String("huge"), Image::FORMAT_RGBA, 65536, 65536);
  EXPECT_EQ(huge.GetData(), nullptr);
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                             "ERROR. Недостаточно памяти для создания изображения. ID[" +
                             std::to_string(huge.GetID()) + "] Имя[huge]"}));
}

TEST(ImageTest, FromAFileTheNamesComeFromTheFile) {
  ASSERT_EQ(CodecManager::GetCodec(String(TGAImageCodec::NAME), nullptr), 0);
  auto file = test::MemoryFileOf("Sky.tga", TinyTarga());
  const Ptr<Image> unnamed(new Image(file.get(), String()));
  EXPECT_EQ(unnamed->GetName(), "Sky.tga");
  EXPECT_EQ(unnamed->GetFileName(), "Sky.tga");
  EXPECT_EQ(test::Pixels(*unnamed), (std::vector<uint8_t>{255, 0, 0, 0, 255, 0}));
  const Ptr<Image> named(new Image(file.get(), String("sky")));
  EXPECT_EQ(named->GetName(), "sky");

  ASSERT_EQ(CodecManager::GetCodec(String("STRSceneCodec"), nullptr), 0);
  test::CapturedLog log;
  Image image(String("pic"));
  EXPECT_EQ(image.LoadFromFile(nullptr), 3);
  auto scene = test::MemoryFileOf("Main.STR", {1, 2, 3});
  EXPECT_EQ(image.LoadFromFile(scene.get()), 3) << "a codec of another kind counts as none";
  auto unknown = test::MemoryFileOf("pic.xyz", {1, 2, 3});
  EXPECT_EQ(image.LoadFromFile(unknown.get()), 3);
  auto broken = test::MemoryFileOf("pic.tga", {0, 0, 2});
  EXPECT_EQ(image.LoadFromFile(broken.get()), 1);
  EXPECT_EQ(log.Filtered({"ERROR", "WARNING. Указатель", "WARNING. Не найден"}),
            (std::vector<std::string>{
                "WARNING. Указатель на файл равен 0 при загрузке изображения [pic].",
                "WARNING. Не найден кодек для файла при загрузке изображения [pic].",
                "WARNING. Не найден кодек для файла при загрузке изображения [pic].",
                "ERROR. Неудачна загрузка изображения [pic].",
            }));
}

TEST(ImageTest, StreamsKeepDimensionsAndFormatButNeverPixels) {
  const Ptr<Image> image = test::PatternImage(Image::FORMAT_RGBA, 7, 3);
  image->SetName(String("pic"));
  MemoryStream stream;
  ASSERT_EQ(stream.WriteObject(image), 0);
  ByteWriter expected;
  expected.Head(image->GetID(), "YNX.Image", "pic").Str("").I32(7).I32(3).I32(Image::FORMAT_RGBA);
  EXPECT_EQ(std::vector<uint8_t>(stream.GetData(), stream.GetData() + stream.GetPosition()),
            expected.Bytes());

  test::CapturedLog log;
  Ptr<Image> loaded;
  ASSERT_EQ(ReadImage(expected, loaded), 0);
  EXPECT_EQ(loaded->GetWidth(), 7u);
  EXPECT_EQ(loaded->GetHeight(), 3u);
  EXPECT_EQ(loaded->GetFormat(), Image::FORMAT_RGBA);
  EXPECT_NE(loaded->GetData(), nullptr) << "a block of the size, contents undefined";
  EXPECT_EQ(log.Filtered({"INFO. Изображение"}),
            (std::vector<std::string>{"INFO. Изображение [pic] загружено."}));

  const Ptr<VolumeImage> cube(new VolumeImage(String("cube"), Image::FORMAT_RGB, 2, 2, 6));
  MemoryStream cubeStream;
  ASSERT_EQ(cubeStream.WriteObject(cube), 0);
  ByteWriter cubeBytes;
  cubeBytes.Head(cube->GetID(), "YNX.VolumeImage", "cube").Str("").I32(2).I32(2).I32(6).I32(0);
  EXPECT_EQ(std::vector<uint8_t>(cubeStream.GetData(), cubeStream.GetData() + cubeStream.GetPosition()),
            cubeBytes.Bytes())
      << "the depth follows the height";
  log.Clear();
  Ptr<Image> loadedCube;
  ASSERT_EQ(ReadImage(cubeBytes, loadedCube), 0);
  ASSERT_TRUE(loadedCube->IsDerivedFrom(VolumeImage::Type()));
  EXPECT_EQ(static_cast<VolumeImage*>(loadedCube.Get())->GetDepth(), 6u);
  EXPECT_EQ(loadedCube->GetDataSize(), 72u);
  EXPECT_TRUE(log.Filtered({"INFO. Изображение"}).empty())
      << "a volume image loads without an info line";
}

TEST(ImageTest, ImagesOfFilesAreFoundAgainByFileName) {
  ASSERT_EQ(CodecManager::GetCodec(String(TGAImageCodec::NAME), nullptr), 0);
  auto* folder = new Directory(String("ImageTest"));
  ASSERT_EQ(FileManager::Root()->AttachDirectory(folder), 0);
  std::unique_ptr<MemoryFile> owned = test::MemoryFileOf("Sky.tga", TinyTarga());
  folder->AttachFile(owned.release());  // the folder owns it now

  const Ptr<Image> image(new Image(FileManager::FindFile(String("Sky.tga")), String("sky")));
  MemoryStream stream;
  ASSERT_EQ(stream.WriteObject(image), 0);
  ByteWriter expected;
  expected.Head(image->GetID(), "YNX.Image", "sky").Str("Sky.tga");
  EXPECT_EQ(std::vector<uint8_t>(stream.GetData(), stream.GetData() + stream.GetPosition()),
            expected.Bytes())
      << "only the file name is kept";

  test::CapturedLog log;
  Ptr<Image> loaded;
  ASSERT_EQ(ReadImage(expected, loaded), 0);
  EXPECT_EQ(test::Pixels(*loaded), (std::vector<uint8_t>{255, 0, 0, 0, 255, 0}));
  EXPECT_TRUE(log.Contains("INFO. Изображение [sky] загружено."));

  ByteWriter missing;
  missing.Head(77, "YNX.Image", "sky").Str("Missing.tga");
  EXPECT_EQ(ReadImage(missing, loaded), 1);
  EXPECT_FALSE(loaded);
  EXPECT_TRUE(HasLine(log, "ERROR. Невозможно загрузить изображение из файла. ID[",
                      "] Имя[sky] Файл[Missing.tga]"));
  delete folder;
}

TEST(ImageTest, HostileAndShortStreamsFailWithoutAllocating) {
  struct Case {
    ByteWriter bytes;
    std::string message;
  };
  const auto head = [] { return ByteWriter().Head(5, "YNX.Image", "pic"); };
  std::vector<Case> cases;
  cases.push_back({ByteWriter().I32(5).Str("YNX.Image").Str("pic"), "Невозможно загрузить родительские данные. ID["});
  cases.push_back({head().I32(9), "Невозможно загрузить имя файла изображения. ID["});
  cases.push_back({head().Str("").I16(1), "Невозможно загрузить ширину изображения. ID["});
  cases.push_back({head().Str("").I32(2), "Невозможно загрузить высоту изображения. ID["});
  cases.push_back({head().Str("").I32(2).I32(2), "Невозможно загрузить формат изображения. ID["});
  cases.push_back({head().Str("").I32(2).I32(2).I32(4), "Невозможно загрузить формат изображения. ID["});
  cases.push_back({head().Str("").I32(-1).I32(-1).I32(Image::FORMAT_RGBA),
                   "Недопустимый размер изображения. ID["});
  cases.push_back({head().Str("").I32(100000).I32(100000).I32(Image::FORMAT_RGB),
                   "Недопустимый размер изображения. ID["});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    test::CapturedLog log;
    Ptr<Image> image;
    EXPECT_EQ(ReadImage(c.bytes, image), 1);
    EXPECT_FALSE(image);
    EXPECT_TRUE(HasLine(log, "ERROR. " + c.message, "]"));
  }

  test::CapturedLog log;
  ByteWriter cube;
  cube.Head(5, "YNX.VolumeImage", "cube").Str("").I32(2).I32(2);
  Ptr<Image> image;
  EXPECT_EQ(ReadImage(cube, image), 1);
  EXPECT_TRUE(HasLine(log, "ERROR. Невозможно загрузить высоту изображения. ID[", "] Имя[cube]"))
      << "a missing depth is reported as the height";
  ByteWriter depthOnly;
  depthOnly.Head(5, "YNX.Image", "depth").Str("").I32(100000).I32(100000).I32(Image::FORMAT_DEPTH);
  EXPECT_EQ(ReadImage(depthOnly, image), 0) << "a depth picture of any size costs nothing";
  EXPECT_EQ(image->GetData(), nullptr);
}

TEST(ImageTest, EveryFailedWriteNamesItsField) {
  const Ptr<Image> image(new Image(String("pic"), Image::FORMAT_GREY, 2, 2));
  const Ptr<VolumeImage> cube(new VolumeImage(String("pic"), Image::FORMAT_GREY, 2, 2, 6));
  // Name and controller count, file name, width, height, [depth,] format.
  const std::vector<std::pair<int32_t, std::string>> flat = {
      {0, "родительские данные"}, {11, "имя файла изображения"}, {15, "ширину изображения"},
      {19, "высоту изображения"}, {23, "формат изображения"}};
  const std::vector<std::pair<int32_t, std::string>> volume = {
      {19, "высоту изображения"}, {23, "высоту изображения"}, {27, "формат изображения"}};
  for (const auto& [target, cases] :
       {std::pair{static_cast<Image*>(image.Get()), flat}, std::pair{static_cast<Image*>(cube.Get()), volume}}) {
    for (const auto& [capacity, field] : cases) {
      SCOPED_TRACE(capacity);
      test::CapturedLog log;
      MemoryStream stream(capacity, 0);
      EXPECT_EQ(target->Save(stream), 1);
      EXPECT_TRUE(log.Contains("ERROR. Невозможно сохранить " + field + ". Имя[pic] ID[" +
                               std::to_string(target->GetID()) + "]"));
    }
    MemoryStream exact(target == image.Get() ? 27 : 31, 0);
    EXPECT_EQ(target->Save(exact), 0);
  }
}

TEST(ImageTest, EveryCutFailsWithOneErrorPerClassLevel) {
  const test::ClassPart object = [](ByteWriter& w) { w.Str("pic").I32(0); };
  test::ExpectOneErrorPerLevel("YNX.Image", {object, [](ByteWriter& w) {
                                               w.Str("").I32(7).I32(3).I32(Image::FORMAT_RGBA);
                                             }});
  test::ExpectOneErrorPerLevel(
      "YNX.VolumeImage", {object, [](ByteWriter& w) { w.Str("").I32(2).I32(2).I32(6).I32(0); }});
}

}  // namespace
}  // namespace ynx
