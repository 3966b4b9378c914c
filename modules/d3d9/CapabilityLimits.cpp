#include "modules/d3d9/CapabilityLimits.h"

#include <algorithm>
#include <charconv>
#include <string_view>

#include "engine/core/Log.h"
#include "engine/render/Renderer.h"

namespace ynx {
namespace {

// Shader levels in the order of what they can do, weakest first.
constexpr int32_t SHADER_ORDER[] = {Renderer::SHADER_NONE, Renderer::SHADER_1, Renderer::SHADER_2,
                                    Renderer::SHADER_3};

int32_t ShaderRank(int32_t level) {
  const auto* found = std::find(std::begin(SHADER_ORDER), std::end(SHADER_ORDER), level);
  return found != std::end(SHADER_ORDER) ? static_cast<int32_t>(found - SHADER_ORDER) : 0;
}

bool ShaderLevel(std::string_view value, int32_t& level) {
  constexpr std::string_view NAMES[] = {"none", "1.1", "2.0", "3.0"};
  for (size_t rank = 0; rank < std::size(NAMES); ++rank) {
    if (value == NAMES[rank]) {
      level = SHADER_ORDER[rank];
      return true;
    }
  }
  return false;
}

bool Count(std::string_view value, int32_t& count) {
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), count);
  return error == std::errc() && end == value.data() + value.size() && count >= 0;
}

bool Flag(std::string_view value, bool& flag) {
  if (value != "0" && value != "1") return false;
  flag = value == "1";
  return true;
}

std::string_view Trimmed(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// False for an unknown key or a value the key does not take.
bool Limit(std::string_view key, std::string_view value, Capabilities& caps) {
  int32_t number = 0;
  bool flag = false;
  if (key == "vs" || key == "ps") {
    if (!ShaderLevel(value, number)) return false;
    int32_t& level = key == "vs" ? caps.vertexShaderLevel : caps.pixelShaderLevel;
    if (ShaderRank(number) < ShaderRank(level)) level = number;
    return true;
  }
  if (key == "stages" || key == "lights") {
    if (!Count(value, number)) return false;
    int32_t& limited = key == "stages" ? caps.maxTextureStages : caps.maxLights;
    limited = std::min(limited, number);
    return true;
  }
  if (key == "pointsprites" || key == "depthtextures") {
    if (!Flag(value, flag)) return false;
    bool& limited = key == "pointsprites" ? caps.pointSprites : caps.depthTextures;
    limited = limited && flag;
    return true;
  }
  return false;
}

}  // namespace

void CapabilityLimits::Apply(const char* limits, Capabilities& caps) {
  std::string_view rest = limits != nullptr ? limits : "";
  while (!rest.empty()) {
    const size_t comma = rest.find(',');
    const std::string_view item = Trimmed(rest.substr(0, comma));
    rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    if (item.empty()) continue;
    const size_t equals = item.find('=');
    if (equals == std::string_view::npos ||
        !Limit(Trimmed(item.substr(0, equals)), Trimmed(item.substr(equals + 1)), caps)) {
      LogWarning("%s: ограничение [%.*s] не распознано и пропущено.", VARIABLE,
                 static_cast<int>(item.size()), item.data());
    }
  }
  if (caps.pixelShaderLevel == Renderer::SHADER_NONE) caps.vertexShaderLevel = Renderer::SHADER_NONE;
}

}  // namespace ynx
