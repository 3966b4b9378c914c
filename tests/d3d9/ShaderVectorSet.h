#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace ynx::test {

// The shared vector set beside the repository: assembly texts with the
// exact tokens Direct3D's own tools made for them.
class ShaderVectorSet {
 public:
  struct Vector {
    std::string model;
    std::string kind;
    std::string where;  // kind, model and case, for messages
    std::string text;
    std::vector<uint32_t> tokens;
    bool inScope = false;
  };

  static const std::filesystem::path& Folder();
  // Whether the set is there at all (suites skip without it).
  static bool Available();
  // asm_vectors.json, read once.
  static const std::vector<Vector>& Vectors();
};

}  // namespace ynx::test
