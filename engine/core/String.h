#pragma once

#include <cstdint>

namespace ynx {

// Byte string with an explicit length; the buffer always ends in a NUL so that
// CStr() can go straight to printf-style calls. No case folding, no encoding.
class String {
 public:
  String();
  // A length of -1 takes the bytes up to the first NUL; a null text is empty.
  String(const char* text, int32_t length = -1);  // NOLINT: implicit on purpose
  String(const String& other);
  ~String();

  String& operator=(const String& other);
  String& operator=(const char* text);

  friend String operator+(const String& left, const String& right);
  friend String operator+(const String& left, const char* right);

  // Bytes from start, count of them or up to the end (-1: the rest); empty
  // when start lies outside [0, length).
  String Substring(int32_t start, int32_t count = -1) const;
  // Index of the first occurrence of the byte, or -1.
  int32_t Find(char byte) const;

  bool operator==(const String& other) const;
  bool operator==(const char* text) const;

  int32_t Length() const { return length; }
  bool IsEmpty() const { return length == 0; }
  const char* CStr() const { return data; }
  char operator[](int32_t index) const { return data[index]; }

 private:
  void Replace(const char* bytes, int32_t count);

  char* data;
  int32_t length;
};

}  // namespace ynx
