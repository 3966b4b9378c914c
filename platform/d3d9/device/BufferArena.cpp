#include "platform/d3d9/device/BufferArena.h"

#include <epoxy/gl.h>

#include <algorithm>

namespace ynx {

bool BufferArena::Take(Block& block, uint32_t size, uint32_t& offset) {
  for (auto range = block.free.begin(); range != block.free.end(); ++range) {
    if (range->size < size) continue;
    offset = range->offset;
    range->offset += size;
    range->size -= size;
    if (range->size == 0) block.free.erase(range);
    return true;
  }
  return false;
}

BufferArena::Slice BufferArena::Allocate(uint32_t size, const void* data, bool shareable, bool dynamic) {
  Slice slice;
  if (!shareable || size == 0 || size > LARGEST_SHARED) {
    glCreateBuffers(1, &slice.buffer);
    glNamedBufferData(slice.buffer, static_cast<GLsizeiptr>(size), data, dynamic ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
    slice.serial = NextSerial();
    return slice;
  }
  const uint32_t rounded = (size + ALIGNMENT - 1) / ALIGNMENT * ALIGNMENT;
  Block* found = nullptr;
  for (Block& block : blocks) {
    if (Take(block, rounded, slice.offset)) {
      found = &block;
      break;
    }
  }
  if (found == nullptr) {
    Block block{0, NextSerial(), {{0, BLOCK_SIZE}}};
    glCreateBuffers(1, &block.buffer);
    glNamedBufferData(block.buffer, BLOCK_SIZE, nullptr, GL_STATIC_DRAW);
    blocks.push_back(std::move(block));
    found = &blocks.back();
    Take(*found, rounded, slice.offset);
  }
  slice.buffer = found->buffer;
  slice.serial = found->serial;
  glNamedBufferSubData(slice.buffer, slice.offset, size, data);
  return slice;
}

void BufferArena::Free(const Slice& slice, uint32_t size) {
  if (slice.buffer == 0) return;
  const auto block = std::find_if(blocks.begin(), blocks.end(),
                                  [&](const Block& candidate) { return candidate.buffer == slice.buffer; });
  if (block == blocks.end()) {
    glDeleteBuffers(1, &slice.buffer);
    return;
  }
  std::vector<Range>& free = block->free;
  const uint32_t rounded = (size + ALIGNMENT - 1) / ALIGNMENT * ALIGNMENT;
  auto next = std::lower_bound(free.begin(), free.end(), slice.offset,
                               [](const Range& range, uint32_t offset) { return range.offset < offset; });
  next = free.insert(next, {slice.offset, rounded});
  // Joined with its neighbours, so that freed space serves larger slices.
  if (next + 1 != free.end() && next->offset + next->size == (next + 1)->offset) {
    next->size += (next + 1)->size;
    free.erase(next + 1);
  }
  if (next != free.begin() && (next - 1)->offset + (next - 1)->size == next->offset) {
    (next - 1)->size += next->size;
    free.erase(next);
  }
}

void BufferArena::Clear() {
  for (const Block& block : blocks) glDeleteBuffers(1, &block.buffer);
  blocks.clear();
}

}  // namespace ynx
