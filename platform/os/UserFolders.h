#pragma once

#include <string>

namespace ynx {

// Where per-user files go, following the XDG base directory rules.
class UserFolders {
 public:
  // $XDG_STATE_HOME when it is an absolute path, else $HOME/.local/state;
  // empty when neither is known.
  static std::string StateHome();
  // $XDG_CONFIG_HOME when it is an absolute path, else $HOME/.config; empty
  // when neither is known.
  static std::string ConfigHome();
  // Creates the folder and its missing parents; an existing folder is fine.
  static bool Create(const std::string& path);
};

}  // namespace ynx
