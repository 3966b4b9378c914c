#include "engine/render/VertexShader.h"

namespace ynx {

YNX_IMPLEMENT_CLASS(VertexShader, Shader)

}  // namespace ynx
