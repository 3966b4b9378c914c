#include "platform/d3d9/device/DepthBiasProbe.h"

#include <epoxy/gl.h>

#include <cmath>
#include <string>

#include "platform/d3d9/device/GlslCompiler.h"

namespace ynx {

namespace {

// A triangle over the whole 1 x 1 target at depth 0.5.
constexpr const char* VERTEX =
    "#version 450 core\n"
    "void main() {\n"
    "  gl_Position = vec4(vec2(gl_VertexID & 1, gl_VertexID >> 1) * 4.0 - 1.0, 0.0, 1.0);\n"
    "}\n";
constexpr const char* FRAGMENT = "#version 450 core\nvoid main() {}\n";

// Offset by many units so that the step stands well above rounding.
constexpr float UNITS = 1024.0f;

}  // namespace

float DepthBiasProbe::Measure(uint32_t internalFormat, uint32_t bits) {
  const float assumed = std::ldexp(1.0f, -static_cast<int>(bits));
  std::string error;
  const GLuint vertex = GlslCompiler::Compile(false, VERTEX, error);
  const GLuint fragment = GlslCompiler::Compile(true, FRAGMENT, error);
  GLuint program = 0;
  if (vertex && fragment) {
    program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
  }
  glDeleteShader(vertex);
  glDeleteShader(fragment);
  GLint linked = GL_FALSE;
  if (program) glGetProgramiv(program, GL_LINK_STATUS, &linked);
  if (!linked) {
    glDeleteProgram(program);
    return assumed;
  }

  GLuint texture = 0;
  GLuint framebuffer = 0;
  GLuint vertexArray = 0;
  glCreateTextures(GL_TEXTURE_2D, 1, &texture);
  glTextureStorage2D(texture, 1, internalFormat, 1, 1);
  glCreateFramebuffers(1, &framebuffer);
  glNamedFramebufferTexture(framebuffer, GL_DEPTH_ATTACHMENT, texture, 0);
  glNamedFramebufferDrawBuffer(framebuffer, GL_NONE);
  glNamedFramebufferReadBuffer(framebuffer, GL_NONE);
  glCreateVertexArrays(1, &vertexArray);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
  glBindVertexArray(vertexArray);
  glUseProgram(program);
  glViewport(0, 0, 1, 1);
  glDepthRangef(0.0f, 1.0f);
  glDisable(GL_SCISSOR_TEST);
  glDisable(GL_STENCIL_TEST);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_ALWAYS);
  glDepthMask(GL_TRUE);
  float depths[2] = {};
  for (int offset = 0; offset < 2; ++offset) {
    if (offset) glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(0.0f, UNITS);
    glDrawArrays(GL_TRIANGLES, 0, 3);
    glReadPixels(0, 0, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depths[offset]);
  }
  glDisable(GL_POLYGON_OFFSET_FILL);
  glUseProgram(0);
  glBindVertexArray(0);
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glDeleteVertexArrays(1, &vertexArray);
  glDeleteFramebuffers(1, &framebuffer);
  glDeleteTextures(1, &texture);
  glDeleteProgram(program);

  const float unit = (depths[1] - depths[0]) / UNITS;
  // Anything far from the assumption is a failed measurement, not a driver.
  return unit > assumed / 16.0f && unit < assumed * 16.0f ? unit : assumed;
}

}  // namespace ynx
