#include "tests/support/CutStreams.h"

#include <gtest/gtest.h>

#include "engine/core/MemoryStream.h"
#include "tests/support/CapturedLog.h"

namespace ynx::test {
namespace {

// The error lines: the failing field's, then `above` parent-data lines.
void ExpectLevels(const CapturedLog& log, int32_t above, const std::string& verb,
                  const std::string& parentLine) {
  const std::vector<std::string> errors = log.Filtered({"ERROR. "});
  std::string all;
  for (const std::string& line : errors) all += "\n  " + line;
  ASSERT_EQ(errors.size(), static_cast<size_t>(above + 1)) << verb << ":" << all;
  if (above < 0) return;
  EXPECT_EQ(errors[0].rfind("ERROR. Невозможно " + verb + " ", 0), 0u) << all;
  EXPECT_EQ(errors[0].find("родительские данные"), std::string::npos) << all;
  for (size_t i = 1; i < errors.size(); ++i) EXPECT_EQ(errors[i].rfind(parentLine, 0), 0u) << all;
}

}  // namespace

void ExpectOneErrorPerLevel(const std::string& type, const std::vector<ClassPart>& parts) {
  SCOPED_TRACE(type);
  ByteWriter bytes;
  bytes.I32(1).Str(type);
  std::vector<int32_t> levels;
  for (const ClassPart& part : parts) {
    levels.push_back(bytes.Size());
    part(bytes);
  }
  Ptr<Object> whole;
  MemoryStream full(bytes.Bytes().data(), bytes.Size());
  ASSERT_EQ(full.ReadObject(whole), 0);
  MemoryStream saved;
  ASSERT_EQ(saved.WriteObject(whole), 0);
  ASSERT_EQ(saved.GetPosition(), bytes.Size()) << "the cuts assume a byte-exact round trip";

  for (int32_t cut = 0; cut < bytes.Size(); ++cut) {
    SCOPED_TRACE("cut at " + std::to_string(cut));
    int32_t above = -1;
    for (size_t level = 0; level < levels.size(); ++level) {
      if (cut >= levels[level]) above = static_cast<int32_t>(levels.size() - 1 - level);
    }
    CapturedLog log;
    MemoryStream prefix(bytes.Bytes().data(), cut);
    Ptr<Object> loaded;
    EXPECT_EQ(prefix.ReadObject(loaded), 1);
    EXPECT_FALSE(loaded);
    ExpectLevels(log, above, "загрузить", "ERROR. Невозможно загрузить родительские данные. ID[");
    log.Clear();
    MemoryStream small(cut, 0);
    EXPECT_NE(small.WriteObject(whole), 0);
    ExpectLevels(log, above, "сохранить", "ERROR. Невозможно сохранить родительские данные. Имя[");
  }
}

}  // namespace ynx::test
