#include "platform/d3d9/device/ProgramCache.h"

#include <epoxy/gl.h>

#include <cstring>

namespace ynx {

uint32_t ProgramCache::Get(uint32_t vertexShader, uint32_t fragmentShader, std::string& error) {
  const uint64_t key = Key(vertexShader, fragmentShader);
  const auto found = programs.find(key);
  if (found != programs.end()) return found->second;
  GLuint program = glCreateProgram();
  glAttachShader(program, vertexShader);
  glAttachShader(program, fragmentShader);
  glLinkProgram(program);
  glDetachShader(program, vertexShader);
  glDetachShader(program, fragmentShader);
  GLint linked = GL_FALSE;
  glGetProgramiv(program, GL_LINK_STATUS, &linked);
  if (!linked) {
    GLint length = 0;
    glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
    std::string log(static_cast<size_t>(length > 0 ? length : 1), '\0');
    glGetProgramInfoLog(program, static_cast<GLsizei>(log.size()), nullptr, log.data());
    log.resize(std::strlen(log.c_str()));
    error = "the shader pair does not link: " + log;
    glDeleteProgram(program);
    program = 0;
  }
  programs.emplace(key, program);
  return program;
}

void ProgramCache::Forget(uint32_t shader) {
  for (auto entry = programs.begin(); entry != programs.end();) {
    if (static_cast<uint32_t>(entry->first >> 32) == shader || static_cast<uint32_t>(entry->first) == shader) {
      if (entry->second) glDeleteProgram(entry->second);
      entry = programs.erase(entry);
    } else {
      ++entry;
    }
  }
}

void ProgramCache::Clear() {
  for (const auto& [key, program] : programs) {
    if (program) glDeleteProgram(program);
  }
  programs.clear();
}

}  // namespace ynx
