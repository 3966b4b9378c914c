#pragma once

#include <cstdint>

#include "engine/core/Controller.h"

namespace ynx {

class Image;

// Turns its owner's image, a grey height map, into a normal map once, at
// the first update that finds it grey; the texture is marked changed then
// and only then, and the renderer makes a new device copy for the new
// format. An image in any other format is left alone and looked at again
// next frame; an owner that is not a texture, or a grey image without
// pixels, ends the controller's work.
//
// Per pixel, with heights H = value / 255 and neighbours wrapping around
// the edges: dx = bumpScale (H(x, y) - H(x + 1, y)), dy = bumpScale
// (H(x, y) - H(x, y + 1)), n = (dx, dy, 1) normalised, stored as
// n * 127 + 128 (truncated) in red, green and blue, with withAlpha the
// height as alpha.
//
// Streamed after the controller data: bumpScale (float32), withAlpha (one
// byte). Whether the work is done is not stored.
class NormalmapTextureController : public Controller {
  YNX_DECLARE_CLASS(NormalmapTextureController);

 public:
  explicit NormalmapTextureController(const String& name = String());

  int32_t Save(MemoryStream& stream) const override;
  int32_t Load(MemoryStream& stream) override;
  void Update(double time) override;

  float GetBumpScale() const { return bumpScale; }
  void SetBumpScale(float value) { bumpScale = value; }
  bool GetWithAlpha() const { return withAlpha; }
  void SetWithAlpha(bool value) { withAlpha = value; }
  bool IsDone() const { return done; }

 private:
  // False, with the image untouched, when there is no memory for the
  // result.
  bool Convert(Image& image) const;

  float bumpScale = 5.0f;
  bool withAlpha = false;
  bool done = false;
};

}  // namespace ynx
