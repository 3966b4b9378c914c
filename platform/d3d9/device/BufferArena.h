#pragma once

#include <cstdint>
#include <vector>

namespace ynx {

// GL storage of small static vertex and index buffers, many to one GL
// buffer. A frame of many small meshes then moves offsets within a few GL
// buffers instead of switching buffer objects at every draw, which the GL
// driver charges per object (look-up, references, validation). Every GL
// buffer handed out carries a serial of its own, so that a binding cache
// never mistakes a new buffer for a deleted one of the same name. The
// device's context must be current.
class BufferArena {
 public:
  // Bytes of one shared GL buffer; larger buffers get one of their own.
  static constexpr uint32_t BLOCK_SIZE = 4u << 20;
  static constexpr uint32_t LARGEST_SHARED = 256u << 10;
  // Of every shared slice's offset: enough for any vertex element or index.
  static constexpr uint32_t ALIGNMENT = 16;

  // Where a buffer's bytes lie on the GL side. `buffer` 0: none.
  struct Slice {
    uint64_t serial = 0;
    uint32_t buffer = 0;
    uint32_t offset = 0;
  };

  BufferArena() = default;
  BufferArena(const BufferArena&) = delete;
  BufferArena& operator=(const BufferArena&) = delete;

  // `size` bytes holding `data`: a shared slice when `shareable` and small
  // enough, else a GL buffer of its own (`dynamic` picks its usage hint).
  Slice Allocate(uint32_t size, const void* data, bool shareable, bool dynamic);
  // Gives the `size` bytes of the slice back (deletes its own GL buffer).
  void Free(const Slice& slice, uint32_t size);
  // Deletes every shared GL buffer; slices still out must not be used.
  void Clear();

  uint64_t NextSerial() { return ++serials; }

 private:
  struct Range {
    uint32_t offset;
    uint32_t size;
  };
  struct Block {
    uint32_t buffer;
    uint64_t serial;
    std::vector<Range> free;  // by offset, none adjacent
  };

  // First fit in `block`; false when no free range holds `size`.
  static bool Take(Block& block, uint32_t size, uint32_t& offset);

  std::vector<Block> blocks;
  uint64_t serials = 0;
};

}  // namespace ynx
