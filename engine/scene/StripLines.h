#pragma once

#include "engine/scene/GeometryNode.h"

namespace ynx {

// Geometry drawn as a line strip: each index continues the line from the one before.
class StripLines : public GeometryNode {
  YNX_DECLARE_CLASS(StripLines);

 public:
  explicit StripLines(const String& name = String());

  int32_t GetPrimitiveType() const override;
};

}  // namespace ynx
