// What the shared vectors do not cover: instructions and modifiers no
// vector uses (tokens worked out from the token format by hand), error
// texts and their line numbers, and the preprocessor.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/d3d9/shader/ShaderAssembler.h"
#include "tests/d3d9/ShaderText.h"

namespace ynx {
namespace {

struct Case {
  const char* text;
  std::vector<uint32_t> tokens;  // between the version token and the end token
};

using test::ShaderText;

void ExpectTokens(uint32_t version, const char* header, const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    const std::string text = std::string(header) + "\n" + c.text + "\n";
    std::vector<uint32_t> expected{version};
    expected.insert(expected.end(), c.tokens.begin(), c.tokens.end());
    expected.push_back(0x0000FFFF);
    std::vector<uint32_t> tokens;
    std::string errors;
    EXPECT_TRUE(ShaderAssembler::Assemble(text, tokens, errors)) << text << errors;
    EXPECT_EQ(ShaderText::Hex(tokens), ShaderText::Hex(expected)) << text;
  }
}

// The errors of a text that must not assemble.
std::string Errors(const std::string& text) {
  std::vector<uint32_t> tokens{1, 2, 3};
  std::string errors;
  EXPECT_FALSE(ShaderAssembler::Assemble(text, tokens, errors)) << text;
  EXPECT_TRUE(tokens.empty()) << text;
  return errors;
}

void ExpectErrors(const std::vector<std::pair<const char*, const char*>>& cases) {
  for (const auto& [text, error] : cases) EXPECT_EQ(Errors(text), error) << text;
}

TEST(ShaderAssemblerTest, VertexInstructionsNoVectorUses) {
  ExpectTokens(0xFFFE0101, "vs_1_1",
               {
                   {"sub r0, r1, r2", {0x00000003, 0x800F0000, 0x80E40001, 0x80E40002}},
                   {"min r0, r1, c2", {0x0000000A, 0x800F0000, 0x80E40001, 0xA0E40002}},
                   {"max r0.w, r1.x, -c2", {0x0000000B, 0x80080000, 0x80000001, 0xA1E40002}},
                   {"exp r0, v0.x", {0x0000000E, 0x800F0000, 0x90000000}},
                   {"log r0, v0.y", {0x0000000F, 0x800F0000, 0x90550000}},
                   {"lit r0, r1", {0x00000010, 0x800F0000, 0x80E40001}},
                   {"dst r0, r1, r2", {0x00000011, 0x800F0000, 0x80E40001, 0x80E40002}},
                   {"frc r0.xy, r1", {0x00000013, 0x80030000, 0x80E40001}},
                   {"m4x3 r0.xyz, v0, c0", {0x00000015, 0x80070000, 0x90E40000, 0xA0E40000}},
                   {"m3x4 r0, v0, c4", {0x00000016, 0x800F0000, 0x90E40000, 0xA0E40004}},
                   {"m3x3 r0.xyz, v3, c8", {0x00000017, 0x80070000, 0x90E40003, 0xA0E40008}},
                   {"m3x2 r0.xy, v3, c8", {0x00000018, 0x80030000, 0x90E40003, 0xA0E40008}},
                   {"expp r0, r1.w", {0x0000004E, 0x800F0000, 0x80FF0001}},
                   {"logp r0.x, c1.z", {0x0000004F, 0x80010000, 0xA0AA0001}},
                   {"mov a0.x, c7.x", {0x00000001, 0xB0010000, 0xA0000007}},
                   {"mov oT7.xy, -c[a0.x + 95].wzyx", {0x00000001, 0xE0030007, 0xA11B205F}},
                   {"dcl_blendindices v2", {0x0000001F, 0x80000002, 0x900F0002}},
                   {"dcl_texcoord15 v15.xy", {0x0000001F, 0x800F0005, 0x9003000F}},
                   {"dcl_sample v1", {0x0000001F, 0x8000000D, 0x900F0001}},
               });
  ExpectTokens(0xFFFE0200, "vs_2_0",
               {
                   {"abs r0, -r1", {0x02000023, 0x800F0000, 0x81E40001}},
                   {"exp r0, v0.x", {0x0200000E, 0x800F0000, 0x90000000}},
                   {"sincos r0.xy, r1.x, c0, c1", {0x04000025, 0x80030000, 0x80000001, 0xA0E40000, 0xA0E40001}},
                   {"mov r0, c[aL + 3].y", {0x03000001, 0x800F0000, 0xA0552003, 0xF0E40800}},
                   {"mova a0.xyzw, -r1", {0x0200002E, 0xB00F0000, 0x81E40001}},
                   {"defi i15, -2147483648, 2147483647, 0, -0",
                    {0x05000030, 0xF00F000F, 0x80000000, 0x7FFFFFFF, 0x00000000, 0x00000000}},
                   {"label l2047", {0x0100001E, 0xA0E417FF}},
                   {"if !b15", {0x01000028, 0xEDE4080F}},
                   {"rep i3", {0x01000026, 0xF0E40003}},
               });
}

TEST(ShaderAssemblerTest, PixelInstructionsNoVectorUses) {
  ExpectTokens(0xFFFF0101, "ps.1.1",
               {
                   {"lrp r0, v0, t0, t1", {0x00000012, 0x800F0000, 0x90E40000, 0xB0E40000, 0xB0E40001}},
                   {"texm3x3spec t3, t0_bx2, c0", {0x0000004C, 0xB00F0003, 0xB4E40000, 0xA0E40000}},
                   {"add r0.rgb, r0, 1 - v1\n+mul r0.a, t0, v0.b",
                    {0x00000002, 0x80070000, 0x80E40000, 0x96E40001, 0x40000005, 0x80080000, 0xB0E40000,
                     0x90AA0000}},
               });
  ExpectTokens(0xFFFF0104, "ps_1_4",
               {
                   {"mov r0, r1_x2", {0x00000001, 0x800F0000, 0x87E40001}},
                   {"mov_x8 r0, -r1_x2", {0x00000001, 0x830F0000, 0x88E40001}},
                   {"texld r0, t1_dw", {0x00000042, 0x800F0000, 0xBAE40001}},
                   {"texld r2, t1_da.xyw", {0x00000042, 0x800F0002, 0xBAF40001}},
                   {"texcrd r1.rgb, t0_db", {0x00000040, 0x80070001, 0xB9E40000}},
                   {"texkill t1", {0x00000041, 0xB00F0001}},
                   {"cmp_sat r3, r0.a, c1, c2_bias", {0x00000058, 0x801F0003, 0x80FF0000, 0xA0E40001, 0xA2E40002}},
               });
  ExpectTokens(0xFFFF0200, "ps_2_0",
               {
                   {"dp2add r0, r1, r2, c0.x", {0x0400005A, 0x800F0000, 0x80E40001, 0x80E40002, 0xA0000000}},
                   {"texld_centroid r0, t0, s0", {0x03000042, 0x804F0000, 0xB0E40000, 0xA0E40800}},
                   {"dcl_pp t0.xy", {0x0200001F, 0x80000000, 0xB0230000}},
                   {"dcl_centroid t7", {0x0200001F, 0x80000000, 0xB04F0007}},
                   {"mov_sat_pp r0, -c0", {0x02000001, 0x803F0000, 0xA1E40000}},
                   {"m3x2 r0.xy, t0, c30", {0x03000018, 0x80030000, 0xB0E40000, 0xA0E4001E}},
                   {"sincos r0.xy, r1.x, c0, c1", {0x04000025, 0x80030000, 0x80000001, 0xA0E40000, 0xA0E40001}},
                   {"texkill r11", {0x01000041, 0x800F000B}},
                   {"frc r0, v1", {0x02000013, 0x800F0000, 0x90E40001}},
                   {"mov oC3, r0\nmov oDepth, r0.z", {0x02000001, 0x800F0803, 0x80E40000, 0x02000001, 0x900F0800,
                                                       0x80AA0000}},
               });
}

TEST(ShaderAssemblerTest, LiteralsSpellings) {
  ExpectTokens(0xFFFF0200, "ps_2_0",
               {
                   {"def c0, 1.5e2, -2.5E-1, .5, -0", {0x05000051, 0xA00F0000, 0x43160000, 0xBE800000, 0x3F000000,
                                                        0x80000000}},
                   {"def c1, +1, 1.f, 3.4028235e38, 1.40129846e-45",
                    {0x05000051, 0xA00F0001, 0x3F800000, 0x3F800000, 0x7F7FFFFF, 0x00000001}},
               });
  ExpectErrors({
      {"ps_2_0\ndef c0, 1e39, 0, 0, 0\n", "shader(2): error: number '1e39' is out of range for a float\n"},
      {"ps_2_0\ndef c0, 1, 2, 3\n", "shader(2): error: 'def' takes 5 operands, found 4\n"},
      {"ps_2_0\ndef c0.x, 1, 2, 3, 4\n", "shader(2): error: 'def' takes no write mask\n"},
      {"ps_2_0\ndef c0, 1, 2, 3, inf\n", "shader(2): error: expected a number\n"},
      {"ps_2_0\ndef c0, 1, 2, 3, -\n", "shader(2): error: expected a number\n"},
      {"vs_2_0\ndefi i0, 1, 2, 3, x\n", "shader(2): error: expected a whole number\n"},
      {"vs_2_0\ndefi i0, 1, 2, 3, -2147483649\n", "shader(2): error: integer constant '2147483649' is out of range\n"},
      {"vs_2_0\ndefi i0, 2147483648, 0, 0, 0\n", "shader(2): error: integer constant '2147483648' is out of range\n"},
      {"vs_2_0\ndefb b0, 1\n", "shader(2): error: defb takes true or false\n"},
      {"vs_2_0\ndef c0, 1 + 1, 0, 0, 0\n", "shader(2): error: constants take one number each, not an expression\n"},
  });
}

TEST(ShaderAssemblerTest, RefusesWhatTheModelLacks) {
  ExpectErrors({
      {"vs_1_1\nmov_sat r0, r1\n", "shader(2): error: _sat is not available on 'mov' in vs_1_1\n"},
      {"vs_2_0\nadd_pp r0, r0, r1\n", "shader(2): error: _pp is not available on 'add' in vs_2_0\n"},
      {"ps_1_4\ntexld_centroid r0, t0\n", "shader(2): error: _centroid is not available on 'texld' in ps_1_4\n"},
      {"ps_2_0\nadd_x2 r0, r0, r1\n", "shader(2): error: shift _x2 is not available on 'add' in ps_2_0\n"},
      {"ps_2_0\nadd_centroid r0, r0, r1\n", "shader(2): error: _centroid is not available on 'add' in ps_2_0\n"},
      {"ps_1_1\ndp4 r0, r1, c0\n", "shader(2): error: instruction 'dp4' is not available in ps_1_1\n"},
      {"ps_1_3\nphase\n", "shader(2): error: instruction 'phase' is not available in ps_1_3\n"},
      {"ps_1_4\ntex t0\n", "shader(2): error: instruction 'tex' is not available in ps_1_4\n"},
      {"ps_1_3\ntexld r0, t0\n", "shader(2): error: instruction 'texld' is not available in ps_1_3\n"},
      {"ps_1_3\ntexbem r0, t0\n",
       "shader(2): error: 'texbem' needs a texture register (t#) as destination, found r0\n"},
      {"ps_1_3\nmov r0, r1_dz\n", "shader(2): error: source modifier '_dz' is not available on operand 2 of 'mov' in "
                                  "ps_1_3\n"},
      {"ps_1_4\ntexld r0, t0_bx2\n",
       "shader(2): error: source modifier '_bx2' is not available on operand 2 of 'texld' in ps_1_4\n"},
      {"ps_1_4\nmov t0, r0\n", "shader(2): error: 'mov' needs a writable register as destination, found t0\n"},
      {"vs_1_1\nmov r0., r1\n", "shader(2): error: missing write mask after '.'\n"},
      {"vs_1_1\nmov r0, r1.\n", "shader(2): error: missing swizzle after '.'\n"},
      {"vs_1_1\nmov r0.x r1, r2\n", "shader(2): error: unexpected 'r1'\n"},
      {"ps_2_0\nmov r0, t8\n", "shader(2): error: register t8 is out of range in ps_2_0 (t0 to t7)\n"},
      {"ps_2_0\ntexld r0, t0, t1\n", "shader(2): error: operand 3 of 'texld' needs a sampler register (s#), found t1\n"},
      {"ps_2_0\ntexld r0, t0, s0.x\n", "shader(2): error: operand 3 of 'texld' takes no swizzle\n"},
      {"ps_2_0\ndcl_2d s0.x\n", "shader(2): error: sampler declaration takes no write mask\n"},
      {"ps_2_0\ndcl s0\n", "shader(2): error: sampler declaration needs _2d, _cube or _volume\n"},
      {"ps_2_0\ndcl_texcoord0 t0\n", "shader(2): error: dcl takes no usage in ps_2_0\n"},
      {"ps_2_0\ndcl_2d t0\n", "shader(2): error: texture type on a dcl of t0\n"},
      {"vs_1_1\ndcl v0\n", "shader(2): error: dcl needs a usage in vs_1_1 (dcl_position, dcl_texcoord1...)\n"},
      {"vs_1_1\ndcl_texcoord16 v0\n", "shader(2): error: usage index out of range in 'texcoord16' (0 to 15)\n"},
      {"vs_2_0\ndcl_2d s0\n", "shader(2): error: sampler declarations are not available in vs_2_0\n"},
      {"vs_2_0\nmov a0.x, r0\n", "shader(2): error: 'mov' needs a writable register as destination, found a0\n"},
      {"vs_1_1\nmova a0.x, r0\n", "shader(2): error: instruction 'mova' is not available in vs_1_1\n"},
      {"vs_2_0\ncall l2048\n", "shader(2): error: register l2048 is out of range in vs_2_0 (l0 to l2047)\n"},
      {"vs_2_0\nif b0.x\n", "shader(2): error: operand 1 of 'if' takes no swizzle\n"},
      {"vs_2_0\nloop aL, -i0\n", "shader(2): error: source modifier '-' is not available on operand 2 of 'loop' in "
                                 "vs_2_0\n"},
      {"vs_2_0\nmov r0, c[aL.x]\n", "shader(2): error: aL takes no swizzle\n"},
      {"vs_1_1\nmov r0, c[a0.x + 2048]\n", "shader(2): error: register c2048 is out of range in vs_1_1 (c0 to "
                                            "c2047)\n"},
      {"vs_1_1\nmov r0, c[a0.x - 1]\n", "shader(2): error: '-' is not allowed in relative addressing\n"},
      {"vs_1_1\nmov r0, c[a0.x + 1.5]\n", "shader(2): error: relative offset '1.5' is not a whole number\n"},
      {"vs_1_1\nmov r0, c[a0.x + a0.x]\n", "shader(2): error: more than one index register in relative addressing\n"},
      {"vs_1_1\nmov r0[a0.x], c0\n", "shader(2): error: relative addressing is not available for destinations in "
                                     "vs_1_1\n"},
      {"vs_1_1\nmov r0, c\n", "shader(2): error: missing register number in 'c'\n"},
      {"vs_1_1\nmov r0, r1.yx, \n", "shader(2): error: missing operand\n"},
      {"vs_1_1\nmov r0.yx, r1\n", "shader(2): error: invalid write mask 'yx'\n"},
      {"vs_1_1\nmov r0, !r1\n", "shader(2): error: source modifier '!' is not available on operand 2 of 'mov' in "
                                "vs_1_1\n"},
      {"vs_1_1\nmov r0_sat, r1\n", "shader(2): error: modifiers go on the instruction, not on the register, in "
                                   "'r0_sat'\n"},
      {"vs_1_1\nmov_sat_sat r0, r1\n", "shader(2): error: modifier '_sat' given twice\n"},
      {"vs_1_1\nmov_foo r0, r1\n", "shader(2): error: unknown instruction modifier '_foo'\n"},
      {"vs_1_1\nmov r0, r1_foo\n", "shader(2): error: unknown source modifier '_foo'\n"},
      {"vs_1_1\nmov r0, o1\n", "shader(2): error: unknown register 'o1'\n"},
      {"vs_1_1\nmov r0, t1\n", "shader(2): error: register 't1' is not available in vs_1_1\n"},
      {"vs_1_1\nmov r0, r1 @\n", "shader(2): error: unexpected character '@'\n"},
      {"vs_1_1\nmov r0, r1 r2\n", "shader(2): error: unexpected 'r2'\n"},
      {"vs_1_1\n(p0) mov r0, r1\n", "shader(2): error: predicated instructions are not available in vs_1_1\n"},
  });
}

TEST(ShaderAssemblerTest, ErrorsNameEveryBadLine) {
  // Comments and blank lines count as lines; every bad line is reported.
  EXPECT_EQ(Errors("vs_1_1\n// transform\n\nmvo r0, r1 ; typo\nmov r0, r1\r\nadd r0, r1\n"),
            "shader(4): error: unknown instruction 'mvo'\n"
            "shader(6): error: 'add' takes 3 operands, found 2\n");
  EXPECT_EQ(Errors(""), "shader(1): error: no shader version (vs_1_1, vs_2_0, ps_1_1 to ps_1_4 or ps_2_0)\n");
  EXPECT_EQ(Errors("; only a comment\n\n"),
            "shader(1): error: no shader version (vs_1_1, vs_2_0, ps_1_1 to ps_1_4 or ps_2_0)\n");
  EXPECT_EQ(Errors("\nmov r0, r1\nvs_1_1\n"), "shader(2): error: expected a shader version (vs_1_1, vs_2_0, ps_1_1 "
                                              "to ps_1_4 or ps_2_0), found 'mov r0, r1'\n");
  EXPECT_EQ(Errors("vs_3_0\nmov r0, r1\n"), "shader(1): error: unsupported shader model 'vs_3_0'\n");
  EXPECT_EQ(Errors("ps.2.x\n"), "shader(1): error: unsupported shader model 'ps_2_x'\n");
  EXPECT_EQ(Errors("vs_1_0\n"), "shader(1): error: unsupported shader model 'vs_1_0'\n");

  std::string many = "vs_1_1\n";
  for (int i = 0; i < 40; ++i) many += "bad\n";
  const std::string errors = Errors(many);
  EXPECT_NE(errors.find("shader(33): error: unknown instruction 'bad'\n(8 more errors)\n"), std::string::npos)
      << errors;
  EXPECT_EQ(errors.find("shader(34)"), std::string::npos);
}

TEST(ShaderAssemblerTest, NamesAreNotCaseSensitive) {
  ExpectTokens(0xFFFE0101, "VS.1.1",
               {{"MOV oPOS, C0.XyZw\nDCL_TEXCOORD3 V1\nMov R0.XW, -R1.W", {0x00000001, 0xC00F0000, 0xA0E40000, 0x0000001F,
                                                                           0x80030005, 0x900F0001, 0x00000001,
                                                                           0x80090000, 0x81FF0001}}});
}

TEST(ShaderAssemblerTest, AssembleShaderReturnsD3DXResults) {
  std::vector<uint32_t> tokens;
  std::string errors = "stale";
  const char text[] = "ps.1.1\ntex t0\nmad r0, t0, v0, v1\n";
  EXPECT_EQ(AssembleShader(text, sizeof(text) - 1, tokens, errors), ShaderAssembler::RESULT_OK);
  EXPECT_EQ(ShaderText::Hex(tokens), ShaderText::Hex({0xFFFF0101, 0x00000042, 0xB00F0000, 0x00000004, 0x800F0000, 0xB0E40000, 0x90E40000,
                              0x90E40001, 0x0000FFFF}));
  EXPECT_EQ(errors, "");
  // The length bounds the text: what follows is not read.
  EXPECT_EQ(AssembleShader("vs_1_1\nnop\ngarbage", 11, tokens, errors), ShaderAssembler::RESULT_OK);
  EXPECT_EQ(ShaderText::Hex(tokens), ShaderText::Hex({0xFFFE0101, 0x00000000, 0x0000FFFF}));
  EXPECT_EQ(AssembleShader("vs_1_1\nmvo", 10, tokens, errors), ShaderAssembler::RESULT_INVALID_DATA);
  EXPECT_TRUE(tokens.empty());
  EXPECT_EQ(errors, "shader(2): error: unknown instruction 'mvo'\n");
  EXPECT_EQ(AssembleShader(nullptr, 0, tokens, errors), ShaderAssembler::RESULT_INVALID_DATA);
}

TEST(ShaderAssemblerTest, PreprocessorDefinesAndComments) {
  ExpectTokens(0xFFFE0101, "vs_1_1",
               {
                   // Macros expand inside macros, not inside themselves, and not
                   // inside numbers ("1.0f" keeps its f).
                   {"#define BASE OFFSET + 1\n#define OFFSET 2\n#define f 3\n#define X X\n"
                    "mov r0, c[ BASE ]\ndef c1, 1.0f, f, 0, 0",
                    {0x00000001, 0x800F0000, 0xA0E40003, 0x00000051, 0xA00F0001, 0x3F800000, 0x40400000, 0, 0}},
                   {"#define SRC c4\n#undef SRC\n#define SRC c5\nmov r0, SRC", {0x00000001, 0x800F0000, 0xA0E40005}},
                   {"mov /* a comment\n spanning lines */ r0, c1 // rest\nmov r1, \\\n c2",
                    {0x00000001, 0x800F0000, 0xA0E40001, 0x00000001, 0x800F0001, 0xA0E40002}},
               });
  EXPECT_EQ(Errors("vs_1_1\n/* one\ntwo\nthree */ mvo r0, r1\n#define X(a) a\n#include \"x\"\n/* open"),
            "shader(2): error: unknown instruction 'mvo'\n"
            "shader(5): error: function-like macros are not supported\n"
            "shader(6): error: unsupported preprocessor directive '#include'\n"
            "shader(7): error: unterminated /* comment\n");
  EXPECT_EQ(Errors("vs_1_1\n#line 40 \"water.vsh\"\nmov r0, r1\nmvo r0, r1\n#line 7\nmvo\n"),
            "water.vsh(41): error: unknown instruction 'mvo'\n"
            "water.vsh(7): error: unknown instruction 'mvo'\n");
  EXPECT_EQ(Errors("vs_1_1\n#define X X\nmov r0, X\n"), "shader(3): error: unknown register 'x'\n");
}

TEST(ShaderAssemblerTest, SelfMultiplyingMacrosStopAtTheExpansionLimit) {
  // Each macro doubles the one before: 2^40 characters if expanded.
  std::string text = "vs_1_1\n#define M0 c0\n";
  for (int i = 1; i <= 40; ++i) {
    text += "#define M" + std::to_string(i) + " M" + std::to_string(i - 1) + " M" + std::to_string(i - 1) + "\n";
  }
  text += "mov r0, M40\nmov r0, M40\n";
  EXPECT_EQ(Errors(text), "shader(43): error: macro expansion too large\n"
                          "shader(44): error: macro expansion too large\n");
}

}  // namespace
}  // namespace ynx
