#pragma once

#include <cstdint>
#include <new>

#include "engine/core/EngineLists.h"
#include "engine/core/Factory.h"
#include "engine/core/Rtti.h"

namespace ynx {

// Queues a class's InitializeClass and ShutdownClass (or a service's start
// and stop) in the engine's lists. Called once per class or service during
// static initialisation.
inline bool QueueEngineHooks(EngineFunction initialize, EngineFunction shutdown) {
  AddInitFunction(initialize);
  AddShutdownFunction(shutdown);
  return true;
}

}  // namespace ynx

// One line at the top of every engine class body. The inline static member
// makes every translation unit that sees the class queue its hooks, once,
// after those of its parent (whose header comes first).
#define YNX_DECLARE_CLASS(Class)                                              \
 public:                                                                      \
  static const ::ynx::Rtti& Type();                                           \
  const ::ynx::Rtti& GetType() const override;                                \
  static int32_t Create(::ynx::Object** result);                              \
  static int32_t InitializeClass();                                           \
  static int32_t ShutdownClass();                                             \
                                                                              \
 private:                                                                     \
  static inline const bool classHooksQueued =                                 \
      ::ynx::QueueEngineHooks(&Class::InitializeClass, &Class::ShutdownClass)

#define YNX_IMPLEMENT_CLASS_RECORD(Class, Parent)                                       \
  const ::ynx::Rtti& Class::Type() {                                                    \
    static const ::ynx::Rtti type("YNX." #Class, &Parent::Type());                     \
    return type;                                                                        \
  }                                                                                     \
  const ::ynx::Rtti& Class::GetType() const { return Type(); }                          \
  int32_t Class::InitializeClass() { return ::ynx::Factory::Add(Type().GetName(), &Create) ? 0 : 1; } \
  int32_t Class::ShutdownClass() {                                                      \
    ::ynx::Factory::Remove(Type().GetName());                                           \
    return 0;                                                                           \
  }

// One line in the source of every concrete engine class.
#define YNX_IMPLEMENT_CLASS(Class, Parent)                   \
  YNX_IMPLEMENT_CLASS_RECORD(Class, Parent)                  \
  int32_t Class::Create(::ynx::Object** result) {            \
    Class* object = new (std::nothrow) Class();              \
    if (object == nullptr) return 2;                         \
    *result = object;                                        \
    return 0;                                                \
  }

// One line in the source of every abstract engine class: nothing to create.
#define YNX_IMPLEMENT_ABSTRACT_CLASS(Class, Parent) \
  YNX_IMPLEMENT_CLASS_RECORD(Class, Parent)         \
  int32_t Class::Create(::ynx::Object**) { return 1; }
