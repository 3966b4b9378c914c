#include "tests/d3d9/GlslRunner.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/glcorearb.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/d3d9/shader/ShaderKey.h"

namespace ynx::test {

namespace {

// Every GL entry point the runner calls, loaded through EGL.
#define YNX_GL_FUNCTIONS(X)                                            \
  X(PFNGLACTIVETEXTUREPROC, ActiveTexture)                             \
  X(PFNGLATTACHSHADERPROC, AttachShader)                               \
  X(PFNGLBEGINTRANSFORMFEEDBACKPROC, BeginTransformFeedback)           \
  X(PFNGLBINDBUFFERPROC, BindBuffer)                                   \
  X(PFNGLBINDBUFFERBASEPROC, BindBufferBase)                           \
  X(PFNGLBINDFRAMEBUFFERPROC, BindFramebuffer)                         \
  X(PFNGLBINDTEXTUREPROC, BindTexture)                                 \
  X(PFNGLBINDVERTEXARRAYPROC, BindVertexArray)                         \
  X(PFNGLBUFFERDATAPROC, BufferData)                                   \
  X(PFNGLCHECKFRAMEBUFFERSTATUSPROC, CheckFramebufferStatus)           \
  X(PFNGLCLEARPROC, Clear)                                             \
  X(PFNGLCLEARCOLORPROC, ClearColor)                                   \
  X(PFNGLCLEARDEPTHPROC, ClearDepth)                                   \
  X(PFNGLCLIPCONTROLPROC, ClipControl)                                 \
  X(PFNGLCOMPILESHADERPROC, CompileShader)                             \
  X(PFNGLCREATEPROGRAMPROC, CreateProgram)                             \
  X(PFNGLCREATESHADERPROC, CreateShader)                               \
  X(PFNGLDELETEBUFFERSPROC, DeleteBuffers)                             \
  X(PFNGLDELETEFRAMEBUFFERSPROC, DeleteFramebuffers)                   \
  X(PFNGLDELETEPROGRAMPROC, DeleteProgram)                             \
  X(PFNGLDELETESHADERPROC, DeleteShader)                               \
  X(PFNGLDELETETEXTURESPROC, DeleteTextures)                           \
  X(PFNGLDELETEVERTEXARRAYSPROC, DeleteVertexArrays)                   \
  X(PFNGLDEPTHFUNCPROC, DepthFunc)                                     \
  X(PFNGLDISABLEPROC, Disable)                                         \
  X(PFNGLDRAWARRAYSPROC, DrawArrays)                                   \
  X(PFNGLENABLEPROC, Enable)                                           \
  X(PFNGLENABLEVERTEXATTRIBARRAYPROC, EnableVertexAttribArray)         \
  X(PFNGLENDTRANSFORMFEEDBACKPROC, EndTransformFeedback)               \
  X(PFNGLFRAMEBUFFERPARAMETERIPROC, FramebufferParameteri)             \
  X(PFNGLFRAMEBUFFERTEXTURE2DPROC, FramebufferTexture2D)               \
  X(PFNGLGENBUFFERSPROC, GenBuffers)                                   \
  X(PFNGLGENFRAMEBUFFERSPROC, GenFramebuffers)                         \
  X(PFNGLGENTEXTURESPROC, GenTextures)                                 \
  X(PFNGLGENVERTEXARRAYSPROC, GenVertexArrays)                         \
  X(PFNGLGETBUFFERSUBDATAPROC, GetBufferSubData)                       \
  X(PFNGLGETERRORPROC, GetError)                                       \
  X(PFNGLGETPROGRAMINFOLOGPROC, GetProgramInfoLog)                     \
  X(PFNGLGETPROGRAMIVPROC, GetProgramiv)                               \
  X(PFNGLGETSHADERINFOLOGPROC, GetShaderInfoLog)                       \
  X(PFNGLGETSHADERIVPROC, GetShaderiv)                                 \
  X(PFNGLLINKPROGRAMPROC, LinkProgram)                                 \
  X(PFNGLPOINTSIZEPROC, PointSize)                                     \
  X(PFNGLREADPIXELSPROC, ReadPixels)                                   \
  X(PFNGLSHADERSOURCEPROC, ShaderSource)                               \
  X(PFNGLTEXIMAGE2DPROC, TexImage2D)                                   \
  X(PFNGLTEXIMAGE3DPROC, TexImage3D)                                   \
  X(PFNGLTEXBUFFERPROC, TexBuffer)                                     \
  X(PFNGLTEXPARAMETERIPROC, TexParameteri)                             \
  X(PFNGLTRANSFORMFEEDBACKVARYINGSPROC, TransformFeedbackVaryings)     \
  X(PFNGLUSEPROGRAMPROC, UseProgram)                                   \
  X(PFNGLVERTEXATTRIBPOINTERPROC, VertexAttribPointer)                 \
  X(PFNGLDISABLEVERTEXATTRIBARRAYPROC, DisableVertexAttribArray)       \
  X(PFNGLVIEWPORTPROC, Viewport)

// The tests' stand-in for a fixed-function vertex program: attributes 0 to
// 12 are the position, two colours, eight texture coordinates and fog.
const char* const PASS_THROUGH_VERTEX = R"(#version 450
layout(location = 0) in vec4 position;
layout(location = 1) in vec4 color0;
layout(location = 2) in vec4 color1;
layout(location = 3) in vec4 texcoord[8];
layout(location = 11) in vec4 fog;
layout(location = 0) out vec4 ynx_color0;
layout(location = 1) out vec4 ynx_color1;
layout(location = 2) out vec4 ynx_texcoord0;
layout(location = 3) out vec4 ynx_texcoord1;
layout(location = 4) out vec4 ynx_texcoord2;
layout(location = 5) out vec4 ynx_texcoord3;
layout(location = 6) out vec4 ynx_texcoord4;
layout(location = 7) out vec4 ynx_texcoord5;
layout(location = 8) out vec4 ynx_texcoord6;
layout(location = 9) out vec4 ynx_texcoord7;
layout(location = 10) out float ynx_fog;
void main() {
  gl_Position = position;
  ynx_color0 = color0;
  ynx_color1 = color1;
  ynx_texcoord0 = texcoord[0];
  ynx_texcoord1 = texcoord[1];
  ynx_texcoord2 = texcoord[2];
  ynx_texcoord3 = texcoord[3];
  ynx_texcoord4 = texcoord[4];
  ynx_texcoord5 = texcoord[5];
  ynx_texcoord6 = texcoord[6];
  ynx_texcoord7 = texcoord[7];
  ynx_fog = fog.x;
}
)";

// A fragment program that reads every varying.
const char* const PASS_THROUGH_FRAGMENT = R"(#version 450
layout(location = 0) in vec4 ynx_color0;
layout(location = 1) in vec4 ynx_color1;
layout(location = 2) in vec4 ynx_texcoord0;
layout(location = 9) in vec4 ynx_texcoord7;
layout(location = 10) in float ynx_fog;
layout(location = 0) out vec4 target;
void main() { target = ynx_color0 + ynx_color1 + ynx_texcoord0 + ynx_texcoord7 + vec4(ynx_fog); }
)";

constexpr int PASS_THROUGH_ATTRIBUTES = 12;  // vec4s per vertex
constexpr int FEEDBACK_FLOATS = 4 * 11 + 1;

}  // namespace

struct GlslRunner::Context {
#define YNX_DECLARE(type, name) type name = nullptr;
  YNX_GL_FUNCTIONS(YNX_DECLARE)
#undef YNX_DECLARE
  EGLDisplay display = EGL_NO_DISPLAY;
  EGLContext context = EGL_NO_CONTEXT;
  GLuint buffers[4] = {};  // uniform blocks, by binding point
  GLuint constantTexels = 0;  // the vertex constants' block as a buffer texture
  std::vector<GLuint> extraBuffers;  // Uniforms::extraBlocks, in their order
  // Surfaceless contexts have no default framebuffer, and a draw needs a
  // complete one even with the rasteriser off: vertex runs bind this one.
  GLuint emptyFramebuffer = 0;
};

GlslRunner::Uniforms::Uniforms() {
  // Identity position fix-up, no point size clamp in the way.
  vertexState.positionFixup[0] = 1.0f;
  vertexState.positionFixup[1] = 1.0f;
  vertexState.pointSize[1] = 64.0f;
}

GlslRunner::GlslRunner() : context(std::make_unique<Context>()) {}

GlslRunner::~GlslRunner() {
  if (context->display == EGL_NO_DISPLAY) return;
  if (context->context != EGL_NO_CONTEXT) {
    if (context->DeleteBuffers) {
      context->DeleteBuffers(4, context->buffers);
      if (!context->extraBuffers.empty()) {
        context->DeleteBuffers(static_cast<GLsizei>(context->extraBuffers.size()), context->extraBuffers.data());
      }
    }
    if (context->DeleteFramebuffers) context->DeleteFramebuffers(1, &context->emptyFramebuffer);
    if (context->DeleteTextures) context->DeleteTextures(1, &context->constantTexels);
    eglMakeCurrent(context->display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(context->display, context->context);
  }
  // The display is not terminated: that unloads Mesa's driver, and what its
  // globals still held would then look leaked to LeakSanitizer.
}

GlslRunner* GlslRunner::Get(std::string& why) {
  static std::string failure;
  static const std::unique_ptr<GlslRunner> runner = [] {
    std::unique_ptr<GlslRunner> made(new GlslRunner());
    if (!made->Start(failure)) made.reset();
    return made;
  }();
  why = failure;
  // CI has Mesa: there a missing context fails the test instead of
  // letting it skip unnoticed.
  const char* ci = std::getenv("CI");
  if (runner == nullptr && ci != nullptr && std::strcmp(ci, "true") == 0) {
    ADD_FAILURE() << "no OpenGL 4.5 context under CI: " << why;
  }
  return runner.get();
}

bool GlslRunner::Start(std::string& why) {
  Context& c = *context;
  const auto getDisplay =
      reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
  if (getDisplay == nullptr) {
    why = "EGL has no eglGetPlatformDisplayEXT";
    return false;
  }
  c.display = getDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  EGLint major = 0;
  EGLint minor = 0;
  if (c.display == EGL_NO_DISPLAY || !eglInitialize(c.display, &major, &minor) || !eglBindAPI(EGL_OPENGL_API)) {
    why = "no surfaceless EGL display";
    return false;
  }
  const EGLint attributes[] = {EGL_CONTEXT_MAJOR_VERSION, 4, EGL_CONTEXT_MINOR_VERSION, 5,
                               EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT, EGL_NONE};
  c.context = eglCreateContext(c.display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, attributes);
  if (c.context == EGL_NO_CONTEXT || !eglMakeCurrent(c.display, EGL_NO_SURFACE, EGL_NO_SURFACE, c.context)) {
    why = "no OpenGL 4.5 core context";
    return false;
  }
#define YNX_LOAD(type, name)                                                      \
  c.name = reinterpret_cast<type>(eglGetProcAddress("gl" #name));                 \
  if (c.name == nullptr) {                                                        \
    why = "no gl" #name;                                                          \
    return false;                                                                 \
  }
  YNX_GL_FUNCTIONS(YNX_LOAD)
#undef YNX_LOAD
  // The device's conventions: Direct3D depth range and row order.
  c.ClipControl(GL_UPPER_LEFT, GL_ZERO_TO_ONE);
  c.GenBuffers(4, c.buffers);
  // The device's second view of the vertex constants, for relative reads.
  c.BindBuffer(GL_UNIFORM_BUFFER, c.buffers[ShaderInterface::VERTEX_CONSTANTS_BINDING]);
  c.GenTextures(1, &c.constantTexels);
  c.ActiveTexture(GL_TEXTURE0 + ShaderInterface::VERTEX_CONSTANT_TEXELS_UNIT);
  c.BindTexture(GL_TEXTURE_BUFFER, c.constantTexels);
  c.TexBuffer(GL_TEXTURE_BUFFER, GL_RGBA32F, c.buffers[ShaderInterface::VERTEX_CONSTANTS_BINDING]);
  c.GenFramebuffers(1, &c.emptyFramebuffer);
  c.BindFramebuffer(GL_FRAMEBUFFER, c.emptyFramebuffer);
  c.FramebufferParameteri(GL_FRAMEBUFFER, GL_FRAMEBUFFER_DEFAULT_WIDTH, 1);
  c.FramebufferParameteri(GL_FRAMEBUFFER, GL_FRAMEBUFFER_DEFAULT_HEIGHT, 1);
  c.BindFramebuffer(GL_FRAMEBUFFER, 0);
  return true;
}

bool GlslRunner::NoErrors(std::string& log) {
  bool clean = true;
  for (GLenum error = context->GetError(); error != GL_NO_ERROR; error = context->GetError()) {
    char text[32];
    std::snprintf(text, sizeof(text), "GL error 0x%04X\n", error);
    log += text;
    clean = false;
  }
  return clean;
}

bool GlslRunner::Compile(bool fragment, const std::string& source, std::string& log) {
  Context& c = *context;
  const GLuint shader = c.CreateShader(fragment ? GL_FRAGMENT_SHADER : GL_VERTEX_SHADER);
  const char* text = source.c_str();
  c.ShaderSource(shader, 1, &text, nullptr);
  c.CompileShader(shader);
  GLint status = 0;
  c.GetShaderiv(shader, GL_COMPILE_STATUS, &status);
  char info[4096] = {};
  c.GetShaderInfoLog(shader, sizeof(info), nullptr, info);
  log = info;
  c.DeleteShader(shader);
  return status == GL_TRUE;
}

uint32_t GlslRunner::Build(const std::string& vertex, const std::string& fragment, bool feedback, std::string& log) {
  Context& c = *context;
  const GLuint program = c.CreateProgram();
  const std::string sources[2] = {vertex.empty() ? PASS_THROUGH_VERTEX : vertex,
                                  fragment.empty() ? PASS_THROUGH_FRAGMENT : fragment};
  log.clear();
  for (int stage = 0; stage < (feedback ? 1 : 2); ++stage) {
    const GLuint shader = c.CreateShader(stage ? GL_FRAGMENT_SHADER : GL_VERTEX_SHADER);
    const char* text = sources[stage].c_str();
    c.ShaderSource(shader, 1, &text, nullptr);
    c.CompileShader(shader);
    char info[4096] = {};
    c.GetShaderInfoLog(shader, sizeof(info), nullptr, info);
    log += info;
    c.AttachShader(program, shader);
    c.DeleteShader(shader);
  }
  if (feedback) {
    static const char* const VARYINGS[] = {"gl_Position",   "ynx_color0",    "ynx_color1",    "ynx_texcoord0",
                                           "ynx_texcoord1", "ynx_texcoord2", "ynx_texcoord3", "ynx_texcoord4",
                                           "ynx_texcoord5", "ynx_texcoord6", "ynx_texcoord7", "ynx_fog"};
    c.TransformFeedbackVaryings(program, 12, VARYINGS, GL_INTERLEAVED_ATTRIBS);
  }
  c.LinkProgram(program);
  GLint status = 0;
  c.GetProgramiv(program, GL_LINK_STATUS, &status);
  char info[4096] = {};
  c.GetProgramInfoLog(program, sizeof(info), nullptr, info);
  log += info;
  if (status != GL_TRUE) {
    c.DeleteProgram(program);
    return 0;
  }
  return program;
}

bool GlslRunner::Link(const std::string& vertex, const std::string& fragment, std::string& log) {
  const GLuint program = Build(vertex, fragment, false, log);
  context->DeleteProgram(program);
  return program != 0;
}

void GlslRunner::BindUniforms(const Uniforms& uniforms) {
  Context& c = *context;
  const std::pair<const void*, size_t> blocks[4] = {
      {&uniforms.vertexConstants, sizeof(uniforms.vertexConstants)},
      {&uniforms.pixelConstants, sizeof(uniforms.pixelConstants)},
      {&uniforms.vertexState, sizeof(uniforms.vertexState)},
      {&uniforms.pixelState, sizeof(uniforms.pixelState)},
  };
  static_assert(ShaderInterface::VERTEX_CONSTANTS_BINDING == 0 && ShaderInterface::PIXEL_CONSTANTS_BINDING == 1 &&
                ShaderInterface::VERTEX_STATE_BINDING == 2 && ShaderInterface::PIXEL_STATE_BINDING == 3);
  for (GLuint binding = 0; binding < 4; ++binding) {
    c.BindBuffer(GL_UNIFORM_BUFFER, c.buffers[binding]);
    c.BufferData(GL_UNIFORM_BUFFER, static_cast<GLsizeiptr>(blocks[binding].second), blocks[binding].first,
                 GL_STREAM_DRAW);
    c.BindBufferBase(GL_UNIFORM_BUFFER, binding, c.buffers[binding]);
  }
  while (c.extraBuffers.size() < uniforms.extraBlocks.size()) {
    GLuint buffer = 0;
    c.GenBuffers(1, &buffer);
    c.extraBuffers.push_back(buffer);
  }
  for (size_t i = 0; i < uniforms.extraBlocks.size(); ++i) {
    const Uniforms::Block& block = uniforms.extraBlocks[i];
    c.BindBuffer(GL_UNIFORM_BUFFER, c.extraBuffers[i]);
    c.BufferData(GL_UNIFORM_BUFFER, static_cast<GLsizeiptr>(block.bytes.size()), block.bytes.data(), GL_STREAM_DRAW);
    c.BindBufferBase(GL_UNIFORM_BUFFER, block.binding, c.extraBuffers[i]);
  }
}

bool GlslRunner::RunVertex(const std::string& vertex, const Uniforms& uniforms,
                           const std::vector<std::array<Vector, ShaderInterface::VERTEX_INPUTS>>& vertices,
                           uint32_t unbound, std::vector<VertexOutput>& outputs, std::string& log) {
  Context& c = *context;
  const GLuint program = Build(vertex, "", true, log);
  if (program == 0) return false;
  BindUniforms(uniforms);
  GLuint arrays = 0;
  GLuint buffers[2] = {};
  c.GenVertexArrays(1, &arrays);
  c.BindVertexArray(arrays);
  c.GenBuffers(2, buffers);
  c.BindBuffer(GL_ARRAY_BUFFER, buffers[0]);
  c.BufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(vertices[0])), vertices.data(),
               GL_STATIC_DRAW);
  for (GLuint location = 0; location < ShaderInterface::VERTEX_INPUTS; ++location) {
    if (unbound >> location & 1) {
      c.DisableVertexAttribArray(location);
      continue;
    }
    c.VertexAttribPointer(location, 4, GL_FLOAT, GL_FALSE, sizeof(vertices[0]),
                          reinterpret_cast<const void*>(static_cast<uintptr_t>(location * sizeof(Vector))));
    c.EnableVertexAttribArray(location);
  }
  const size_t bytes = vertices.size() * FEEDBACK_FLOATS * sizeof(float);
  c.BindBuffer(GL_TRANSFORM_FEEDBACK_BUFFER, buffers[1]);
  c.BufferData(GL_TRANSFORM_FEEDBACK_BUFFER, static_cast<GLsizeiptr>(bytes), nullptr, GL_STREAM_READ);
  c.BindBufferBase(GL_TRANSFORM_FEEDBACK_BUFFER, 0, buffers[1]);
  c.UseProgram(program);
  c.BindFramebuffer(GL_FRAMEBUFFER, c.emptyFramebuffer);
  c.Enable(GL_RASTERIZER_DISCARD);
  c.BeginTransformFeedback(GL_POINTS);
  c.DrawArrays(GL_POINTS, 0, static_cast<GLsizei>(vertices.size()));
  c.EndTransformFeedback();
  c.Disable(GL_RASTERIZER_DISCARD);
  std::vector<float> captured(vertices.size() * FEEDBACK_FLOATS);
  c.GetBufferSubData(GL_TRANSFORM_FEEDBACK_BUFFER, 0, static_cast<GLsizeiptr>(bytes), captured.data());
  outputs.assign(vertices.size(), {});
  for (size_t v = 0; v < vertices.size(); ++v) {
    const float* data = captured.data() + v * FEEDBACK_FLOATS;
    VertexOutput& output = outputs[v];
    std::memcpy(output.position.data(), data, sizeof(Vector));
    for (size_t n = 0; n < 2; ++n) std::memcpy(output.colors[n].data(), data + 4 * (1 + n), sizeof(Vector));
    for (size_t n = 0; n < ShaderInterface::TEXCOORDS; ++n) {
      std::memcpy(output.texcoords[n].data(), data + 4 * (3 + n), sizeof(Vector));
    }
    output.fog = data[4 * 11];
  }
  c.UseProgram(0);
  c.BindFramebuffer(GL_FRAMEBUFFER, 0);
  c.DeleteBuffers(2, buffers);
  c.DeleteVertexArrays(1, &arrays);
  c.DeleteProgram(program);
  return NoErrors(log);
}

bool GlslRunner::RunPixel(const std::string& fragment, const Uniforms& uniforms, const std::vector<Texture>& textures,
                          const std::vector<PixelInput>& pixels, std::vector<PixelOutput>& outputs, std::string& log) {
  Context& c = *context;
  const GLuint program = Build("", fragment, false, log);
  if (program == 0) return false;
  BindUniforms(uniforms);
  const auto width = static_cast<GLsizei>(pixels.size());

  // Textures: nearest texels, clamped at the edges.
  std::vector<GLuint> names(textures.size());
  if (!names.empty()) c.GenTextures(static_cast<GLsizei>(names.size()), names.data());
  for (size_t i = 0; i < textures.size(); ++i) {
    const Texture& texture = textures[i];
    const GLenum target = texture.kind == ShaderKey::KIND_CUBE     ? GL_TEXTURE_CUBE_MAP
                          : texture.kind == ShaderKey::KIND_VOLUME ? GL_TEXTURE_3D
                                                                   : GL_TEXTURE_2D;
    c.ActiveTexture(GL_TEXTURE0 + texture.unit);
    c.BindTexture(target, names[i]);
    if (texture.depth) {
      c.TexImage2D(target, 0, GL_DEPTH_COMPONENT32F, texture.width, texture.height, 0, GL_DEPTH_COMPONENT, GL_FLOAT,
                   texture.texels.data());
      c.TexParameteri(target, GL_TEXTURE_COMPARE_MODE, GL_COMPARE_REF_TO_TEXTURE);
      c.TexParameteri(target, GL_TEXTURE_COMPARE_FUNC, GL_LEQUAL);
    } else if (target == GL_TEXTURE_CUBE_MAP) {
      for (GLenum face = 0; face < 6; ++face) {
        const float* texels = texture.faces.empty() ? texture.texels.data() : texture.faces[face].data();
        const GLsizei size = texture.faces.empty() ? texture.width : 1;
        c.TexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_RGBA32F, size, size, 0, GL_RGBA, GL_FLOAT, texels);
      }
    } else if (target == GL_TEXTURE_3D) {
      c.TexImage3D(target, 0, GL_RGBA32F, texture.width, texture.height, 1, 0, GL_RGBA, GL_FLOAT, texture.texels.data());
    } else {
      c.TexImage2D(target, 0, GL_RGBA32F, texture.width, texture.height, 0, GL_RGBA, GL_FLOAT, texture.texels.data());
    }
    c.TexParameteri(target, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    c.TexParameteri(target, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    c.TexParameteri(target, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    c.TexParameteri(target, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    c.TexParameteri(target, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
  }

  // A float target and a float depth buffer, one pixel per case.
  GLuint targets[2] = {};
  GLuint framebuffer = 0;
  c.GenTextures(2, targets);
  c.ActiveTexture(GL_TEXTURE0 + ShaderInterface::VERTEX_CONSTANT_TEXELS_UNIT + 1);
  c.BindTexture(GL_TEXTURE_2D, targets[0]);
  c.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA32F, width, 1, 0, GL_RGBA, GL_FLOAT, nullptr);
  c.BindTexture(GL_TEXTURE_2D, targets[1]);
  c.TexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT32F, width, 1, 0, GL_DEPTH_COMPONENT, GL_FLOAT, nullptr);
  c.GenFramebuffers(1, &framebuffer);
  c.BindFramebuffer(GL_FRAMEBUFFER, framebuffer);
  c.FramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, targets[0], 0);
  c.FramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, targets[1], 0);
  bool complete = c.CheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  if (!complete) log += "incomplete framebuffer\n";

  std::vector<Vector> vertices(pixels.size() * PASS_THROUGH_ATTRIBUTES);
  for (size_t i = 0; i < pixels.size(); ++i) {
    Vector* vertex = vertices.data() + i * PASS_THROUGH_ATTRIBUTES;
    const float x = (2.0f * static_cast<float>(i) + 1.0f) / static_cast<float>(width) - 1.0f;
    vertex[0] = {x, 0.0f, pixels[i].depth, 1.0f};
    vertex[1] = pixels[i].colors[0];
    vertex[2] = pixels[i].colors[1];
    for (size_t n = 0; n < ShaderInterface::TEXCOORDS; ++n) vertex[3 + n] = pixels[i].texcoords[n];
    vertex[11] = {pixels[i].fog, 0.0f, 0.0f, 0.0f};
  }
  GLuint arrays = 0;
  GLuint buffer = 0;
  c.GenVertexArrays(1, &arrays);
  c.BindVertexArray(arrays);
  c.GenBuffers(1, &buffer);
  c.BindBuffer(GL_ARRAY_BUFFER, buffer);
  c.BufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(Vector)), vertices.data(),
               GL_STATIC_DRAW);
  for (GLuint location = 0; location < PASS_THROUGH_ATTRIBUTES; ++location) {
    c.VertexAttribPointer(location, 4, GL_FLOAT, GL_FALSE, PASS_THROUGH_ATTRIBUTES * sizeof(Vector),
                          reinterpret_cast<const void*>(static_cast<uintptr_t>(location * sizeof(Vector))));
    c.EnableVertexAttribArray(location);
  }

  c.Viewport(0, 0, width, 1);
  c.ClearColor(KILLED, KILLED, KILLED, KILLED);
  c.ClearDepth(1.0);
  c.Enable(GL_DEPTH_TEST);
  c.DepthFunc(GL_ALWAYS);
  c.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  c.PointSize(1.0f);
  c.UseProgram(program);
  c.DrawArrays(GL_POINTS, 0, width);
  std::vector<Vector> colors(pixels.size());
  std::vector<float> depths(pixels.size());
  c.ReadPixels(0, 0, width, 1, GL_RGBA, GL_FLOAT, colors.data());
  c.ReadPixels(0, 0, width, 1, GL_DEPTH_COMPONENT, GL_FLOAT, depths.data());
  c.Disable(GL_DEPTH_TEST);
  outputs.assign(pixels.size(), {});
  for (size_t i = 0; i < pixels.size(); ++i) outputs[i] = {colors[i], depths[i]};

  c.UseProgram(0);
  c.BindFramebuffer(GL_FRAMEBUFFER, 0);
  c.DeleteFramebuffers(1, &framebuffer);
  c.DeleteTextures(2, targets);
  if (!names.empty()) c.DeleteTextures(static_cast<GLsizei>(names.size()), names.data());
  c.DeleteBuffers(1, &buffer);
  c.DeleteVertexArrays(1, &arrays);
  c.DeleteProgram(program);
  return NoErrors(log) && complete;
}

}  // namespace ynx::test
