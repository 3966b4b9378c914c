#include "engine/audio/SoundNode.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "engine/audio/SoundLibrary.h"
#include "engine/audio/SoundManager.h"
#include "engine/core/FieldReader.h"
#include "engine/core/FieldWriter.h"
#include "engine/core/Log.h"
#include "engine/io/File.h"
#include "engine/io/FileManager.h"
#include "engine/scene/SphereBoundingVolume.h"

namespace ynx {
namespace {

// Leaves a channel attribute as it is.
constexpr int32_t UNCHANGED = -1;
constexpr int32_t PAN_UNCHANGED = -101;

}  // namespace

YNX_IMPLEMENT_CLASS(SoundNode, Node)

SoundNode::SoundNode(const String& name) : Node(name) {}

SoundNode::~SoundNode() { FreeSound(); }

int32_t SoundNode::Save(MemoryStream& stream) const {
  return FieldWriter(stream, *this, Node::Save(stream))
      .Field("Невозможно сохранить данные источника звука. Имя[%s] ID[%d]", looping, minDistance,
             spare, positional, fileName, enabled, volume)
      .Status();
}

int32_t SoundNode::Load(MemoryStream& stream) {
  const int32_t status =
      FieldReader(stream, *this, Node::Load(stream))
          .Field("Невозможно загрузить данные источника звука. ID[%d] Имя[%s]", looping, minDistance,
                 spare, positional, fileName, enabled, volume)
          .Status();
  if (status != 0) return status;
  File* file = FileManager::FindFile(fileName);
  if (file == nullptr) {
    LogWarning("Невозможно найти файл [%s] для источника звука. ID[%d] Имя[%s]", fileName.CStr(), GetID(),
               GetName().CStr());
    return 0;
  }
  if (LoadSound(file, positional) != 0) {
    LogError("Невозможно загрузить звук источника звука. ID[%d] Имя[%s]", GetID(), GetName().CStr());
    return 1;
  }
  SetVolume(volume);
  SetMinDistance(minDistance);
  return 0;
}

void SoundNode::Update(double time) {
  Node::Update(time);
  if (!enabled || channel == 0) return;
  playTime += static_cast<float>(time);
  const SoundLibrary::Entries& library = SoundLibrary::Get();
  if (positional) {
    SoundLibrary::ChannelSet3DPosition(channel, GetPosition() - SoundManager::GetListenerPosition());
    library.BASS_Apply3D();
  }
  library.BASS_ChannelPlay(channel, 0);
}

void SoundNode::UpdateBound() {
  if (!GetUpdateWorldBound() || GetWorldBound() == nullptr) return;
  SphereBoundingVolume(Vector3{}, minDistance).TransformTo(GetWorldBound(), GetWorldTransform());
}

int32_t SoundNode::LoadSound(File* file, bool isPositional) {
  FreeSound();
  if (file == nullptr || file->Open(File::MODE_READ) != 0) return 3;
  const int32_t size = file->GetSize();
  if (size <= 0 || file->GetData() == nullptr) {
    file->Close();
    return 3;
  }
  fileData.reset(new (std::nothrow) uint8_t[static_cast<size_t>(size)]);
  if (!fileData) {
    file->Close();
    return 2;
  }
  std::memcpy(fileData.get(), file->GetData(), static_cast<size_t>(size));
  positional = isPositional;
  channel = SoundLibrary::Get().BASS_StreamCreateFile(1, fileData.get(), 0, static_cast<uint32_t>(size),
                                                 positional ? uint32_t{BASS_SAMPLE_3D} : 0u);
  file->Close();
  if (channel == 0) LogWarning("Невозможно загрузить файл звука [%s]", file->GetName().CStr());
  SetLooping(looping);
  if (positional) SoundLibrary::Get().BASS_Apply3D();
  fileName = file->GetName();
  SetMinDistance(minDistance);
  return 0;
}

void SoundNode::SetLooping(bool value) {
  looping = value;
  if (channel != 0) SoundLibrary::Get().BASS_ChannelSetFlags(channel, looping ? uint32_t{BASS_SAMPLE_LOOP} : 0u);
}

void SoundNode::SetMinDistance(float value) {
  minDistance = value;
  if (channel == 0) return;
  SoundLibrary::Get().BASS_ChannelSet3DAttributes(channel, BASS_3DMODE_NORMAL, minDistance, -1.0f, UNCHANGED, UNCHANGED, UNCHANGED);
  SoundLibrary::Get().BASS_Apply3D();
}

void SoundNode::SetVolume(int32_t percent) {
  volume = percent;
  if (channel == 0) return;
  SoundLibrary::Get().BASS_ChannelSetAttributes(channel, UNCHANGED, std::clamp(volume, 0, 100), PAN_UNCHANGED);
}

void SoundNode::FreeSound() {
  if (channel != 0) SoundLibrary::Get().BASS_StreamFree(channel);
  channel = 0;
  fileData.reset();
}

}  // namespace ynx
