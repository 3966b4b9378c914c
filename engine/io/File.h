#pragma once

#include <cstdint>
#include <cstdio>

#include "engine/core/MemoryStream.h"
#include "engine/core/Named.h"

namespace ynx {

class Directory;

// A stream over the contents of a file. Opening for reading fills the buffer
// with the whole content; opening for writing starts empty, and closing
// writes the buffer out. This base is a file on disk, named by its path;
// MemoryFile keeps the content in memory instead.
class File : public MemoryStream, public Named {
 public:
  enum Mode : int32_t {
    MODE_READ = 0,
    MODE_WRITE = 1,
    MODE_APPEND = 2,
  };

  explicit File(const String& name);
  ~File() override;

  // Open: the position in write and append modes, the content size in read
  // mode. Closed: the content size, found by opening and closing again.
  int32_t GetSize() override;
  int32_t Write(const void* bytes, int32_t count) override;
  int32_t Read(void* destination, int32_t count) override;
  virtual int32_t Open(int32_t mode);
  virtual int32_t Close();

  bool IsOpen() const { return open; }
  int32_t GetMode() const { return mode; }
  // The parent directory's path and the name, or the bare name.
  String GetPath() const;
  // The text after the last ".", or empty.
  String GetExtension() const;
  Directory* GetParent() const { return parent; }

 protected:
  // Marks the file open or closed, with its new content (a malloc'd buffer
  // or none).
  void SetOpen(bool isOpen, uint8_t* content, int32_t contentSize);
  int32_t ContentSize() { return MemoryStream::GetSize(); }

  int32_t mode = MODE_READ;

 private:
  friend class Directory;

  std::FILE* handle = nullptr;
  bool open = false;
  Directory* parent = nullptr;
};

}  // namespace ynx
