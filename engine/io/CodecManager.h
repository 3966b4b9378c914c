#pragma once

#include <cstdint>
#include <new>

#include "engine/core/HashMap.h"
#include "engine/core/Ptr.h"
#include "engine/io/Codec.h"
#include "engine/system/ModuleManager.h"
#include "engine/system/StaticModule.h"

namespace ynx {

// Codecs by name, created on first request through the module of the same
// name and kept until the engine stops.
class CodecManager {
 public:
  static int32_t Initialize();
  static int32_t Shutdown();

  // The table takes a reference. 3 for null, 1 for a taken name.
  static int32_t RegisterCodec(Codec* codec);
  // The codec of that name, created through its module's "CreateCodec" on
  // first request. The result address may be null.
  static int32_t GetCodec(const String& name, Codec** codec);
  // The first requested codec, in bucket order, that takes the file's
  // extension; any kind.
  static Codec* FindCodecForFile(File* file);

  static const HashMap<String, Ptr<Codec>>* Table() { return table; }

  // Registers the built-in module of a codec class (its NAME), exporting
  // "Initialize", "Shutdown" and "CreateCodec"; a post-initialisation step.
  template <typename CodecClass>
  static int32_t RegisterCodecModule() {
    Ptr<StaticModule> module(new (std::nothrow) StaticModule(String(CodecClass::NAME)));
    if (!module) return 1;
    module->AddSymbol(String("Initialize"), &NothingToDo);
    module->AddSymbol(String("Shutdown"), &NothingToDo);
    module->AddSymbol(String("CreateCodec"), &CreateCodec<CodecClass>);
    return ModuleManager::RegisterModule(module.Get()) == 0 ? 0 : 1;
  }

 private:
  static int32_t NothingToDo() { return 0; }
  template <typename CodecClass>
  static int32_t CreateCodec(Codec** codec) {
    *codec = new (std::nothrow) CodecClass();
    return *codec != nullptr ? 0 : 2;
  }

  static inline HashMap<String, Ptr<Codec>>* table = nullptr;
};

// The signature of a codec module's "CreateCodec" export.
using CreateCodecFunction = int32_t (*)(Codec** codec);

}  // namespace ynx
