#include "engine/render/LitShaderPass.h"

#include "engine/animation/SkinController.h"
#include "engine/render/RenderStateBlock.h"
#include "engine/render/Renderer.h"
#include "engine/render/ShaderRegisters.h"
#include "engine/render/TextureEffect.h"
#include "engine/scene/Camera.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/Light.h"
#include "engine/scene/Vector3Buffer.h"

namespace ynx {
namespace {

using R = ShaderRegisters;

// One light's part of the constants, in the space the program lights in.
struct LightValues {
  Color ambient{0, 0, 0, 0};
  Color diffuse{0, 0, 0, 0};
  Color specular{0, 0, 0, 0};
  Vector4 towards{0, 0, 1, 1};
};

LightValues Directional(const Light* light, const Matrix4& fromWorld) {
  LightValues values;
  if (light == nullptr) return values;
  values.ambient = light->GetAmbient();
  values.diffuse = light->GetDiffuse();
  values.specular = light->GetSpecular();
  const Vector3 world = LitShaderPass::TowardsLight(*light);
  const Vector4 moved = fromWorld.Transform({world.x, world.y, world.z, 0});
  Vector3 towards{moved.x, moved.y, moved.z};
  towards.Normalize();
  values.towards = {towards.x, towards.y, towards.z, 0};
  return values;
}

Vector3 CameraPosition(const Renderer& renderer) {
  const Camera* camera = renderer.GetCamera();
  return camera != nullptr ? camera->GetPosition() : Vector3{};
}

}  // namespace

LitShaderPass::LitShaderPass(TextureEffect* effect, const ProgramTable& programs, LightOf light,
                             LightOf pointLight)
    : ColorShaderPass(effect, programs), light(light), pointLight(pointLight) {}

Vector3 LitShaderPass::TowardsLight(const Light& light) {
  if (light.GetLightType() == Light::LIGHT_FIXED_DIRECTIONAL) return {0, 0, -1};
  return light.GetForward() * -1.0f;
}

void LitShaderPass::BindNormals(Renderer& renderer, GeometryNode& geometry,
                                const SkinController* skin) {
  renderer.SetNormalStream(skin != nullptr ? skin->GetBindNormals() : geometry.GetNormals());
}

void LitShaderPass::BindTextures(Renderer& renderer, GeometryNode& geometry) {
  static_cast<const TextureEffect&>(*GetEffect()).BindTexture(renderer, geometry);
}

void LitShaderPass::SetConstants(Renderer& renderer, const Matrix4& world, const Matrix4& toView,
                                 const Matrix4& toClip) const {
  const Matrix4 fromWorld = Matrix4::Inverse(world);
  const Vector3 eye = fromWorld.TransformPoint(CameraPosition(renderer));
  float registers[(R::LIT_OWN + R::OWN_MAX) * 4] = {};
  PutMatrix(registers + R::TRANSFORM * 4, toClip);
  PutMatrix(registers + R::VIEW_TRANSFORM * 4, toView);
  if (GetModel() != ProgramTable::MODEL_1) {
    PutVector(registers + R::CAMERA * 4, eye.x, eye.y, eye.z, 1.0f);
    PutFogAndSway(registers + R::FOG_SWAY * 4);
    static_assert(R::TANGENT_LIGHTS == R::SWAY + 1 && R::TANGENT_LIGHTS + R::TANGENT_LIGHTS_MAX <= R::LIT_OWN + R::OWN_MAX);
    const int32_t lights = PutVertexLights(registers + R::TANGENT_LIGHTS * 4, fromWorld);
    renderer.SetVertexShaderConstants(0, registers, R::SWAY + 1 + lights);
    SetPixelConstants(renderer, fromWorld);
    return;
  }
  const RenderStateBlock& block = *GetStateBlock();
  const LightValues values = Directional(GetLight(), fromWorld);
  PutColor(registers + R::LIT_AMBIENT * 4, block.ambient);
  PutColor(registers + R::LIT_DIFFUSE * 4, block.diffuse);
  PutColor(registers + R::LIT_SPECULAR * 4, block.specular);
  PutColor(registers + R::LIT_EMISSIVE * 4, block.emissive);
  PutVector(registers + R::LIT_SHININESS * 4, block.shininess, 0, 0, 0);
  PutColor(registers + R::LIT_LIGHT_AMBIENT * 4, values.ambient);
  PutColor(registers + R::LIT_LIGHT_DIFFUSE * 4, values.diffuse);
  PutColor(registers + R::LIT_LIGHT_SPECULAR * 4, values.specular);
  const Vector4& towards = values.towards;
  PutVector(registers + R::LIT_LIGHT_DIRECTION * 4, towards.x, towards.y, towards.z, towards.w);
  PutVector(registers + R::LIT_CAMERA * 4, eye.x, eye.y, eye.z, 1.0f);
  static_assert(R::LIT_SWAY == R::LIT_FOG_SWAY + 1);
  PutFogAndSway(registers + R::LIT_FOG_SWAY * 4);
  const int32_t own = PutOwn(registers + R::LIT_OWN * 4, fromWorld);
  renderer.SetVertexShaderConstants(0, registers, R::LIT_OWN + own);
}

void LitShaderPass::SetSkinnedConstants(Renderer& renderer) const {
  const GeometryNodeEffect& effect = *GetEffect();
  const Vector3 eye = CameraPosition(renderer);
  float tail[(2 + R::TANGENT_LIGHTS_MAX) * 4];
  PutVector(tail, eye.x, eye.y, eye.z, 1.0f);
  PutVector(tail + 4, effect.GetFogDensity(), effect.GetFogExponent(), 0.0f, 0.0f);
  static_assert(R::SKIN_FOG == R::SKIN_CAMERA + 1 && R::SKIN_TANGENT_LIGHTS == R::SKIN_FOG + 1);
  const int32_t lights = PutVertexLights(tail + 2 * 4, Matrix4::Identity());
  renderer.SetVertexShaderConstants(R::SKIN_CAMERA, tail, 2 + lights);
  SetPixelConstants(renderer, Matrix4::Identity());
}

int32_t LitShaderPass::PutVertexLights(float*, const Matrix4&) const { return 0; }

int32_t LitShaderPass::PutLightVectors(float* registers, const Matrix4& fromWorld) const {
  const Vector4 towards = Directional(GetLight(), fromWorld).towards;
  PutVector(registers + R::TANGENT_LIGHT_DIRECTION * 4, towards.x, towards.y, towards.z, 0);
  const Light* point = GetPointLight();
  if (pointLight == nullptr) return R::TANGENT_LIGHT_DIRECTION + 1;
  const Vector3 position = point != nullptr ? fromWorld.TransformPoint(point->GetPosition()) : Vector3{};
  PutVector(registers + R::TANGENT_POINT_POSITION * 4, position.x, position.y, position.z, 1);
  return R::TANGENT_POINT_POSITION + 1;
}

Light* LitShaderPass::GetLight() const { return light(*GetEffect()); }

Light* LitShaderPass::GetPointLight() const {
  return pointLight != nullptr ? pointLight(*GetEffect()) : nullptr;
}

void LitShaderPass::SetPixelConstants(Renderer& renderer, const Matrix4& fromWorld) const {
  const RenderStateBlock& block = *GetStateBlock();
  const LightValues values = Directional(GetLight(), fromWorld);
  static_assert(R::PIXEL_OWN + R::OWN_MAX <= R::PIXEL_PRODUCTS);
  float registers[(R::PIXEL_PRODUCTS + R::PRODUCT_POINT_SPECULAR + 1) * 4] = {};
  PutColor(registers + R::PIXEL_SPECULAR * 4, block.specular);
  PutColor(registers + R::PIXEL_LIGHT_SPECULAR * 4, values.specular);
  const Vector4& towards = values.towards;
  PutVector(registers + R::PIXEL_LIGHT_DIRECTION * 4, towards.x, towards.y, towards.z, towards.w);
  PutVector(registers + R::PIXEL_SHININESS * 4, block.shininess, 0, 0, 0);
  PutColor(registers + R::PIXEL_AMBIENT * 4, block.ambient);
  PutColor(registers + R::PIXEL_LIGHT_AMBIENT * 4, values.ambient);
  PutColor(registers + R::PIXEL_DIFFUSE * 4, block.diffuse);
  PutColor(registers + R::PIXEL_LIGHT_DIFFUSE * 4, values.diffuse);
  PutColor(registers + R::PIXEL_EMISSIVE * 4, block.emissive);
  PutOwn(registers + R::PIXEL_OWN * 4, fromWorld);
  const auto product = [&registers](int32_t to, int32_t a, int32_t b) {
    for (int32_t i = 0; i < 4; ++i) {
      registers[(R::PIXEL_PRODUCTS + to) * 4 + i] = registers[a * 4 + i] * registers[b * 4 + i];
    }
  };
  product(R::PRODUCT_AMBIENT, R::PIXEL_AMBIENT, R::PIXEL_LIGHT_AMBIENT);
  product(R::PRODUCT_DIFFUSE, R::PIXEL_DIFFUSE, R::PIXEL_LIGHT_DIFFUSE);
  product(R::PRODUCT_SPECULAR, R::PIXEL_SPECULAR, R::PIXEL_LIGHT_SPECULAR);
  int32_t count = R::PIXEL_PRODUCTS + R::PRODUCT_SPECULAR + 1;
  if (pointLight != nullptr) {
    product(R::PRODUCT_POINT_AMBIENT, R::PIXEL_OWN + R::OWN_POINT_AMBIENT, R::PIXEL_AMBIENT);
    product(R::PRODUCT_POINT_DIFFUSE, R::PIXEL_OWN + R::OWN_POINT_DIFFUSE, R::PIXEL_DIFFUSE);
    product(R::PRODUCT_POINT_SPECULAR, R::PIXEL_OWN + R::OWN_POINT_SPECULAR, R::PIXEL_SPECULAR);
    count = R::PIXEL_PRODUCTS + R::PRODUCT_POINT_SPECULAR + 1;
  }
  renderer.SetPixelShaderConstants(0, registers, count);
}

int32_t LitShaderPass::PutOwn(float* registers, const Matrix4& fromWorld) const {
  if (pointLight == nullptr) return 0;
  const Light* point = GetPointLight();
  // Without a point light its colours stay zero and it lights nothing.
  if (point == nullptr) {
    PutVector(registers + R::OWN_POINT_ATTENUATION * 4, 1, 0, 0, 0);
    return R::OWN_POINT_ATTENUATION + 1;
  }
  PutColor(registers + R::OWN_POINT_AMBIENT * 4, point->GetAmbient());
  PutColor(registers + R::OWN_POINT_DIFFUSE * 4, point->GetDiffuse());
  PutColor(registers + R::OWN_POINT_SPECULAR * 4, point->GetSpecular());
  const Vector3 position = fromWorld.TransformPoint(point->GetPosition());
  PutVector(registers + R::OWN_POINT_POSITION * 4, position.x, position.y, position.z, 1);
  const Vector3 attenuation = point->GetAttenuation();
  PutVector(registers + R::OWN_POINT_ATTENUATION * 4, attenuation.x, attenuation.y,
            attenuation.z, 0);
  return R::OWN_POINT_ATTENUATION + 1;
}

}  // namespace ynx
