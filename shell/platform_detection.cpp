#include "shell/platform_detection.h"

#include <cstring>

#include "platform/ports.h"
#include "state/app_state.h"

namespace flindor {
namespace {

constexpr const char* kWindowsKey = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr const char* kWindowsNtKey = "Software\\Microsoft\\Windows nt\\CurrentVersion";
constexpr const char* kProductNameValue = "ProductName";

// Reads the product name under `subkey` into appState.productName. A name counts only when it
// was read whole with a terminating zero inside the field, so the field always holds a
// terminated text; after a failed read the field is left as it was, since the registry leaves
// the buffer undefined then.
bool readProductName(const char* subkey) {
  char name[kTextFieldSize] = {};  // a value stored without its zero still ends in one here
  std::uint32_t size = sizeof name;
  if (ports().system->readMachineValue(subkey, kProductNameValue, name, size,
                                       RegistryAccess::AllAccess) != RegistryRead::Read) {
    return false;
  }
  if (size > sizeof name) return false;
  if (size == sizeof name && std::memchr(name, '\0', sizeof name) == nullptr) return false;
  std::memcpy(appState.productName, name, sizeof name);
  return true;
}

}  // namespace

std::uint8_t detectPlatform() {
  if (readProductName(kWindowsKey)) return kAspiPlatform;
  if (readProductName(kWindowsNtKey)) return kPassThroughPlatform;
  return kAspiPlatform;
}

}  // namespace flindor
