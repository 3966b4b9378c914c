#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/d3d9/shader/DecodedShader.h"

namespace ynx::test {

// For the shader fuzzers: traps unless a stream the decoder accepted comes
// back exactly, instruction by instruction through the encoder and as a
// whole through disassembly and the assembler.
void CheckShaderRoundTrip(const uint32_t* tokens, size_t count, const DecodedShader& shader);

}  // namespace ynx::test
