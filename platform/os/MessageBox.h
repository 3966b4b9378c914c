#pragma once

#include <string>

namespace ynx {

// A modal message for the user. Without a display it goes to standard error.
class MessageBox {
 public:
  static void ShowInformation(const std::string& title, const std::string& text);
};

}  // namespace ynx
