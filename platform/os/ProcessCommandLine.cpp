#include "platform/os/ProcessCommandLine.h"

#include <fstream>
#include <iterator>

namespace ynx {
namespace {

// Long options this platform knows; none of them takes a value yet.
const char* const KNOWN_OPTIONS[] = {"help", "version"};

bool IsLongOption(const std::string& argument) {
  return argument.size() > 2 && argument[0] == '-' && argument[1] == '-';
}

bool HasBlank(const std::string& text) { return text.find_first_of(" \t") != std::string::npos; }

std::vector<std::string> ReadOwnArguments() {
  std::ifstream file("/proc/self/cmdline", std::ios::binary);
  const std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::vector<std::string> arguments;
  size_t start = 0;
  for (size_t end; (end = content.find('\0', start)) != std::string::npos; start = end + 1) {
    arguments.push_back(content.substr(start, end - start));
  }
  return arguments;
}

}  // namespace

ProcessCommandLine ProcessCommandLine::FromArguments(const std::vector<std::string>& arguments) {
  ProcessCommandLine result;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (i > 0 && IsLongOption(argument)) {
      const std::string name = argument.substr(2);
      bool known = false;
      for (const char* option : KNOWN_OPTIONS) known = known || name == option;
      if (known) {
        result.options[name] = std::string();
      } else if (result.error.empty()) {
        result.error = "unrecognized option '" + argument + "'";
      }
      continue;
    }
    if (i > 0) result.line += ' ';
    result.line += HasBlank(argument) ? "\"" + argument + "\"" : argument;
  }
  return result;
}

const ProcessCommandLine& ProcessCommandLine::Current() {
  static const ProcessCommandLine current = FromArguments(ReadOwnArguments());
  return current;
}

}  // namespace ynx
