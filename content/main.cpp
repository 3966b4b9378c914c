// ynx-content: makes the screensaver's two archives, every byte computed
// here. Run by the build; see README.md.

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "content/ArchiveFolder.h"
#include "content/audio/MusicComposer.h"
#include "content/audio/SoundEffects.h"
#include "content/pictures/InterfacePictures.h"
#include "content/scene/SceneBuilder.h"
#include "content/textures/KoiTextures.h"
#include "content/textures/LightTextures.h"
#include "content/textures/PlantTextures.h"
#include "content/textures/SkyTextures.h"
#include "content/textures/StoneTextures.h"
#include "content/textures/WaterTextures.h"
#include "engine/core/EngineLists.h"
#include "engine/core/Log.h"
#include "engine/core/Ptr.h"
#include "engine/io/CodecManager.h"
#include "engine/system/ModuleManager.h"
#include "tools/common/ToolLog.h"

namespace {

constexpr char USAGE[] =
    "Usage: ynx-content OUTPUT FONTS [--png FOLDER]\n"
    "Generates CustomData.rar2 and Media.rar2 in OUTPUT (their files also as\n"
    "folders beside them), with the DejaVu fonts from FONTS. --png writes every\n"
    "picture as a PNG into FOLDER as well.\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && !(argc == 5 && std::strcmp(argv[3], "--png") == 0)) {
    std::fputs(USAGE, stderr);
    return 2;
  }
  const std::filesystem::path output = argv[1];
  const std::filesystem::path fonts = argv[2];
  ynx::Ptr<ynx::tools::ToolLog> log(new ynx::tools::ToolLog("ynx-content"));
  ynx::RegisterMessageOutput(log.Get());
  bool ok = ynx::InitializeEngine() == 0;
  // The scene reads its pictures back through the codecs it will load them
  // with.
  for (const char* codec : {"JPGImageCodec", "TGAImageCodec"}) {
    ynx::ModuleManager::LoadModule(ynx::String(codec), nullptr);
    ok = ok && ynx::CodecManager::GetCodec(ynx::String(codec), nullptr) == 0;
  }

  ynx::content::ArchiveFolder customData(output / "CustomData");
  ynx::content::ArchiveFolder media(output / "Media");
  if (argc == 5) {
    customData.MirrorPictures(std::filesystem::path(argv[4]) / "CustomData");
    media.MirrorPictures(std::filesystem::path(argv[4]) / "Media");
  }
  ynx::content::InterfacePictures pictures((fonts / "DejaVuSerif.ttf").string(), (fonts / "DejaVuSans.ttf").string());
  if (ok && !pictures.Make(customData)) {
    std::fprintf(stderr, "ynx-content: the interface pictures failed (fonts in %s?)\n", fonts.c_str());
    ok = false;
  }
  if (ok) {
    ynx::content::StoneTextures::Make(media);
    ynx::content::PlantTextures::Make(media);
    ynx::content::WaterTextures::Make(media);
    ynx::content::SkyTextures::Make(media);
    ynx::content::LightTextures::Make(media);
    ynx::content::KoiTextures::Make(media);
    ynx::content::MusicComposer::Make(media);
    ynx::content::SoundEffects::Make(media);
    // Last: the scene reads back the pictures it shows.
    ok = !media.Failed() && ynx::content::SceneBuilder(media).Make();
  }
  ok = ok && customData.Pack(output / "CustomData.rar2") && media.Pack(output / "Media.rar2");

  ynx::ShutdownEngine();
  ynx::UnregisterMessageOutput(log.Get());
  return ok ? 0 : 1;
}
