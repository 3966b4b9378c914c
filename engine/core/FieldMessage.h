#pragma once

#include <cstdint>

namespace ynx {

class Object;

// The error a Save or Load logs when one of its steps fails. Written as a
// literal; the compiler checks its conversions, so the arguments always
// match the text: none, the ID alone ("ID[%d]"), or the object's name and
// ID in the order the text has them ("Имя[%s] ID[%d]", "ID[%d] Имя[%s]").
class FieldMessage {
 public:
  consteval FieldMessage(const char* text)  // NOLINT: implicit on purpose
      : text(text), arguments(ArgumentsOf(text)) {}

  // Logs the text as an error with the object's name and ID where it takes
  // them; a message without arguments needs no object.
  void Log(const Object* object) const;

 private:
  enum Arguments : int32_t { NONE, ID, NAME_ID, ID_NAME };

  // Whether the bytes of `text` just before `end` are `label`.
  static consteval bool Preceded(const char* text, int32_t end, const char* label) {
    int32_t length = 0;
    while (label[length] != '\0') ++length;
    if (end < length) return false;
    for (int32_t i = 0; i < length; ++i) {
      if (text[end - length + i] != label[i]) return false;
    }
    return true;
  }

  static consteval Arguments ArgumentsOf(const char* text) {
    int32_t name = -1;
    int32_t id = -1;
    int32_t count = 0;
    for (int32_t i = 0; text[i] != '\0'; ++i) {
      if (text[i] != '%') continue;
      if (text[i + 1] == 's' && name < 0 && Preceded(text, i, "Имя[")) {
        name = count++;
      } else if (text[i + 1] == 'd' && id < 0 && Preceded(text, i, "ID[")) {
        id = count++;
      } else {
        throw "a field message takes only Имя[%s] and ID[%d], each once";
      }
      ++i;
    }
    if (count == 0) return NONE;
    if (id < 0) throw "a field message with the name takes the ID as well";
    if (name < 0) return ID;
    return name < id ? NAME_ID : ID_NAME;
  }

  const char* text;
  Arguments arguments;
};

}  // namespace ynx
