#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/d3d9/shader/DecodedShader.h"
#include "platform/d3d9/shader/ShaderAnalysis.h"
#include "platform/d3d9/shader/ShaderInterface.h"
#include "platform/d3d9/shader/ShaderKey.h"

namespace ynx {

// A decoded Direct3D 9 shader (vs_1_1, vs_2_0, ps_1_1 to ps_1_4, ps_2_0)
// to the source of one GLSL 4.50 core shader with Direct3D 9's arithmetic:
// a vertex shader becomes a vertex program, a pixel shader a fragment
// program, both bound as ShaderInterface and DESIGN.md describe. No GL
// context is needed. A shader that cannot be translated exactly is refused
// with a reason; the device then leaves it unbound.
class ShaderTranslator {
 public:
  // Range of ps_1_x arithmetic (D3DCAPS9.PixelShader1xMaxValue): results
  // of arithmetic instructions are clamped to [-8, 8], constants to [-1, 1].
  static constexpr float PIXEL_SHADER_1X_MAX_VALUE = 8.0f;

  // What the shader reads and writes, and which key fields matter to it
  // (interface.keyMask); the samplers carry their declared kind. Cheap: the
  // device runs it once when the shader is created.
  static bool Analyze(const DecodedShader& shader, ShaderInterface& interface, std::string& error);

  // The program for `key` (masked or not: fields outside the shader's
  // keyMask are ignored). On failure `source` is empty and `error` says why.
  static bool Translate(const DecodedShader& shader, const ShaderKey& key, std::string& source,
                        ShaderInterface& interface, std::string& error);

 private:
  using Instruction = DecodedShader::Instruction;
  using Source = DecodedShader::Source;

  ShaderTranslator(const DecodedShader& shader, const ShaderKey& key, const ShaderAnalysis& analysis);

  void Line(const std::string& text);
  void WriteProgram();
  void WriteHelpers();
  void WriteVertexDeclarations();
  void WritePixelDeclarations();
  void WriteRegisters();
  void WriteBody(size_t begin, size_t end);
  void WriteVertexEpilogue();
  void WritePixelPrologue();
  void WritePixelEpilogue();
  void WriteInstruction(size_t index);
  void WriteFlowControl(const Instruction& instruction);
  // A texture instruction in a block of its own (its helper variables are
  // local to it).
  void WriteTextureInstruction(const Instruction& instruction);
  // texdepth, texcrd and texld of ps_1_4 and ps_2_0.
  void WriteTextureLoad(const Instruction& instruction);
  // ps_1_1 to 1_3: the destination names the stage and its coordinates.
  void WriteLegacyTexture(const Instruction& instruction);
  // The texm3x2* and texm3x3* instructions that end a matrix; `row` is this
  // stage's dot product.
  void WriteTextureMatrix(const Instruction& instruction, const std::string& texcoord, const std::string& row);
  void WriteKill(const Instruction& instruction);
  // The statement that stores `value` (a vec4 expression) through the
  // destination's shift, saturation, range and mask; `produced` limits the
  // components the instruction writes at all.
  std::string Store(const Instruction& instruction, const std::string& value, uint8_t produced, bool arithmetic) const;
  // Store's statement as a line, if it writes anything.
  void WriteStore(const Instruction& instruction, const std::string& value, uint8_t produced, bool arithmetic);

  // The vec4 expression of an arithmetic instruction's result.
  std::string ArithmeticValue(const Instruction& instruction, uint8_t& produced) const;
  // A source read as `width` components (1: float, 4: vec4) after swizzle
  // and modifier; `row` offsets the register number (matrix rows).
  std::string Read(const Source& source, int width, uint32_t row = 0) const;
  std::string RegisterRead(const Source& source, uint32_t row) const;
  std::string BoolRead(const Source& source) const;
  std::string IntegerRead(const Source& source) const;
  // Texture coordinate set n as the pixel program sees it (vec4).
  std::string Texcoord(uint32_t n) const;
  // A texture lookup on `unit` at the vec4 variable `coordinate`; `divisor`
  // is the component to divide by (0: none), `bias` a float expression or
  // empty.
  std::string Sample(uint32_t unit, const std::string& coordinate, uint32_t divisor, const std::string& bias) const;
  uint32_t KindOf(uint32_t unit) const;
  bool IsShadow(uint32_t unit) const;

  const DecodedShader& shader;
  const ShaderKey key;
  const ShaderAnalysis& analysis;
  std::string out;
  int indent = 0;
  int pendingRows = 0;  // ps_1_1 to 1_3: texture matrix rows computed so far
};

}  // namespace ynx
