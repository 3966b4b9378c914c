#include "tests/support/CapturedLog.h"

#include <algorithm>

#include "engine/core/Log.h"

namespace ynx::test {

class CapturedLog::Output : public MessageOutput {
 public:
  Output() : MessageOutput(String("test capture")) {}
  void Print(int32_t level, const String& message) override {
    lines.push_back(std::string(LevelPrefix(level)) + message.CStr());
  }
  std::vector<std::string> lines;
};

CapturedLog::CapturedLog() : output(new Output()) {
  RegisterMessageOutput(output.Get());
  output->lines.clear();
}

CapturedLog::~CapturedLog() { UnregisterMessageOutput(output.Get()); }

const std::vector<std::string>& CapturedLog::Lines() const { return output->lines; }

bool CapturedLog::Contains(const std::string& line) const {
  return std::find(Lines().begin(), Lines().end(), line) != Lines().end();
}

std::vector<std::string> CapturedLog::Filtered(const std::vector<std::string>& prefixes) const {
  std::vector<std::string> result;
  for (const std::string& line : Lines()) {
    for (const std::string& prefix : prefixes) {
      if (line.rfind(prefix, 0) == 0) {
        result.push_back(line);
        break;
      }
    }
  }
  return result;
}

void CapturedLog::Clear() { output->lines.clear(); }

}  // namespace ynx::test
