#include "platform/d3d9/device/GlslCompiler.h"

#include <epoxy/gl.h>

#include <cstring>

namespace ynx {

uint32_t GlslCompiler::Compile(bool fragment, const std::string& source, std::string& error) {
  GLuint object = glCreateShader(fragment ? GL_FRAGMENT_SHADER : GL_VERTEX_SHADER);
  const char* text = source.c_str();
  glShaderSource(object, 1, &text, nullptr);
  glCompileShader(object);
  GLint compiled = GL_FALSE;
  glGetShaderiv(object, GL_COMPILE_STATUS, &compiled);
  if (compiled) return object;
  GLint length = 0;
  glGetShaderiv(object, GL_INFO_LOG_LENGTH, &length);
  std::string log(static_cast<size_t>(length > 0 ? length : 1), '\0');
  glGetShaderInfoLog(object, static_cast<GLsizei>(log.size()), nullptr, log.data());
  log.resize(std::strlen(log.c_str()));
  error = log;
  glDeleteShader(object);
  return 0;
}

}  // namespace ynx
