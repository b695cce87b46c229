// The registry's product name: whatever the two keys hold, the name kept is a terminated text one
// of them gave, and the platform is pass-through only when the name came from the Windows NT key.
//
// Input: which keys exist and grant access, then each key's value: its length and bytes.
#include <cstring>
#include <string>

#include "shell/platform_detection.h"
#include "state/app_state.h"
#include "tests/fuzz/fuzz_rules.h"

namespace {

using namespace flindor;
using fuzz::require;

constexpr const char* kKeys[] = {"Software\\Microsoft\\Windows\\CurrentVersion",
                                 "Software\\Microsoft\\Windows nt\\CurrentVersion"};

// The text is what `value` holds up to its first zero, or all of it.
bool gave(const std::string& value, const char* text) {
  const std::size_t length = std::strlen(text);
  return value.compare(0, length, text) == 0 && (value.size() == length || value[length] == '\0');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::InputBytes in(data, size);
  fuzz::ProgramHarness program(fuzz::onPlatform(kAspiPlatform));
  const std::uint8_t keys = in.next();
  std::string values[2];
  for (int k = 0; k < 2; ++k) {
    const int bits = keys >> (3 * k);
    values[k] = in.text(in.next());
    if ((bits & 1) != 0) program.system.addKey(kKeys[k]);
    if ((bits & 2) != 0) program.system.setValue(kKeys[k], "ProductName", values[k]);
    if ((bits & 4) != 0) program.system.denyAllAccess(kKeys[k]);
  }
  const std::uint8_t platform = detectPlatform();
  const char* name = appState.productName;
  require(std::memchr(name, '\0', kTextFieldSize) != nullptr, "the name kept ends in its field");
  if (platform == kPassThroughPlatform) {
    require(gave(values[1], name), "pass-through only with a name from the Windows NT key");
  } else {
    require(name[0] == '\0' || gave(values[0], name), "ASPI's name comes from the Windows key");
  }
  return 0;
}
