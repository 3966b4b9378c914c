#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace ynx::test {

// Assembles little-endian byte sequences by hand, for golden streams.
class ByteWriter {
 public:
  ByteWriter& I8(int8_t value) { return Raw(&value, 1); }
  ByteWriter& I16(int16_t value) { return Raw(&value, 2); }
  ByteWriter& I32(int32_t value) { return Raw(&value, 4); }
  ByteWriter& F32(float value) { return Raw(&value, 4); }
  ByteWriter& F64(double value) { return Raw(&value, 8); }
  ByteWriter& Str(const std::string& text) {
    I32(static_cast<int32_t>(text.size()));
    return Raw(text.data(), text.size());
  }
  // An object definition's head: ID, type name, then the Object fields
  // (name and an empty controller list unless controllers follow).
  ByteWriter& Head(int32_t id, const std::string& type, const std::string& name,
                   int32_t controllers = 0) {
    return I32(id).Str(type).Str(name).I32(controllers);
  }
  ByteWriter& Raw(const void* bytes, size_t count) {
    const auto* begin = static_cast<const uint8_t*>(bytes);
    data.insert(data.end(), begin, begin + count);
    return *this;
  }

  const std::vector<uint8_t>& Bytes() const { return data; }
  int32_t Size() const { return static_cast<int32_t>(data.size()); }

 private:
  std::vector<uint8_t> data;
};

}  // namespace ynx::test
