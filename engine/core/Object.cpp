#include "engine/core/Object.h"

#include <new>

#include "engine/core/Controller.h"
#include "engine/core/Log.h"
#include "engine/core/MemoryStream.h"

namespace ynx {
namespace {

// Never reset and never read back from a file; wraps rather than overflows.
uint32_t nextObjectId = 0;

}  // namespace

const Rtti& Object::Type() {
  static const Rtti type("YNX.Object", nullptr);
  return type;
}

const Rtti& Object::GetType() const { return Type(); }

int32_t Object::Create(Object**) {
  LogCritical("Создание объекта абстрактного класса [Object].");
  return 1;
}

int32_t Object::InitializeClass() {
  if (!Factory::Add(Type().GetName(), &Create)) {
    LogCritical("Инициализация класса [Object] прошла неудачно.");
    return 1;
  }
  LogInfo("Инициализация класса [Object] прошла удачно.");
  return 0;
}

int32_t Object::ShutdownClass() {
  Factory::Remove(Type().GetName());
  LogInfo("Завершение работы класса [Object] прошло удачно.");
  return 0;
}

Object::Object(const String& name) : Named(name), id(static_cast<int32_t>(nextObjectId++)) {}

Object::~Object() { DetachAllControllers(); }

void Object::DetachAllControllers() {
  while (controllers != nullptr) {
    ControllerNode* node = controllers;
    controllers = node->next;
    if (node->controller->GetOwner() == this) node->controller->SetOwner(nullptr);
    delete node;
  }
}

void Object::ReleaseReferences() { DetachAllControllers(); }

void Object::VisitReferences(const std::function<void(Object*)>& visit) const {
  for (const ControllerNode* node = controllers; node != nullptr; node = node->next) {
    visit(node->controller.Get());
  }
}

int32_t Object::Save(MemoryStream& stream) const {
  const char* name = GetName().CStr();
  if (stream.WriteString(GetName()) != 0) {
    LogError("Невозможно сохранить имя объекта. Имя[%s] ID[%d]", name, id);
    return 1;
  }
  const int32_t count = GetControllerCount();
  if (stream.WriteInt32(count) != 0) {
    LogError("Невозможно сохранить количество контроллеров объекта. Имя[%s] ID[%d]", name, id);
    return 1;
  }
  // Oldest first: loading pushes each at the head, which restores the order.
  for (int32_t index = count - 1; index >= 0; --index) {
    if (stream.WriteObject(GetController(index)) != 0) {
      LogError("Невозможно сохранить контроллер объекта. Имя[%s] ID[%d]", name, id);
      return 1;
    }
  }
  return 0;
}

int32_t Object::Load(MemoryStream& stream) {
  String name;
  if (stream.ReadString(name) != 0) {
    LogError("Невозможно загрузить имя объекта. ID[%d]", id);
    return 1;
  }
  SetName(name);
  int32_t count = 0;
  if (stream.ReadCount(count, sizeof(int32_t)) != 0) {
    LogError("Невозможно загрузить количество контроллеров объекта. Имя[%s] ID[%d]",
             GetName().CStr(), id);
    return 1;
  }
  for (int32_t index = 0; index < count; ++index) {
    Controller* controller = nullptr;
    if (stream.ReadObject(controller) != 0) {
      LogError("Невозможно загрузить контроллер объекта. Имя[%s] ID[%d]", GetName().CStr(), id);
      return 1;
    }
    if (AttachController(controller) != 0) {
      LogError("Невозможно установить контроллер объекта. Имя[%s] ID[%d]", GetName().CStr(), id);
      return 1;
    }
  }
  return 0;
}

Object* Object::FindByName(const String& name) {
  if (GetName() == name) return this;
  if (walking) return nullptr;
  walking = true;
  Object* found = nullptr;
  for (ControllerNode* node = controllers; node != nullptr && found == nullptr; node = node->next) {
    found = node->controller->FindByName(name);
  }
  walking = false;
  return found;
}

void Object::CollectByType(const Rtti& type, Array<Object*>& result) {
  if (walking) return;
  if (IsDerivedFrom(type)) result.Append(this);
  walking = true;
  for (ControllerNode* node = controllers; node != nullptr; node = node->next) {
    node->controller->CollectByType(type, result);
  }
  walking = false;
}

void Object::UpdateControllers(double time) {
  for (ControllerNode* node = controllers; node != nullptr; node = node->next) {
    node->controller->Update(time);
  }
}

int32_t Object::AttachController(Controller* controller) {
  if (controller == nullptr) {
    LogWarning("Указатель на устанавливаемый контроллер равен 0. Имя[%s] ID[%d]",
               GetName().CStr(), id);
    return 3;
  }
  ControllerNode* node = new (std::nothrow) ControllerNode{controller, controllers};
  if (node == nullptr) {
    LogWarning(
        "Недостаточно памяти для создания узла списка при установке контроллера. Имя[%s] ID[%d]",
        GetName().CStr(), id);
    return 2;
  }
  controllers = node;
  controller->SetOwner(this);
  return 0;
}

int32_t Object::GetControllerCount() const {
  int32_t count = 0;
  for (const ControllerNode* node = controllers; node != nullptr; node = node->next) ++count;
  return count;
}

Controller* Object::GetController(int32_t index) const {
  const ControllerNode* node = controllers;
  for (; node != nullptr && index > 0; --index) node = node->next;
  return node != nullptr && index == 0 ? node->controller.Get() : nullptr;
}

}  // namespace ynx
