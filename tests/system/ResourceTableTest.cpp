#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/resources/ResourceTable.h"
#include "tests/system/ResourceFiles.h"

namespace ynx {
namespace {

using test::AsString;
using test::SourceFile;

constexpr ResourceLanguage NEUTRAL = ResourceLanguage::NEUTRAL;
constexpr ResourceLanguage RUSSIAN = ResourceLanguage::RUSSIAN;

TEST(ResourceTableTest, FirstSetLocaleVariableDecidesTheLanguage) {
  struct Case {
    const char* lcAll;
    const char* lcMessages;
    const char* lang;
    ResourceLanguage expected;
  };
  const Case cases[] = {
      {nullptr, nullptr, nullptr, NEUTRAL},
      {"", "", "", NEUTRAL},
      {nullptr, nullptr, "ru_RU.UTF-8", RUSSIAN},
      {nullptr, nullptr, "ru", RUSSIAN},
      {nullptr, nullptr, "C", NEUTRAL},
      {nullptr, nullptr, "en_US", NEUTRAL},
      {nullptr, nullptr, "C.UTF-8", NEUTRAL},
      // LC_ALL beats LC_MESSAGES beats LANG.
      {"C", "ru_RU.UTF-8", "ru_RU.UTF-8", NEUTRAL},
      {"ru_RU.UTF-8", "en_US.UTF-8", "C", RUSSIAN},
      {nullptr, "en_US", "ru_RU.UTF-8", NEUTRAL},
      {nullptr, "ru_RU.KOI8-R", "en_US", RUSSIAN},
      // An empty value counts as unset.
      {"", "", "ru_RU.UTF-8", RUSSIAN},
      {"", "ru", "en_US", RUSSIAN},
      {"", nullptr, "en_US", NEUTRAL},
      // Only the language part counts.
      {nullptr, nullptr, "en_RU.UTF-8", NEUTRAL},
      {nullptr, nullptr, "r", NEUTRAL},
  };
  for (const Case& c : cases) {
    const auto text = [](const char* value) { return value == nullptr ? "(unset)" : value; };
    EXPECT_EQ(ResourceTable::LanguageOf(c.lcAll, c.lcMessages, c.lang), c.expected)
        << "LC_ALL=" << text(c.lcAll) << " LC_MESSAGES=" << text(c.lcMessages)
        << " LANG=" << text(c.lang);
  }
}

TEST(ResourceTableTest, FindPrefersTheLanguageAndFallsBackToTheOther) {
  static const uint8_t neutralBytes[] = {1, 2, 3};
  static const uint8_t russianBytes[] = {4, 5};
  static const uint32_t three = 3;
  static const uint32_t two = 2;
  const ResourceTable::Entry entries[] = {
      {7, "MEDIADATA", RUSSIAN, russianBytes, &two},
      {7, "MEDIADATA", NEUTRAL, neutralBytes, &three},
      {8, "MEDIADATA", RUSSIAN, russianBytes, &two},
      {9, "BASS", NEUTRAL, neutralBytes, &three},
  };
  const ResourceTable table(entries, 4);
  const uint8_t* data = nullptr;
  uint32_t size = 0;

  ASSERT_TRUE(table.Find(7, "MEDIADATA", NEUTRAL, &data, &size));
  EXPECT_EQ(data, neutralBytes);
  EXPECT_EQ(size, 3u);
  ASSERT_TRUE(table.Find(7, "MEDIADATA", RUSSIAN, &data, &size));
  EXPECT_EQ(data, russianBytes);
  EXPECT_EQ(size, 2u);
  ASSERT_TRUE(table.Find(8, "MEDIADATA", NEUTRAL, &data, &size)) << "only a Russian variant";
  EXPECT_EQ(data, russianBytes);
  ASSERT_TRUE(table.Find(9, "BASS", RUSSIAN, &data, &size)) << "only a neutral variant";
  EXPECT_EQ(data, neutralBytes);

  data = russianBytes + 1;
  size = 77;
  EXPECT_FALSE(table.Find(9, "MEDIADATA", NEUTRAL, &data, &size)) << "the type is part of the name";
  EXPECT_FALSE(table.Find(6, "MEDIADATA", NEUTRAL, &data, &size));
  EXPECT_EQ(data, russianBytes + 1);
  EXPECT_EQ(size, 77u);

  const ResourceTable empty(nullptr, 0);
  EXPECT_FALSE(empty.Find(7, "MEDIADATA", NEUTRAL, &data, &size));
}

// The table generated from tests/system/resources/manifest.txt.in.
TEST(ResourceTableTest, ProgramTableHoldsEveryListedFileByteForByte) {
  struct Listed {
    int32_t id;
    const char* type;
    ResourceLanguage language;
    std::string bytes;
  };
  const std::string greeting = SourceFile("tests/system/resources/Greeting.txt");
  const std::string greetingRu = SourceFile("tests/system/resources/Greeting.ru.txt");
  const std::string onlyRussian = SourceFile("tests/system/resources/OnlyRussian.txt");
  const std::string bytes = SourceFile("tests/system/resources/Bytes.bin");
  ASSERT_EQ(greeting, "Hello from the resource table.\n");
  ASSERT_EQ(bytes.size(), 256u);
  const std::string large = test::ReadFileBytes(YNX_LARGE_RESOURCE);
  ASSERT_GT(large.size(), 5u * 1000 * 1000);
  const Listed listed[] = {
      {10, "MEDIADATA", NEUTRAL, greeting},
      {10, "MEDIADATA", RUSSIAN, greetingRu},
      {11, "MEDIADATA", NEUTRAL, onlyRussian},
      {11, "MEDIADATA", RUSSIAN, onlyRussian},
      {12, "MEDIADATA", NEUTRAL, bytes},
      {12, "MEDIADATA", RUSSIAN, bytes},
      {10, "BASS", NEUTRAL, bytes},
      {13, "BASS", NEUTRAL, greetingRu},
      {14, "MEDIADATA", NEUTRAL, ""},
      {15, "MEDIADATA", NEUTRAL, large},
  };
  const ResourceTable& table = ResourceTable::Program();
  EXPECT_EQ(table.Count(), 8u);
  for (const Listed& resource : listed) {
    SCOPED_TRACE(testing::Message() << resource.id << " " << resource.type << " "
                                    << static_cast<int>(resource.language));
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    ASSERT_TRUE(table.Find(resource.id, resource.type, resource.language, &data, &size));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(data) % 16, 0u);
    EXPECT_EQ(AsString(data, size), resource.bytes);
  }
  for (int value = 0; value < 256; ++value) ASSERT_EQ(static_cast<uint8_t>(bytes[value]), value);
}

}  // namespace
}  // namespace ynx
