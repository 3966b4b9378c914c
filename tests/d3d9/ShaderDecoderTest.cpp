// The decoder: the fields a translator reads, and streams it must refuse
// without reading past their end.

#include <gtest/gtest.h>

#include <bit>
#include <string>
#include <vector>

#include "platform/d3d9/shader/ShaderDecoder.h"
#include "platform/d3d9/shader/ShaderDisassembler.h"
#include "tests/d3d9/ShaderText.h"

namespace ynx {
namespace {

using Opcode = ShaderTokens::Opcode;
using RegisterType = ShaderTokens::RegisterType;
using SourceModifier = ShaderTokens::SourceModifier;

constexpr uint32_t VS_1_1 = 0xFFFE0101;
constexpr uint32_t VS_2_0 = 0xFFFE0200;
constexpr uint32_t PS_1_3 = 0xFFFF0103;
constexpr uint32_t PS_1_4 = 0xFFFF0104;
constexpr uint32_t PS_2_0 = 0xFFFF0200;
constexpr uint32_t END = 0x0000FFFF;

using test::ShaderText;

std::string Failure(const std::vector<uint32_t>& tokens) {
  DecodedShader shader;
  shader.version = 1;
  std::string error;
  EXPECT_FALSE(ShaderDecoder::Decode(tokens.data(), tokens.size(), shader, error));
  EXPECT_EQ(shader.version, 0u);
  EXPECT_TRUE(shader.instructions.empty());
  return error;
}

TEST(ShaderDecoderTest, VertexShaderFields) {
  const DecodedShader shader = ShaderText::Decode(
      "vs_2_0\ndcl_texcoord3 v1.xy\ndef c4, 1, 0.5, 0, -2\ndefi i1, 3, 0, 1, 0\ndefb b2, true\n"
      "mova a0.y, c0.z\nmov r0.xw, -c5[a0.y].wzyx\nloop aL, i1\nadd r1, r1, c[aL + 2]\nendloop\nif !b2\nendif\n");
  EXPECT_EQ(shader.version, VS_2_0);
  EXPECT_FALSE(shader.IsPixelShader());
  EXPECT_EQ(shader.Major(), 2u);
  EXPECT_EQ(shader.Minor(), 0u);
  ASSERT_EQ(shader.instructions.size(), 11u);

  ASSERT_EQ(shader.declarations.size(), 1u);
  const DecodedShader::Declaration& input = shader.declarations[0];
  EXPECT_EQ(input.type, RegisterType::INPUT);
  EXPECT_EQ(input.number, 1u);
  EXPECT_EQ(input.writeMask, 0x3);
  EXPECT_EQ(input.usage, ShaderTokens::Usage::TEXCOORD);
  EXPECT_EQ(input.usageIndex, 3);

  ASSERT_EQ(shader.definitions.size(), 3u);
  EXPECT_EQ(shader.definitions[0].type, RegisterType::CONST);
  EXPECT_EQ(shader.definitions[0].number, 4u);
  EXPECT_EQ(std::bit_cast<float>(shader.definitions[0].values[1]), 0.5f);
  EXPECT_EQ(std::bit_cast<float>(shader.definitions[0].values[3]), -2.0f);
  EXPECT_EQ(shader.definitions[1].type, RegisterType::CONSTINT);
  EXPECT_EQ(shader.definitions[1].values, (std::array<uint32_t, 4>{3, 0, 1, 0}));
  EXPECT_EQ(shader.definitions[2].type, RegisterType::CONSTBOOL);
  EXPECT_EQ(shader.definitions[2].values[0], 1u);

  const DecodedShader::Instruction& mova = shader.instructions[4];
  EXPECT_EQ(mova.opcode, Opcode::MOVA);
  EXPECT_EQ(mova.destination.type, RegisterType::ADDRESS);
  EXPECT_EQ(mova.destination.writeMask, ShaderTokens::MASK_Y);
  EXPECT_EQ(mova.tokenOffset, 19u);

  const DecodedShader::Instruction& mov = shader.instructions[5];
  EXPECT_TRUE(mov.hasDestination);
  EXPECT_EQ(mov.destination.writeMask, ShaderTokens::MASK_X | ShaderTokens::MASK_W);
  ASSERT_EQ(mov.sourceCount, 1);
  const DecodedShader::Source& relative = mov.sources[0];
  EXPECT_EQ(relative.type, RegisterType::CONST);
  EXPECT_EQ(relative.number, 5u);
  EXPECT_EQ(relative.swizzle, 0x1B);
  EXPECT_EQ(relative.modifier, SourceModifier::NEGATE);
  EXPECT_TRUE(relative.relative);
  EXPECT_EQ(relative.relativeType, RegisterType::ADDRESS);
  EXPECT_EQ(ShaderTokens::SwizzleComponent(relative.relativeSwizzle, 0), 1u);

  const DecodedShader::Source& loop = shader.instructions[7].sources[1];
  EXPECT_TRUE(loop.relative);
  EXPECT_EQ(loop.relativeType, RegisterType::LOOP);
  EXPECT_EQ(loop.number, 2u);
  EXPECT_EQ(shader.instructions[9].opcode, Opcode::IF);
  EXPECT_EQ(shader.instructions[9].sources[0].modifier, SourceModifier::NOT);
}

TEST(ShaderDecoderTest, PixelShaderFields) {
  const DecodedShader ps14 =
      ShaderText::Decode("ps_1_4\ntexld r0, t0_dz\nphase\nmul_x2_sat r0.rgb, r0, c0\n+mov_d2 r0.a, 1-r0\n");
  ASSERT_EQ(ps14.instructions.size(), 4u);
  EXPECT_EQ(ps14.instructions[0].opcode, Opcode::TEX);
  EXPECT_EQ(ps14.instructions[0].sources[0].modifier, SourceModifier::DZ);
  EXPECT_EQ(ps14.instructions[1].opcode, Opcode::PHASE);
  EXPECT_EQ(ps14.instructions[2].destination.shift, 1);
  EXPECT_EQ(ps14.instructions[2].destination.modifiers, ShaderTokens::SATURATE);
  EXPECT_TRUE(ps14.instructions[3].coissue);
  EXPECT_EQ(ps14.instructions[3].destination.shift, -1);
  EXPECT_EQ(ps14.instructions[3].sources[0].modifier, SourceModifier::COMPLEMENT);

  const DecodedShader ps20 = ShaderText::Decode("ps_2_0\ndcl_cube s1\ndcl_pp t2.xyz\ntexldp r0, t2, s1\n");
  ASSERT_EQ(ps20.declarations.size(), 2u);
  EXPECT_EQ(ps20.declarations[0].type, RegisterType::SAMPLER);
  EXPECT_EQ(ps20.declarations[0].samplerType, ShaderTokens::SamplerType::CUBE);
  EXPECT_EQ(ps20.declarations[1].type, RegisterType::TEXTURE);
  EXPECT_EQ(ps20.declarations[1].modifiers, ShaderTokens::PARTIAL_PRECISION);
  EXPECT_EQ(ps20.declarations[1].writeMask, 0x7);
  EXPECT_EQ(ps20.instructions[2].controls, ShaderTokens::TEXLD_PROJECT);
  EXPECT_EQ(ps20.instructions[2].sources[1].type, RegisterType::SAMPLER);
}

TEST(ShaderDecoderTest, SkipsCommentsAndStopsAtTheEnd) {
  const std::vector<uint32_t> tokens = {VS_1_1, 0x0002FFFE, 0x43544142, 0xFFFFFFFF, 0x00000000,
                                        0x0000FFFE, END, 0xDEADBEEF};
  DecodedShader shader;
  std::string error;
  ASSERT_TRUE(ShaderDecoder::Decode(tokens.data(), tokens.size(), shader, error)) << error;
  EXPECT_EQ(shader.instructions.size(), 1u);
  EXPECT_EQ(shader.instructions[0].tokenOffset, 4u);
  EXPECT_EQ(shader.commentTokens, 4u);
  EXPECT_EQ(shader.tokenCount, 7u);
}

TEST(ShaderDecoderTest, RefusesMalformedStreams) {
  const std::vector<std::pair<std::vector<uint32_t>, std::string>> cases = {
      {{}, "empty token stream"},
      {{0xFFFE0300, END}, "token 0: unsupported shader model vs_3_0"},
      {{0x12345678, END}, "token 0: unsupported shader model 0x12345678"},
      {{VS_1_1}, "no end token"},
      {{VS_1_1, 0x00000001, 0x800F0000}, "token 3: the instruction runs past the end of the stream"},
      {{VS_1_1, 0x00000001, 0x800F0000, 0x00E40001, END}, "token 3: invalid parameter token 0x00e40001"},
      {{VS_1_1, 0x00000001, 0x800F4000, 0x80E40001, END}, "token 2: invalid parameter token 0x800f4000"},
      {{VS_1_1, 0x00000001, 0x800F2000, 0x80E40001, END}, "token 2: invalid parameter token 0x800f2000"},
      {{VS_1_1, 0x80000001, END}, "token 1: expected an instruction, found 0x80000001"},
      {{VS_1_1, 0x02000001, 0x800F0000, 0x80E40001, END}, "token 1: length field set in a vs_1_1 instruction"},
      {{VS_2_0, 0x03000001, 0x800F0000, 0x80E40001, END},
       "token 1: the length field says 3 tokens, the operands take 2"},
      {{VS_2_0, 0x12000001, 0x800F0000, 0x80E40001, END},
       "token 1: predicated instructions are not available in vs_2_0"},
      {{VS_2_0, 0x22000001, 0x800F0000, 0x80E40001, END}, "token 1: invalid instruction token 0x22000001"},
      {{VS_2_0, 0x03000001, 0x800F0000, 0xA0E42000, 0xB0000001, END},
       "token 4: invalid relative address token 0xb0000001"},
      {{PS_1_3, 0x0000004B, END}, "token 1: opcode 0x004b (controls 0) is not available in ps_1_3"},
      {{PS_2_0, 0x03030042, 0x800F0000, 0xB0E40000, 0xA0E40800, END},
       "token 1: opcode 0x0042 (controls 3) is not available in ps_2_0"},
      {{VS_1_1, 0x40000001, 0x800F0000, 0x80E40001, END},
       "token 1: co-issue ('+') is not available for 'mov' in vs_1_1"},
      {{PS_1_3, 0x40000042, 0xB00F0000, END}, "token 1: co-issue ('+') is not available for 'tex' in ps_1_3"},
      {{PS_1_3, 0x00000001, 0x850F0000, 0x80E40001, END}, "token 1: invalid shift 5"},
      {{PS_1_3, 0x00000001, 0x800F0005, 0x80E40000, END},
       "token 1: register r5 is out of range in ps_1_3 (r0 to r1)"},
      {{PS_2_0, 0x03000001, 0x800F0000, 0xA0E42000, 0xB0000000, END},
       "token 1: relative addressing is not available for c0 in ps_2_0"},
      {{VS_1_1, 0x0005FFFE, 1, 2, END}, "token 1: the comment runs past the end of the stream"},
      {{PS_1_4, 0x4000FFFD, END}, "token 1: invalid phase token 0x4000fffd"},
      {{VS_1_1, 0x0000001F, 0x80000100, 0x900F0000, END}, "token 2: invalid dcl usage token 0x80000100"},
      {{VS_1_1, 0x0000001F, 0x8000000E, 0x900F0000, END}, "token 1: invalid usage in dcl"},
      {{PS_2_0, 0x0200001F, 0x88000000, 0xA00F0800, END},
       "token 1: sampler declaration needs _2d, _cube or _volume"},
      {{VS_2_0, 0x0200002F, 0xE00F0800, 2, END}, "token 1: defb takes true or false"},
  };
  for (const auto& [tokens, error] : cases) EXPECT_EQ(Failure(tokens), error);
}

TEST(ShaderDecoderTest, LooksForTheEndOnlyInTheFirstTokens) {
  std::vector<uint32_t> tokens(ShaderDecoder::MAX_TOKENS + 10, 0x00000000);  // nop
  tokens[0] = VS_1_1;
  EXPECT_EQ(Failure(tokens), "no end token in the first 65536 tokens");
  tokens[ShaderDecoder::MAX_TOKENS - 1] = END;
  DecodedShader shader;
  std::string error;
  EXPECT_TRUE(ShaderDecoder::Decode(tokens.data(), tokens.size(), shader, error)) << error;
  EXPECT_EQ(shader.tokenCount, ShaderDecoder::MAX_TOKENS);
}

TEST(ShaderDecoderTest, DisassemblyReadsLikeTheSource) {
  EXPECT_EQ(ShaderDisassembler::Disassemble(ShaderText::Decode(
                "vs.2.0\ndcl_color1 v2\nmov r0, -c0[a0.w+5].x\nmov r1, c[a0.xyww]\nadd r0.xz, r0, c[aL + 1]\n"
                "callnz l3, !b1\ndef c1, 0.1, -0, 1e10, 4\n")),
            "vs_2_0\ndcl_color1 v2\nmov r0, -c5[a0.w].x\nmov r1, c0[a0.xyww]\nadd r0.xz, r0, c1[aL]\n"
            "callnz l3, !b1\ndef c1, 0.100000001, -0, 1e+10, 4\n");
  EXPECT_EQ(ShaderDisassembler::Disassemble(ShaderText::Decode("ps.1.4\ntexld r5, r2_dz\nadd_x4 r0.rgb, 1-r1, r2_bx2\n"
                                                       "+mov_sat r0.a, -t0_bias.b\n")),
            "ps_1_4\ntexld r5, r2_dz\nadd_x4 r0.xyz, 1-r1, r2_bx2\n+mov_sat r0.w, -t0_bias.z\n");
  EXPECT_EQ(ShaderDisassembler::Disassemble(ShaderText::Decode("vs_1_1\nmov r0, c[a0.x + 3]\nmov a0.x, c1\n")),
            "vs_1_1\nmov r0, c3[a0.x]\nmov a0.x, c1\n");
}

}  // namespace
}  // namespace ynx
