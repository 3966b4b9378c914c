#include "tests/io/Rar2TestArchive.h"

#include "engine/io/Crc32.h"

namespace ynx::test {
namespace {

void Put16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

}  // namespace

Rar2TestArchive::Rar2TestArchive(uint16_t mainFlags) {
  bytes = {'R', 'a', 'r', '!', 0x1A, 0x07, 0x00};
  std::vector<uint8_t> main{0, 0, 0x73};
  Put16(main, mainFlags);
  Put16(main, 13);
  Put16(main, 0);
  Put32(main, 0);
  Header(main);
}

Rar2TestArchive& Rar2TestArchive::Stored(const std::string& name, const std::vector<uint8_t>& content) {
  Entry entry;
  entry.name = name;
  entry.data = content;
  entry.unpackedSize = static_cast<uint32_t>(content.size());
  entry.crc = Crc32::Compute(content.data(), content.size());
  return Add(entry);
}

Rar2TestArchive& Rar2TestArchive::Packed(const std::string& name, const std::vector<uint8_t>& packed,
                                         const std::vector<uint8_t>& content, uint16_t flags) {
  Entry entry;
  entry.name = name;
  entry.data = packed;
  entry.unpackedSize = static_cast<uint32_t>(content.size());
  entry.crc = Crc32::Compute(content.data(), content.size());
  entry.method = 0x33;
  entry.flags = flags;
  return Add(entry);
}

Rar2TestArchive& Rar2TestArchive::Directory(const std::string& name) {
  Entry entry;
  entry.name = name;
  entry.flags = 0x80E0;
  entry.attributes = 0x10;
  return Add(entry);
}

Rar2TestArchive& Rar2TestArchive::Add(const Entry& entry) {
  std::vector<uint8_t> header{0, 0, 0x74};
  Put16(header, entry.flags);
  Put16(header, static_cast<uint32_t>(32 + entry.name.size()));
  Put32(header, static_cast<uint32_t>(entry.packedSize >= 0 ? entry.packedSize
                                                             : static_cast<int64_t>(entry.data.size())));
  Put32(header, entry.unpackedSize);
  header.push_back(entry.hostSystem);
  Put32(header, entry.crc);
  Put32(header, 0x5A210000);  // a date in 2025
  header.push_back(entry.unpackVersion);
  header.push_back(entry.method);
  Put16(header, static_cast<uint32_t>(entry.name.size()));
  Put32(header, entry.attributes);
  header.insert(header.end(), entry.name.begin(), entry.name.end());
  Header(header);
  return Raw(entry.data);
}

Rar2TestArchive& Rar2TestArchive::Raw(const std::vector<uint8_t>& raw) {
  bytes.insert(bytes.end(), raw.begin(), raw.end());
  return *this;
}

Rar2TestArchive& Rar2TestArchive::End() {
  Header({0, 0, 0x7B, 0x00, 0x40, 7, 0});
  return *this;
}

void Rar2TestArchive::Header(std::vector<uint8_t> header) {
  const uint32_t crc = Crc32::Compute(header.data() + 2, header.size() - 2);
  header[0] = static_cast<uint8_t>(crc);
  header[1] = static_cast<uint8_t>(crc >> 8);
  Raw(header);
}

}  // namespace ynx::test
