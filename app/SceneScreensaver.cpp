#include "app/SceneScreensaver.h"

#include <unistd.h>

#include <unordered_set>
#include <vector>

#include "app/SceneSounds.h"
#include "app/SettingsDialogModel.h"
#include "engine/core/Log.h"
#include "engine/io/CodecManager.h"
#include "engine/io/FileManager.h"
#include "engine/io/Image.h"
#include "engine/io/SceneCodec.h"
#include "engine/render/ColorEffect.h"
#include "engine/render/Renderer.h"
#include "engine/render/ScreensaverController.h"
#include "engine/render/ShadowmapEffect.h"
#include "engine/render/Texture.h"
#include "engine/render/TextureEffect.h"
#include "engine/scene/Camera.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/Triangles.h"

namespace ynx {
namespace {

constexpr int32_t BLEND_SOURCE_ALPHA = 4;
constexpr int32_t BLEND_INVERSE_SOURCE_ALPHA = 5;

// Every object of the type under the root, in traversal order.
struct Collected {
  Collected(Object& root, const Rtti& type) { root.CollectByType(type, objects); }
  Array<Object*> objects{16, 16};
};

// Every texture the scene holds, each once, in the order a depth-first walk
// of its references first reaches them. The type search does not look into
// the effects of meshes, where most textures are.
std::vector<Texture*> ReachableTextures(Object& root) {
  std::vector<Texture*> textures;
  std::unordered_set<Object*> seen{&root};
  std::vector<Object*> pending{&root};
  while (!pending.empty()) {
    Object* next = pending.back();
    pending.pop_back();
    if (auto* texture = dynamic_cast<Texture*>(next)) textures.push_back(texture);
    std::vector<Object*> held;
    next->VisitReferences([&](Object* object) {
      if (object != nullptr && seen.insert(object).second) held.push_back(object);
    });
    // The first reference is walked first.
    pending.insert(pending.end(), held.rbegin(), held.rend());
  }
  return textures;
}

}  // namespace

SceneScreensaver::SceneScreensaver(const RunOptions& runOptions) : ScreensaverApplication(runOptions) {}

int32_t SceneScreensaver::OnSettingsDialogMessage(SettingsDialogModel&,
                                                  const SettingsDialogMessage& message) {
  using Type = SettingsDialogMessage::Type;
  // The dialog keeps the focus its toolkit gives it.
  if (message.type == Type::INIT) return 1;
  if (message.type != Type::PAINT || message.control != SettingsDialogModel::ID_PICTURE ||
      message.pixels == nullptr || message.width <= 0 || message.height <= 0 ||
      message.stride < message.width) {
    return 0;
  }
  if (!settingsPictureRead) {
    settingsPictureRead = true;
    const char* name = SettingsDialogModel::SETTINGS_PICTURE;
    File* file = FileManager::FindFile(String(name));
    if (file != nullptr) settingsPicture = PictureScaler(*Ptr<Image>(new Image(file, String())));
    if (settingsPicture.IsEmpty()) LogWarning("Невозможно загрузить картинку диалога [%s].", name);
  }
  const auto width = static_cast<uint32_t>(message.width);
  const auto height = static_cast<uint32_t>(message.height);
  const std::vector<uint8_t> levels = settingsPicture.Scale(width, height);
  if (levels.empty()) return 0;
  const uint8_t* level = levels.data();
  for (uint32_t y = 0; y < height; ++y) {
    uint32_t* out = message.pixels + static_cast<size_t>(y) * static_cast<uint32_t>(message.stride);
    for (uint32_t x = 0; x < width; ++x, level += 3) {
      out[x] = uint32_t{level[0]} << 16 | uint32_t{level[1]} << 8 | level[2];
    }
  }
  return 1;
}

SceneScreensaver::~SceneScreensaver() {
  fadeEffect = nullptr;
  sceneController = nullptr;
  scene = nullptr;
}

int32_t SceneScreensaver::LoadData() {
  File* file = FileManager::FindFile(String("Main.STR"));
  if (file == nullptr) {
    LogError("Невозможно найти файл данных скринсейвера.");
    return 1;
  }
  auto* codec = dynamic_cast<SceneCodec*>(CodecManager::FindCodecForFile(file));
  Object* root = nullptr;
  if (codec == nullptr || codec->Load(file, &root) != 0 || root == nullptr) {
    // A root the codec made but refused goes with the last reference.
    const Ptr<Object> refused = root;
    LogError("Невозможно загрузить данные скринсейвера из файла.");
    return 1;
  }
  scene = root;
  if (!Renderer::GetCurrent()->HasDepthTextures()) RemoveShadowmaps();
  SceneSounds::ApplySettings(*scene, GetSettings());
  const Collected controllers(*scene, ScreensaverController::Type());
  sceneController = controllers.objects.Count() > 0
                        ? static_cast<ScreensaverController*>(controllers.objects[0])
                        : nullptr;
  return 0;
}

void SceneScreensaver::RemoveShadowmaps() {
  const Collected effects(*scene, ShadowmapEffect::Type());
  const Array<Object*>& shadowmaps = effects.objects;
  if (shadowmaps.Count() == 0) return;
  const Collected nodes(*scene, SceneNode::Type());
  const Array<Object*>& owners = nodes.objects;
  for (uint32_t i = 0; i < shadowmaps.Count(); ++i) {
    auto* effect = static_cast<ShadowmapEffect*>(shadowmaps[i]);
    for (uint32_t j = 0; j < owners.Count(); ++j) {
      auto* owner = static_cast<SceneNode*>(owners[j]);
      for (int32_t k = owner->GetEffectCount() - 1; k >= 0; --k) {
        if (owner->GetEffect(k) == effect) owner->RemoveEffect(effect);
      }
    }
  }
}

int32_t SceneScreensaver::CacheData() {
  LogInfo("Кеширование...");
  Renderer* renderer = Renderer::GetCurrent();
  const std::vector<Texture*> textures = ReachableTextures(*scene);
  // Depth maps first, then the pictures.
  for (const bool depth : {true, false}) {
    for (Texture* texture : textures) {
      const Image* image = texture->GetImage();
      if ((image != nullptr && image->GetFormat() == Image::FORMAT_DEPTH) != depth) continue;
      renderer->SetTexture(texture, 0);
      LogInfo("%s", texture->GetName().CStr());
    }
  }
  LogInfo("Кеширование закончено.");
  sleep(1);
  return 0;
}

int32_t SceneScreensaver::Update(double frameTime) {
  if (auto* node = dynamic_cast<Node*>(scene.Get())) node->UpdateRecursive(frameTime, true);
  return 0;
}

int32_t SceneScreensaver::Render() {
  Renderer* renderer = Renderer::GetCurrent();
  if (auto* node = dynamic_cast<Node*>(scene.Get())) node->Render(*renderer);
  renderer->FlushSorted();
  // A fade of 0 would blend nothing over the whole screen.
  const double fade = sceneController != nullptr ? sceneController->GetFade() : 0.0;
  if (fade <= 0.0 || !fadeEffect) return 0;
  Overlay& overlay = GetOverlay();
  const Ptr<Camera> kept = renderer->GetCamera();
  renderer->SetCamera(overlay.GetCamera());
  overlay.GetCamera()->SetMatrices(Matrix4::Identity(), Overlay::UnitSquareProjection());
  Triangles* quad = overlay.GetQuad();
  quad->SetWorldTransform(Transformation(Vector3{}, Quaternion{}, Vector3{1.0f, 1.0f, 1.0f}));
  fadeEffect->SetColor(Color{0.0f, 0.0f, 0.0f, static_cast<float>(fade)});
  quad->SetEffect(fadeEffect.Get());
  quad->Render(*renderer);
  renderer->FlushSorted();
  quad->SetEffect(overlay.GetEffect());
  renderer->SetCamera(kept.Get());
  return 0;
}

int32_t SceneScreensaver::CreateRenderData() {
  fadeEffect = new ColorEffect();
  fadeEffect->SetBlend(true, BLEND_SOURCE_ALPHA, BLEND_INVERSE_SOURCE_ALPHA);
  return 0;
}

int32_t SceneScreensaver::DestroyRenderData() {
  fadeEffect = nullptr;
  return 0;
}

int32_t SceneScreensaver::FreeData() {
  sceneController = nullptr;
  scene = nullptr;
  return 0;
}

}  // namespace ynx
