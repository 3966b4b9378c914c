#include "platform/d3d9/shader/PixelEpilogue.h"

#include "platform/d3d9/shader/ShaderKey.h"

namespace ynx {

std::vector<std::string> PixelEpilogue::AlphaTestAndFog(uint8_t alphaFunction, uint8_t fog, bool fogFromW) {
  static const char* const COMPARISONS[] = {"", "", "<", "==", "<=", ">", "!=", ">="};
  std::vector<std::string> lines;
  if (alphaFunction == ShaderKey::COMPARE_NEVER) {
    lines.push_back("discard;");
  } else if (alphaFunction > ShaderKey::COMPARE_NEVER && alphaFunction < ShaderKey::COMPARE_ALWAYS) {
    // The alpha test compares at the reference's 8-bit precision.
    lines.push_back(std::string("if (!(round(clamp(ynx_output.a, 0.0, 1.0) * 255.0) ") + COMPARISONS[alphaFunction] +
                    " ynx_alphaReference.x)) discard;");
  }
  if (fog < ShaderKey::FOG_VERTEX || fog > ShaderKey::FOG_TABLE_EXP2) return lines;
  if (fog == ShaderKey::FOG_VERTEX) {
    lines.push_back("float ynx_fogFactor = ynx_fog;");
  } else {
    lines.push_back(std::string("float ynx_fogDepth = ") + (fogFromW ? "1.0 / gl_FragCoord.w;" : "gl_FragCoord.z;"));
    if (fog == ShaderKey::FOG_TABLE_LINEAR) {
      lines.push_back("float ynx_fogFactor = (ynx_fogParameters.x - ynx_fogDepth) * ynx_fogParameters.y;");
    } else if (fog == ShaderKey::FOG_TABLE_EXP) {
      lines.push_back("float ynx_fogFactor = exp(-ynx_fogParameters.z * ynx_fogDepth);");
    } else {
      lines.push_back(
          "float ynx_fogFactor = exp(-(ynx_fogParameters.z * ynx_fogDepth) * (ynx_fogParameters.z * ynx_fogDepth));");
    }
  }
  lines.push_back("ynx_output.rgb = mix(ynx_fogColor.rgb, ynx_output.rgb, clamp(ynx_fogFactor, 0.0, 1.0));");
  return lines;
}

}  // namespace ynx
