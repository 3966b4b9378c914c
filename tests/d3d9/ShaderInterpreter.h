#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/d3d9/shader/DecodedShader.h"
#include "platform/d3d9/shader/ShaderAnalysis.h"
#include "platform/d3d9/shader/ShaderInterface.h"
#include "platform/d3d9/shader/ShaderKey.h"

namespace ynx::test {

// The CPU model of Direct3D 9's shader arithmetic: runs a decoded shader
// over float registers the way the translated GLSL must, written from the
// instruction reference, not from the translator. Tests compare programs
// run on Mesa against it, and the device's pixel tests build their
// expected values on it. It models the shader only: the device's
// epilogue (position fix-up, clip distances, fog, alpha test, point
// sprites) is not part of it.
class ShaderInterpreter {
 public:
  using Vector = std::array<float, 4>;
  // A lookup on texture `unit` at `coordinate` (already divided when the
  // lookup projects); `bias` is texldb's. Unset: every lookup gives
  // (0, 0, 0, 1).
  using Sampler = std::function<Vector(uint32_t unit, const Vector& coordinate, float bias)>;

  // What the device binds, and the shader's inputs.
  struct Inputs {
    std::array<Vector, ShaderInterface::VERTEX_FLOAT_CONSTANTS> constants{};
    std::array<std::array<int32_t, 4>, ShaderInterface::INTEGER_CONSTANTS> integers{};
    uint16_t booleans = 0;
    std::array<Vector, ShaderInterface::STAGES> bumpMatrix{};
    std::array<Vector, ShaderInterface::STAGES> bumpLuminance{};
    Sampler sampler;
    // Vertex shaders: v# (an unbound input reads (0, 0, 0, 1)).
    std::array<Vector, ShaderInterface::VERTEX_INPUTS> vertex;
    // Pixel shaders: the interpolated colours and texture coordinates.
    std::array<Vector, 2> colors{};
    std::array<Vector, ShaderInterface::TEXCOORDS> texcoords{};
    float fragmentDepth = 0.5f;  // the rasterised depth, for shaders that keep it

    Inputs();
  };

  struct Outputs {
    // Vertex shaders, as the varyings carry them (colours and fog already
    // saturated, unwritten outputs at their defaults).
    Vector position{};
    std::array<Vector, 2> colors{};
    std::array<Vector, ShaderInterface::TEXCOORDS> texcoords{};
    float fog = 1.0f;
    float pointSize = 0.0f;
    // Pixel shaders.
    std::array<Vector, ShaderInterface::RENDER_TARGETS> targets{};
    float depth = 0.0f;
    bool killed = false;
  };

  // Runs the shader once. False with `error` for a shader the translator
  // would refuse too (or one that runs away, past MAX_STEPS).
  bool Run(const DecodedShader& shader, const ShaderKey& key, const Inputs& inputs, Outputs& outputs,
           std::string& error);

  static constexpr size_t MAX_STEPS = size_t{1} << 22;

 private:
  using Instruction = DecodedShader::Instruction;

  // Runs [begin, end); true when a ret ended it.
  bool Execute(size_t begin, size_t end);
  void ExecuteArithmetic(size_t begin, size_t end);
  Vector Arithmetic(const Instruction& instruction, uint8_t& produced) const;
  void ExecuteTexture(const Instruction& instruction);
  void Store(const Instruction& instruction, Vector value, uint8_t produced, bool arithmetic);
  Vector Read(const DecodedShader::Source& source, uint32_t row = 0) const;
  Vector RegisterValue(const DecodedShader::Source& source, uint32_t row) const;
  Vector Sample(uint32_t unit, Vector coordinate, uint32_t divisor, float bias) const;
  bool BooleanValue(const DecodedShader::Source& source) const;
  std::array<int32_t, 4> IntegerValue(const DecodedShader::Source& source) const;
  Vector Texcoord(uint32_t n) const { return inputs->texcoords[n]; }

  const DecodedShader* shader = nullptr;
  const Inputs* inputs = nullptr;
  ShaderKey key;
  ShaderAnalysis analysis;
  size_t steps = 0;
  bool runaway = false;

  std::array<Vector, 12> r{};
  std::array<Vector, 8> t{};
  std::array<int32_t, 4> a0{};
  int32_t aL = 0;
  Vector oPos{}, oFog{}, oPts{}, oDepth{};
  std::array<Vector, 2> oD{};
  std::array<Vector, ShaderInterface::TEXCOORDS> oT{};
  std::array<Vector, ShaderInterface::RENDER_TARGETS> oC{};
  float depth = 0.0f;
  bool killed = false;
  std::array<float, 2> rows{};
  int pendingRows = 0;
};

}  // namespace ynx::test
