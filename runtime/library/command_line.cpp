// The command line and the start-up settings it sets.
#include "runtime/library/command_line.h"

#include <cctype>
#include <string>

#include "runtime/vm/errors.h"
#include "runtime/vm/runtime_log.h"

namespace kv {

StartupSettings gSettings;

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// "-b" then "r" or "w" and one digit; anything else leaves the levels alone.
void levelOption(const char* rest) {
  char which = lower(rest[0]);
  if ((which != 'r' && which != 'w') || !isDigit(rest[1])) return;
  (which == 'r' ? gSettings.readLevel : gSettings.writeLevel) = rest[1] - '0';
}

void displayOption(const char* rest) {
  static const char kWord[] = "isplay";
  for (int i = 0; kWord[i]; ++i)
    if (lower(rest[i]) != kWord[i]) return;
  if (isDigit(rest[6])) gSettings.displayIndex = rest[6] - '0';
}

void unknownOption(char letter) {
  std::string text = "an unknown command-line option (";
  text += letter;
  text += ") ignored.";
  logSystemWarning(text.c_str());
  queueSystemWarning(text.c_str());
}

}  // namespace

void parseCommandLine(int argc, const char* const* argv, const char** source, const char** log) {
  int positional = 0;
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (a[0] != '-') {
      if (positional == 0) *source = a;
      else if (positional == 1) *log = a;
      ++positional;
      continue;
    }
    if (a[1] == '\0') continue;
    switch (lower(a[1])) {
      case 'b': levelOption(a + 2); break;
      case 'd': displayOption(a + 2); break;
      case 'm':
        gSettings.readLevel = 0;
        gSettings.writeLevel = 1;
        gSettings.execute = 0;
        break;
      case 'x':
        if (a[2] == '0') gSettings.execute = 0;
        else if (a[2] == '1') gSettings.tickBudget = 1;
        break;
      default: unknownOption(a[1]);
    }
  }
}

ObjectFilePlan objectFilePlan(int32_t readLevel, int32_t writeLevel) {
  bool read = readLevel >= 1 && readLevel >= writeLevel;
  return {read, !(read && readLevel > 1), writeLevel > readLevel};
}

}  // namespace kv
