#include "app/win32_aspi_manager.h"

#include "state/app_state.h"

namespace flindor::win32 {
namespace {

// What the manager reports when it is not there: no host adapters, and SS_NO_ASPI for a
// request, which is not SS_PENDING, so nobody waits for a completion that cannot come.
constexpr std::uint32_t kNoAdapters = 0;
constexpr std::uint32_t kStatusNoAspi = 0xE3;

}  // namespace

Win32AspiManager::Win32AspiManager(GetSupportInfoEntry getSupportInfo, SendCommandEntry sendCommand)
    : getSupportInfo_(getSupportInfo), sendCommand_(sendCommand) {}

std::uint32_t Win32AspiManager::getSupportInfo() {
  auto entry = getSupportInfo_ != nullptr
                   ? getSupportInfo_
                   : reinterpret_cast<GetSupportInfoEntry>(appState.getAspi32SupportInfo);
  return entry != nullptr ? entry() : kNoAdapters;
}

std::uint32_t Win32AspiManager::sendCommand(void* request) {
  auto entry = sendCommand_ != nullptr
                   ? sendCommand_
                   : reinterpret_cast<SendCommandEntry>(appState.sendAspi32Command);
  return entry != nullptr ? entry(request) : kStatusNoAspi;
}

}  // namespace flindor::win32
