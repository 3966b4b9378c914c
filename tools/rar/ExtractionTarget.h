#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace ynx::tools {

// The folder an archive is extracted into. Entry names come from the
// archive and are not trusted: a name that is absolute, has a drive letter
// or a ".." component is refused, and no symbolic link met on the way is
// followed, so nothing is ever written outside the folder. Files are written
// under a temporary name and renamed into place.
class ExtractionTarget {
 public:
  ExtractionTarget() = default;
  ExtractionTarget(const ExtractionTarget&) = delete;
  ExtractionTarget& operator=(const ExtractionTarget&) = delete;
  ~ExtractionTarget();

  // Creates the folder when missing.
  bool Open(const std::filesystem::path& folder, std::string& error);

  // The components of an archive name ("\" or "/" between them); false for a
  // name that would leave the folder.
  static bool Split(const std::string& name, std::vector<std::string>& components);

  bool MakeDirectory(const std::vector<std::string>& components, std::string& error);
  // `dosTime` becomes the file's modification time.
  bool WriteFile(const std::vector<std::string>& components, const std::vector<uint8_t>& data, uint32_t dosTime,
                 std::string& error);

 private:
  // An open descriptor of the folder holding the last component, made on
  // the way; -1 on failure.
  int OpenParent(const std::vector<std::string>& components, std::string& error) const;

  int root = -1;
};

}  // namespace ynx::tools
