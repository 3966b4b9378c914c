#include "engine/audio/SoundManager.h"

#include <algorithm>

#include "engine/audio/SoundLibrary.h"
#include "engine/core/ClassHooks.h"
#include "engine/core/Log.h"
#include "engine/scene/Camera.h"
#include "platform/resources/ResourceTable.h"

namespace ynx {
namespace {

[[maybe_unused]] const bool hooksQueued =
    QueueEngineHooks(&SoundManager::Initialize, &SoundManager::Shutdown);

// A failed start leaves no description; an empty name is logged then.
const char* DeviceDescription(int32_t device) {
  const char* description = SoundLibrary::Get().BASS_GetDeviceDescription(static_cast<uint32_t>(device));
  return description != nullptr ? description : "";
}

// Steps 1 and 2 of the start: the library from the resource. False when
// it is not there; the reason is logged.
bool LoadLibrary() {
  const uint8_t* bytes = nullptr;
  uint32_t size = 0;
  if (!ResourceTable::Program().Find(SoundManager::RESOURCE_ID, "BASS", ResourceTable::UserLanguage(),
                                     &bytes, &size)) {
    LogError("Инициализация менеджера звука. Невозможно найти ресурс [bass.dll].");
    return false;
  }
  if (size == 0) {
    LogError("Инициализация менеджера звука. Размер ресурса [bass.dll] равен 0.");
    return false;
  }
  if (bytes == nullptr) {
    LogError("Инициализация менеджера звука. Невозможно залочить ресурс [bass.dll].");
    return false;
  }
  switch (SoundLibrary::Load(bytes, size)) {
    case SoundLibrary::LOADED: return true;
    case SoundLibrary::NO_FILE:
      LogError("Инициализация менеджера звука. Невозможно создать временный файл [bass.dll].");
      return false;
    case SoundLibrary::NO_LIBRARY:
      LogError("Инициализация менеджера звука. Невозможно загрузить библиотеку [bass.dll].");
      return false;
  }
  return false;
}

}  // namespace

int32_t SoundManager::Initialize() {
  LogInfo("Инициализация менеджера звука.");
  if (SoundLibrary::IsLoaded()) return 0;
  if (!LoadLibrary()) return 0;
  const SoundLibrary::Entries& library = SoundLibrary::Get();
  if (library.BASS_GetVersion() != LIBRARY_VERSION) {
    LogError("Версия библиотеки BASS не совпадает.");
    SoundLibrary::Unload();
    return 1;
  }
  if (library.BASS_Init(-1, 44100, BASS_DEVICE_3D, nullptr, nullptr)) {
    const int32_t device = static_cast<int32_t>(library.BASS_GetDevice());
    LogInfo("Звук инициализирован. Устройство [%d] [%s]", device, DeviceDescription(device));
  } else {
    LogError("Невозможно инициализировать звук. Причина [%d]. Устройство [%s]", library.BASS_ErrorGetCode(),
             DeviceDescription(static_cast<int32_t>(library.BASS_GetDevice())));
  }
  library.BASS_Set3DFactors(1.0f, 7.0f, 1.0f);
  library.BASS_Apply3D();
  LogInfo("Менеджер звука инициализирован.");
  return 0;
}

int32_t SoundManager::Shutdown() {
  LogInfo("Завершение работы менеджера звука.");
  SoundLibrary::Get().BASS_Free();
  SoundLibrary::Unload();
  LogInfo("Менеджер звука завершил работу.");
  return 0;
}

void SoundManager::SetSoundVolume(int32_t percent) {
  SoundLibrary::Get().BASS_SetConfig(BASS_CONFIG_GVOL_STREAM, static_cast<uint32_t>(std::clamp(percent, 0, 100)));
}

void SoundManager::UpdateListener(const Vector3& front, const Vector3& top) {
  SoundLibrary::Set3DPosition(nullptr, &front, &top);
  SoundLibrary::Get().BASS_Apply3D();
}

Vector3 SoundManager::GetListenerPosition() {
  const Camera* camera = cameraSource != nullptr ? cameraSource() : nullptr;
  return camera != nullptr ? camera->GetPosition() : Vector3{};
}

}  // namespace ynx
