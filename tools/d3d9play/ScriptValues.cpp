#include "tools/d3d9play/ScriptValues.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "tools/d3d9play/D3D9Names.h"

namespace ynx {

namespace {

D3DMATRIX Identity() {
  D3DMATRIX m{};
  m._11 = m._22 = m._33 = m._44 = 1.0f;
  return m;
}

D3DVECTOR Normalize(D3DVECTOR v) {
  const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  if (length == 0.0f) throw ScriptValues::Error("lookAtLH: degenerate vector");
  return {v.x / length, v.y / length, v.z / length};
}

D3DVECTOR Cross(const D3DVECTOR& a, const D3DVECTOR& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float Dot(const D3DVECTOR& a, const D3DVECTOR& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

D3DMATRIX Helper(const std::string& name, const ScriptValues::Json& argument) {
  D3DMATRIX m = Identity();
  if (name == "translate" || name == "scale") {
    const D3DVECTOR v = ScriptValues::Vector(argument);
    if (name == "translate") {
      m._41 = v.x;
      m._42 = v.y;
      m._43 = v.z;
    } else {
      m._11 = v.x;
      m._22 = v.y;
      m._33 = v.z;
    }
  } else if (name == "perspectiveFovLH") {
    if (!argument.is_array() || argument.size() != 4) {
      throw ScriptValues::Error("perspectiveFovLH takes [fovy, aspect, zn, zf]");
    }
    const float fovy = ScriptValues::Float(argument[0], "fovy");
    const float aspect = ScriptValues::Float(argument[1], "aspect");
    const float zn = ScriptValues::Float(argument[2], "zn");
    const float zf = ScriptValues::Float(argument[3], "zf");
    const float yScale = 1.0f / std::tan(fovy / 2.0f);
    m = {};
    m._11 = yScale / aspect;
    m._22 = yScale;
    m._33 = zf / (zf - zn);
    m._34 = 1.0f;
    m._43 = -zn * zf / (zf - zn);
  } else if (name == "lookAtLH") {
    ScriptValues::CheckKeys(argument, {"eye", "at", "up"}, " in lookAtLH");
    const D3DVECTOR eye = ScriptValues::Vector(ScriptValues::Member(argument, "eye"));
    const D3DVECTOR at = ScriptValues::Vector(ScriptValues::Member(argument, "at"));
    const D3DVECTOR up = ScriptValues::Vector(ScriptValues::Member(argument, "up"));
    const D3DVECTOR z = Normalize({at.x - eye.x, at.y - eye.y, at.z - eye.z});
    const D3DVECTOR x = Normalize(Cross(up, z));
    const D3DVECTOR y = Cross(z, x);
    m._11 = x.x;
    m._12 = y.x;
    m._13 = z.x;
    m._21 = x.y;
    m._22 = y.y;
    m._23 = z.y;
    m._31 = x.z;
    m._32 = y.z;
    m._33 = z.z;
    m._41 = -Dot(x, eye);
    m._42 = -Dot(y, eye);
    m._43 = -Dot(z, eye);
  } else {
    throw ScriptValues::Error("unknown matrix helper '" + name + "'");
  }
  return m;
}

}  // namespace

uint32_t ScriptValues::Dword(const Json& value) {
  if (value.is_boolean()) return value.get<bool>() ? 1u : 0u;
  if (value.is_number_unsigned()) return value.get<uint32_t>();
  if (value.is_number_integer()) return static_cast<uint32_t>(value.get<int32_t>());
  if (value.is_string()) {
    uint32_t result = 0;
    if (D3D9Names::Value(value.get<std::string>(), result)) return result;
    throw Error("unknown value '" + value.get<std::string>() + "'");
  }
  throw Error("expected a name or a whole number, got " + value.dump());
}

uint32_t ScriptValues::Prefixed(std::string_view prefix, const Json& value) {
  if (!value.is_string()) return Dword(value);
  uint32_t result = 0;
  if (D3D9Names::Prefixed(prefix, value.get<std::string>(), result)) return result;
  throw Error("unknown " + std::string(prefix) + " value '" + value.get<std::string>() + "'");
}

uint32_t ScriptValues::StateValue(const Json& value, bool isFloat) {
  if (isFloat && value.is_number()) return std::bit_cast<uint32_t>(value.get<float>());
  return Dword(value);
}

D3DCOLOR ScriptValues::Color(const Json& value) { return Dword(value); }

D3DCOLORVALUE ScriptValues::ColorValue(const Json& value) {
  if (!value.is_array() || value.size() < 3 || value.size() > 4) {
    throw Error("expected a colour [r, g, b] or [r, g, b, a], got " + value.dump());
  }
  return {Float(value[0], "red"), Float(value[1], "green"), Float(value[2], "blue"),
          value.size() == 4 ? Float(value[3], "alpha") : 1.0f};
}

D3DVECTOR ScriptValues::Vector(const Json& value) {
  if (!value.is_array() || value.size() != 3) throw Error("expected a vector [x, y, z], got " + value.dump());
  return {Float(value[0], "x"), Float(value[1], "y"), Float(value[2], "z")};
}

D3DMATRIX ScriptValues::Matrix(const Json& value) {
  if (value.is_string()) {
    if (value.get<std::string>() == "identity") return Identity();
    throw Error("unknown matrix '" + value.get<std::string>() + "'");
  }
  if (value.is_object()) {
    if (value.size() != 1) throw Error("a matrix helper object has one member");
    return Helper(value.begin().key(), value.begin().value());
  }
  if (value.is_array() && value.size() == 16 && value[0].is_number()) {
    D3DMATRIX m{};
    for (int i = 0; i < 16; ++i) m.m[i / 4][i % 4] = Float(value[i], "matrix element");
    return m;
  }
  if (value.is_array()) {
    D3DMATRIX m = Identity();
    for (const Json& part : value) m = Multiply(m, Matrix(part));
    return m;
  }
  throw Error("expected a matrix, got " + value.dump());
}

D3DMATRIX ScriptValues::Multiply(const D3DMATRIX& a, const D3DMATRIX& b) {
  D3DMATRIX m{};
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += a.m[row][k] * b.m[k][column];
      m.m[row][column] = sum;
    }
  }
  return m;
}

float ScriptValues::Float(const Json& value, const char* what) {
  if (!value.is_number()) throw Error(std::string("expected a number for ") + what + ", got " + value.dump());
  return value.get<float>();
}

const ScriptValues::Json& ScriptValues::Member(const Json& object, const char* name) {
  if (!object.is_object() || !object.contains(name)) throw Error(std::string("missing \"") + name + "\"");
  return object[name];
}

void ScriptValues::CheckKeys(const Json& object, const std::vector<std::string_view>& keys, const std::string& where) {
  for (const auto& [key, value] : object.items()) {
    if (std::find(keys.begin(), keys.end(), key) == keys.end()) throw Error("unknown key \"" + key + "\"" + where);
  }
}

std::string ScriptValues::Name(const Json& object, const char* member) {
  const Json& value = Member(object, member);
  if (!value.is_string()) throw Error(std::string("\"") + member + "\" must be a string");
  return value.get<std::string>();
}

}  // namespace ynx
