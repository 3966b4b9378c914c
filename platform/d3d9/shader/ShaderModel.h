#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/d3d9/shader/DecodedShader.h"
#include "platform/d3d9/shader/ShaderTokens.h"

namespace ynx {

// What one shader model (vs_1_1, vs_2_0, ps_1_1 to ps_1_4, ps_2_0) allows:
// its instructions and their operands, its registers and their ranges, its
// modifiers. The assembler and the decoder both check every instruction
// here, so a stream the decoder accepts is one the assembler can write.
// These are the rules of the token format and of each model's register set,
// not the runtime validator's (instruction counts, dcl before use, which
// texture stage may follow which): those are the translator's business.
class ShaderModel {
 public:
  using Opcode = ShaderTokens::Opcode;
  using RegisterType = ShaderTokens::RegisterType;

  // What an operand slot takes.
  enum class Operand : uint8_t {
    NONE,
    WRITE,           // a register the model lets instructions write
    TEXTURE_WRITE,   // t# (ps_1_1 to 1_3 texture instructions)
    KILL,            // texkill's register, in destination form
    ADDRESS_WRITE,   // a0 (mova)
    DECLARED,        // dcl: v# (vertex), v#, t#, s# (ps_2_0)
    FLOAT_CONSTANT,  // def: c#
    INT_CONSTANT,    // defi: i#
    BOOL_CONSTANT,   // defb: b#
    READ,            // an ordinary source
    TEXTURE_READ,    // t# (ps_1_1 to 1_3 texture instructions)
    COORDINATE,      // ps_1_4 texld/texcrd source: may be divided by z or w
    SAMPLER,         // s#
    LABEL,           // l#
    BOOL,            // b#, "!" allowed
    INT,             // i#
    LOOP_COUNTER,    // aL
  };

  // What follows the destination of def, defi and defb.
  enum class Literal : uint8_t { NONE, FLOAT4, INT4, BOOL1 };

  struct InstructionInfo {
    const char* name;
    Opcode opcode;
    uint8_t controls;
    uint8_t models;  // bit set of the models that have it
    Operand destination;
    uint8_t sourceCount;
    std::array<Operand, DecodedShader::MAX_SOURCES> sources;
    Literal literal;
    bool coissuable;  // ps_1_x arithmetic: may carry "+"
  };

  // vs_1_1, vs_2_0, ps_1_1 to ps_1_4 and ps_2_0.
  static bool IsSupported(uint32_t version);
  // "vs_1_1", "ps_2_x", "vs_3_sw"... for any version token.
  static std::string VersionName(uint32_t version);
  // Whether any model knows the instruction name.
  static bool IsKnownInstruction(std::string_view name);

  // version must be supported.
  explicit ShaderModel(uint32_t version);

  uint32_t Version() const { return version; }
  bool IsPixel() const { return ShaderTokens::IsPixelVersion(version); }
  uint32_t Major() const { return ShaderTokens::VersionMajor(version); }
  uint32_t Minor() const { return ShaderTokens::VersionMinor(version); }
  std::string Name() const { return VersionName(version); }

  // The model's instruction by lower-case name, or by opcode and controls;
  // null when the model has none.
  const InstructionInfo* Find(std::string_view name) const;
  const InstructionInfo* Find(Opcode opcode, uint8_t controls) const;

  // How many registers of the type the model has (0: none).
  uint32_t RegisterCount(RegisterType type) const;
  // As the assembly text writes it: "r3", "oPos", "aL", "t1" or "a0".
  std::string RegisterName(RegisterType type, uint32_t number) const;

  // Whether the instruction is one this model allows; if not, why.
  bool Check(const DecodedShader::Instruction& instruction, std::string& error) const;

 private:
  bool CheckRegister(RegisterType type, uint32_t number, std::string& error) const;
  bool CheckDestination(const InstructionInfo& info, const DecodedShader::Instruction& instruction,
                        std::string& error) const;
  bool CheckSource(const InstructionInfo& info, int slot, const DecodedShader::Source& source,
                   std::string& error) const;
  bool CheckDeclaration(const DecodedShader::Instruction& instruction, std::string& error) const;

  uint32_t version;
  int row;  // of the model tables
};

}  // namespace ynx
