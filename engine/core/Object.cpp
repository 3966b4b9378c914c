#include "engine/core/Object.h"

#include <new>

#include "engine/core/Controller.h"
#include "engine/core/FieldReader.h"
#include "engine/core/FieldWriter.h"
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
  const int32_t count = GetControllerCount();
  FieldWriter out(stream, this);
  out.Field("Невозможно сохранить имя объекта. Имя[%s] ID[%d]", GetName())
      .Field("Невозможно сохранить количество контроллеров объекта. Имя[%s] ID[%d]", count);
  // Oldest first: loading pushes each at the head, which restores the order.
  for (int32_t index = count - 1; out && index >= 0; --index) {
    out.Field("Невозможно сохранить контроллер объекта. Имя[%s] ID[%d]", GetController(index));
  }
  return out.Status();
}

int32_t Object::Load(MemoryStream& stream) {
  String name;
  int32_t count = 0;
  FieldReader in(stream, this);
  if (in.Field("Невозможно загрузить имя объекта. ID[%d]", name)) SetName(name);
  in.Count("Невозможно загрузить количество контроллеров объекта. Имя[%s] ID[%d]", count,
           sizeof(int32_t));
  for (int32_t index = 0; in && index < count; ++index) {
    Controller* controller = nullptr;
    if (in.Field("Невозможно загрузить контроллер объекта. Имя[%s] ID[%d]", controller) &&
        AttachController(controller) != 0) {
      in.Fail("Невозможно установить контроллер объекта. Имя[%s] ID[%d]");
    }
  }
  return in.Status();
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
