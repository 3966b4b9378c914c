#include "tools/rar/InputCollector.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <system_error>

namespace ynx::tools {

namespace fs = std::filesystem;

namespace {

std::string UpperCase(std::string name) {
  std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return name;
}

std::string Join(const std::string& prefix, const std::string& name) {
  return prefix.empty() ? name : prefix + "\\" + name;
}

}  // namespace

bool InputCollector::Claim(const std::string& name, const fs::path& source, bool directory, std::string& error) {
  if (name.size() > MAX_NAME) {
    error = "name longer than " + std::to_string(MAX_NAME) + " bytes: " + name;
    return false;
  }
  const auto [place, added] = taken.emplace(UpperCase(name), entries.size());
  if (added) return true;
  const ArchiveEntry& other = entries[place->second];
  std::error_code code;
  if (directory ? other.directory : !other.directory && fs::equivalent(source, other.source, code)) return false;
  error = "two inputs would have the same name in the archive (names differing only in case count as the same): " +
          name;
  return false;
}

bool InputCollector::AddFile(const fs::path& path, const std::string& name, std::string& error) {
  std::error_code code;
  if (!excluded.empty() && fs::equivalent(path, excluded, code)) return true;
  if (Claim(name, path, false, error)) entries.push_back({name, path, false});
  return error.empty();
}

bool InputCollector::AddDirectory(const fs::path& path, const std::string& name, std::string& error) {
  if (Claim(name, path, true, error)) entries.push_back({name, path, true});
  return error.empty() && AddFolderContent(path, name, error);
}

bool InputCollector::AddFolderContent(const fs::path& path, const std::string& prefix, std::string& error) {
  std::error_code code;
  std::vector<fs::directory_entry> children;
  for (fs::directory_iterator it(path, code), end; !code && it != end; it.increment(code)) children.push_back(*it);
  if (code) {
    error = "cannot read folder " + path.string() + ": " + code.message();
    return false;
  }
  std::sort(children.begin(), children.end(),
            [](const fs::directory_entry& a, const fs::directory_entry& b) { return a.path().filename() < b.path().filename(); });
  for (const fs::directory_entry& child : children) {
    const std::string leaf = child.path().filename().string();
    if (leaf.find('\\') != std::string::npos) {
      error = "a name with a backslash cannot be stored (it separates folders in the archive): " + child.path().string();
      return false;
    }
    const fs::file_status status = child.symlink_status(code);
    if (fs::is_symlink(status)) {
      std::fprintf(stderr, "ynx-rar: leaving out symbolic link %s\n", child.path().c_str());
    } else if (fs::is_directory(status)) {
      if (!AddDirectory(child.path(), Join(prefix, leaf), error)) return false;
    } else if (fs::is_regular_file(status)) {
      if (!AddFile(child.path(), Join(prefix, leaf), error)) return false;
    } else {
      std::fprintf(stderr, "ynx-rar: leaving out %s (not a regular file)\n", child.path().c_str());
    }
  }
  return true;
}

bool InputCollector::Add(const std::string& argument, std::string& error) {
  const fs::path path(argument);
  std::error_code code;
  const fs::file_status status = fs::status(path, code);
  if (!fs::exists(status)) {
    error = "no such file or folder: " + argument;
    return false;
  }
  if (!fs::is_directory(status) && !fs::is_regular_file(status)) {
    error = "not a regular file or folder: " + argument;
    return false;
  }

  // The name as given, without root, "." and leading "..".
  fs::path normal = path.lexically_normal();
  if (!normal.has_filename() && normal.has_relative_path()) normal = normal.parent_path();
  std::vector<std::string> components;
  for (const fs::path& part : normal.relative_path()) {
    const std::string text = part.string();
    if (text.empty() || text == "." || text == "..") continue;
    if (text.find('\\') != std::string::npos) {
      error = "a name with a backslash cannot be stored (it separates folders in the archive): " + argument;
      return false;
    }
    components.push_back(text);
  }

  if (relative || components.empty()) {
    if (fs::is_directory(status)) return AddFolderContent(path, "", error);
    return AddFile(path, path.filename().string(), error);
  }
  // Every folder of the path gets its entry before what it holds.
  std::string name;
  for (size_t level = 0; level + 1 < components.size(); ++level) {
    name = Join(name, components[level]);
    fs::path folder = normal;
    for (size_t up = level + 1; up < components.size(); ++up) folder = folder.parent_path();
    if (Claim(name, folder, true, error)) entries.push_back({name, folder, true});
    if (!error.empty()) return false;
  }
  name = Join(name, components.back());
  if (fs::is_directory(status)) return AddDirectory(path, name, error);
  return AddFile(path, name, error);
}

}  // namespace ynx::tools
