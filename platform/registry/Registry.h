#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace ynx {

// HKEY_CURRENT_USER of the original platform, kept in one REGEDIT4-style text
// file. Key paths are relative to HKEY_CURRENT_USER: any run of backslashes
// separates two components, leading and trailing ones are ignored. Key and
// value names compare without regard to ASCII case; the first spelling is the
// one kept. A key exists once created, or while a key under it exists.
// Errors are errno values. One thread at a time; nothing locks the file
// against other processes, so the last Flush wins.
class Registry {
 public:
  // $XDG_CONFIG_HOME/Quorvane/Registry.reg when that variable is an absolute
  // path, else under $HOME/.config; empty when no home folder is known.
  static std::string DefaultFilePath();
  // strerror-style text for an error from this class.
  static std::string ErrorText(int error);

  explicit Registry(std::string filePath);

  const std::string& FilePath() const { return filePath; }

  // Replaces the contents with the file's. A missing file is an empty
  // registry. A file that is not a registry (unparsable, or larger than
  // MAX_FILE_SIZE) is renamed aside to "<file>.broken-YYYYMMDD-HHMMSS", a
  // notice says where, and the registry starts empty. A file that cannot be
  // read, or a bad one that cannot be moved aside, gives false; CreateKey and
  // Flush then refuse to write (with that error) so the file is never
  // replaced by defaults.
  bool Load(int& error);
  // Opens or creates a key. Creating one writes the file at once, as the
  // original platform persists a created key; when that write fails the key
  // is not created. Paths holding a line break cannot be stored (EINVAL).
  bool CreateKey(const std::string& path, bool& created, int& error);
  // False when the key or value is missing or holds another type.
  bool QueryDword(const std::string& path, const std::string& name, uint32_t& value) const;
  bool QueryString(const std::string& path, const std::string& name, std::string& value) const;
  // Set a value, creating the key when needed; written by the next Flush. The
  // empty name is the key's default value. False when the path holds a line
  // break.
  bool SetDword(const std::string& path, const std::string& name, uint32_t value);
  bool SetString(const std::string& path, const std::string& name, const std::string& value);
  // Writes the whole file through a temporary file in the same folder renamed
  // over the old one, so a failure (no space, read-only folder) leaves the
  // previous file as it was and no temporary file behind.
  bool Flush(int& error);
  // What Load had to do that the user may want to know (a file kept aside),
  // oldest first, for the caller's log.
  const std::vector<std::string>& Notices() const { return notices; }

  // Anything larger is not a file this class wrote.
  static constexpr size_t MAX_FILE_SIZE = 16 * 1024 * 1024;

 private:
  // Opaque: a well-formed binary type ("hex:" / "hex(N):") this class does
  // not interpret, kept as its text so that it survives a rewrite.
  enum class Type { Dword, String, Opaque };
  struct Value {
    std::string name;
    Type type = Type::Dword;
    uint32_t dword = 0;
    std::string text;
  };
  struct Key {
    std::string path;  // as first spelt, components joined by single backslashes
    std::vector<Value> values;  // in the order they were first set
  };
  // Case-folded paths with a separator ranking below every other character,
  // so that a key's subkeys follow it directly.
  struct TreeOrder {
    bool operator()(const std::string& left, const std::string& right) const;
  };

  const Key* Holder(const std::string& folded, size_t length) const;
  std::string Spelling(const std::string& path) const;
  Key& Insert(const std::string& path);
  bool Set(const std::string& path, Value value);
  static void Put(Key& key, Value value);
  const Value* Find(const std::string& path, const std::string& name) const;
  bool Parse(const std::string& text, std::string& problem);
  std::string Format() const;
  bool KeepAside(const std::string& problem, int& error);

  std::string filePath;
  std::map<std::string, Key, TreeOrder> keys;  // by case-folded path
  std::vector<std::string> notices;
  int loadError = 0;
};

}  // namespace ynx
