// The simulated ASPI manager, loaded by the program in place of the real wnaspi32.dll (test
// and demo equipment only). The bus is described by the file that FLINDOR_SIM_CONFIG names;
// requests are completed one at a time on the DLL's own thread, which calls each request's
// post routine, as the real manager does.

#include <windows.h>

#include <cstdio>
#include <deque>
#include <string>

#include "scsi/aspi_srb.h"
#include "sim/aspi_manager_model.h"
#include "sim/sim_config.h"
#include "sim/wire_values.h"

namespace {

using flindor::SrbExecScsiCmd;
using namespace flindor::sim;

constexpr char kConfigVariable[] = "FLINDOR_SIM_CONFIG";

// Paths in the file may be the host's own: under Wine a path from / is on drive Z:.
std::string windowsPath(const std::string& path) {
  return !path.empty() && path[0] == '/' ? "Z:" + path : path;
}

class Simulator {
 public:
  Simulator() : aspi_(bus_) {
    InitializeCriticalSection(&lock_);
    pending_ = CreateSemaphoreA(nullptr, 0, 0x7FFFFFFF, nullptr);
    char path[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA(kConfigVariable, path, sizeof path);
    std::string error = std::string(kConfigVariable) + " is not set";
    ready_ =
        length > 0 && length < sizeof path && loadSimConfigFile(windowsPath(path), bus_, error);
    if (!ready_) {
      const std::string text = "wnaspi32 (simulated): " + error + "\n";
      OutputDebugStringA(text.c_str());
      std::fputs(text.c_str(), stderr);
      return;
    }
    bus_.settings.transcriptPath = windowsPath(bus_.settings.transcriptPath);
    bus_.settings.flashOutputPath = windowsPath(bus_.settings.flashOutputPath);
    bus_.settings.statePath = windowsPath(bus_.settings.statePath);
    bus_.settings.sleep = [](std::uint32_t ms) { Sleep(ms); };
    CloseHandle(CreateThread(nullptr, 0, &Simulator::completionThread, this, 0, nullptr));
  }

  DWORD supportInfo() {
    if (!ready_) return DWORD{aspi::SS_FAILED_INIT} << 8;
    EnterCriticalSection(&lock_);
    const DWORD info = aspi_.supportInfo();
    LeaveCriticalSection(&lock_);
    return info;
  }

  DWORD send(SrbExecScsiCmd* request) {
    if (!ready_) return aspi::SS_FAILED_INIT;
    EnterCriticalSection(&lock_);
    const DWORD status = aspi_.submit(request);
    if (status == aspi::SS_PENDING) queue_.push_back(request);
    LeaveCriticalSection(&lock_);
    if (status == aspi::SS_PENDING) ReleaseSemaphore(pending_, 1, nullptr);
    return status;
  }

 private:
  static DWORD WINAPI completionThread(LPVOID self) {
    static_cast<Simulator*>(self)->completeForever();
    return 0;
  }

  void completeForever() {
    for (;;) {
      WaitForSingleObject(pending_, INFINITE);
      EnterCriticalSection(&lock_);
      SrbExecScsiCmd* request = queue_.front();
      queue_.pop_front();
      const bool toPost = aspi_.finish(request);
      LeaveCriticalSection(&lock_);
      // Unlocked: the post routine may submit the next request from inside its SendMessage.
      if (toPost) AspiManagerModel::post(request);
    }
  }

  SimulatedBus bus_;
  AspiManagerModel aspi_;
  bool ready_ = false;
  CRITICAL_SECTION lock_;
  HANDLE pending_ = nullptr;
  std::deque<SrbExecScsiCmd*> queue_;
};

Simulator* instance = nullptr;

BOOL CALLBACK createSimulator(PINIT_ONCE, PVOID, PVOID*) {
  instance = new Simulator();
  return TRUE;
}

// Built on first use, not in DllMain, where threads cannot be started safely.
Simulator& simulator() {
  static INIT_ONCE once = INIT_ONCE_STATIC_INIT;
  InitOnceExecuteOnce(&once, createSimulator, nullptr, nullptr);
  return *instance;
}

}  // namespace

extern "C" {

__declspec(dllexport) DWORD __cdecl GetASPI32SupportInfo(void) { return simulator().supportInfo(); }

__declspec(dllexport) DWORD __cdecl SendASPI32Command(void* request) {
  return simulator().send(static_cast<SrbExecScsiCmd*>(request));
}

}  // extern "C"
