#include "tools/rar/ArchiveWriter.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <memory>

#include "engine/io/Crc32.h"

namespace ynx::tools {

namespace {

constexpr uint8_t MARKER[7] = {'R', 'a', 'r', '!', 0x1A, 0x07, 0x00};
constexpr uint8_t MAIN_HEADER = 0x73;
constexpr uint8_t FILE_HEADER = 0x74;
constexpr uint8_t END_BLOCK = 0x7B;

constexpr uint16_t MAIN_SOLID = 0x0008;
constexpr uint16_t FILE_SOLID = 0x0010;
constexpr uint16_t FILE_DICTIONARY_1M = 0x0080;
constexpr uint16_t FILE_DIRECTORY = 0x00E0;
constexpr uint16_t LONG_BLOCK = 0x8000;
// Readers that do not know the end block skip it.
constexpr uint16_t SKIP_IF_UNKNOWN = 0x4000;

constexpr uint8_t HOST_WIN32 = 2;
constexpr uint8_t UNPACK_VERSION = 20;
constexpr uint8_t METHOD_STORE = 0x30;
constexpr uint32_t ATTRIBUTE_READ_ONLY = 0x01;
constexpr uint32_t ATTRIBUTE_DIRECTORY = 0x10;
constexpr uint32_t ATTRIBUTE_ARCHIVE = 0x20;
constexpr uint64_t MAX_FILE_SIZE = 0xFFFFFFFFu;

void Put16(std::vector<uint8_t>& bytes, uint32_t value) {
  bytes.push_back(static_cast<uint8_t>(value));
  bytes.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(std::vector<uint8_t>& bytes, uint32_t value) {
  Put16(bytes, value & 0xFFFF);
  Put16(bytes, value >> 16);
}

// A block header: CRC, type, flags and size, then `fields`. The CRC is the
// low half of the CRC-32 of everything from the type on.
std::vector<uint8_t> Block(uint8_t type, uint16_t flags, const std::vector<uint8_t>& fields) {
  std::vector<uint8_t> bytes = {0, 0, type};
  Put16(bytes, flags);
  Put16(bytes, static_cast<uint32_t>(7 + fields.size()));
  bytes.insert(bytes.end(), fields.begin(), fields.end());
  const uint32_t crc = Crc32::Compute(bytes.data() + 2, bytes.size() - 2);
  bytes[0] = static_cast<uint8_t>(crc);
  bytes[1] = static_cast<uint8_t>(crc >> 8);
  return bytes;
}

struct FileFields {
  uint16_t flags;
  uint32_t packed;
  uint32_t size;
  uint32_t crc;
  uint32_t time;
  uint8_t method;
  uint32_t attributes;
};

std::vector<uint8_t> FileHeader(const FileFields& file, const std::string& name) {
  std::vector<uint8_t> fields;
  Put32(fields, file.packed);
  Put32(fields, file.size);
  fields.push_back(HOST_WIN32);
  Put32(fields, file.crc);
  Put32(fields, file.time);
  fields.push_back(UNPACK_VERSION);
  fields.push_back(file.method);
  Put16(fields, static_cast<uint32_t>(name.size()));
  Put32(fields, file.attributes);
  fields.insert(fields.end(), name.begin(), name.end());
  return Block(FILE_HEADER, static_cast<uint16_t>(LONG_BLOCK | file.flags), fields);
}

// Local time in the DOS layout, clamped to the years it can hold.
uint32_t DosTime(time_t seconds) {
  std::tm local{};
  if (localtime_r(&seconds, &local) == nullptr || local.tm_year < 80) return (1u << 21) | (1u << 16);
  if (local.tm_year > 207) return (127u << 25) | (12u << 21) | (31u << 16) | (23u << 11) | (59u << 5) | 29u;
  return static_cast<uint32_t>(local.tm_year - 80) << 25 | static_cast<uint32_t>(local.tm_mon + 1) << 21 |
         static_cast<uint32_t>(local.tm_mday) << 16 | static_cast<uint32_t>(local.tm_hour) << 11 |
         static_cast<uint32_t>(local.tm_min) << 5 | static_cast<uint32_t>(local.tm_sec / 2);
}

bool Put(std::FILE* file, const std::vector<uint8_t>& bytes) {
  return bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

bool ReadWhole(const std::filesystem::path& path, uint64_t size, std::vector<uint8_t>& data, std::string& error) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
  if (!file) {
    error = "cannot open " + path.string() + ": " + std::strerror(errno);
    return false;
  }
  data.resize(size);
  if (size > 0 && std::fread(data.data(), 1, size, file.get()) != size) {
    error = "cannot read " + path.string() + " (did it change while being packed?)";
    return false;
  }
  return true;
}

std::string Why() { return std::strerror(errno); }

}  // namespace

std::vector<ArchiveEntry> ArchiveWriter::SolidOrder(const std::vector<ArchiveEntry>& entries) const {
  if (!options.solid) return entries;
  // Some readers take every entry from the first one without the solid
  // flag as a part of the stream, empty or not, and fail on the empty
  // ones; folders and empty files therefore go first.
  std::vector<ArchiveEntry> ordered;
  std::vector<ArchiveEntry> files;
  for (const ArchiveEntry& entry : entries) {
    std::error_code code;
    const bool empty = !entry.directory && std::filesystem::file_size(entry.source, code) == 0 && !code;
    (entry.directory || empty ? ordered : files).push_back(entry);
  }
  ordered.insert(ordered.end(), files.begin(), files.end());
  return ordered;
}

bool ArchiveWriter::WriteEntries(std::FILE* file, const std::vector<ArchiveEntry>& entries,
                                 const std::function<void(const Added&)>& added, std::string& error) {
  if (std::fwrite(MARKER, 1, sizeof MARKER, file) != sizeof MARKER) return false;
  std::vector<uint8_t> reserved(6, 0);
  if (!Put(file, Block(MAIN_HEADER, options.solid ? MAIN_SOLID : 0, reserved))) return false;

  Rar20Encoder::Options encoding;
  encoding.level = options.level;
  encoding.audio = options.audio;
  Rar20Encoder encoder(encoding);
  bool streamStarted = false;
  std::vector<uint8_t> data;
  for (const ArchiveEntry& entry : SolidOrder(entries)) {
    struct stat info {};
    if (::stat(entry.source.c_str(), &info) != 0) {
      error = "cannot read " + entry.source.string() + ": " + Why();
      return false;
    }
    const uint32_t time = options.time ? *options.time : DosTime(info.st_mtime);
    FileFields fields{FILE_DICTIONARY_1M, 0, 0, 0, time, METHOD_STORE, ATTRIBUTE_ARCHIVE};
    if ((info.st_mode & S_IWUSR) == 0) fields.attributes |= ATTRIBUTE_READ_ONLY;
    Added report{&entry, 0, 0, METHOD_STORE, {}};
    if (entry.directory) {
      fields.flags = FILE_DIRECTORY;
      fields.attributes = ATTRIBUTE_DIRECTORY;
      if (!Put(file, FileHeader(fields, entry.name))) return false;
      added(report);
      continue;
    }
    const auto size = static_cast<uint64_t>(info.st_size);
    if (size > MAX_FILE_SIZE) {
      error = entry.source.string() + " is too large for this format (" + std::to_string(size) +
              " bytes; at most 4294967295)";
      return false;
    }
    if (!ReadWhole(entry.source, size, data, error)) return false;
    fields.size = static_cast<uint32_t>(size);
    fields.crc = Crc32::Compute(data.data(), data.size());
    std::vector<uint8_t> packed;
    if (options.level > 0 && size > 0) {
      if (!options.solid) encoder.Reset();
      packed = encoder.Compress(data.data(), data.size(),
                                options.solid ? Rar20Encoder::Ending::Exact : Rar20Encoder::Ending::Padded);
      report.blocks = encoder.LastReport();
      // A solid stream must go on through every file; elsewhere data that
      // does not shrink is stored.
      if (options.solid || packed.size() < size) {
        fields.method = static_cast<uint8_t>(METHOD_STORE + options.level);
        if (options.solid && streamStarted) fields.flags |= FILE_SOLID;
        streamStarted = true;
      } else {
        report.blocks = {};
      }
    }
    const std::vector<uint8_t>& content = fields.method == METHOD_STORE ? data : packed;
    if (content.size() > MAX_FILE_SIZE) {
      error = entry.source.string() + " does not fit this format once packed";
      return false;
    }
    fields.packed = static_cast<uint32_t>(content.size());
    if (!Put(file, FileHeader(fields, entry.name)) || !Put(file, content)) return false;
    report.size = size;
    report.packed = content.size();
    report.method = fields.method;
    added(report);
  }
  return Put(file, Block(END_BLOCK, SKIP_IF_UNKNOWN, {}));
}

bool ArchiveWriter::Write(const std::filesystem::path& path, const std::vector<ArchiveEntry>& entries,
                          const std::function<void(const Added&)>& added, std::string& error) {
  const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
  std::string temporary = (folder / (std::string(".") + path.filename().string() + ".XXXXXX")).string();
  const int descriptor = ::mkstemp(temporary.data());
  if (descriptor < 0) {
    error = "cannot create a file in " + folder.string() + ": " + Why();
    return false;
  }
  std::FILE* file = ::fdopen(descriptor, "wb");
  if (file == nullptr) {
    error = "cannot write " + temporary + ": " + Why();
    ::close(descriptor);
    ::unlink(temporary.c_str());
    return false;
  }
  // The archive gets the permissions of any new file, not mkstemp's.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  bool written = ::fchmod(descriptor, 0666 & ~mask) == 0 && WriteEntries(file, entries, added, error);
  if (written && (std::fflush(file) != 0 || ::fsync(descriptor) != 0)) written = false;
  if (!written && error.empty()) error = "cannot write " + path.string() + ": " + Why();
  if (std::fclose(file) != 0 && written) {
    error = "cannot write " + path.string() + ": " + Why();
    written = false;
  }
  if (written && std::rename(temporary.c_str(), path.c_str()) != 0) {
    error = "cannot replace " + path.string() + ": " + Why();
    written = false;
  }
  if (!written) ::unlink(temporary.c_str());
  return written;
}

}  // namespace ynx::tools
