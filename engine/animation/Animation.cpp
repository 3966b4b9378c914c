#include "engine/animation/Animation.h"

#include "engine/core/FieldReader.h"
#include "engine/core/FieldWriter.h"

namespace ynx {
namespace {

// Every kind of key stores at least its time: the floor for a stored count.
constexpr int32_t MIN_KEY_BYTES = 8;

}  // namespace

YNX_IMPLEMENT_ABSTRACT_CLASS(Animation, Object)

Animation::Animation(const String& name) : Object(name) {}

Animation::~Animation() = default;

int32_t Animation::Save(MemoryStream& stream) const {
  FieldWriter out(stream, *this, Object::Save(stream));
  out.Field("Невозможно сохранить количество кифреймов анимации. Имя[%s] ID[%d]", GetKeyCount());
  for (const std::unique_ptr<Keyframe>& key : keys) {
    out.Field("Невозможно сохранить кифрейм анимации. Имя[%s] ID[%d]", *key);
  }
  return out.Status();
}

int32_t Animation::Load(MemoryStream& stream) {
  FieldReader in(stream, *this, Object::Load(stream));
  if (!in) return in.Status();
  keys.clear();
  int32_t count = 0;
  in.Count("Невозможно загрузить количество кифреймов анимации. ID[%d] Имя[%s]", count,
           MIN_KEY_BYTES);
  // The count fits into the bytes left, so reserving for it is bounded by
  // the size of the stream.
  keys.reserve(static_cast<size_t>(count));
  for (int32_t index = 0; in && index < count; ++index) {
    std::unique_ptr<Keyframe> key(NewKeyframe());
    if (!key) {
      in.Fail("Недостаточно памяти для создания кифрейма. ID[%d] Имя[%s]", 2);
    } else if (in.Field("Невозможно загрузить кифрейм анимации. Имя[%s] ID[%d]", *key)) {
      keys.push_back(std::move(key));
    }
  }
  // A failed load keeps no keys.
  if (!in) keys.clear();
  return in.Status();
}

Object* Animation::FindByName(const String& name) {
  if (Object* found = Object::FindByName(name)) return found;
  for (const std::unique_ptr<Keyframe>& key : keys) {
    if (Object* found = key->FindByName(name)) return found;
  }
  return nullptr;
}

void Animation::CollectByType(const Rtti& type, Array<Object*>& result) {
  Object::CollectByType(type, result);
  for (const std::unique_ptr<Keyframe>& key : keys) key->CollectByType(type, result);
}

void Animation::ReleaseReferences() {
  keys.clear();
  Object::ReleaseReferences();
}

void Animation::VisitReferences(const std::function<void(Object*)>& visit) const {
  Object::VisitReferences(visit);
  for (const std::unique_ptr<Keyframe>& key : keys) key->VisitReferences(visit);
}

Keyframe* Animation::AddKey(double time) {
  Keyframe* key = NewKeyframe();
  if (key == nullptr) return nullptr;
  key->time = time;
  keys.emplace_back(key);
  return key;
}

// Binary search for the last key at or before u. The loop halves the range
// whatever the comparisons say, so NaN times end it too.
int32_t Animation::FindKey(double u) const {
  const int32_t last = GetKeyCount() - 1;
  if (keys[0]->time > u) return last;
  int32_t low = 0;
  int32_t high = last;
  int32_t mid = low + (high - low) / 2;
  while (mid != low) {
    if (u > keys[static_cast<size_t>(mid)]->time) {
      low = mid;
    } else {
      high = mid;
    }
    mid = low + (high - low) / 2;
  }
  return keys[static_cast<size_t>(high)]->time <= u ? high : low;
}

}  // namespace ynx
