#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "platform/d3d9/device/D3D9Types.h"
#include "platform/d3d9/device/FixedFunctionKey.h"
#include "platform/d3d9/device/FixedFunctionState.h"

namespace ynx::test {

// The Direct3D 9 fixed-function formulas on the CPU, straight from the
// device state (not from the key or the uniforms, so that both are checked
// too): transform, lighting, texture coordinates, fog and point size per
// vertex; the texture-stage cascade, specular add, alpha test and fog per
// pixel. Double precision.
class FixedFunctionModel {
 public:
  using Vector = std::array<float, 4>;

  // Device state holding Direct3D 9's defaults, and the view the
  // fixed-function code reads.
  struct Device {
    uint32_t renderStates[FixedFunctionState::RENDER_STATES] = {};
    uint32_t stageStates[FixedFunctionState::STAGES][FixedFunctionState::STAGE_STATES] = {};
    D3DMATRIX world{};
    D3DMATRIX view{};
    D3DMATRIX projection{};
    D3DMATRIX texture[FixedFunctionState::STAGES] = {};
    D3DLIGHT9 lights[FixedFunctionState::LIGHTS] = {};
    uint8_t lightEnables = 0;
    D3DMATERIAL9 material{};
    D3DVIEWPORT9 viewport{0, 0, 640, 480, 0.0f, 1.0f};

    Device();
    FixedFunctionState State() const;
    void SetFloat(D3DRENDERSTATETYPE state, float value);
  };

  struct VertexInput {
    Vector position{0, 0, 0, 1};
    Vector normal{};
    Vector diffuse{1, 1, 1, 1};
    Vector specular{};
    float pointSize = 1.0f;
    std::array<Vector, 8> texcoords{};
  };
  struct VertexOutput {
    Vector position{};  // gl_Position, after the position fix-up
    std::array<Vector, 2> colors{};
    std::array<Vector, 8> texcoords{};
    float fog = 1.0f;
    float pointSize = 0.0f;  // clamped to the range; points only
  };

  // `fixup` and `pointRange` stand for ShaderInterface::VertexState's
  // positionFixup and pointSize.
  static VertexOutput RunVertex(const Device& device, const FixedFunctionKey::Draw& draw, const VertexInput& input,
                                const Vector& fixup, const Vector& pointRange);

  struct PixelInput {
    std::array<Vector, 2> colors{};
    std::array<Vector, 8> texcoords{};
    float fog = 1.0f;
    float depth = 0.5f;  // window z
    float w = 1.0f;      // eye distance, for w-fog
    Vector pointCoord{};  // (u, v, 0, 1) of a sprite
  };
  // A texture lookup on a stage at an already projected coordinate.
  using Sampler = std::function<Vector(uint32_t stage, const Vector& coordinate)>;

  // The pixel's colour, or false when the alpha test rejects it. Fog colour
  // and table fog parameters come from the render states.
  static bool RunPixel(const Device& device, const FixedFunctionKey::Draw& draw, const PixelInput& input,
                       const Sampler& sampler, Vector& color);
};

}  // namespace ynx::test
