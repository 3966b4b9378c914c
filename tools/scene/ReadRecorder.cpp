#include "tools/scene/ReadRecorder.h"

#include <charconv>
#include <cstring>

#include "engine/core/String.h"

namespace ynx::tools {
namespace {

// The shortest text that reads back as the same number.
template <typename T>
std::string Number(T value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof(text), value);
  return std::string(text, result.ptr);
}

template <typename T>
T As(const void* value) {
  T result;
  std::memcpy(&result, value, sizeof(T));
  return result;
}

std::string Quoted(const String& text) {
  std::string quoted = "\"";
  for (int32_t i = 0; i < text.Length(); ++i) {
    const char c = text.CStr()[i];
    if (c == '"' || c == '\\') quoted += '\\';
    if (static_cast<unsigned char>(c) < 0x20) {
      quoted +=
          "\\x" + std::string(1, "0123456789abcdef"[(c >> 4) & 15]) + "0123456789abcdef"[c & 15];
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

std::string Describe(StreamObserver::Kind kind, const void* value, int32_t size) {
  switch (kind) {
    case StreamObserver::KIND_INT8:
      return "int8 " + std::to_string(As<int8_t>(value));
    case StreamObserver::KIND_INT16:
      return "int16 " + std::to_string(As<int16_t>(value));
    case StreamObserver::KIND_INT32:
      return "int32 " + std::to_string(As<int32_t>(value));
    case StreamObserver::KIND_UINT32:
      return "uint32 " + std::to_string(As<uint32_t>(value));
    case StreamObserver::KIND_FLOAT:
      return "float " + Number(As<float>(value));
    case StreamObserver::KIND_DOUBLE:
      return "double " + Number(As<double>(value));
    case StreamObserver::KIND_BOOL:
      return std::string("bool ") + (As<int8_t>(value) != 0 ? "true" : "false");
    case StreamObserver::KIND_STRING:
      return "string " + Quoted(*static_cast<const String*>(value));
    case StreamObserver::KIND_COUNT:
      return "count " + std::to_string(As<int32_t>(value));
    case StreamObserver::KIND_BLOCK:
      break;
  }
  // Blocks are vectors, quaternions and colours: floats.
  std::string text = "floats (";
  for (int32_t at = 0; at + 4 <= size; at += 4) {
    if (at > 0) text += ", ";
    text += Number(As<float>(static_cast<const uint8_t*>(value) + at));
  }
  return text + ")";
}

}  // namespace

std::vector<ReadRecorder::Field>& ReadRecorder::Current() {
  return open.empty() ? topLevel : definitions[open.back()].fields;
}

void ReadRecorder::OnValue(int32_t offset, Kind kind, const void* value, int32_t size) {
  if (kind == KIND_STRING && !open.empty()) {
    Definition& definition = definitions[open.back()];
    if (definition.fields.empty()) {
      const auto* name = static_cast<const String*>(value);
      definition.name.assign(name->CStr(), static_cast<size_t>(name->Length()));
    }
  }
  Current().push_back({Field::VALUE, offset, size, Describe(kind, value, size), 0});
}

void ReadRecorder::OnReference(int32_t offset, int32_t id) {
  Current().push_back({Field::REFERENCE, offset, 4, std::string(), id});
}

void ReadRecorder::OnObjectBegin(int32_t offset, int32_t id, const String& typeName) {
  const size_t index = definitions.size();
  Current().push_back({Field::DEFINITION, offset, 0, std::string(), static_cast<int32_t>(index)});
  Definition definition;
  definition.id = id;
  definition.type.assign(typeName.CStr(), static_cast<size_t>(typeName.Length()));
  definition.offset = offset;
  definition.fieldsOffset = offset + 8 + typeName.Length();
  definitions.push_back(std::move(definition));
  byId.emplace(id, index);
  open.push_back(index);
}

void ReadRecorder::OnObjectEnd(int32_t offset, int32_t status) {
  Definition& definition = definitions[open.back()];
  definition.end = offset;
  definition.status = status;
  open.pop_back();
}

const ReadRecorder::Definition* ReadRecorder::Find(int32_t id) const {
  const auto found = byId.find(id);
  return found != byId.end() ? &definitions[found->second] : nullptr;
}

}  // namespace ynx::tools
