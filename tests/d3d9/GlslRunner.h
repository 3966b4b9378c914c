#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/d3d9/shader/ShaderInterface.h"

namespace ynx::test {

// A headless OpenGL 4.5 core context (EGL surfaceless, Mesa llvmpipe in CI)
// that builds translated programs and runs them: vertex programs through
// transform feedback, pixel programs on one pixel per case of a float
// target. Binds everything as platform/d3d9/DESIGN.md's binding contract
// says, so the tests double as a check of that contract.
class GlslRunner {
 public:
  using Vector = std::array<float, 4>;

  // The shared context, or null (with `why`) when this machine cannot make
  // one; tests skip then, except under CI (CI=true), where the calling test
  // fails.
  static GlslRunner* Get(std::string& why);

  // Compiles one stage, or a vertex and a fragment program linked together
  // (an empty source stands for the pass-through stage the tests use). The
  // info logs come back in `log`.
  bool Compile(bool fragment, const std::string& source, std::string& log);
  bool Link(const std::string& vertex, const std::string& fragment, std::string& log);

  struct Uniforms {
    ShaderInterface::VertexConstants vertexConstants{};
    ShaderInterface::PixelConstants pixelConstants{};
    ShaderInterface::VertexState vertexState{};
    ShaderInterface::PixelState pixelState{};
    // Further blocks at their own binding points (the fixed-function
    // programs' state).
    struct Block {
      uint32_t binding;
      std::vector<uint8_t> bytes;
    };
    std::vector<Block> extraBlocks;
    Uniforms();
  };

  // A texture on a unit: RGBA float texels (width x height, row 0 first), or
  // depth values with compare mode LEQUAL; cubes repeat the texels on all
  // six faces unless `faces` gives one colour per face.
  struct Texture {
    uint32_t unit = 0;
    uint32_t kind = 0;  // ShaderKey::KIND_*
    bool depth = false;
    int width = 1;
    int height = 1;
    std::vector<float> texels;
    std::vector<Vector> faces;
  };

  struct VertexOutput {
    Vector position{};
    std::array<Vector, 2> colors{};
    std::array<Vector, ShaderInterface::TEXCOORDS> texcoords{};
    float fog = 0.0f;
  };

  // One vertex per entry of `vertices` (v0..v15; a location listed in
  // `unbound` gets no array and reads GL's default attribute).
  bool RunVertex(const std::string& vertex, const Uniforms& uniforms,
                 const std::vector<std::array<Vector, ShaderInterface::VERTEX_INPUTS>>& vertices, uint32_t unbound,
                 std::vector<VertexOutput>& outputs, std::string& log);

  struct PixelInput {
    std::array<Vector, 2> colors{};
    std::array<Vector, ShaderInterface::TEXCOORDS> texcoords{};
    float fog = 1.0f;
    float depth = 0.5f;  // window z of the pixel
  };
  struct PixelOutput {
    Vector color{};  // KILLED in every channel when the pixel was discarded
    float depth = 0.0f;
  };
  static constexpr float KILLED = -12345.0f;

  // One pixel per input, drawn as a point of size 1 by the tests'
  // pass-through vertex program (which writes the varyings as any vertex
  // program must).
  bool RunPixel(const std::string& fragment, const Uniforms& uniforms, const std::vector<Texture>& textures,
                const std::vector<PixelInput>& pixels, std::vector<PixelOutput>& outputs, std::string& log);

  ~GlslRunner();

 private:
  struct Context;
  GlslRunner();
  bool Start(std::string& why);
  uint32_t Build(const std::string& vertex, const std::string& fragment, bool feedback, std::string& log);
  void BindUniforms(const Uniforms& uniforms);
  // False, with the errors added to `log`, when GL reported any.
  bool NoErrors(std::string& log);

  std::unique_ptr<Context> context;
};

}  // namespace ynx::test
