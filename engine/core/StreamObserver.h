#pragma once

#include <cstdint>

namespace ynx {

class String;

// Sees what a MemoryStream reads, value by value, as the readers asked for
// it: how a tool shows any stored graph field by field without a parser of
// its own. Raw reads (Read itself: buffer contents, flag bytes) are not
// reported; they are the gaps between the reported values.
class StreamObserver {
 public:
  enum Kind : int32_t {
    KIND_INT8,
    KIND_INT16,
    KIND_INT32,
    KIND_UINT32,
    KIND_FLOAT,
    KIND_DOUBLE,
    KIND_BOOL,
    // value points at the String read; size is its stored size (4 + length).
    KIND_STRING,
    // A plain value read as one block (vector, quaternion, colour).
    KIND_BLOCK,
    // An element count checked against the bytes left.
    KIND_COUNT,
  };

  virtual ~StreamObserver() = default;

  // A value read successfully from `offset`; value points at `size` bytes as
  // read (at the String for KIND_STRING).
  virtual void OnValue(int32_t offset, Kind kind, const void* value, int32_t size) = 0;
  // A reference stored as an ID alone: -1 for null, or an object read before.
  virtual void OnReference(int32_t offset, int32_t id) = 0;
  // An object definition whose type name was read; its fields follow, and
  // OnObjectEnd closes it whether its load succeeded or not.
  virtual void OnObjectBegin(int32_t offset, int32_t id, const String& typeName) = 0;
  virtual void OnObjectEnd(int32_t offset, int32_t status) = 0;
};

}  // namespace ynx
