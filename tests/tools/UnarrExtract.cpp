// Extracts every entry of an archive with libunarr into a folder, as a
// second, independent decoder for the tests: unarr-extract ARCHIVE FOLDER.
// Names use "/" or "\" between folders; folders are made as needed. Exit
// status 0 when every entry came out whole, 1 otherwise.

#include <unarr.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: unarr-extract ARCHIVE FOLDER\n");
    return 2;
  }
  ar_stream* stream = ar_open_file(argv[1]);
  ar_archive* archive = stream != nullptr ? ar_open_rar_archive(stream) : nullptr;
  if (archive == nullptr) {
    std::fprintf(stderr, "unarr-extract: cannot open %s as an archive\n", argv[1]);
    if (stream != nullptr) ar_close(stream);
    return 1;
  }
  int status = 0;
  std::vector<unsigned char> data;
  while (ar_parse_entry(archive)) {
    std::string name = ar_entry_get_name(archive);
    for (char& c : name) {
      if (c == '\\') c = '/';
    }
    data.resize(ar_entry_get_size(archive));
    if (!data.empty() && !ar_entry_uncompress(archive, data.data(), data.size())) {
      std::fprintf(stderr, "unarr-extract: cannot uncompress %s\n", name.c_str());
      status = 1;
      continue;
    }
    const std::filesystem::path path = std::filesystem::path(argv[2]) / name;
    std::filesystem::create_directories(path.parent_path());
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(data.data(), 1, data.size(), file) != data.size()) status = 1;
    if (file != nullptr && std::fclose(file) != 0) status = 1;
  }
  if (!ar_at_eof(archive)) {
    std::fprintf(stderr, "unarr-extract: %s ends before its last entry\n", argv[1]);
    status = 1;
  }
  ar_close_archive(archive);
  ar_close(stream);
  return status;
}
