#pragma once

#include <cstdint>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <vector>

#include "engine/core/Object.h"
#include "engine/core/Ptr.h"
#include "engine/core/StreamObserver.h"
#include "engine/core/String.h"

namespace ynx {

// Growable little-endian byte buffer with one position for reads and writes
// and a sticky error state: after the first failure every Read and Write
// fails with that state. Object graphs go through WriteObject / ReadObject:
// an object is written in full the first time and as its ID afterwards.
//
// Nothing read is trusted: lengths and counts are checked against the bytes
// that remain before anything is allocated or looped over, and nesting is
// bounded, so a hostile stream fails cleanly with state 1.
class MemoryStream {
 public:
  // Deeper nesting of object definitions than this fails the read; real
  // scenes stay far below it, and it keeps recursion off the end of the stack.
  static constexpr int32_t MAX_OBJECT_DEPTH = 512;

  // A buffer of the given size (none for 0) that grows by whole increments.
  explicit MemoryStream(int32_t size = 0, int32_t increment = 1024);
  // A copy of the bytes to read from; it does not grow.
  MemoryStream(const void* bytes, int32_t count);
  MemoryStream(const MemoryStream&) = delete;
  MemoryStream& operator=(const MemoryStream&) = delete;
  virtual ~MemoryStream();

  virtual int32_t GetSize();
  // Both return the state after the call: 0, or the status that failed it.
  virtual int32_t Write(const void* bytes, int32_t count);
  virtual int32_t Read(void* destination, int32_t count);

  int32_t GetState() const { return state; }
  int32_t GetPosition() const { return position; }
  const uint8_t* GetData() const { return data; }

  int32_t WriteInt8(int8_t value) { return Write(&value, 1); }
  int32_t WriteInt16(int16_t value) { return Write(&value, 2); }
  int32_t WriteInt32(int32_t value) { return Write(&value, 4); }
  int32_t WriteUInt32(uint32_t value) { return Write(&value, 4); }
  int32_t WriteFloat(float value) { return Write(&value, 4); }
  int32_t WriteDouble(double value) { return Write(&value, 8); }
  // Always 1 or 0.
  int32_t WriteBool(bool value);
  // 32-bit length, then the bytes without a terminator.
  int32_t WriteString(const String& value);
  // A plain value (vector, quaternion, colour) as one block of its bytes.
  template <typename T>
  int32_t WriteBlock(const T& value) {
    static_assert(std::is_trivially_copyable_v<T>);
    return Write(&value, sizeof(T));
  }

  int32_t ReadInt8(int8_t& value) { return ReadValue(&value, 1, StreamObserver::KIND_INT8); }
  int32_t ReadInt16(int16_t& value) { return ReadValue(&value, 2, StreamObserver::KIND_INT16); }
  int32_t ReadInt32(int32_t& value) { return ReadValue(&value, 4, StreamObserver::KIND_INT32); }
  int32_t ReadUInt32(uint32_t& value) { return ReadValue(&value, 4, StreamObserver::KIND_UINT32); }
  int32_t ReadFloat(float& value) { return ReadValue(&value, 4, StreamObserver::KIND_FLOAT); }
  int32_t ReadDouble(double& value) { return ReadValue(&value, 8, StreamObserver::KIND_DOUBLE); }
  // Any non-zero byte is true.
  int32_t ReadBool(bool& value);
  int32_t ReadString(String& value);
  template <typename T>
  int32_t ReadBlock(T& value) {
    static_assert(std::is_trivially_copyable_v<T>);
    return ReadValue(&value, sizeof(T), StreamObserver::KIND_BLOCK);
  }
  // A 32-bit element count that must be non-negative and fit into the bytes
  // that remain, at the given minimum size per element.
  int32_t ReadCount(int32_t& count, int32_t minimumElementBytes);

  // Null is written as -1; a known object as its ID alone; any other as its
  // ID, type name and everything its Save writes.
  int32_t WriteObject(const Object* object);
  template <typename T>
  int32_t WriteObject(const Ptr<T>& object) {
    return WriteObject(static_cast<const Object*>(object.Get()));
  }

  // Reports every typed read, reference and object definition from now on;
  // null (the default) reports nothing. Not owned.
  void SetObserver(StreamObserver* value) { observer = value; }

  // Stores the object read (or null) at the address. An object of a type not
  // derived from the expected one fails the read. A new object is handed out
  // with a count of 0: the caller takes the first reference. When a read
  // fails, every object it created is taken apart (ReleaseReferences) and
  // freed, cycles included, and the caller gets null.
  int32_t ReadObject(Object*& object, const Rtti& expected);
  // The same, naming the expected type: for a slot whose class belongs to a
  // layer above the reader. Type names are what a stream holds anyway.
  int32_t ReadObject(Object*& object, const char* expectedType);
  template <typename T>
  int32_t ReadObject(T*& object) {
    Object* read = nullptr;
    ReadObject(read, T::Type());
    object = static_cast<T*>(read);
    return state;
  }
  template <typename T>
  int32_t ReadObject(Ptr<T>& object) {
    T* read = nullptr;
    ReadObject(read);
    object = read;
    return state;
  }
  // Into a counted slot whose objects' class is known here by name only.
  template <typename T>
  int32_t ReadObject(Ptr<T>& object, const char* expectedType) {
    Object* read = nullptr;
    ReadObject(read, expectedType);
    object = static_cast<T*>(read);
    return state;
  }

 protected:
  // Takes over a malloc'd buffer (or none) as the whole content, with the
  // position at 0, a good state and an empty ID table: what a file does when
  // it opens and closes.
  void ResetContent(uint8_t* buffer, int32_t bufferSize);

 private:
  // One typed read, reported to the observer when it succeeds.
  int32_t ReadValue(void* value, int32_t count, StreamObserver::Kind kind) {
    const int32_t at = position;
    const int32_t status = Read(value, count);
    if (status == 0 && observer != nullptr) observer->OnValue(at, kind, value, count);
    return status;
  }
  // ReadString without the report: type names belong to the definition.
  int32_t ReadText(String& value);
  int32_t Grow(int64_t required);
  int32_t Fail(int32_t status);
  int32_t ReadReference(Object*& object, const char* expectedType);
  // The definition of the object stored under `id`, whose ID was read at `at`.
  int32_t ReadDefinition(Object*& object, int32_t id, int32_t at);
  // Creates the object of the type and loads its fields.
  int32_t ReadFields(Object*& object, int32_t id, const String& typeName);
  // Ends a top-level read whose result is `root` (null after a failure).
  void FinishRead(const Object* root);

  uint8_t* data = nullptr;
  int32_t size = 0;
  int32_t increment;
  int32_t position = 0;
  // ID read or written -> object. Only looked up, never walked, so a plain
  // hash map: hostile streams with a million IDs stay linear.
  std::unordered_map<int32_t, Object*> ids;
  int32_t state = 0;
  int32_t depth = 0;
  StreamObserver* observer = nullptr;
  // Objects made by the read in progress, each held by one guard reference
  // until it ends, so that a failing object cannot free a parent that is
  // still loading.
  std::vector<std::pair<int32_t, Object*>> created;
};

}  // namespace ynx
