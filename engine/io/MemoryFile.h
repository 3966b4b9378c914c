#pragma once

#include "engine/core/Ptr.h"
#include "engine/io/File.h"
#include "engine/system/Module.h"

namespace ynx {

// A read-only file whose content lives in memory, such as an entry unpacked
// from an archive. Every opening reads from a fresh copy, so readers never
// change the source.
class MemoryFile : public File {
 public:
  explicit MemoryFile(const String& name) : File(name) {}
  ~MemoryFile() override;

  int32_t Open(int32_t mode) override;
  int32_t Close() override;

  // The content; an owned block is freed with the file (it must come from
  // malloc), a borrowed one (an embedded resource) is left alone.
  void SetSource(const uint8_t* bytes, int32_t count, bool owned);
  const uint8_t* GetSource() const { return source; }
  int32_t GetSourceSize() const { return sourceSize; }
  // The module of the codec that made the file, kept loaded while it lives.
  void SetOwner(Module* module) { owner = module; }

 private:
  void FreeSource();

  const uint8_t* source = nullptr;
  int32_t sourceSize = 0;
  bool ownsSource = false;
  Ptr<Module> owner;
};

}  // namespace ynx
