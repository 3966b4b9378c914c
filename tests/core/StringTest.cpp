#include <gtest/gtest.h>

#include "engine/core/String.h"

namespace ynx {
namespace {

TEST(StringTest, ConstructionKeepsLengthAndTerminator) {
  EXPECT_EQ(String().Length(), 0);
  EXPECT_STREQ(String().CStr(), "");
  EXPECT_EQ(String(nullptr).Length(), 0);
  const String prefix("Main.STR", 4);
  EXPECT_EQ(prefix.Length(), 4);
  EXPECT_STREQ(prefix.CStr(), "Main");
  // Bytes after an embedded NUL still count when the length is given.
  const String binary("a\0b", 3);
  EXPECT_EQ(binary.Length(), 3);
  EXPECT_FALSE(binary == "a");
}

TEST(StringTest, SubstringEdges) {
  const String name("Main.STR");
  EXPECT_EQ(name.Substring(4, -1), ".STR");
  EXPECT_EQ(name.Substring(4, 2), ".S");
  EXPECT_EQ(name.Substring(4, 100), ".STR");
  EXPECT_TRUE(name.Substring(8, 1).IsEmpty());
  EXPECT_TRUE(name.Substring(-1, 2).IsEmpty());
  EXPECT_EQ(name.Substring(0, 0).Length(), 0);
}

TEST(StringTest, FindEqualityAndConcatenation) {
  const String name("Media.rar2");
  EXPECT_EQ(name.Find('.'), 5);
  EXPECT_EQ(name.Find('x'), -1);
  EXPECT_TRUE(String() == String(""));
  EXPECT_TRUE(String() == "");
  EXPECT_FALSE(String("abc") == String("ABC"));
  EXPECT_FALSE(String("ab") == "abc");
  EXPECT_EQ(String("Media") + String(".rar2"), name);
  EXPECT_EQ(String("Media") + ".rar2", name);
  EXPECT_EQ((String() + "").Length(), 0);
}

TEST(StringTest, AssignmentOfEqualAndDifferentLengths) {
  String text("abcd");
  const char* buffer = text.CStr();
  text = String("wxyz");
  EXPECT_EQ(text.CStr(), buffer) << "equal lengths copy in place";
  EXPECT_EQ(text, "wxyz");
  text = String("longer text");
  EXPECT_EQ(text, "longer text");
  text = "x";
  EXPECT_EQ(text, "x");
  const String& alias = text;
  text = alias;
  EXPECT_EQ(text, "x");
}

}  // namespace
}  // namespace ynx
