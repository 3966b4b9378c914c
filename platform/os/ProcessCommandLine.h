#pragma once

#include <map>
#include <string>
#include <vector>

namespace ynx {

// The process's command line as a screensaver host on the original platform
// would hand it over: one line, the program path first (in double quotes
// when it holds blanks). GNU long options ("--help", "--frames 10") are this
// platform's own: they are taken out before the line is built, so the
// screensaver's switch grammar sees exactly what it expects. So are the
// single-dash options xscreensaver gives its hacks ("-root", "-window-id ID",
// "-fps", "-install", "-visual NAME").
class ProcessCommandLine {
 public:
  // Splits argv-style arguments; arguments[0] is the program path.
  static ProcessCommandLine FromArguments(const std::vector<std::string>& arguments);
  // This process's own arguments, read once from /proc/self/cmdline.
  static const ProcessCommandLine& Current();

  const std::string& Line() const { return line; }
  bool Has(const std::string& option) const { return options.count(option) != 0; }
  // The option's value; empty for an option without one or not given.
  std::string Value(const std::string& option) const {
    const auto found = options.find(option);
    return found != options.end() ? found->second : std::string();
  }
  // True when xscreensaver's options were given: the host runs the show.
  bool Hosted() const { return hosted; }
  // Empty when the arguments are fine, else what is wrong with them.
  const std::string& Error() const { return error; }

 private:
  std::string line;
  std::map<std::string, std::string> options;
  std::string error;
  bool hosted = false;
};

}  // namespace ynx
