#include "platform/d3d9/device/Query.h"

#include <epoxy/gl.h>

#include <cstring>

namespace ynx {

HRESULT IDirect3DQuery9::Issue(DWORD flags) {
  if (flags != D3DISSUE_BEGIN && flags != D3DISSUE_END) return D3DERR_INVALIDCALL;
  if (!BeginGl()) {
    phase = Phase::EMPTY;
    return D3D_OK;
  }
  if (query == 0) glCreateQueries(GL_SAMPLES_PASSED, 1, &query);
  if (flags == D3DISSUE_BEGIN) {
    // Beginning again restarts the count.
    if (phase == Phase::BUILDING) glEndQuery(GL_SAMPLES_PASSED);
    glBeginQuery(GL_SAMPLES_PASSED, query);
    phase = Phase::BUILDING;
  } else if (phase == Phase::BUILDING) {
    glEndQuery(GL_SAMPLES_PASSED);
    phase = Phase::ISSUED;
  } else {
    phase = Phase::EMPTY;
  }
  return D3D_OK;
}

HRESULT IDirect3DQuery9::GetData(void* data, DWORD size, DWORD flags) {
  if ((data && size < sizeof(DWORD)) || phase == Phase::IDLE || phase == Phase::BUILDING) return D3DERR_INVALIDCALL;
  DWORD count = 0;
  if (phase == Phase::ISSUED) {
    if (!BeginGl()) return D3DERR_DEVICELOST;
    GLuint available = GL_FALSE;
    glGetQueryObjectuiv(query, GL_QUERY_RESULT_AVAILABLE, &available);
    if (!available) {
      if (flags & D3DGETDATA_FLUSH) glFlush();
      return S_FALSE;
    }
    GLuint samples = 0;
    glGetQueryObjectuiv(query, GL_QUERY_RESULT, &samples);
    count = samples;
  }
  if (data) std::memcpy(data, &count, sizeof count);
  return S_OK;
}

void IDirect3DQuery9::ReleaseGl() {
  if (query) {
    if (phase == Phase::BUILDING) glEndQuery(GL_SAMPLES_PASSED);
    glDeleteQueries(1, &query);
  }
  query = 0;
  phase = Phase::IDLE;
}

}  // namespace ynx
