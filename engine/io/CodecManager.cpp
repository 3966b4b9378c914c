#include "engine/io/CodecManager.h"

#include "engine/core/ClassHooks.h"
#include "engine/core/Log.h"

namespace ynx {
namespace {

[[maybe_unused]] const bool hooksQueued =
    QueueEngineHooks(&CodecManager::Initialize, &CodecManager::Shutdown);

}  // namespace

int32_t CodecManager::Initialize() {
  LogInfo("Инициализация менеджера кодеков.");
  if (table == nullptr) {
    table = new (std::nothrow) HashMap<String, Ptr<Codec>>();
    if (table == nullptr) {
      LogError("Недостаточно памяти для инициализации менеджера кодеков.");
      return 1;
    }
  }
  LogInfo("Менеджер кодеков инициализирован.");
  return 0;
}

int32_t CodecManager::Shutdown() {
  LogInfo("Завершение работы менеджера кодеков.");
  HashMap<String, Ptr<Codec>>* codecs = table;
  table = nullptr;
  delete codecs;
  LogInfo("Менеджер кодеков завершил работу.");
  return 0;
}

int32_t CodecManager::RegisterCodec(Codec* codec) {
  if (codec == nullptr) {
    LogWarning("Указатель на кодек равен 0 при регистрации.");
    return 3;
  }
  if (table != nullptr && table->Find(codec->GetName()) != nullptr) {
    LogWarning("Кодек с именем [%s] уже зарегестрирован.", codec->GetName().CStr());
    return 1;
  }
  if (table == nullptr || !table->Insert(codec->GetName(), codec)) {
    LogWarning("Невозможно вставить кодек [%s] в таблицу кодеков.", codec->GetName().CStr());
    return 1;
  }
  return 0;
}

int32_t CodecManager::GetCodec(const String& name, Codec** codec) {
  if (table != nullptr) {
    if (const Ptr<Codec>* found = table->Find(name)) {
      if (codec != nullptr) *codec = found->Get();
      return 0;
    }
  }
  LogInfo("Загружается кодек [%s].", name.CStr());
  Module* module = ModuleManager::FindModule(name);
  if (module == nullptr) {
    LogError("Не найден модуль для кодека [%s].", name.CStr());
    return 3;
  }
  CreateCodecFunction create = nullptr;
  if (module->FindFunction(&create, String("CreateCodec")) != 0) {
    LogError("В модуле не найдена функция создания кодека [%s].", name.CStr());
    return 3;
  }
  Codec* created = nullptr;
  if (create(&created) != 0 || created == nullptr) {
    LogError("Создание кодека [%s] неудачно.", name.CStr());
    return 1;
  }
  Ptr<Codec> held(created);
  created->SetModule(module);
  if (RegisterCodec(created) != 0) {
    LogError("Невозможно зарегестрировать кодек [%s].", name.CStr());
    return 1;
  }
  if (codec != nullptr) *codec = created;
  return 0;
}

Codec* CodecManager::FindCodecForFile(File* file) {
  if (table == nullptr) return nullptr;
  for (const auto& node : *table) {
    if (node.value->IsSupported(file) == 0) return node.value.Get();
  }
  return nullptr;
}

}  // namespace ynx
