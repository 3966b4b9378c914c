#pragma once

#include <gtk/gtk.h>

#include <string>

#include "engine/core/String.h"

namespace ynx {

// Widget makers the settings dialog and the about box share.
class DialogWidgets {
 public:
  // A caption as GTK takes it: texts come from data, so bytes that are not
  // UTF-8 become replacement characters rather than warnings.
  static std::string Caption(const String& text);
  // A label aligned to the start of its line.
  static GtkWidget* Label(const String& text);
  // A group box with its children in a padded vertical box, which it
  // returns through `content`.
  static GtkWidget* Group(const String& caption, GtkWidget*& content);
  // A picture of the virtual file system, decoded in memory, in a framed
  // box; the box stays empty when the picture is missing or broken.
  static GtkWidget* Picture(const char* name);
};

}  // namespace ynx
