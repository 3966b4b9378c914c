#include "platform/registry/Registry.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <utility>

#include "platform/os/UserFolders.h"

namespace ynx {
namespace {

const char HEADER[] = "REGEDIT4";
const char ROOT[] = "HKEY_CURRENT_USER";

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Fold(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), Lower);
  return text;
}

bool SameName(std::string_view left, std::string_view right) {
  return left.size() == right.size() &&
         std::equal(left.begin(), left.end(), right.begin(), [](char a, char b) { return Lower(a) == Lower(b); });
}

// Components joined by single backslashes, without leading or trailing ones.
std::string Normalize(std::string_view path) {
  std::string result;
  for (size_t i = 0; i < path.size(); ++i) {
    if (path[i] != '\\') {
      result += path[i];
    } else if (!result.empty() && i + 1 < path.size() && path[i + 1] != '\\') {
      result += '\\';
    }
  }
  return result;
}

// A key line cannot hold a line break; REGEDIT4 has no escape for it there.
bool Storable(const std::string& path) { return path.find_first_of("\r\n") == std::string::npos; }

std::string_view Trim(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = Lower(c);
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// One to eight hex digits.
bool ParseHex(std::string_view digits, uint32_t& result) {
  if (digits.empty() || digits.size() > 8) return false;
  result = 0;
  for (char c : digits) {
    const int digit = HexDigit(c);
    if (digit < 0) return false;
    result = result << 4 | static_cast<uint32_t>(digit);
  }
  return true;
}

// "hex:01,ab" or "hex(7):01,ab": two-digit bytes separated by commas.
bool IsBinary(std::string_view data) {
  const size_t colon = data.find(':');
  if (colon == std::string_view::npos) return false;
  const std::string_view type = data.substr(0, colon);
  uint32_t number;
  if (type != "hex" && !(type.size() > 5 && type.starts_with("hex(") && type.ends_with(')') &&
                         ParseHex(type.substr(4, type.size() - 5), number))) {
    return false;
  }
  const std::string_view bytes = data.substr(colon + 1);
  if (!bytes.empty() && bytes.size() % 3 != 2) return false;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    if (HexDigit(bytes[i]) < 0 || HexDigit(bytes[i + 1]) < 0) return false;
    if (i + 2 < bytes.size() && bytes[i + 2] != ',') return false;
  }
  return true;
}

std::string Quote(const std::string& text) {
  std::string result = "\"";
  for (char c : text) {
    switch (c) {
      case '\\': result += "\\\\"; break;
      case '"': result += "\\\""; break;
      case '\n': result += "\\n"; break;
      case '\r': result += "\\r"; break;
      default: result += c;
    }
  }
  return result + '"';
}

// Reads the quoted text starting at `position`; leaves `position` after it.
bool ParseQuoted(std::string_view line, size_t& position, std::string& text) {
  if (position >= line.size() || line[position] != '"') return false;
  text.clear();
  for (size_t i = position + 1; i < line.size(); ++i) {
    if (line[i] == '"') {
      position = i + 1;
      return true;
    }
    if (line[i] != '\\') {
      text += line[i];
      continue;
    }
    if (++i == line.size()) return false;
    switch (line[i]) {
      case '\\': text += '\\'; break;
      case '"': text += '"'; break;
      case 'n': text += '\n'; break;
      case 'r': text += '\r'; break;
      default: return false;
    }
  }
  return false;
}

// Reads at most MAX_FILE_SIZE + 1 bytes. Returns 0 or an errno value.
// O_NONBLOCK keeps a FIFO put in the file's place from hanging the program.
int ReadFile(const std::string& path, std::string& text) {
  const int file = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (file < 0) return errno;
  int result = 0;
  char buffer[65536];
  while (text.size() <= Registry::MAX_FILE_SIZE) {
    const ssize_t count = read(file, buffer, sizeof buffer);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) result = errno;
    if (count <= 0) break;
    text.append(buffer, static_cast<size_t>(count));
  }
  close(file);
  return result;
}

int WriteAll(int file, const std::string& text) {
  for (size_t done = 0; done < text.size();) {
    const ssize_t count = write(file, text.data() + done, text.size() - done);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return errno;
    done += static_cast<size_t>(count);
  }
  return 0;
}

// Makes the rename itself durable. Filesystems that cannot sync a folder
// report EINVAL; the file is in place then, so that is not a failure.
int SyncFolder(const std::string& folder) {
  const int file = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (file < 0) return errno;
  const int result = fsync(file) == 0 || errno == EINVAL ? 0 : errno;
  close(file);
  return result;
}

// Replaces the file in one step: a reader sees the old content or the new
// one, never a part. Returns 0 or an errno value.
int WriteAtomically(const std::string& path, const std::string& text) {
  if (path.empty()) return ENOENT;
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  std::error_code folderError;
  std::filesystem::create_directories(folder, folderError);
  if (folderError) return folderError.value();
  std::string temporary = path + ".tmp-XXXXXX";
  const int file = mkostemp(temporary.data(), O_CLOEXEC);
  if (file < 0) return errno;
  int result = WriteAll(file, text);
  if (result == 0 && fsync(file) != 0) result = errno;
  if (close(file) != 0 && result == 0) result = errno;
  if (result == 0 && rename(temporary.c_str(), path.c_str()) != 0) result = errno;
  if (result != 0) {
    unlink(temporary.c_str());
    return result;
  }
  return SyncFolder(folder);
}

// Never replaces an existing file, so an earlier kept-aside file survives.
int RenameNoReplace(const std::string& from, const std::string& to) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
  // Filesystems without that flag (NFS): look first, then rename.
  struct stat existing;
  if (lstat(to.c_str(), &existing) == 0) return EEXIST;
  return rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

bool Fail(std::string& problem, size_t lineIndex, const char* what) {
  problem = "line " + std::to_string(lineIndex + 1) + ": " + what;
  return false;
}

std::string TimeStamp() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
  return text;
}

}  // namespace

std::string Registry::DefaultFilePath() {
  const std::string folder = UserFolders::ConfigHome();
  return folder.empty() ? folder : folder + "/Quorvane/Registry.reg";
}

std::string Registry::ErrorText(int error) { return std::generic_category().message(error); }

Registry::Registry(std::string filePath) : filePath(std::move(filePath)) {}

bool Registry::Load(int& error) {
  keys.clear();
  loadError = 0;
  std::string text;
  const int readError = ReadFile(filePath, text);
  if (readError == ENOENT) return true;
  if (readError != 0) {
    error = loadError = readError;
    return false;
  }
  std::string problem = "larger than " + std::to_string(MAX_FILE_SIZE) + " bytes";
  if (text.size() <= MAX_FILE_SIZE && Parse(text, problem)) return true;
  keys.clear();
  return KeepAside(problem, error);
}

bool Registry::CreateKey(const std::string& path, bool& created, int& error) {
  const std::string normalized = Normalize(path);
  const std::string folded = Fold(normalized);
  created = false;
  if (!Storable(normalized)) {
    error = EINVAL;
    return false;
  }
  if (folded.empty() || Holder(folded, folded.size()) != nullptr) return true;
  Insert(normalized);
  if (!Flush(error)) {
    keys.erase(folded);
    return false;
  }
  created = true;
  return true;
}

bool Registry::QueryDword(const std::string& path, const std::string& name, uint32_t& value) const {
  const Value* found = Find(path, name);
  if (found == nullptr || found->type != Type::Dword) return false;
  value = found->dword;
  return true;
}

bool Registry::QueryString(const std::string& path, const std::string& name, std::string& value) const {
  const Value* found = Find(path, name);
  if (found == nullptr || found->type != Type::String) return false;
  value = found->text;
  return true;
}

bool Registry::SetDword(const std::string& path, const std::string& name, uint32_t value) {
  return Set(path, Value{name, Type::Dword, value, std::string()});
}

bool Registry::SetString(const std::string& path, const std::string& name, const std::string& value) {
  return Set(path, Value{name, Type::String, 0, value});
}

bool Registry::Flush(int& error) {
  const int result = loadError != 0 ? loadError : WriteAtomically(filePath, Format());
  if (result == 0) return true;
  error = result;
  return false;
}

bool Registry::TreeOrder::operator()(const std::string& left, const std::string& right) const {
  const auto rank = [](char c) { return c == '\\' ? 0 : static_cast<unsigned char>(c) + 1; };
  return std::lexicographical_compare(left.begin(), left.end(), right.begin(), right.end(),
                                      [&](char a, char b) { return rank(a) < rank(b); });
}

// The stored key that is, or lies under, the first `length` characters of a
// folded path. In tree order such a key is the first one not below them.
const Registry::Key* Registry::Holder(const std::string& folded, size_t length) const {
  const auto found = keys.lower_bound(folded.substr(0, length));
  if (found == keys.end() || found->first.compare(0, length, folded, 0, length) != 0) return nullptr;
  return found->first.size() == length || found->first[length] == '\\' ? &found->second : nullptr;
}

// The path with the spelling of its longest part that already exists.
std::string Registry::Spelling(const std::string& path) const {
  const std::string folded = Fold(path);
  for (size_t length = path.size(); length > 0;) {
    if (const Key* key = Holder(folded, length)) return key->path.substr(0, length) + path.substr(length);
    const size_t separator = path.rfind('\\', length - 1);
    length = separator == std::string::npos ? 0 : separator;
  }
  return path;
}

Registry::Key& Registry::Insert(const std::string& path) {
  std::string folded = Fold(path);
  const auto found = keys.find(folded);
  if (found != keys.end()) return found->second;
  return keys.emplace(std::move(folded), Key{Spelling(path), {}}).first->second;
}

bool Registry::Set(const std::string& path, Value value) {
  const std::string normalized = Normalize(path);
  if (!Storable(normalized)) return false;
  Put(Insert(normalized), std::move(value));
  return true;
}

void Registry::Put(Key& key, Value value) {
  for (Value& old : key.values) {
    if (SameName(old.name, value.name)) {
      value.name = std::move(old.name);
      old = std::move(value);
      return;
    }
  }
  key.values.push_back(std::move(value));
}

const Registry::Value* Registry::Find(const std::string& path, const std::string& name) const {
  const auto key = keys.find(Fold(Normalize(path)));
  if (key == keys.end()) return nullptr;
  for (const Value& value : key->second.values) {
    if (SameName(value.name, name)) return &value;
  }
  return nullptr;
}

bool Registry::Parse(const std::string& text, std::string& problem) {
  std::vector<std::string_view> lines;
  for (size_t start = 0; start < text.size();) {
    const size_t end = std::min(text.find('\n', start), text.size());
    lines.push_back(Trim(std::string_view(text).substr(start, end - start)));
    start = end + 1;
  }
  bool header = false;
  Key* key = nullptr;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string_view line = lines[i];
    if (line.empty() || line[0] == ';') continue;
    if (!header) {
      header = line == HEADER;
      if (!header) return Fail(problem, i, "no REGEDIT4 header");
    } else if (line[0] == '[') {
      if (line.back() != ']') return Fail(problem, i, "key line without closing bracket");
      const std::string_view path = line.substr(1, line.size() - 2);
      const std::string_view root(ROOT);
      if (!SameName(path.substr(0, root.size()), root) || (path.size() > root.size() && path[root.size()] != '\\')) {
        return Fail(problem, i, "key not under HKEY_CURRENT_USER");
      }
      key = &Insert(Normalize(path.substr(root.size())));
    } else if (key == nullptr) {
      return Fail(problem, i, "value outside any key");
    } else {
      Value value;
      size_t position = line[0] == '@' ? 1 : 0;
      if ((position == 0 && !ParseQuoted(line, position, value.name)) || position >= line.size() ||
          line[position] != '=') {
        return Fail(problem, i, "malformed value name");
      }
      std::string data(line.substr(position + 1));
      // Binary data may go on over lines that end in a backslash.
      while (data.starts_with("hex") && data.ends_with('\\') && i + 1 < lines.size()) {
        data.pop_back();
        data += lines[++i];
      }
      size_t end = 0;
      if (ParseQuoted(data, end, value.text) && end == data.size()) {
        value.type = Type::String;
      } else if (data.starts_with("dword:") && ParseHex(std::string_view(data).substr(6), value.dword)) {
        value.type = Type::Dword;
      } else if (IsBinary(data)) {
        value.type = Type::Opaque;
        value.text = data;
      } else {
        return Fail(problem, i, "malformed value");
      }
      Put(*key, std::move(value));
    }
  }
  if (!header) problem = "no REGEDIT4 header";
  return header;
}

std::string Registry::Format() const {
  std::string text = std::string(HEADER) + "\n\n";
  for (const auto& [folded, key] : keys) {
    text += '[' + std::string(ROOT) + (key.path.empty() ? "" : "\\") + key.path + "]\n";
    for (const Value& value : key.values) {
      text += (value.name.empty() ? std::string("@") : Quote(value.name)) + '=';
      if (value.type == Type::Dword) {
        char digits[9];
        snprintf(digits, sizeof digits, "%08x", value.dword);
        text += std::string("dword:") + digits;
      } else {
        text += value.type == Type::String ? Quote(value.text) : value.text;
      }
      text += '\n';
    }
    text += '\n';
  }
  return text;
}

bool Registry::KeepAside(const std::string& problem, int& error) {
  const std::string stem = filePath + ".broken-" + TimeStamp();
  int result = EEXIST;
  for (int attempt = 1; attempt <= 100 && result == EEXIST; ++attempt) {
    const std::string aside = attempt == 1 ? stem : stem + "-" + std::to_string(attempt);
    result = RenameNoReplace(filePath, aside);
    if (result == 0) {
      notices.push_back("The registry file " + filePath + " could not be parsed (" + problem +
                        "); it was kept as " + aside + " and the registry starts empty.");
      return true;
    }
  }
  error = loadError = result;
  return false;
}

}  // namespace ynx
