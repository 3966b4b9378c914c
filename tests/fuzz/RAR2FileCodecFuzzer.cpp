// libFuzzer target: arbitrary bytes as an archive mounted through the RAR 2
// file codec, the way the screensaver mounts its media. Every file of the
// tree is opened and read; one that opens must give exactly its content.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/core/EngineLists.h"
#include "engine/io/Directory.h"
#include "engine/io/MemoryFile.h"
#include "engine/io/RAR2FileCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace ynx;
  static const bool started = InitializeEngine() == 0;
  if (!started || size > static_cast<size_t>(INT32_MAX)) return 0;

  MemoryFile file{String("x.rar2")};
  file.SetSource(data, static_cast<int32_t>(size), false);
  RAR2FileCodec codec;
  Directory* root = nullptr;
  if (codec.Load(&file, &root, String()) != 0 || root == nullptr) __builtin_trap();

  std::vector<Directory*> pending{root};
  uint32_t sum = 0;
  while (!pending.empty()) {
    Directory* directory = pending.back();
    pending.pop_back();
    for (Directory* child : directory->Directories()) pending.push_back(child);
    for (File* child : directory->Files()) {
      auto* entry = static_cast<MemoryFile*>(child);
      if (entry->Open(File::MODE_READ) != 0) {
        if (entry->GetSource() != nullptr) __builtin_trap();
        continue;
      }
      const int32_t length = entry->GetSize();
      if (length != entry->GetSourceSize()) __builtin_trap();
      std::vector<uint8_t> content(static_cast<size_t>(length) + 1);
      if (entry->Read(content.data(), length) != 0) __builtin_trap();
      for (int32_t i = 0; i < length; ++i) sum += content[static_cast<size_t>(i)];
      entry->Close();
    }
  }
  volatile uint32_t sink = sum;
  (void)sink;
  delete root;
  return 0;
}
