#include "engine/render/RenderStateBlock.h"

namespace ynx {

YNX_IMPLEMENT_CLASS(RenderStateBlock, Object)

RenderStateBlock::RenderStateBlock() : Object(String()) {}

}  // namespace ynx
