#include "platform/os/ProcessCommandLine.h"

#include <fstream>
#include <iterator>

namespace ynx {
namespace {

// Long options this platform knows, and whether each takes a value (as
// "--name value" or "--name=value").
struct KnownOption {
  const char* name;
  bool takesValue;
};
const KnownOption KNOWN_OPTIONS[] = {
    {"help", false},      {"version", false},     {"windowed", false},    {"size", true},
    {"window-id", true},  {"frames", true},       {"screenshot", true},   {"seed", true},
    {"time-step", true},  {"max-fps", true},      {"show-fps", false},    {"no-show-fps", false},
    {"clock", true},      {"music", false},       {"no-music", false},    {"sfx", false},
    {"no-sfx", false},    {"volume", true},       {"fps-file", true},
};

// The single-dash options xscreensaver starts its hacks with, and the long
// option each stands for; "-root", "-install" and "-visual" only say who the
// host is.
struct HostOption {
  const char* name;
  bool takesValue;
  const char* longName;
};
const HostOption HOST_OPTIONS[] = {
    {"-root", false, "root"},           {"-window-id", true, "window-id"}, {"-fps", false, "show-fps"},
    {"-install", false, "install"},     {"-visual", true, "visual"},
};

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
    const HostOption* host = nullptr;
    for (const HostOption& option : HOST_OPTIONS) {
      if (i > 0 && argument == option.name) host = &option;
    }
    if (host != nullptr) {
      result.hosted = true;
      if (!host->takesValue) {
        result.options[host->longName] = std::string();
      } else if (i + 1 < arguments.size()) {
        result.options[host->longName] = arguments[++i];
      } else if (result.error.empty()) {
        result.error = "option '" + argument + "' requires an argument";
      }
      continue;
    }
    if (i > 0 && IsLongOption(argument)) {
      const size_t equals = argument.find('=');
      const std::string name = argument.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
      const KnownOption* known = nullptr;
      for (const KnownOption& option : KNOWN_OPTIONS) {
        if (name == option.name) known = &option;
      }
      std::string value;
      std::string problem;
      if (known == nullptr) {
        problem = "unrecognized option '" + argument + "'";
      } else if (!known->takesValue && equals != std::string::npos) {
        problem = "option '--" + name + "' doesn't allow an argument";
      } else if (known->takesValue && equals != std::string::npos) {
        value = argument.substr(equals + 1);
      } else if (known->takesValue && i + 1 < arguments.size()) {
        value = arguments[++i];
      } else if (known->takesValue) {
        problem = "option '--" + name + "' requires an argument";
      }
      if (!problem.empty()) {
        if (result.error.empty()) result.error = problem;
      } else {
        result.options[name] = value;
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
