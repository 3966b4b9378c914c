#pragma once

#include "engine/math/Color.h"
#include "engine/render/GeometryNodeEffect.h"
#include "engine/render/ProgramTable.h"

namespace ynx {

// Draws a geometry node in one flat colour, unlit, leaving the mesh's own
// colours alone. Techniques: vertex and pixel programs where the renderer
// has both, otherwise the fixed pipeline with the colour as the stage
// constant.
//
// Streamed after the geometry effect's data: the colour (four floats).
class ColorEffect : public GeometryNodeEffect {
  YNX_DECLARE_CLASS(ColorEffect);

 public:
  explicit ColorEffect(const String& name = String());

  int32_t Save(MemoryStream& stream) const override;
  int32_t Load(MemoryStream& stream) override;

  const Color& GetColor() const { return color; }
  // The fixed pass keeps the colour in its state: the passes are recorded
  // anew.
  void SetColor(const Color& value);

  // The shader technique's programs.
  static const ProgramTable& GetPrograms();

 private:
  Color color{1.0f, 1.0f, 1.0f, 1.0f};
};

}  // namespace ynx
