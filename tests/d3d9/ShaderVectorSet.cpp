#include "tests/d3d9/ShaderVectorSet.h"

#include <fstream>

#include <nlohmann/json.hpp>

namespace ynx::test {

const std::filesystem::path& ShaderVectorSet::Folder() {
  static const std::filesystem::path folder = YNX_D3D9_VECTORS;
  return folder;
}

bool ShaderVectorSet::Available() { return std::filesystem::exists(Folder() / "asm_vectors.json"); }

const std::vector<ShaderVectorSet::Vector>& ShaderVectorSet::Vectors() {
  static const std::vector<Vector> vectors = [] {
    std::vector<Vector> result;
    std::ifstream file(Folder() / "asm_vectors.json");
    for (const auto& entry : nlohmann::json::parse(file)) {
      Vector vector;
      vector.model = entry.at("model").get<std::string>();
      vector.kind = entry.at("kind").get<std::string>();
      vector.where = vector.kind + " " + vector.model + " " + entry.at("case").get<std::string>();
      vector.text = entry.at("text").get<std::string>();
      vector.inScope = entry.at("in_scope").get<bool>();
      for (const auto& token : entry.at("tokens")) {
        vector.tokens.push_back(static_cast<uint32_t>(std::stoul(token.get<std::string>(), nullptr, 16)));
      }
      result.push_back(std::move(vector));
    }
    return result;
  }();
  return vectors;
}

}  // namespace ynx::test
