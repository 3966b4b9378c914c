#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/d3d9/device/D3D9Types.h"

namespace ynx {

// JSON values of a script to Direct3D 9 values. Malformed values throw
// ScriptValues::Error with a message naming what was wrong.
class ScriptValues {
 public:
  using Json = nlohmann::json;

  struct Error : std::runtime_error {
    using std::runtime_error::runtime_error;
  };

  // A DWORD: a number, or a string of names and numbers joined by "|".
  static uint32_t Dword(const Json& value);
  // The same where a declaration-style prefix may be left out.
  static uint32_t Prefixed(std::string_view prefix, const Json& value);
  // A state's value: floats for float-valued states (stored as their bits),
  // TRUE/FALSE from booleans, else Dword.
  static uint32_t StateValue(const Json& value, bool isFloat);
  // D3DCOLOR: "0xAARRGGBB" or a number.
  static D3DCOLOR Color(const Json& value);
  // D3DCOLORVALUE: [r, g, b] or [r, g, b, a] (a defaults to 1).
  static D3DCOLORVALUE ColorValue(const Json& value);
  static D3DVECTOR Vector(const Json& value);
  // A matrix: 16 numbers row by row, "identity", one helper object
  // ({"translate": [x, y, z]}, {"scale": [x, y, z]}, {"perspectiveFovLH":
  // [fovy, aspect, zn, zf]}, {"lookAtLH": {"eye", "at", "up"}}), or a list
  // of those multiplied in order (the first applies first).
  static D3DMATRIX Matrix(const Json& value);
  static D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b);
  static float Float(const Json& value, const char* what);
  // A member that must be there.
  static const Json& Member(const Json& object, const char* name);
  // Throws for a member of `object` that is not one of `keys`:
  // 'unknown key "name"' followed by `where`.
  static void CheckKeys(const Json& object, const std::vector<std::string_view>& keys, const std::string& where);
  static std::string Name(const Json& object, const char* member = "name");
};

}  // namespace ynx
