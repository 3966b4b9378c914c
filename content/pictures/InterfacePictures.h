#pragma once

#include <string>

#include "content/ArchiveFolder.h"
#include "content/TypeSetter.h"

namespace ynx::content {

// The pictures of the custom-data archive, under the names the application
// asks for: the loading picture and its four corners, the fifteen clock
// characters (in "Digits"), and the settings, preview and about pictures.
class InterfacePictures {
 public:
  // Fonts by file: the name is set in a serif, the clock in a sans.
  InterfacePictures(const std::string& serifFont, const std::string& sansFont);

  bool Make(ArchiveFolder& folder);

  // The clock's characters and the file each goes to.
  struct Character {
    const char* text;
    const char* file;
  };
  static const Character CHARACTERS[15];

 private:
  void MakeLoader(ArchiveFolder& folder);
  void MakeCorners(ArchiveFolder& folder);
  void MakeDigits(ArchiveFolder& folder);
  void MakeSettings(ArchiveFolder& folder);
  void MakePreview(ArchiveFolder& folder);
  void MakeLogo(ArchiveFolder& folder);
  // The product name centred on `centreX`, its baseline at `baseline`, with
  // a faint glow behind it.
  void SetTitle(Canvas& canvas, float centreX, float baseline, float size, float spacing);

  TypeSetter serif;
  TypeSetter sans;
};

}  // namespace ynx::content
