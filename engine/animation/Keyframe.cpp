#include "engine/animation/Keyframe.h"

#include "engine/core/MemoryStream.h"

namespace ynx {

Keyframe::~Keyframe() = default;

int32_t Keyframe::Save(MemoryStream& stream) const { return stream.WriteDouble(time); }

int32_t Keyframe::Load(MemoryStream& stream) { return stream.ReadDouble(time); }

Object* Keyframe::FindByName(const String&) { return nullptr; }

void Keyframe::CollectByType(const Rtti&, Array<Object*>&) {}

void Keyframe::VisitReferences(const std::function<void(Object*)>&) const {}

}  // namespace ynx
