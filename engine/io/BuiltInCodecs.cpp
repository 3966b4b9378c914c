// The built-in codec modules, registered after the engine's services have
// started, in this fixed order.

#include "engine/core/EngineLists.h"
#include "engine/io/BMPImageCodec.h"
#include "engine/io/CUBEImageCodec.h"
#include "engine/io/CodecManager.h"
#include "engine/io/JPGImageCodec.h"
#include "engine/io/RAR2FileCodec.h"
#include "engine/io/STRSceneCodec.h"
#include "engine/io/TGAImageCodec.h"

namespace ynx {
namespace {

[[maybe_unused]] const bool queued = [] {
  AddPostInitFunction(&CodecManager::RegisterCodecModule<BMPImageCodec>);
  AddPostInitFunction(&CodecManager::RegisterCodecModule<JPGImageCodec>);
  AddPostInitFunction(&CodecManager::RegisterCodecModule<TGAImageCodec>);
  AddPostInitFunction(&CodecManager::RegisterCodecModule<CUBEImageCodec>);
  AddPostInitFunction(&CodecManager::RegisterCodecModule<STRSceneCodec>);
  AddPostInitFunction(&CodecManager::RegisterCodecModule<RAR2FileCodec>);
  return true;
}();

}  // namespace
}  // namespace ynx
