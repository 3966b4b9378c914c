// ynx-scene: shows a scene file as the engine reads it, runs frames of it,
// and counts what it holds.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <unordered_set>
#include <vector>

#include "engine/animation/Animation.h"
#include "engine/animation/SkinController.h"
#include "engine/core/EngineLists.h"
#include "engine/core/Log.h"
#include "engine/core/Ptr.h"
#include "engine/io/File.h"
#include "engine/io/STRSceneCodec.h"
#include "engine/scene/Buffer.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/Node.h"
#include "engine/scene/Vector3Buffer.h"
#include "tools/scene/ReadRecorder.h"
#include "tools/common/ToolLog.h"

namespace {

using ynx::Object;
using ynx::Ptr;
using ynx::tools::ReadRecorder;

constexpr char USAGE[] =
    "Usage: ynx-scene dump FILE\n"
    "       ynx-scene check FILE [--frames N] [--step SECONDS]\n"
    "       ynx-scene stats FILE\n"
    "Reads a scene file (a version header and one object graph) through the YNX\n"
    "engine's scene codec.\n"
    "\n"
    "  dump   every object as an indented tree: file offset, ID stored in the file,\n"
    "         type and name, then each field as the engine's reader took it; an\n"
    "         object met again shows as a reference to its ID. Bytes read without a\n"
    "         typed read (buffer contents, flag bytes) show as raw bytes.\n"
    "  check  loads the scene and runs N frames (default 60) of the given step\n"
    "         (default 1/60 s) on the root; reports the objects by type and every\n"
    "         engine error.\n"
    "  stats  objects by type with their stored bytes, buffer data, node depth,\n"
    "         geometry, animations and skinning.\n"
    "\n"
    "Engine warnings and errors go to standard error. Exit status: 0 success,\n"
    "1 a file that does not load or errors while running, 2 wrong usage.\n"
    "\n"
    "Options:\n"
    "  -h, --help    show this help and exit\n";

constexpr int32_t HEADER_BYTES = 12;

int Fail(const std::string& message) {
  std::fprintf(stderr, "ynx-scene: %s\n", message.c_str());
  return 1;
}

// The engine with its warnings shown, for the life of the tool.
class Engine {
 public:
  Engine() : log(new ynx::tools::ToolLog("ynx-scene")) {
    ynx::RegisterMessageOutput(log.Get());
    running = ynx::InitializeEngine() == 0;
  }
  ~Engine() {
    ynx::ShutdownEngine();
    ynx::UnregisterMessageOutput(log.Get());
  }
  bool Running() const { return running; }
  int32_t Errors() const { return log->GetErrorCount(); }

 private:
  Ptr<ynx::tools::ToolLog> log;
  bool running = false;
};

// Every object the root holds through counted references, each once.
std::vector<Object*> Reachable(Object* root) {
  std::unordered_set<Object*> seen;
  std::vector<Object*> reached;
  std::vector<Object*> pending{root};
  while (!pending.empty()) {
    Object* next = pending.back();
    pending.pop_back();
    if (next == nullptr || !seen.insert(next).second) continue;
    reached.push_back(next);
    next->VisitReferences([&](Object* held) { pending.push_back(held); });
  }
  return reached;
}

struct Scene {
  std::string path;
  std::vector<uint8_t> bytes;
  ReadRecorder record;
  Ptr<Object> root;

  // Scene files may hold reference cycles; they are cut before the graph
  // is let go.
  ~Scene() {
    if (!root) return;
    std::vector<Ptr<Object>> held;
    for (Object* object : Reachable(root.Get())) held.emplace_back(object);
    root = nullptr;
    for (const Ptr<Object>& object : held) object->ReleaseReferences();
  }

  uint32_t Version(int index) const {
    uint32_t value = 0;
    for (int byte = 3; byte >= 0; --byte)
      value = value << 8 | bytes[static_cast<size_t>(index * 4 + byte)];
    return value;
  }
  std::string VersionText() const {
    return std::to_string(Version(0)) + "." + std::to_string(Version(1)) + "." +
           std::to_string(Version(2));
  }
};

// Where a failed load stopped: the innermost definition that failed.
std::string FailurePlace(const ReadRecorder& record) {
  const ReadRecorder::Definition* failed = nullptr;
  for (const ReadRecorder::Definition& definition : record.Definitions()) {
    if (definition.status != 0) failed = &definition;
  }
  if (failed == nullptr) return "";
  return " (in #" + std::to_string(failed->id) + " " + failed->type + " \"" + failed->name +
         "\" at offset " + std::to_string(failed->offset) + ", stopped at offset " +
         std::to_string(failed->end) + ")";
}

// Reads the file through the engine's scene codec with the recorder
// watching. A file that does not load leaves what was read in the record.
bool Load(const std::string& path, Scene& scene, std::string& error) {
  scene.path = path;
  if (!std::filesystem::is_regular_file(path)) {
    error = "no such file: " + path;
    return false;
  }
  std::ifstream input(path, std::ios::binary);
  scene.bytes.assign(std::istreambuf_iterator<char>(input), std::istreambuf_iterator<char>());
  if (scene.bytes.size() < HEADER_BYTES) {
    error = path + ": too short for a scene file (" + std::to_string(scene.bytes.size()) +
            " bytes; the version header alone takes 12)";
    return false;
  }
  const uint64_t version =
      scene.Version(0) * 10000ull + scene.Version(1) * 100ull + scene.Version(2);
  const uint64_t engine = ynx::ENGINE_VERSION_MAJOR * 10000ull +
                          ynx::ENGINE_VERSION_MINOR * 100ull + ynx::ENGINE_VERSION_BUILD;
  if (version < engine) {
    error = path + ": written for engine version " + scene.VersionText() +
            ", older than this engine's " + std::to_string(ynx::ENGINE_VERSION_MAJOR) + "." +
            std::to_string(ynx::ENGINE_VERSION_MINOR) + "." +
            std::to_string(ynx::ENGINE_VERSION_BUILD) + ", which the scene codec refuses";
    return false;
  }
  ynx::File file{ynx::String(path.c_str())};
  file.SetObserver(&scene.record);
  ynx::STRSceneCodec codec;
  Object* root = nullptr;
  if (codec.Load(&file, &root) != 0 || root == nullptr) {
    error = path + ": the scene does not load" + FailurePlace(scene.record);
    return false;
  }
  scene.root = root;
  return true;
}

std::string Indent(int depth) { return std::string(static_cast<size_t>(depth) * 2, ' '); }

void PrintRaw(const Scene& scene, int32_t from, int32_t to, int depth) {
  if (to <= from) return;
  std::printf("%s@%d raw[%d]", Indent(depth).c_str(), from, to - from);
  constexpr int32_t SHOWN = 16;
  for (int32_t at = from;
       at < to && at < from + SHOWN && at < static_cast<int32_t>(scene.bytes.size()); ++at) {
    std::printf(" %02x", scene.bytes[static_cast<size_t>(at)]);
  }
  std::printf("%s\n", to - from > SHOWN ? " ..." : "");
}

std::string Title(const ReadRecorder::Definition& definition) {
  return "#" + std::to_string(definition.id) + " " + definition.type + " \"" + definition.name +
         "\"";
}

// The fields between two offsets, with nested definitions one level deeper
// and the bytes between recorded fields as raw bytes.
void PrintFields(const Scene& scene, const std::vector<ReadRecorder::Field>& fields, int32_t from,
                 int32_t to, int depth) {
  int32_t cursor = from;
  for (const ReadRecorder::Field& field : fields) {
    PrintRaw(scene, cursor, field.offset, depth);
    const std::string indent = Indent(depth);
    if (field.type == ReadRecorder::Field::VALUE) {
      std::printf("%s@%d %s\n", indent.c_str(), field.offset, field.text.c_str());
      cursor = field.offset + field.size;
    } else if (field.type == ReadRecorder::Field::REFERENCE) {
      const ReadRecorder::Definition* target = scene.record.Find(field.target);
      std::printf("%s@%d ref %s\n", indent.c_str(), field.offset,
                  field.target == -1  ? "null"
                  : target != nullptr ? Title(*target).c_str()
                                      : ("#" + std::to_string(field.target)).c_str());
      cursor = field.offset + field.size;
    } else {
      const ReadRecorder::Definition& definition =
          scene.record.Definitions()[static_cast<size_t>(field.target)];
      std::printf("%s@%d %s%s\n", indent.c_str(), definition.offset, Title(definition).c_str(),
                  definition.status != 0 ? " FAILED" : "");
      PrintFields(scene, definition.fields, definition.fieldsOffset, definition.end, depth + 1);
      cursor = definition.end;
    }
  }
  PrintRaw(scene, cursor, to, depth);
}

int Dump(const std::string& path) {
  Scene scene;
  std::string error;
  const bool loaded = Load(path, scene, error);
  if (scene.record.TopLevel().empty()) return Fail(error);
  std::printf("%s: %zu bytes, version %s\n", path.c_str(), scene.bytes.size(),
              scene.VersionText().c_str());
  const ReadRecorder::Field& last = scene.record.TopLevel().back();
  const int32_t end = last.type == ReadRecorder::Field::DEFINITION
                          ? scene.record.Definitions()[static_cast<size_t>(last.target)].end
                          : last.offset + last.size;
  PrintFields(scene, scene.record.TopLevel(), 0, end, 0);
  if (!loaded) return Fail(error);
  if (end < static_cast<int32_t>(scene.bytes.size())) {
    std::printf("%zu bytes after the root are not read\n",
                scene.bytes.size() - static_cast<size_t>(end));
  }
  return 0;
}

// Objects defined in the file by type, with the bytes each type's own
// fields take (nested definitions not included).
struct TypeCount {
  int32_t count = 0;
  int64_t bytes = 0;
};

std::map<std::string, TypeCount> CountByType(const ReadRecorder& record) {
  std::map<std::string, TypeCount> types;
  for (const ReadRecorder::Definition& definition : record.Definitions()) {
    if (definition.status != 0) continue;
    TypeCount& type = types[definition.type];
    ++type.count;
    type.bytes += definition.end - definition.offset;
    for (const ReadRecorder::Field& field : definition.fields) {
      if (field.type != ReadRecorder::Field::DEFINITION) continue;
      const ReadRecorder::Definition& nested =
          record.Definitions()[static_cast<size_t>(field.target)];
      type.bytes -= nested.end - nested.offset;
    }
  }
  return types;
}

void PrintTypes(const Scene& scene, bool withBytes) {
  std::printf("objects by type:\n");
  for (const auto& [name, type] : CountByType(scene.record)) {
    if (withBytes) {
      std::printf("  %6d  %10lld bytes  %s\n", type.count, static_cast<long long>(type.bytes),
                  name.c_str());
    } else {
      std::printf("  %6d  %s\n", type.count, name.c_str());
    }
  }
}

std::string RootTitle(const Scene& scene) {
  return std::string(scene.root->GetType().GetName().CStr()) + " \"" +
         scene.root->GetName().CStr() + "\"";
}

int Check(const std::string& path, int32_t frames, double step, const Engine& engine) {
  Scene scene;
  std::string error;
  if (!Load(path, scene, error)) return Fail(error);
  std::printf("%s: loaded %zu objects, root %s\n", path.c_str(), scene.record.Definitions().size(),
              RootTitle(scene).c_str());
  PrintTypes(scene, false);
  if (!scene.root->IsDerivedFrom(ynx::Node::Type())) {
    std::printf("the root is not a node: no frames to run\n");
    return engine.Errors() == 0 ? 0 : 1;
  }
  auto* root = static_cast<ynx::Node*>(scene.root.Get());
  const int32_t errorsBefore = engine.Errors();
  for (int32_t frame = 0; frame < frames; ++frame) root->UpdateRecursive(step, true);
  int32_t lost = 0;
  for (Object* object : Reachable(root)) {
    if (!object->IsDerivedFrom(ynx::Node::Type())) continue;
    const ynx::Vector3 at = static_cast<ynx::Node*>(object)->GetPosition();
    if (!std::isfinite(at.x) || !std::isfinite(at.y) || !std::isfinite(at.z)) ++lost;
  }
  std::printf("ran %d frames of %g s\n", frames, step);
  if (lost > 0)
    std::printf("warning: %d nodes have world positions that are not finite numbers\n", lost);
  const int32_t errors = engine.Errors() - errorsBefore;
  if (errors > 0) return Fail(std::to_string(errors) + " engine errors while running the frames");
  return 0;
}

int Stats(const std::string& path) {
  Scene scene;
  std::string error;
  if (!Load(path, scene, error)) return Fail(error);
  int32_t references = 0;
  int32_t nulls = 0;
  const std::function<void(const std::vector<ReadRecorder::Field>&)> countReferences =
      [&](const std::vector<ReadRecorder::Field>& fields) {
        for (const ReadRecorder::Field& field : fields) {
          if (field.type == ReadRecorder::Field::REFERENCE)
            ++(field.target == -1 ? nulls : references);
        }
      };
  countReferences(scene.record.TopLevel());
  for (const ReadRecorder::Definition& definition : scene.record.Definitions())
    countReferences(definition.fields);

  std::printf("file          %zu bytes, version %s\n", scene.bytes.size(),
              scene.VersionText().c_str());
  std::printf("root          %s\n", RootTitle(scene).c_str());
  std::printf("objects       %zu defined, %d references by ID, %d null references\n",
              scene.record.Definitions().size(), references, nulls);

  int32_t buffers = 0, nodes = 0, depth = 0, geometry = 0, animations = 0, skins = 0;
  int64_t bufferBytes = 0, vertices = 0, keys = 0, bones = 0;
  for (Object* object : Reachable(scene.root.Get())) {
    if (object->IsDerivedFrom(ynx::Buffer::Type())) {
      ++buffers;
      bufferBytes += static_cast<ynx::Buffer*>(object)->GetDataSize();
    } else if (object->IsDerivedFrom(ynx::Node::Type())) {
      auto* node = static_cast<ynx::Node*>(object);
      ++nodes;
      int32_t level = 1;
      for (const ynx::Node* parent = node->GetParent(); parent != nullptr;
           parent = parent->GetParent())
        ++level;
      depth = std::max(depth, level);
      if (node->IsDerivedFrom(ynx::GeometryNode::Type())) {
        ++geometry;
        const ynx::Vector3Buffer* positions = static_cast<ynx::GeometryNode*>(node)->GetVertices();
        if (positions != nullptr) vertices += positions->GetCount();
      }
    } else if (object->IsDerivedFrom(ynx::Animation::Type())) {
      ++animations;
      keys += static_cast<ynx::Animation*>(object)->GetKeyCount();
    } else if (object->IsDerivedFrom(ynx::SkinController::Type())) {
      ++skins;
      bones += static_cast<ynx::SkinController*>(object)->GetBoneCount();
    }
  }
  std::printf("nodes         %d, %d levels deep\n", nodes, depth);
  std::printf("geometry      %d nodes, %lld vertices\n", geometry,
              static_cast<long long>(vertices));
  std::printf("buffers       %d holding %lld bytes once loaded\n", buffers,
              static_cast<long long>(bufferBytes));
  std::printf("animations    %d with %lld keys\n", animations, static_cast<long long>(keys));
  std::printf("skinning      %d skin controllers with %lld bones\n", skins,
              static_cast<long long>(bones));
  PrintTypes(scene, true);
  return 0;
}

bool ParseCount(const char* text, int32_t& value) {
  char* end = nullptr;
  const long parsed = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || parsed < 0 || parsed > 1000000000) return false;
  value = static_cast<int32_t>(parsed);
  return true;
}

bool ParseSeconds(const char* text, double& value) {
  char* end = nullptr;
  value = std::strtod(text, &end);
  return end != text && *end == '\0' && std::isfinite(value) && value >= 0.0;
}

int Usage(const std::string& problem) {
  std::fprintf(stderr, "ynx-scene: %s\n%s", problem.c_str(), USAGE);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  for (const std::string& argument : arguments) {
    if (argument == "-h" || argument == "--help") {
      std::fputs(USAGE, stdout);
      return 0;
    }
  }
  if (arguments.size() < 2) return Usage("a command and a file are needed");
  const std::string& command = arguments[0];
  const std::string& path = arguments[1];
  int32_t frames = 60;
  double step = 1.0 / 60.0;
  for (size_t index = 2; index < arguments.size(); ++index) {
    const std::string& option = arguments[index];
    const bool hasValue = index + 1 < arguments.size();
    if (command == "check" && option == "--frames" && hasValue) {
      if (!ParseCount(arguments[++index].c_str(), frames))
        return Usage("--frames takes a whole number from 0");
    } else if (command == "check" && option == "--step" && hasValue) {
      if (!ParseSeconds(arguments[++index].c_str(), step))
        return Usage("--step takes seconds, 0 or more");
    } else {
      return Usage("unexpected argument " + option);
    }
  }
  if (command != "dump" && command != "check" && command != "stats") {
    return Usage("unknown command " + command);
  }

  Engine engine;
  if (!engine.Running()) return Fail("the engine did not start");
  if (command == "dump") return Dump(path);
  if (command == "check") return Check(path, frames, step, engine);
  return Stats(path);
}
