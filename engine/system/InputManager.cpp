#include "engine/system/InputManager.h"

#include <new>

#include "engine/core/ClassHooks.h"
#include "engine/core/Log.h"
#include "engine/system/MessagePump.h"
#include "engine/system/SystemWindow.h"

namespace ynx {
namespace {

[[maybe_unused]] const bool hooksQueued =
    QueueEngineHooks(&InputManager::Initialize, &InputManager::Shutdown);

}  // namespace

int32_t InputManager::Initialize() {
  LogInfo("Инициализация менеджера ввода.");
  if (queue == nullptr) {
    queue = new (std::nothrow) Array<InputEvent>(QUEUE_CAPACITY, QUEUE_INCREMENT);
    if (queue == nullptr) {
      LogError("Недостаточно памяти для инициализации менеджера ввода.");
      return 1;
    }
  }
  LogInfo("Менеджер ввода инициализирован.");
  return 0;
}

int32_t InputManager::Shutdown() {
  LogInfo("Завершение работы менеджера ввода.");
  delete queue;
  queue = nullptr;
  handlers.Clear();
  // The last service that talks to the display: windows left open go now.
  SystemWindow::Shutdown();
  LogInfo("Менеджер ввода завершил работу.");
  return 0;
}

int32_t InputManager::RegisterInputHandler(InputHandler* handler) {
  if (handler == nullptr) {
    LogWarning("Указатель на обработчик ввода равен 0.");
    return 3;
  }
  if (handlers.IndexOf(handler) >= 0) {
    LogWarning("Обработчик ввода [%s] уже зарегестрирован.", handler->GetName().CStr());
    return 0;
  }
  if (!handlers.Insert(0, handler)) {
    LogError("Недостаточно памяти для регистрации обработчика ввода [%s].",
             handler->GetName().CStr());
    return 2;
  }
  return 0;
}

int32_t InputManager::UnregisterInputHandler(InputHandler* handler) {
  const int32_t index = handler != nullptr ? handlers.IndexOf(handler) : -1;
  if (index < 0) {
    LogWarning("Обработчик ввода [%s] не зарегестрирован.",
               handler != nullptr ? handler->GetName().CStr() : "");
    return 3;
  }
  handlers.RemoveAt(static_cast<uint32_t>(index));
  return 0;
}

void InputManager::PostInputEvent(const InputEvent& event) {
  if (queue != nullptr && !queue->Append(event)) {
    LogError("Недостаточно памяти для события ввода.");
  }
}

int32_t InputManager::DispatchInput() {
  if (MessagePump::PumpMessages() != 0) {
    LogError("Системный ввод неудачен.");
    return 1;
  }
  if (queue == nullptr) return 0;
  const uint32_t delivered = queue->Count();
  // By index, with a held reference and a copy of each event: a handler may
  // register or drop handlers, or post events, while it runs.
  for (uint32_t h = 0; h < handlers.Count(); ++h) {
    const Ptr<InputHandler> handler = handlers[h];
    for (uint32_t e = 0; e < delivered; ++e) {
      const InputEvent event = (*queue)[e];
      handler->OnInput(event);
    }
  }
  // The slots stay; what was posted during the delivery moves to the front.
  const uint32_t remaining = queue->Count() - delivered;
  for (uint32_t i = 0; i < remaining; ++i) (*queue)[i] = (*queue)[delivered + i];
  while (queue->Count() > remaining) queue->RemoveAt(queue->Count() - 1);
  return 0;
}

}  // namespace ynx
