#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tests/support/ByteWriter.h"

namespace ynx::test {

// The fields one class of an object writes after its parent's.
using ClassPart = std::function<void(ByteWriter&)>;

// One object of the type, stored as its reference head and then the parts
// (the root class's first), is cut at every length. Loading the cut bytes
// fails, and so does saving the object into a buffer of that length, each
// with one error line per class level: the failing field's, then the
// parent-data line of every class above the one whose part was cut (none
// while the cut lies in the ID or the type name).
void ExpectOneErrorPerLevel(const std::string& type, const std::vector<ClassPart>& parts);

}  // namespace ynx::test
