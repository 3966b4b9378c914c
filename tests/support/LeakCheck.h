#pragma once

#if defined(__SANITIZE_ADDRESS__)
#define YNX_TEST_HAS_LSAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define YNX_TEST_HAS_LSAN 1
#endif
#endif

#ifdef YNX_TEST_HAS_LSAN
#include <sanitizer/lsan_interface.h>
#endif

namespace ynx::test {

// For tests that build a reference cycle on purpose: counted objects in a
// cycle are never freed, which the leak checker would report.
inline void IgnoreLeak(const void* object) {
#ifdef YNX_TEST_HAS_LSAN
  __lsan_ignore_object(object);
#else
  (void)object;
#endif
}

}  // namespace ynx::test
