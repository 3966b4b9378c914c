#include "bench/GlTarget.h"

#include <epoxy/gl.h>

#include "platform/d3d9/device/GlslCompiler.h"

namespace ynx {

GlTarget::~GlTarget() {
  if (context && MakeCurrent()) {
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteTextures(2, targets);
  }
  if (context) SDL_GL_DeleteContext(context);
  if (window) SDL_DestroyWindow(window);
}

bool GlTarget::Create(const char* title, int targetSize, bool shown, std::string& error) {
  size = targetSize;
  window = SDL_CreateWindow(title, 0, 0, size, size, SDL_WINDOW_OPENGL | (shown ? 0 : SDL_WINDOW_HIDDEN));
  if (!window) {
    error = std::string("cannot create a window: ") + SDL_GetError();
    return false;
  }
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 4);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 5);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  context = SDL_GL_CreateContext(window);
  if (!context || !MakeCurrent()) {
    error = std::string("cannot create an OpenGL 4.5 core context: ") + SDL_GetError();
    return false;
  }
  SDL_GL_SetSwapInterval(0);
  glCreateTextures(GL_TEXTURE_2D, 2, targets);
  glTextureStorage2D(targets[0], 1, GL_RGBA8, size, size);
  glTextureStorage2D(targets[1], 1, GL_DEPTH24_STENCIL8, size, size);
  glCreateFramebuffers(1, &framebuffer);
  glNamedFramebufferTexture(framebuffer, GL_COLOR_ATTACHMENT0, targets[0], 0);
  glNamedFramebufferTexture(framebuffer, GL_DEPTH_STENCIL_ATTACHMENT, targets[1], 0);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
  glClipControl(GL_UPPER_LEFT, GL_ZERO_TO_ONE);
  glViewport(0, 0, size, size);
  glDepthRangef(0.0f, 1.0f);
  // The device's default states: depth test and writes, clockwise faces
  // in front and counter-clockwise ones culled, no blending.
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glDepthMask(GL_TRUE);
  glEnable(GL_CULL_FACE);
  glFrontFace(GL_CW);
  glCullFace(GL_BACK);
  glDisable(GL_BLEND);
  return Check(error);
}

bool GlTarget::MakeCurrent() { return SDL_GL_MakeCurrent(window, context) == 0; }

uint32_t GlTarget::Link(const std::string& vertexSource, const std::string& pixelSource, std::string& error) {
  const uint32_t vertexObject = GlslCompiler::Compile(false, vertexSource, error);
  const uint32_t pixelObject = vertexObject ? GlslCompiler::Compile(true, pixelSource, error) : 0;
  if (!pixelObject) {
    glDeleteShader(vertexObject);
    return 0;
  }
  GLuint program = glCreateProgram();
  glAttachShader(program, vertexObject);
  glAttachShader(program, pixelObject);
  glLinkProgram(program);
  glDeleteShader(vertexObject);
  glDeleteShader(pixelObject);
  GLint linked = GL_FALSE;
  glGetProgramiv(program, GL_LINK_STATUS, &linked);
  if (!linked) {
    glDeleteProgram(program);
    program = 0;
    error = "the programs do not link";
  }
  return program;
}

bool GlTarget::Check(std::string& error) {
  if (glGetError() == GL_NO_ERROR) return true;
  error = "OpenGL reported an error while setting up";
  return false;
}

void GlTarget::Clear(uint32_t color) {
  const GLfloat rgba[4] = {(color >> 16 & 0xFF) / 255.0f, (color >> 8 & 0xFF) / 255.0f, (color & 0xFF) / 255.0f,
                           (color >> 24 & 0xFF) / 255.0f};
  glClearNamedFramebufferfv(framebuffer, GL_COLOR, 0, rgba);
  glClearNamedFramebufferfi(framebuffer, GL_DEPTH_STENCIL, 0, 1.0f, 0);
}

void GlTarget::Present() {
  glBlitNamedFramebuffer(framebuffer, 0, 0, 0, size, size, 0, size, size, 0, GL_COLOR_BUFFER_BIT, GL_NEAREST);
  SDL_GL_SwapWindow(window);
}

std::vector<uint32_t> GlTarget::ReadBack() {
  std::vector<uint32_t> pixels(static_cast<size_t>(size) * static_cast<size_t>(size));
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTextureImage(targets[0], 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, static_cast<GLsizei>(pixels.size() * 4),
                    pixels.data());
  return pixels;
}

}  // namespace ynx
