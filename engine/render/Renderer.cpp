#include "engine/render/Renderer.h"

#include <algorithm>
#include <new>

#include "engine/animation/PostUpdateController.h"
#include "engine/audio/SoundManager.h"
#include "engine/core/Log.h"
#include "engine/scene/BoundingVolume.h"
#include "engine/scene/Camera.h"
#include "engine/scene/GeometryNode.h"
#include "engine/system/Module.h"
#include "engine/system/ModuleManager.h"

namespace ynx {
namespace {

Ptr<Renderer>& CurrentSlot() {
  static Ptr<Renderer> slot;
  return slot;
}

const Camera* CurrentCamera() {
  const Renderer* renderer = Renderer::GetCurrent();
  return renderer != nullptr ? renderer->GetCamera() : nullptr;
}

void QueuePostUpdate(PostUpdateController* controller) {
  if (Renderer* renderer = Renderer::GetCurrent()) renderer->AddPostUpdate(controller);
}

}  // namespace

Renderer::Renderer() = default;

Renderer::~Renderer() = default;

Renderer* Renderer::GetCurrent() { return CurrentSlot().Get(); }

void Renderer::SetCurrent(Renderer* renderer) {
  CurrentSlot() = renderer;
  PostUpdateController::SetQueue(renderer != nullptr ? &QueuePostUpdate : nullptr);
  SoundManager::SetCameraSource(renderer != nullptr ? &CurrentCamera : nullptr);
}

int32_t Renderer::Open(int32_t modeIndex, const String& title, uint64_t parentWindow, int32_t x,
                       int32_t y, int32_t requestedWidth, int32_t requestedHeight) {
  if (window != 0 && Close() != 0) {
    LogError("Закрытие окна неудачно.");
    return 1;
  }
  // The desktop mode may be missing (-1): no mode, no window.
  if (modeIndex < 0 || modeIndex >= static_cast<int32_t>(modes.size())) return 3;
  const DisplayModeDesc& mode = modes[static_cast<size_t>(modeIndex)];
  if (mode.fullscreen) {
    x = 0;
    y = 0;
    requestedWidth = mode.width;
    requestedHeight = mode.height;
  }
  if (CreateSystemWindow(&window, title, parentWindow, mode.fullscreen, mode.colorBits, x, y,
                         requestedWidth, requestedHeight) != 0 ||
      window == 0) {
    LogError("Создание окна неудачно.");
    return 1;
  }
  return CreateDevice(modeIndex, title, parentWindow, x, y, requestedWidth, requestedHeight);
}

int32_t Renderer::Close() {
  camera = nullptr;
  currentGeometry = nullptr;
  sortedQueue.clear();
  postUpdates.clear();
  if (ReleaseDevice() != 0) return 1;
  if (window == 0) return 3;
  if (DestroySystemWindow(window) != 0) {
    LogError("Закрытие окна неудачно.");
    return 1;
  }
  window = 0;
  return 0;
}

void Renderer::SetCamera(Camera* value) {
  camera = value;
  if (camera) camera->SetPlaneMask(Camera::ALL_PLANES);
}

void Renderer::SetCurrentGeometry(GeometryNode* node) { currentGeometry = node; }

void Renderer::SetModule(Module* value) { module = value; }

void Renderer::EnqueueSorted(GeometryNode* node) {
  if (node == nullptr) return;
  const BoundingVolume* bound = node->GetWorldBound();
  const Vector3 center = bound != nullptr ? bound->GetCenter() : node->GetPosition();
  const Vector3 eye = camera ? camera->GetPosition() : Vector3{};
  const Vector3 offset{center.x - eye.x, center.y - eye.y, center.z - eye.z};
  sortedQueue.push_back({node, offset.x * offset.x + offset.y * offset.y + offset.z * offset.z});
}

void Renderer::FlushSorted() {
  if (sortedQueue.empty()) return;
  // Nodes drawn now may queue more (a scene effect's flush inside); those
  // wait for the next flush instead of changing the list being walked.
  flushing.swap(sortedQueue);
  std::stable_sort(flushing.begin(), flushing.end(),
                   [](const SortedNode& a, const SortedNode& b) { return a.key > b.key; });
  for (const SortedNode& entry : flushing) entry.node->DrawNow(*this);
  flushing.clear();
}

void Renderer::PopLights() {
  while (!lights.empty()) {
    lights.pop_back();
    PopLight();
  }
}

int32_t Renderer::AddPostUpdate(PostUpdateController* controller) {
  const auto found = std::find(postUpdates.begin(), postUpdates.end(), controller);
  if (found != postUpdates.end()) return static_cast<int32_t>(found - postUpdates.begin());
  postUpdates.push_back(controller);
  return static_cast<int32_t>(postUpdates.size() - 1);
}

int32_t Renderer::BeginFrame() {
  stats = RenderStats();
  if (!camera) {
    Camera* made = new (std::nothrow) Camera(String());
    if (made == nullptr) return 1;
    SetCamera(made);
  }
  camera->UpdateWorldTransform();
  camera->UpdateMatrices();
  camera->SetPlaneMask(Camera::ALL_PLANES);
  if (BeginScene() != 0) {
    // What was queued would re-create what the lost device just released.
    postUpdates.clear();
    return 1;
  }
  // A post-update may queue more for the next frame.
  std::vector<PostUpdateController*> due;
  due.swap(postUpdates);
  for (PostUpdateController* controller : due) controller->PostUpdate();
  SoundManager::UpdateListener(camera->GetForward(), camera->GetUp());
  return 0;
}

int32_t Renderer::EndFrame() {
  FlushSorted();
  currentGeometry = nullptr;
  return EndSceneAndPresent();
}

int32_t CreateRendererFromModule(const String& name) {
  Module* module = nullptr;
  if (ModuleManager::LoadModule(name, &module) != 0 || module == nullptr) {
    LogWarning("Невозможно загрузить библиотеку рендерера [%s].", name.CStr());
    return 3;
  }
  const Ptr<Module> held = module;
  using Create = int32_t (*)(Renderer** out);
  Create create = nullptr;
  if (module->FindFunction(&create, String("CreateRenderer")) != 0 || create == nullptr) {
    LogError("В модуле не найдена функция создания рендерера [%s].", name.CStr());
    return 3;
  }
  Renderer* made = nullptr;
  if (create(&made) != 0 || made == nullptr) {
    LogError("Создание рендерера [%s] неудачно.", name.CStr());
    return 1;
  }
  Renderer::SetCurrent(made);
  made->SetModule(module);
  return 0;
}

int32_t ReleaseRenderer() {
  Renderer::SetCurrent(nullptr);
  return 0;
}

}  // namespace ynx
