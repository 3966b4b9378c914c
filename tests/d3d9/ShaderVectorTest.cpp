// The shared vector set: assembly texts with the exact tokens Direct3D's
// own tools made for them, and texts that must not assemble.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/d3d9/shader/ShaderAssembler.h"
#include "platform/d3d9/shader/ShaderDecoder.h"
#include "platform/d3d9/shader/ShaderDisassembler.h"
#include "platform/d3d9/shader/ShaderEncoder.h"
#include "tests/d3d9/ShaderText.h"
#include "tests/d3d9/ShaderVectorSet.h"

namespace ynx {
namespace {

namespace fs = std::filesystem;

using Vector = test::ShaderVectorSet::Vector;

struct Reject {
  std::string model;
  std::string where;
  std::string text;
};

const fs::path& FOLDER = test::ShaderVectorSet::Folder();

nlohmann::json ReadJson(const fs::path& path) {
  std::ifstream file(path);
  return nlohmann::json::parse(file);
}

const std::vector<Vector>& Vectors() { return test::ShaderVectorSet::Vectors(); }

const std::vector<Reject>& Rejects() {
  static const std::vector<Reject> rejects = [] {
    std::vector<Reject> result;
    for (const auto& entry : ReadJson(FOLDER / "asm_reject.json")) {
      result.push_back({entry.at("model").get<std::string>(),
                        entry.at("model").get<std::string>() + " " + entry.at("case").get<std::string>(),
                        entry.at("text").get<std::string>()});
    }
    return result;
  }();
  return rejects;
}

bool InScope(const std::string& model) {
  static const char* const MODELS[] = {"vs_1_1", "vs_2_0", "ps_1_1", "ps_1_2", "ps_1_3", "ps_1_4", "ps_2_0"};
  for (const char* name : MODELS) {
    if (model == name) return true;
  }
  return false;
}

using test::ShaderText;

class ShaderVectorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::ShaderVectorSet::Available()) GTEST_SKIP() << "no vector set at " << FOLDER;
  }
};

// Per model: how many vectors of each kind passed, printed for the record.
void PrintCounts(const char* title, const std::map<std::string, std::pair<int, int>>& counts) {
  std::printf("%s\n", title);
  for (const auto& [key, passed] : counts) std::printf("  %-36s %3d / %3d\n", key.c_str(), passed.first, passed.second);
}

TEST_F(ShaderVectorTest, InScopeTextsAssembleTokenForToken) {
  std::map<std::string, std::pair<int, int>> counts;
  for (const Vector& vector : Vectors()) {
    if (!vector.inScope) continue;
    std::vector<uint32_t> tokens;
    std::string errors;
    const bool assembled = ShaderAssembler::Assemble(vector.text, tokens, errors);
    EXPECT_TRUE(assembled) << vector.where << "\n" << vector.text << errors;
    EXPECT_EQ(ShaderText::Hex(tokens), ShaderText::Hex(vector.tokens)) << vector.where << "\n" << vector.text;
    auto& [passed, total] = counts[vector.kind + " " + vector.model];
    passed += assembled && tokens == vector.tokens;
    ++total;
  }
  PrintCounts("assembled token for token:", counts);
}

TEST_F(ShaderVectorTest, InScopeTokensDecodeAndEncodeBack) {
  std::map<std::string, std::pair<int, int>> counts;
  for (const Vector& vector : Vectors()) {
    if (!vector.inScope) continue;
    DecodedShader shader;
    std::string error;
    const bool decoded = ShaderDecoder::Decode(vector.tokens.data(), vector.tokens.size(), shader, error);
    ASSERT_TRUE(decoded) << vector.where << ": " << error;
    EXPECT_EQ(shader.tokenCount, vector.tokens.size()) << vector.where;
    // Back to tokens directly, and through text and the assembler.
    const std::vector<uint32_t> encoded = ShaderEncoder::Encode(shader);
    EXPECT_EQ(ShaderText::Hex(encoded), ShaderText::Hex(vector.tokens)) << vector.where;
    const std::string text = ShaderDisassembler::Disassemble(shader);
    std::vector<uint32_t> reassembled;
    std::string errors;
    EXPECT_TRUE(ShaderAssembler::Assemble(text, reassembled, errors)) << vector.where << "\n" << text << errors;
    EXPECT_EQ(ShaderText::Hex(reassembled), ShaderText::Hex(vector.tokens)) << vector.where << "\n" << text;
    auto& [passed, total] = counts[vector.kind + " " + vector.model];
    passed += encoded == vector.tokens && reassembled == vector.tokens;
    ++total;
  }
  PrintCounts("decoded, re-encoded and round-tripped through text:", counts);
}

TEST_F(ShaderVectorTest, OtherModelsAreRefusedAsUnsupported) {
  for (const Vector& vector : Vectors()) {
    if (vector.inScope) continue;
    std::vector<uint32_t> tokens;
    std::string errors;
    EXPECT_FALSE(ShaderAssembler::Assemble(vector.text, tokens, errors)) << vector.where;
    EXPECT_NE(errors.find("unsupported shader model"), std::string::npos) << vector.where << "\n" << errors;
    DecodedShader shader;
    std::string error;
    EXPECT_FALSE(ShaderDecoder::Decode(vector.tokens.data(), vector.tokens.size(), shader, error)) << vector.where;
    EXPECT_NE(error.find("unsupported shader model"), std::string::npos) << vector.where << ": " << error;
  }
}

TEST_F(ShaderVectorTest, RejectedTextsFailWithTheirLine) {
  const std::regex format(R"(shader\(\d+\): error: [^\n]+\n)");
  int inScope = 0;
  for (const Reject& reject : Rejects()) {
    std::vector<uint32_t> tokens;
    std::string errors;
    EXPECT_FALSE(ShaderAssembler::Assemble(reject.text, tokens, errors)) << reject.where << "\n" << reject.text;
    EXPECT_TRUE(tokens.empty());
    EXPECT_TRUE(std::regex_search(errors, format)) << reject.where << ": " << errors;
    if (InScope(reject.model)) {
      ++inScope;
      // The first line is the version line: the error is on a later one.
      EXPECT_EQ(errors.find("shader(1)"), std::string::npos) << reject.where << ": " << errors;
      std::printf("  %-60s %s", reject.where.substr(0, 60).c_str(), errors.c_str());
    }
  }
  std::printf("in-scope rejects: %d\n", inScope);
}

}  // namespace
}  // namespace ynx
