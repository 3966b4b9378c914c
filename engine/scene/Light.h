#pragma once

#include <cstdint>

#include "engine/math/Color.h"
#include "engine/math/Vector3.h"
#include "engine/scene/Node.h"

namespace ynx {

// A node carrying the parameters of one fixed-function light; the renderer
// places it from the node's world position and forward axis.
//
// Streamed after the node data: type (int32), ambient, diffuse and specular
// colours, three attenuation factors, the attenuation flag (one byte), the
// spot falloff and cone angle.
class Light : public Node {
  YNX_DECLARE_CLASS(Light);

 public:
  enum LightType : int32_t {
    // Along world +Z, whatever the node's orientation.
    LIGHT_FIXED_DIRECTIONAL = 0,
    // Along the node's forward axis.
    LIGHT_DIRECTIONAL = 1,
    LIGHT_POINT = 2,
    LIGHT_SPOT = 3,
  };

  explicit Light(const String& name = String());

  int32_t Save(MemoryStream& stream) const override;
  int32_t Load(MemoryStream& stream) override;

  // Constant, linear and quadratic factors as the device gets them: the
  // stored ones when the light is attenuated, else (1, 0, 0).
  Vector3 GetAttenuation() const;

  int32_t GetLightType() const { return lightType; }
  void SetLightType(int32_t value) { lightType = value; }
  const Color& GetAmbient() const { return ambient; }
  const Color& GetDiffuse() const { return diffuse; }
  const Color& GetSpecular() const { return specular; }
  void SetColors(const Color& newAmbient, const Color& newDiffuse, const Color& newSpecular) {
    ambient = newAmbient;
    diffuse = newDiffuse;
    specular = newSpecular;
  }
  bool IsAttenuated() const { return attenuated; }
  void SetAttenuation(const Vector3& factors, bool on) {
    attenuation = factors;
    attenuated = on;
  }
  float GetFalloff() const { return falloff; }
  // Half-angle basis of the spot cone, in radians.
  float GetConeAngle() const { return coneAngle; }
  void SetSpot(float newFalloff, float newConeAngle) {
    falloff = newFalloff;
    coneAngle = newConeAngle;
  }

 private:
  int32_t lightType = LIGHT_FIXED_DIRECTIONAL;
  Color ambient;
  Color diffuse;
  Color specular;
  Vector3 attenuation{1.0f, 0.0f, 0.0f};
  bool attenuated = false;
  float falloff = 1.0f;
  float coneAngle = 0.7853982f;
};

}  // namespace ynx
