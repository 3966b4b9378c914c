// ynx-rar: lists, tests, extracts and creates archives in the RAR 1.5-2.x
// format, compressing with the RAR 2.0 method. Reading goes through the
// engine's archive reader.

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/io/Rar2Archive.h"
#include "tools/rar/ArchiveWriter.h"
#include "tools/rar/ExtractionTarget.h"
#include "tools/rar/InputCollector.h"

namespace {

using ynx::Rar2Archive;
using ynx::tools::ArchiveWriter;

constexpr char USAGE[] =
    "Usage: ynx-rar l ARCHIVE            list the entries\n"
    "       ynx-rar t ARCHIVE            test every entry (unpack, check its CRC)\n"
    "       ynx-rar x ARCHIVE [FOLDER]   extract into FOLDER (default: here)\n"
    "       ynx-rar a [OPTIONS] ARCHIVE FILES_OR_FOLDERS...\n"
    "Archives are in the RAR 1.5-2.x format; `a` compresses with the RAR 2.0\n"
    "method and replaces ARCHIVE if it exists. Folders are packed with all they\n"
    "hold; names keep the path as given (less its root and leading ..).\n"
    "\n"
    "Options of `a`:\n"
    "  -m0          store without compression\n"
    "  -m1 .. -m5   compress, from fastest to best (default -m3)\n"
    "  -mm          code every block in audio mode (default: audio mode is\n"
    "               chosen per block when it is smaller, as for PCM sound)\n"
    "  -mm-         never use audio mode\n"
    "  -s           solid archive: one stream across all files\n"
    "  -ep1         name entries relative to the arguments: a folder's content\n"
    "               without the folder, a file by its bare name\n"
    "  -h, --help   show this help and exit\n"
    "Exit status: 0 success, 1 failure, 2 wrong usage.\n";

int Usage(const char* problem) {
  std::fprintf(stderr, "ynx-rar: %s\n%s", problem, USAGE);
  return 2;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "ynx-rar: %s\n", message.c_str());
  return 1;
}

bool ReadArchive(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
  std::error_code code;
  if (!file || std::filesystem::is_directory(path, code)) {
    error = "cannot open " + path + (file ? ": a folder" : std::string(": ") + std::strerror(errno));
    return false;
  }
  uint8_t chunk[65536];
  for (size_t count; (count = std::fread(chunk, 1, sizeof chunk, file.get())) > 0;) {
    bytes.insert(bytes.end(), chunk, chunk + count);
  }
  if (std::ferror(file.get()) != 0) {
    error = "cannot read " + path;
    return false;
  }
  return true;
}

// The archive, opened; the bytes must outlive the reader.
struct OpenArchive {
  std::vector<uint8_t> bytes;
  Rar2Archive archive;
};

bool Open(const std::string& path, OpenArchive& open, std::string& error) {
  if (!ReadArchive(path, open.bytes, error)) return false;
  if (!open.archive.Open(open.bytes.data(), open.bytes.size())) {
    error = path + " is not an archive of the RAR 1.5-2.x format (or its headers are encrypted)";
    return false;
  }
  return true;
}

std::string MethodName(const Rar2Archive::Entry& entry) {
  if (entry.IsDirectory()) return "folder";
  if (entry.unpackVersion < 13 || entry.unpackVersion > 20) return std::string("v") + std::to_string(entry.unpackVersion);
  if (entry.method == Rar2Archive::METHOD_STORE) return "store";
  if (entry.method > 0x30 && entry.method <= 0x35) return std::string("m") + std::to_string(entry.method - 0x30);
  char text[8];
  std::snprintf(text, sizeof text, "0x%02x", entry.method);
  return text;
}

std::string DosTimeText(uint32_t time) {
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u", (time >> 25) + 1980, (time >> 21) & 0x0F,
                (time >> 16) & 0x1F, (time >> 11) & 0x1F, (time >> 5) & 0x3F);
  return text;
}

int List(const std::string& path) {
  OpenArchive open;
  std::string error;
  if (!Open(path, open, error)) return Fail(error);
  std::printf("Archive %s%s\n", path.c_str(), open.archive.IsSolid() ? " (solid)" : "");
  std::printf("%12s %12s %6s %-6s %-8s %-8s %-16s %s\n", "Size", "Packed", "Ratio", "Method", "CRC32", "Attr",
              "Modified", "Name");
  uint64_t size = 0, packed = 0, files = 0, folders = 0;
  for (const Rar2Archive::Entry& entry : open.archive.Entries()) {
    const std::string ratio =
        entry.unpackedSize == 0 ? "-" : std::to_string(uint64_t{entry.packedSize} * 100 / entry.unpackedSize) + "%";
    std::printf("%12" PRIu32 " %12" PRIu32 " %6s %-6s %08" PRIx32 " %08" PRIx32 " %-16s %s\n", entry.unpackedSize,
                entry.packedSize, ratio.c_str(), MethodName(entry).c_str(), entry.crc, entry.attributes,
                DosTimeText(entry.fileTime).c_str(), entry.name.c_str());
    size += entry.unpackedSize;
    packed += entry.packedSize;
    ++(entry.IsDirectory() ? folders : files);
  }
  std::printf("%12" PRIu64 " %12" PRIu64 " %6s %" PRIu64 " files, %" PRIu64 " folders\n", size, packed,
              size == 0 ? "-" : (std::to_string(packed * 100 / size) + "%").c_str(), files, folders);
  return 0;
}

int Test(const std::string& path) {
  OpenArchive open;
  std::string error;
  if (!Open(path, open, error)) return Fail(error);
  const auto& entries = open.archive.Entries();
  size_t failed = 0;
  open.archive.ExtractAll([&](size_t index, bool ok, std::vector<uint8_t>&) {
    std::printf("%-6s %s\n", ok ? "OK" : "FAILED", entries[index].name.c_str());
    if (!ok) ++failed;
  });
  if (failed > 0) return Fail(std::to_string(failed) + " of the entries failed the test");
  std::printf("All OK\n");
  return 0;
}

int Extract(const std::string& path, const std::string& folder) {
  OpenArchive open;
  std::string error;
  if (!Open(path, open, error)) return Fail(error);
  ynx::tools::ExtractionTarget target;
  if (!target.Open(folder, error)) return Fail(error);
  const auto& entries = open.archive.Entries();
  size_t failed = 0;
  auto refuse = [&](const std::string& message) {
    std::fprintf(stderr, "ynx-rar: %s\n", message.c_str());
    ++failed;
  };
  std::vector<std::string> components;
  for (const Rar2Archive::Entry& entry : entries) {
    if (!entry.IsDirectory()) continue;
    if (!ynx::tools::ExtractionTarget::Split(entry.name, components)) {
      refuse("refusing folder " + entry.name + ": the name leads outside the destination");
    } else if (!target.MakeDirectory(components, error)) {
      refuse(error);
    }
  }
  open.archive.ExtractAll([&](size_t index, bool ok, std::vector<uint8_t>& data) {
    const Rar2Archive::Entry& entry = entries[index];
    if (!ynx::tools::ExtractionTarget::Split(entry.name, components)) {
      refuse("refusing " + entry.name + ": the name leads outside the destination");
    } else if (!ok) {
      refuse("cannot extract " + entry.name + " (damaged, encrypted, or a method other than RAR 2.0)");
    } else if (!target.WriteFile(components, data, entry.fileTime, error)) {
      refuse(error);
    } else {
      std::printf("x %s\n", entry.name.c_str());
    }
  });
  if (failed > 0) return Fail(std::to_string(failed) + " of the entries were not extracted");
  return 0;
}

int Add(int count, char** arguments) {
  ArchiveWriter::Options options;
  bool relative = false;
  int index = 0;
  for (; index < count && arguments[index][0] == '-'; ++index) {
    const std::string option = arguments[index];
    if (option == "--") {
      ++index;
      break;
    }
    if (option.size() == 3 && option.compare(0, 2, "-m") == 0 && option[2] >= '0' && option[2] <= '5') {
      options.level = option[2] - '0';
    } else if (option == "-mm") {
      options.audio = ynx::tools::Rar20Encoder::Audio::Force;
    } else if (option == "-mm-") {
      options.audio = ynx::tools::Rar20Encoder::Audio::Off;
    } else if (option == "-s") {
      options.solid = true;
    } else if (option == "-ep1") {
      relative = true;
    } else {
      return Usage(("unknown option " + option).c_str());
    }
  }
  if (count - index < 2) return Usage("`a` needs an archive and at least one file or folder");
  const std::filesystem::path archive = arguments[index++];

  ynx::tools::InputCollector inputs(relative);
  inputs.Exclude(archive);
  std::string error;
  for (; index < count; ++index) {
    if (!inputs.Add(arguments[index], error)) return Fail(error);
  }
  if (inputs.Entries().empty()) return Fail("nothing to pack");

  uint64_t size = 0, packed = 0;
  auto added = [&](const ArchiveWriter::Added& item) {
    if (item.entry->directory) {
      std::printf("a %-48s %10s\n", item.entry->name.c_str(), "folder");
      return;
    }
    size += item.size;
    packed += item.packed;
    const std::string ratio = item.size == 0 ? "-" : std::to_string(item.packed * 100 / item.size) + "%";
    std::string coding = item.method == 0x30 ? std::string("stored") : std::string("m") + std::to_string(item.method - 0x30);
    if (item.blocks.audioBlocks > 0) {
      coding += item.blocks.lzBlocks > 0 ? ", LZ and audio blocks" : ", audio blocks";
    }
    std::printf("a %-48s %10" PRIu64 " -> %10" PRIu64 " %5s  %s\n", item.entry->name.c_str(), item.size,
                item.packed, ratio.c_str(), coding.c_str());
  };
  if (!ArchiveWriter(options).Write(archive, inputs.Entries(), added, error)) return Fail(error);
  std::printf("%" PRIu64 " -> %" PRIu64 " bytes in %s\n", size, packed, archive.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && (std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0)) {
    std::fputs(USAGE, stdout);
    return 0;
  }
  if (argc < 3) return Usage("missing command or archive");
  const std::string command = argv[1];
  if (command == "a") return Add(argc - 2, argv + 2);
  if (command == "l" && argc == 3) return List(argv[2]);
  if (command == "t" && argc == 3) return Test(argv[2]);
  if (command == "x" && (argc == 3 || argc == 4)) return Extract(argv[2], argc == 4 ? argv[3] : ".");
  return Usage(("wrong command or arguments: " + command).c_str());
}
