#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/SettingsText.h"

namespace ynx {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  int32_t position = 0;
  String line;
  while (SettingsText::NextLine(text.data(), position, static_cast<int32_t>(text.size()), line) ==
         0) {
    lines.push_back(line.CStr());
  }
  return lines;
}

std::pair<std::string, std::string> Split(const char* line) {
  String key("x"), value("y");
  SettingsText::SplitLine(String(line), key, value);
  return {key.CStr(), value.CStr()};
}

TEST(SettingsTextTest, LinesSkipCommentsAndEmptyLines) {
  EXPECT_EQ(Lines("; heading\r\n\r\nA = 1\rB = 2;tail\n;x\n\nC = 3"),
            (std::vector<std::string>{"A = 1", "B = 2", "C = 3"}));
  EXPECT_EQ(Lines(""), std::vector<std::string>{});
  EXPECT_EQ(Lines(";only a comment"), std::vector<std::string>{});
  EXPECT_EQ(Lines("\n\n;c\r\n"), std::vector<std::string>{});
  EXPECT_EQ(Lines("Volume = 50; Громкость музыки"), std::vector<std::string>{"Volume = 50"});
}

TEST(SettingsTextTest, KeyAndValueAsTheyStand) {
  EXPECT_EQ(Split("Volume = 50"), std::make_pair(std::string("Volume"), std::string("50")));
  EXPECT_EQ(Split("Mes_About_String2 = "), std::make_pair(std::string("Mes_About_String2"),
                                                          std::string()));
  EXPECT_EQ(Split("ShowFPS = 1 "), std::make_pair(std::string("ShowFPS"), std::string("1 ")));
  EXPECT_EQ(Split("Width=800"), std::make_pair(std::string(), std::string()));
  EXPECT_EQ(Split("a = b = c"), std::make_pair(std::string("a"), std::string("b = c")));
  EXPECT_EQ(Split(" = "), std::make_pair(std::string(), std::string()));
}

TEST(SettingsTextTest, NumbersReadLikeDecimalFormat) {
  const std::pair<const char*, int32_t> good[] = {
      {"1 ", 1}, {"  -42", -42}, {"+7", 7}, {"12abc", 12}, {"99999999999", 2147483647},
      {"-99999999999", -2147483647 - 1}, {"0x10", 0}};
  for (const auto& [text, expected] : good) {
    int32_t value = 5;
    EXPECT_TRUE(SettingsText::ParseInteger(String(text), value)) << text;
    EXPECT_EQ(value, expected) << text;
  }
  for (const char* text : {"", "abc", "-", " + 1"}) {
    int32_t value = 5;
    EXPECT_FALSE(SettingsText::ParseInteger(String(text), value)) << text;
    EXPECT_EQ(value, 5) << text;
  }
}

}  // namespace
}  // namespace ynx
