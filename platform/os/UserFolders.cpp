#include "platform/os/UserFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace ynx {

namespace {

// The folder the variable names when it is absolute, else the given folder
// under the home folder (from $HOME, or the user database).
std::string XdgFolder(const char* variable, const char* underHome) {
  const char* value = std::getenv(variable);
  if (value != nullptr && value[0] == '/') return value;
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] == 0) {
    const passwd* user = getpwuid(getuid());
    home = user != nullptr ? user->pw_dir : nullptr;
  }
  if (home == nullptr || home[0] != '/') return std::string();
  return std::string(home) + underHome;
}

}  // namespace

std::string UserFolders::StateHome() { return XdgFolder("XDG_STATE_HOME", "/.local/state"); }

std::string UserFolders::ConfigHome() { return XdgFolder("XDG_CONFIG_HOME", "/.config"); }

bool UserFolders::Create(const std::string& path) {
  std::error_code error;
  std::filesystem::create_directories(path, error);
  return !error && std::filesystem::is_directory(path, error);
}

}  // namespace ynx
