#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3d9/shader/DecodedShader.h"
#include "platform/d3d9/shader/ShaderInterface.h"

namespace ynx {

// One pass over a decoded shader before it is run or translated: refuses
// what the runtime's validator would refuse and a program cannot express
// (unbalanced or too deeply nested flow control, calls from subroutines,
// unknown labels, constants beyond the device's count, ps_1_x texture
// matrices out of sequence, ps_2_0 samplers without dcl), and records what
// the shader reads and writes, where its blocks end, and its def values.
class ShaderAnalysis {
 public:
  using Instruction = DecodedShader::Instruction;
  static constexpr size_t NONE = static_cast<size_t>(-1);

  // A label's subroutine: from the instruction after `label` to the next
  // label or the end. The main program runs from 0 to mainEnd.
  struct Subroutine {
    uint32_t label = 0;
    size_t begin = 0;
    size_t end = 0;
  };

  // False with `error` set when the shader cannot be run as Direct3D 9
  // would run it. Holds no reference to `shader` afterwards.
  bool Run(const DecodedShader& shader, std::string& error);

  bool IsPixel() const { return pixel; }
  uint32_t Major() const { return major; }
  uint32_t Minor() const { return minor; }
  // ps_1_1 to ps_1_3, ps_1_4 and ps_1_x.
  bool IsLegacyPixel() const { return pixel && major == 1 && minor < 4; }
  bool IsPixel14() const { return pixel && major == 1 && minor == 4; }
  bool IsPixel1() const { return pixel && major == 1; }

  // Key-independent part of the interface (samplers with their declared
  // kind, no shadow).
  const ShaderInterface& Interface() const { return interface; }

  // For flow control: `if` -> its `else` or `endif`, `else` -> `endif`,
  // `loop`/`rep` -> the matching end and back; NONE elsewhere.
  size_t Partner(size_t index) const { return partner[index]; }
  size_t MainEnd() const { return mainEnd; }
  const std::vector<Subroutine>& Subroutines() const { return subroutines; }
  // Index into Subroutines() of the label, or NONE.
  size_t SubroutineOf(uint32_t label) const;

  // Registers the shader uses (bit n: register n).
  uint32_t Temporaries() const { return temporaries; }
  uint32_t TextureRegisters() const { return textureRegisters; }
  bool UsesAddress() const { return usesAddress; }
  bool UsesLoopCounter() const { return usesLoopCounter; }
  bool HasPhase() const { return hasPhase; }

  // def / defi / defb values (the last one wins), as raw bits.
  bool FloatDefinition(uint32_t number, std::array<uint32_t, 4>& values) const;
  bool IntegerDefinition(uint32_t number, std::array<int32_t, 4>& values) const;
  bool BooleanDefinition(uint32_t number, bool& value) const;
  const std::vector<uint32_t>& FloatDefinitionNumbers() const { return floatNumbers; }

  // ps_2_0: the sampler type a dcl gave s# (UNKNOWN if none).
  ShaderTokens::SamplerType DeclaredSampler(uint32_t number) const { return declaredSamplers[number & 15]; }
  // ps_2_0: t# / v# declared with _centroid.
  bool CentroidTexcoord(uint32_t number) const { return (centroidTexcoords >> number & 1) != 0; }
  bool CentroidColor(uint32_t number) const { return (centroidColors >> number & 1) != 0; }

 private:
  struct Definition {
    ShaderTokens::RegisterType type;
    uint32_t number;
    std::array<uint32_t, 4> values;
  };

  bool CheckInstruction(const DecodedShader& shader, size_t index, std::string& error);
  bool CheckFlowControl(const DecodedShader& shader, std::string& error);
  bool CheckTextureMatrices(const DecodedShader& shader, std::string& error);
  void NoteSource(const Instruction& instruction, int slot);
  void NoteConstant(uint32_t number);
  void NoteSampling(const Instruction& instruction);
  void NoteDestination(const Instruction& instruction);
  bool Find(ShaderTokens::RegisterType type, uint32_t number, std::array<uint32_t, 4>& values) const;
  void FinishKeyMask();

  bool pixel = false;
  uint32_t major = 0;
  uint32_t minor = 0;
  ShaderInterface interface;
  std::vector<size_t> partner;
  size_t mainEnd = 0;
  std::vector<Subroutine> subroutines;
  uint32_t temporaries = 0;
  uint32_t textureRegisters = 0;
  bool usesAddress = false;
  bool usesLoopCounter = false;
  bool hasPhase = false;
  std::vector<Definition> definitions;
  std::vector<uint32_t> floatNumbers;
  std::array<ShaderTokens::SamplerType, ShaderInterface::SAMPLERS> declaredSamplers{};
  uint8_t centroidTexcoords = 0;
  uint8_t centroidColors = 0;
  uint32_t sampledUnits = 0;     // units any instruction samples
  uint32_t projectedStages = 0;  // ps_1_1 to 1_3 stages sampled by `tex`
};

}  // namespace ynx
