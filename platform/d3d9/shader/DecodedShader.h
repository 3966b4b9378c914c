#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/d3d9/shader/ShaderTokens.h"

namespace ynx {

// A shader token stream taken apart: what ShaderDecoder produces, what the
// assembler builds line by line, and what ShaderEncoder turns back into the
// exact same tokens. Plain data; every field a token bit can carry has a
// place here, so nothing is lost between tokens and this form.
struct DecodedShader {
  using Opcode = ShaderTokens::Opcode;
  using RegisterType = ShaderTokens::RegisterType;
  using SourceModifier = ShaderTokens::SourceModifier;

  static constexpr int MAX_SOURCES = 3;

  struct Destination {
    RegisterType type = RegisterType::TEMP;
    uint32_t number = 0;
    uint8_t writeMask = ShaderTokens::MASK_ALL;
    uint8_t modifiers = 0;  // ShaderTokens::SATURATE | PARTIAL_PRECISION | CENTROID
    int8_t shift = 0;       // ps_1_x: 1..3 = x2, x4, x8; -1..-3 = d2, d4, d8
  };

  struct Source {
    RegisterType type = RegisterType::TEMP;
    // With relative addressing, the constant offset is already added in.
    uint32_t number = 0;
    uint8_t swizzle = ShaderTokens::IDENTITY_SWIZZLE;
    SourceModifier modifier = SourceModifier::NONE;
    // c[index + number] in vertex shaders. The index is a0 (ADDRESS, one
    // component chosen by relativeSwizzle's first entry; always .x in
    // vs_1_1) or aL (LOOP).
    bool relative = false;
    RegisterType relativeType = RegisterType::ADDRESS;
    uint8_t relativeSwizzle = 0;
  };

  struct Instruction {
    Opcode opcode = Opcode::NOP;
    uint8_t controls = 0;  // ps_2_0 texld: 0 texld, TEXLD_PROJECT texldp, TEXLD_BIAS texldb
    bool coissue = false;  // "+" before a ps_1_x instruction
    bool hasDestination = false;
    Destination destination;
    uint8_t sourceCount = 0;
    std::array<Source, MAX_SOURCES> sources{};
    // dcl: the usage token. Vertex inputs: usage and usageIndex; ps_2_0
    // samplers: samplerType; ps_2_0 t# and v#: all zero.
    ShaderTokens::Usage usage = ShaderTokens::Usage::POSITION;
    uint8_t usageIndex = 0;
    ShaderTokens::SamplerType samplerType = ShaderTokens::SamplerType::UNKNOWN;
    // def: four IEEE single bit patterns; defi: four int32; defb: one 0/1.
    uint8_t literalCount = 0;
    std::array<uint32_t, 4> literals{};
    // Index of the instruction token in the stream (decoded shaders only).
    size_t tokenOffset = 0;
  };

  // A dcl, for the inputs and samplers a translator binds.
  struct Declaration {
    RegisterType type = RegisterType::INPUT;  // INPUT (v#), TEXTURE (t#) or SAMPLER (s#)
    uint32_t number = 0;
    uint8_t writeMask = ShaderTokens::MASK_ALL;
    uint8_t modifiers = 0;
    ShaderTokens::Usage usage = ShaderTokens::Usage::POSITION;
    uint8_t usageIndex = 0;
    ShaderTokens::SamplerType samplerType = ShaderTokens::SamplerType::UNKNOWN;
  };

  // A def, defi or defb: a constant register the shader sets itself.
  struct Definition {
    RegisterType type = RegisterType::CONST;  // CONST (floats), CONSTINT or CONSTBOOL
    uint32_t number = 0;
    std::array<uint32_t, 4> values{};  // float bits, int32s, or values[0] = 0/1
  };

  uint32_t version = 0;
  // Every instruction in stream order, dcl, def and phase included.
  std::vector<Instruction> instructions;
  // The dcl and def* instructions again, in order, in their own terms.
  std::vector<Declaration> declarations;
  std::vector<Definition> definitions;
  // Tokens through the end token, and how many of them were comment blocks
  // (skipped; they carry no instructions).
  size_t tokenCount = 0;
  size_t commentTokens = 0;

  bool IsPixelShader() const { return ShaderTokens::IsPixelVersion(version); }
  uint32_t Major() const { return ShaderTokens::VersionMajor(version); }
  uint32_t Minor() const { return ShaderTokens::VersionMinor(version); }
};

}  // namespace ynx
