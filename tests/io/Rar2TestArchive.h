#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ynx::test {

// Assembles RAR 1.5-2.x archives by hand: the marker, a main header and
// blocks with correct header CRCs, so that tests can build exactly the
// entries (and the damage) they need.
class Rar2TestArchive {
 public:
  struct Entry {
    std::string name;
    std::vector<uint8_t> data;  // as stored in the archive
    int64_t packedSize = -1;    // -1: the size of data
    uint32_t unpackedSize = 0;
    uint32_t crc = 0;
    uint16_t flags = 0x8000;
    uint8_t hostSystem = 2;
    uint8_t unpackVersion = 20;
    uint8_t method = 0x30;
    uint32_t attributes = 0x20;
  };

  explicit Rar2TestArchive(uint16_t mainFlags = 0);

  // A stored entry, with its size and CRC.
  Rar2TestArchive& Stored(const std::string& name, const std::vector<uint8_t>& content);
  // An entry packed with the RAR 2.0 method: its packed bytes and the content they give.
  Rar2TestArchive& Packed(const std::string& name, const std::vector<uint8_t>& packed,
                          const std::vector<uint8_t>& content, uint16_t flags = 0x8000);
  Rar2TestArchive& Directory(const std::string& name);
  Rar2TestArchive& Add(const Entry& entry);
  Rar2TestArchive& Raw(const std::vector<uint8_t>& bytes);
  Rar2TestArchive& End();

  const std::vector<uint8_t>& Bytes() const { return bytes; }

  static std::vector<uint8_t> Text(const std::string& text) { return {text.begin(), text.end()}; }

 private:
  // Appends a header, filling in its CRC.
  void Header(std::vector<uint8_t> header);

  std::vector<uint8_t> bytes;
};

}  // namespace ynx::test
