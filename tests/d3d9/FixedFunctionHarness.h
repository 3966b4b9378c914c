#pragma once

#include <string>
#include <vector>

#include "platform/d3d9/device/FixedFunctionKey.h"
#include "tests/d3d9/FixedFunctionModel.h"
#include "tests/d3d9/GlslRunner.h"

namespace ynx::test {

// Runs the generated fixed-function programs of a device state on Mesa,
// with every uniform block filled as the device would, and the same cases
// through FixedFunctionModel, so that a test compares the two.
class FixedFunctionHarness {
 public:
  using Model = FixedFunctionModel;
  using Vector = Model::Vector;

  // The position fix-up the vertex runs use: not the identity, so that a
  // program that skips it shows.
  static constexpr Vector FIXUP{1.0f, 1.0f, 0.01f, -0.02f};

  // Every block: the shared vertex and pixel state (fix-up, point size
  // range, fog colour and table fog, alpha reference) and the two
  // fixed-function blocks.
  static GlslRunner::Uniforms UniformsOf(const Model::Device& device);

  // The vertex program of (device, draw) on each input; point sizes come
  // back in `pointSize` (read through the fog varying when drawing points).
  static bool RunVertex(GlslRunner& runner, const Model::Device& device, const FixedFunctionKey::Draw& draw,
                        const std::vector<Model::VertexInput>& inputs, std::vector<Model::VertexOutput>& outputs,
                        std::string& log);
  static Model::VertexOutput ModelVertex(const Model::Device& device, const FixedFunctionKey::Draw& draw,
                                         const Model::VertexInput& input);

  // The pixel program on each input (the texture of stage n on unit n, as
  // GlslRunner::Texture describes it); a discarded pixel gives KILLED.
  static bool RunPixel(GlslRunner& runner, const Model::Device& device, const FixedFunctionKey::Draw& draw,
                       const std::vector<GlslRunner::Texture>& textures, const std::vector<Model::PixelInput>& inputs,
                       std::vector<Vector>& colors, std::string& log);
  static Vector ModelPixel(const Model::Device& device, const FixedFunctionKey::Draw& draw,
                           const std::vector<GlslRunner::Texture>& textures, const Model::PixelInput& input);

  // Textures for the stages of `draw`: 4 x 4 texels that differ per unit,
  // six coloured cube faces, or a depth of 0.5.
  static std::vector<GlslRunner::Texture> TexturesFor(const FixedFunctionKey::Draw& draw);

  static constexpr float KILLED = GlslRunner::KILLED;
};

}  // namespace ynx::test
