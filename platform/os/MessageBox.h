#pragma once

#include <string>

namespace ynx {

// A modal message for the user. Without a display it goes to standard error.
class MessageBox {
 public:
  static void ShowInformation(const std::string& title, const std::string& text);
  // Shown only inside a desktop session (XDG_CURRENT_DESKTOP or
  // DESKTOP_SESSION set): where nobody watches, nothing may wait for a
  // click. The caller logs the text itself.
  static void ShowError(const std::string& title, const std::string& text);
};

}  // namespace ynx
