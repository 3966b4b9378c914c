#include "engine/render/PixelShader.h"

namespace ynx {

YNX_IMPLEMENT_CLASS(PixelShader, Shader)

}  // namespace ynx
