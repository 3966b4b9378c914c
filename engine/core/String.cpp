#include "engine/core/String.h"

#include <cstring>

namespace ynx {

String::String() : data(new char[1]{0}), length(0) {}

String::String(const char* text, int32_t count) : data(nullptr), length(0) {
  if (text == nullptr) {
    count = 0;
  } else if (count < 0) {
    count = static_cast<int32_t>(std::strlen(text));
  }
  Replace(text, count);
}

String::String(const String& other) : data(nullptr), length(0) {
  Replace(other.data, other.length);
}

String::~String() { delete[] data; }

String& String::operator=(const String& other) {
  if (this == &other) return *this;
  if (length == other.length) {
    std::memcpy(data, other.data, static_cast<size_t>(length));
  } else {
    Replace(other.data, other.length);
  }
  return *this;
}

String& String::operator=(const char* text) {
  String copy(text);
  Replace(copy.data, copy.length);
  return *this;
}

void String::Replace(const char* bytes, int32_t count) {
  char* buffer = new char[static_cast<size_t>(count) + 1];
  if (count > 0) std::memcpy(buffer, bytes, static_cast<size_t>(count));
  buffer[count] = 0;
  delete[] data;
  data = buffer;
  length = count;
}

String operator+(const String& left, const char* right) {
  const String tail(right);
  return left + tail;
}

String operator+(const String& left, const String& right) {
  String result;
  char* buffer = new char[static_cast<size_t>(left.length) + right.length + 1];
  std::memcpy(buffer, left.data, static_cast<size_t>(left.length));
  std::memcpy(buffer + left.length, right.data, static_cast<size_t>(right.length) + 1);
  delete[] result.data;
  result.data = buffer;
  result.length = left.length + right.length;
  return result;
}

String String::Substring(int32_t start, int32_t count) const {
  if (start < 0 || start >= length) return String();
  const int32_t available = length - start;
  if (count < 0 || count > available) count = available;
  return String(data + start, count);
}

int32_t String::Find(char byte) const {
  const void* hit = std::memchr(data, byte, static_cast<size_t>(length));
  return hit == nullptr ? -1 : static_cast<int32_t>(static_cast<const char*>(hit) - data);
}

bool String::operator==(const String& other) const {
  return length == other.length && std::memcmp(data, other.data, static_cast<size_t>(length)) == 0;
}

bool String::operator==(const char* text) const {
  if (text == nullptr) return length == 0;
  const size_t count = std::strlen(text);
  return count == static_cast<size_t>(length) && std::memcmp(data, text, count) == 0;
}

}  // namespace ynx
