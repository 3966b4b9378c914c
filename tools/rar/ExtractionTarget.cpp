#include "tools/rar/ExtractionTarget.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

namespace ynx::tools {

namespace {

std::string Why() { return std::strerror(errno); }

std::string Joined(const std::vector<std::string>& components, size_t count) {
  std::string path;
  for (size_t index = 0; index < count; ++index) path += (index == 0 ? "" : "/") + components[index];
  return path;
}

// Opens (making it when missing) a folder inside `parent`, refusing links.
int EnterFolder(int parent, const std::string& name) {
  if (::mkdirat(parent, name.c_str(), 0777) != 0 && errno != EEXIST) return -1;
  return ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

timespec FromDos(uint32_t dosTime) {
  std::tm local{};
  local.tm_year = static_cast<int>(dosTime >> 25) + 80;
  local.tm_mon = static_cast<int>((dosTime >> 21) & 0x0F) - 1;
  local.tm_mday = static_cast<int>((dosTime >> 16) & 0x1F);
  local.tm_hour = static_cast<int>((dosTime >> 11) & 0x1F);
  local.tm_min = static_cast<int>((dosTime >> 5) & 0x3F);
  local.tm_sec = static_cast<int>(dosTime & 0x1F) * 2;
  local.tm_isdst = -1;
  return {std::mktime(&local), 0};
}

}  // namespace

ExtractionTarget::~ExtractionTarget() {
  if (root >= 0) ::close(root);
}

bool ExtractionTarget::Open(const std::filesystem::path& folder, std::string& error) {
  std::error_code code;
  std::filesystem::create_directories(folder, code);
  root = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (root < 0) error = "cannot open folder " + folder.string() + ": " + Why();
  return root >= 0;
}

bool ExtractionTarget::Split(const std::string& name, std::vector<std::string>& components) {
  components.clear();
  if (name.empty() || name[0] == '\\' || name[0] == '/') return false;
  // "C:" and "C:name" lead to a drive.
  if (name.size() >= 2 && name[1] == ':') return false;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find_first_of("\\/", start);
    if (end == std::string::npos) end = name.size();
    const std::string part = name.substr(start, end - start);
    if (part == "..") return false;
    if (!part.empty() && part != ".") components.push_back(part);
    start = end + 1;
  }
  return !components.empty();
}

int ExtractionTarget::OpenParent(const std::vector<std::string>& components, std::string& error) const {
  int folder = ::dup(root);
  for (size_t index = 0; folder >= 0 && index + 1 < components.size(); ++index) {
    const int inner = EnterFolder(folder, components[index]);
    if (inner < 0) error = "cannot make folder " + Joined(components, index + 1) + ": " + Why();
    ::close(folder);
    folder = inner;
  }
  return folder;
}

bool ExtractionTarget::MakeDirectory(const std::vector<std::string>& components, std::string& error) {
  const int parent = OpenParent(components, error);
  if (parent < 0) return false;
  const int folder = EnterFolder(parent, components.back());
  if (folder < 0) error = "cannot make folder " + Joined(components, components.size()) + ": " + Why();
  ::close(parent);
  if (folder >= 0) ::close(folder);
  return folder >= 0;
}

bool ExtractionTarget::WriteFile(const std::vector<std::string>& components, const std::vector<uint8_t>& data,
                                 uint32_t dosTime, std::string& error) {
  const int parent = OpenParent(components, error);
  if (parent < 0) return false;
  const std::string& name = components.back();
  const std::string path = Joined(components, components.size());
  // A fresh name, so that an existing file or link of the final name is
  // replaced, never written through.
  std::string temporary;
  int file = -1;
  for (int attempt = 0; file < 0 && attempt < 100; ++attempt) {
    temporary = "." + name + ".part" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
    file = ::openat(parent, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (file < 0 && errno != EEXIST) break;
  }
  bool written = file >= 0;
  for (size_t done = 0; written && done < data.size();) {
    const ssize_t count = ::write(file, data.data() + done, data.size() - done);
    if (count < 0 && errno == EINTR) continue;
    written = count > 0;
    if (written) done += static_cast<size_t>(count);
  }
  if (written) {
    const timespec times[2] = {{0, UTIME_OMIT}, FromDos(dosTime)};
    ::futimens(file, times);
  }
  if (file >= 0 && ::close(file) != 0) written = false;
  if (written && ::renameat(parent, temporary.c_str(), parent, name.c_str()) != 0) written = false;
  if (!written) {
    error = "cannot write " + path + ": " + Why();
    if (file >= 0) ::unlinkat(parent, temporary.c_str(), 0);
  }
  ::close(parent);
  return written;
}

}  // namespace ynx::tools
