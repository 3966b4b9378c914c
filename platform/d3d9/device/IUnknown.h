#pragma once

#include <cstddef>

#include "platform/d3d9/device/D3D9Types.h"

namespace ynx {

// Reference counting as COM does it: an object starts with one reference,
// held by whoever created it, and deletes itself when the last goes.
// LiveObjects() counts every object of this family that exists, so tests
// can see that nothing leaks.
class IUnknown {
 public:
  IUnknown(const IUnknown&) = delete;
  IUnknown& operator=(const IUnknown&) = delete;

  virtual ULONG AddRef();
  virtual ULONG Release();

  static size_t LiveObjects();

 protected:
  IUnknown();
  virtual ~IUnknown();
  // Runs once before the object is deleted, while it is still whole (so
  // that overrides of the most derived class run).
  virtual void FinalRelease() {}

 private:
  ULONG references = 1;
};

}  // namespace ynx
