#pragma once

#include <cstdint>

namespace ynx {

// The Direct3D 9 shader token stream: every value and bit field the
// assembler writes and the decoder reads. All tokens are 32-bit
// little-endian words; a stream is a version token, instructions (an
// instruction token and its parameter tokens), optional comment blocks
// between instructions, and the end token.
class ShaderTokens {
 public:
  enum class Opcode : uint16_t {
    NOP = 0x00,
    MOV = 0x01,
    ADD = 0x02,
    SUB = 0x03,
    MAD = 0x04,
    MUL = 0x05,
    RCP = 0x06,
    RSQ = 0x07,
    DP3 = 0x08,
    DP4 = 0x09,
    MIN = 0x0A,
    MAX = 0x0B,
    SLT = 0x0C,
    SGE = 0x0D,
    EXP = 0x0E,
    LOG = 0x0F,
    LIT = 0x10,
    DST = 0x11,
    LRP = 0x12,
    FRC = 0x13,
    M4X4 = 0x14,
    M4X3 = 0x15,
    M3X4 = 0x16,
    M3X3 = 0x17,
    M3X2 = 0x18,
    CALL = 0x19,
    CALLNZ = 0x1A,
    LOOP = 0x1B,
    RET = 0x1C,
    ENDLOOP = 0x1D,
    LABEL = 0x1E,
    DCL = 0x1F,
    POW = 0x20,
    CRS = 0x21,
    SGN = 0x22,
    ABS = 0x23,
    NRM = 0x24,
    SINCOS = 0x25,
    REP = 0x26,
    ENDREP = 0x27,
    IF = 0x28,
    IFC = 0x29,
    ELSE = 0x2A,
    ENDIF = 0x2B,
    BREAK = 0x2C,
    BREAKC = 0x2D,
    MOVA = 0x2E,
    DEFB = 0x2F,
    DEFI = 0x30,
    TEXCOORD = 0x40,  // texcoord (ps_1_1 to 1_3), texcrd (ps_1_4)
    TEXKILL = 0x41,
    TEX = 0x42,  // tex (ps_1_1 to 1_3), texld (ps_1_4, ps_2_0; texldp, texldb by controls)
    TEXBEM = 0x43,
    TEXBEML = 0x44,
    TEXREG2AR = 0x45,
    TEXREG2GB = 0x46,
    TEXM3X2PAD = 0x47,
    TEXM3X2TEX = 0x48,
    TEXM3X3PAD = 0x49,
    TEXM3X3TEX = 0x4A,
    TEXM3X3SPEC = 0x4C,
    TEXM3X3VSPEC = 0x4D,
    EXPP = 0x4E,
    LOGP = 0x4F,
    CND = 0x50,
    DEF = 0x51,
    TEXREG2RGB = 0x52,
    TEXDP3TEX = 0x53,
    TEXM3X2DEPTH = 0x54,
    TEXDP3 = 0x55,
    TEXM3X3 = 0x56,
    TEXDEPTH = 0x57,
    CMP = 0x58,
    BEM = 0x59,
    DP2ADD = 0x5A,
    PHASE = 0xFFFD,
    COMMENT = 0xFFFE,
    END = 0xFFFF,
  };

  // Register type: bits 30:28 of a parameter token are bits 2:0, bits 12:11
  // are bits 4:3. ADDRESS and TEXTURE share a number: a0 in vertex shaders,
  // t# in pixel shaders.
  enum class RegisterType : uint8_t {
    TEMP = 0,
    INPUT = 1,
    CONST = 2,
    ADDRESS = 3,
    TEXTURE = 3,
    RASTOUT = 4,     // oPos, oFog, oPts (RasterOut)
    ATTROUT = 5,     // oD#
    TEXCRDOUT = 6,   // oT#
    CONSTINT = 7,    // i#
    COLOROUT = 8,    // oC#
    DEPTHOUT = 9,    // oDepth
    SAMPLER = 10,    // s#
    CONST2 = 11,
    CONST3 = 12,
    CONST4 = 13,
    CONSTBOOL = 14,  // b#
    LOOP = 15,       // aL
    TEMPFLOAT16 = 16,
    MISCTYPE = 17,
    LABEL = 18,      // l#
    PREDICATE = 19,
  };
  static constexpr int REGISTER_TYPE_COUNT = 20;

  // Numbers of the RASTOUT registers.
  enum RasterOut : uint32_t { POSITION_OUT = 0, FOG_OUT = 1, POINT_SIZE_OUT = 2 };

  // Source modifier, bits 27:24 of a source token.
  enum class SourceModifier : uint8_t {
    NONE = 0x0,
    NEGATE = 0x1,
    BIAS = 0x2,         // r - 0.5
    BIAS_NEGATE = 0x3,
    SIGN = 0x4,         // _bx2: 2 * (r - 0.5)
    SIGN_NEGATE = 0x5,
    COMPLEMENT = 0x6,   // 1 - r
    X2 = 0x7,
    X2_NEGATE = 0x8,
    DZ = 0x9,           // divide by z (ps_1_4 texld/texcrd)
    DW = 0xA,           // divide by w
    ABS = 0xB,
    ABS_NEGATE = 0xC,
    NOT = 0xD,          // !b#
  };
  static constexpr int SOURCE_MODIFIER_COUNT = 14;

  // Result modifier flags, bits 23:20 of a destination token.
  static constexpr uint8_t SATURATE = 0x1;
  static constexpr uint8_t PARTIAL_PRECISION = 0x2;
  static constexpr uint8_t CENTROID = 0x4;

  // Declaration usage (vertex shader dcl), bits 4:0 of the usage token.
  enum class Usage : uint8_t {
    POSITION = 0,
    BLENDWEIGHT = 1,
    BLENDINDICES = 2,
    NORMAL = 3,
    PSIZE = 4,
    TEXCOORD = 5,
    TANGENT = 6,
    BINORMAL = 7,
    TESSFACTOR = 8,
    POSITIONT = 9,
    COLOR = 10,
    FOG = 11,
    DEPTH = 12,
    SAMPLE = 13,
  };
  static constexpr int USAGE_COUNT = 14;

  // Sampler declaration (ps_2_0 dcl of s#), bits 30:27 of the usage token.
  enum class SamplerType : uint8_t { UNKNOWN = 0, TEXTURE_1D = 1, TEXTURE_2D = 2, CUBE = 3, VOLUME = 4 };

  // Write mask bits (destination bits 19:16 shifted down).
  static constexpr uint8_t MASK_X = 0x1;
  static constexpr uint8_t MASK_Y = 0x2;
  static constexpr uint8_t MASK_Z = 0x4;
  static constexpr uint8_t MASK_W = 0x8;
  static constexpr uint8_t MASK_ALL = 0xF;
  // .xyzw: component i reads component (swizzle >> 2i) & 3.
  static constexpr uint8_t IDENTITY_SWIZZLE = 0xE4;

  // ps_2_0 texld variants (instruction controls).
  static constexpr uint8_t TEXLD_PROJECT = 1;
  static constexpr uint8_t TEXLD_BIAS = 2;

  static constexpr uint32_t END_TOKEN = 0x0000FFFF;
  static constexpr uint32_t PHASE_TOKEN = 0x0000FFFD;
  static constexpr uint32_t PARAMETER_BIT = 0x80000000u;
  static constexpr uint32_t COISSUE_BIT = 0x40000000u;
  static constexpr uint32_t PREDICATED_BIT = 0x10000000u;
  static constexpr uint32_t RELATIVE_BIT = 0x00002000u;
  static constexpr uint32_t MAX_REGISTER_NUMBER = 0x7FF;
  static constexpr uint32_t MAX_COMMENT_LENGTH = 0x7FFF;

  // Version token: 0xFFFE (vertex) or 0xFFFF (pixel), major, minor.
  static constexpr uint32_t VersionToken(bool pixel, uint32_t major, uint32_t minor) {
    return (pixel ? 0xFFFF0000u : 0xFFFE0000u) | (major & 0xFF) << 8 | (minor & 0xFF);
  }
  static constexpr bool IsPixelVersion(uint32_t version) { return version >> 16 == 0xFFFF; }
  static constexpr bool IsVertexVersion(uint32_t version) { return version >> 16 == 0xFFFE; }
  static constexpr uint32_t VersionMajor(uint32_t version) { return version >> 8 & 0xFF; }
  static constexpr uint32_t VersionMinor(uint32_t version) { return version & 0xFF; }

  // Instruction token fields.
  static constexpr uint32_t InstructionToken(Opcode opcode, uint32_t controls, uint32_t length, bool coissue) {
    return static_cast<uint32_t>(opcode) | (controls & 0xFF) << 16 | (length & 0xF) << 24 |
           (coissue ? COISSUE_BIT : 0);
  }
  static constexpr uint32_t OpcodeOf(uint32_t token) { return token & 0xFFFF; }
  static constexpr uint32_t ControlsOf(uint32_t token) { return token >> 16 & 0xFF; }
  static constexpr uint32_t LengthOf(uint32_t token) { return token >> 24 & 0xF; }
  static constexpr bool IsComment(uint32_t token) { return (token & 0x8000FFFFu) == 0xFFFE; }
  static constexpr uint32_t CommentLength(uint32_t token) { return token >> 16 & MAX_COMMENT_LENGTH; }

  // Parameter token fields shared by destination and source tokens.
  static constexpr uint32_t RegisterTypeBits(RegisterType type) {
    const auto value = static_cast<uint32_t>(type);
    return (value & 0x7) << 28 | (value & 0x18) << 8;
  }
  static constexpr RegisterType RegisterTypeOf(uint32_t token) {
    return static_cast<RegisterType>((token >> 28 & 0x7) | (token >> 8 & 0x18));
  }
  static constexpr uint32_t RegisterNumberOf(uint32_t token) { return token & MAX_REGISTER_NUMBER; }

  // Destination token fields.
  static constexpr uint8_t WriteMaskOf(uint32_t token) { return token >> 16 & 0xF; }
  static constexpr uint8_t ResultModifiersOf(uint32_t token) { return token >> 20 & 0xF; }
  // Shift scale of ps_1_x: 1..3 multiply by 2^n, 13..15 divide by 2^(16-n).
  static constexpr int8_t ShiftOf(uint32_t token) {
    const int value = token >> 24 & 0xF;
    return static_cast<int8_t>(value >= 8 ? value - 16 : value);
  }

  // Source token fields.
  static constexpr uint8_t SwizzleOf(uint32_t token) { return token >> 16 & 0xFF; }
  static constexpr SourceModifier SourceModifierOf(uint32_t token) {
    return static_cast<SourceModifier>(token >> 24 & 0xF);
  }
  static constexpr uint32_t SwizzleComponent(uint8_t swizzle, int component) {
    return swizzle >> (2 * component) & 0x3;
  }
  // The same component in all four places (.x = 0x00, .w = 0xFF).
  static constexpr uint8_t ReplicateSwizzle(uint32_t component) {
    return static_cast<uint8_t>((component & 3) * 0x55);
  }
};

}  // namespace ynx
