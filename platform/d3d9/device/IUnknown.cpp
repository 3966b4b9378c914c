#include "platform/d3d9/device/IUnknown.h"

#include <atomic>

namespace ynx {

namespace {

std::atomic<size_t>& Live() {
  static std::atomic<size_t> count{0};
  return count;
}

}  // namespace

IUnknown::IUnknown() { ++Live(); }

IUnknown::~IUnknown() { --Live(); }

ULONG IUnknown::AddRef() { return ++references; }

ULONG IUnknown::Release() {
  const ULONG left = --references;
  if (left == 0) {
    FinalRelease();
    delete this;
  }
  return left;
}

size_t IUnknown::LiveObjects() { return Live(); }

}  // namespace ynx
