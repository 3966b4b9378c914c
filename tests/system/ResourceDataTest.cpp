#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/system/ResourceData.h"
#include "platform/resources/ResourceTable.h"
#include "tests/support/CapturedLog.h"
#include "tests/system/ResourceFiles.h"

namespace ynx {
namespace {

using test::AsString;
using test::SourceFile;

TEST(ResourceDataTest, FoundResourcesGiveTheirBytesWithoutALogLine) {
  test::CapturedLog log;
  const uint8_t* data = nullptr;
  uint32_t size = 0;

  ASSERT_EQ(LoadResourceData(12, &data, &size), 0);
  EXPECT_EQ(AsString(data, size), SourceFile("tests/system/resources/Bytes.bin"));

  ASSERT_EQ(LoadResourceData(15, &data, &size), 0);
  EXPECT_EQ(AsString(data, size), test::ReadFileBytes(YNX_LARGE_RESOURCE));

  data = nullptr;
  size = 5;
  ASSERT_EQ(LoadResourceData(14, &data, &size), 0);
  EXPECT_NE(data, nullptr);
  EXPECT_EQ(size, 0u);

  // Only a Russian variant: found in any language.
  ASSERT_EQ(LoadResourceData(11, &data, nullptr), 0);
  const std::string onlyRussian = SourceFile("tests/system/resources/OnlyRussian.txt");
  EXPECT_EQ(AsString(data, static_cast<uint32_t>(onlyRussian.size())), onlyRussian);

  EXPECT_TRUE(log.Lines().empty());
}

TEST(ResourceDataTest, VariantFollowsTheUserLanguage) {
  const bool russian = ResourceTable::UserLanguage() == ResourceLanguage::RUSSIAN;
  const uint8_t* data = nullptr;
  uint32_t size = 0;
  ASSERT_EQ(LoadResourceData(10, &data, &size), 0);
  EXPECT_EQ(AsString(data, size),
            SourceFile(russian ? "tests/system/resources/Greeting.ru.txt"
                               : "tests/system/resources/Greeting.txt"));
}

TEST(ResourceDataTest, MissingResourceLogsAndLeavesTheOutputsAlone) {
  test::CapturedLog log;
  const uint8_t sentinel = 0;
  const uint8_t* data = &sentinel;
  uint32_t size = 123;
  EXPECT_EQ(LoadResourceData(999, &data, &size), 1);
  EXPECT_EQ(LoadResourceData(13, &data, &size), 1) << "13 exists, but not as MEDIADATA";
  EXPECT_EQ(LoadResourceData(-1, &data, &size), 1);
  EXPECT_EQ(data, &sentinel);
  EXPECT_EQ(size, 123u);
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                             "ERROR. Невозможно найти ресурс ID[999].",
                             "ERROR. Невозможно найти ресурс ID[13].",
                             "ERROR. Невозможно найти ресурс ID[-1].",
                         }));
}

TEST(ResourceDataTest, NullDataAddressIsRefused) {
  test::CapturedLog log;
  uint32_t size = 123;
  EXPECT_EQ(LoadResourceData(12, nullptr, &size), 3);
  EXPECT_EQ(size, 123u);
  EXPECT_EQ(log.Lines(), std::vector<std::string>{"ERROR. Указатель на данные ресурса равен 0."});
}

}  // namespace
}  // namespace ynx
