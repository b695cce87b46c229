// The simulated drive behind Linux SG_IO, for the pass-through route under Wine (test and demo
// equipment only). Preloaded into the `wine flindor.exe` process, it answers the SG_IO ioctl
// that Wine's own IOCTL_SCSI_PASS_THROUGH_DIRECT makes on the file behind a drive letter
// (`dosdevices/x::`). The bus is the one the file that FLINDOR_SIM_CONFIG names describes;
// a device with `letter X` answers on the file behind X:. Every other ioctl goes on to libc.
// It also notes each descriptor of a drive's file from its first SG_IO to its close(), so that a
// test sees how often the program opened the drive.
//
// Built for both widths: the i386 ntdll calls __ioctl_time64, the x86_64 one ioctl.

#include <dlfcn.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

#include "sim/sim_config.h"
#include "sim/simulated_bus.h"
#include "sim/wire_values.h"

namespace {

using namespace flindor::sim;

// What the Linux SCSI midlayer reports besides the SCSI status.
constexpr unsigned short kHostTimedOut = 0x03;  // DID_TIME_OUT
constexpr unsigned short kDriverSense = 0x08;   // DRIVER_SENSE: sense data is valid
// The errnos of requests the system refuses before they reach the drive, one after the other,
// with the Windows errors Wine makes of them (measured): ERROR_INVALID_PARAMETER (87),
// ERROR_ACCESS_DENIED (5), ERROR_INVALID_HANDLE (6), ERROR_NOT_SUPPORTED (50),
// ERROR_INVALID_FUNCTION (1).
constexpr std::pair<int, const char*> kRefusals[] = {{EINVAL, "EINVAL"},
                                                     {EACCES, "EACCES"},
                                                     {EBADF, "EBADF"},
                                                     {ENOTTY, "ENOTTY"},
                                                     {EISDIR, "EISDIR"}};
// The errno of a request the drive took whose answer was lost (Wine: ERROR_NOT_READY, 21).
constexpr int kLostErrno = EIO;

using IoctlFunction = int (*)(int, unsigned long, ...);

std::string realPath(const std::string& path) {
  char resolved[PATH_MAX];
  return ::realpath(path.c_str(), resolved) != nullptr ? resolved : "";
}

std::string pathOfDescriptor(int fd) {
  char link[64];
  std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  char target[PATH_MAX];
  const ssize_t length = ::readlink(link, target, sizeof target - 1);
  return length > 0 ? std::string(target, static_cast<std::size_t>(length)) : "";
}

class SgDrive {
 public:
  // The drive letter whose file `fd` is, or 0.
  char letterOf(int fd) {
    std::call_once(loaded_, [this] { load(); });
    if (files_.empty()) return 0;
    const auto it = files_.find(pathOfDescriptor(fd));
    return it == files_.end() ? 0 : it->second;
  }

  // Carries out one SG_IO on the drive at `letter`: -1 with errno set, or 0 with the status
  // fields set, as the Linux SCSI generic interface does. `forward` when no drive is there.
  int execute(int fd, char letter, sg_io_hdr_t& io, bool& forward) {
    // One command at a time: the program sends them from more than one thread.
    std::lock_guard<std::mutex> hold(lock_);
    SimulatedDrive* drive = bus_.driveAtLetter(letter);
    const std::string where = std::string("sg ") + letter + ":";
    if (inUse(fd, letter)) bus_.note(where + " descriptor opened");
    if (drive == nullptr) {
      bus_.note(where + " no device answers");
      forward = true;
      return 0;
    }
    // The kernel's own checks: a header it can read, a CDB to send.
    if (io.interface_id != 'S' || io.cmdp == nullptr || io.cmd_len == 0) {
      return refuse(where + " not a valid sg_io_hdr", EINVAL);
    }
    const auto* cdb = static_cast<const std::uint8_t*>(io.cmdp);
    const bool download = io.cmd_len > zib::kBlockByte && cdb[0] == zib::kDownload;
    const std::uint8_t block = download ? cdb[zib::kBlockByte] : 0;
    const std::string timeout = " timeout=" + std::to_string(io.timeout);
    if (download && drive->takeFault(FaultKind::IoctlRefused, block)) {
      const auto& [error, name] = kRefusals[refusals_++ % std::size(kRefusals)];
      return refuse(where + " DOWNLOAD block=" + std::to_string(block) +
                        " len=" + std::to_string(io.dxfer_len) + timeout +
                        " refused by the system (" + name + "): fault ioctl-refused",
                    error);
    }
    const DataDirection direction = io.dxfer_direction == SG_DXFER_FROM_DEV ? DataDirection::In
                                    : io.dxfer_direction == SG_DXFER_TO_DEV ? DataDirection::Out
                                                                            : DataDirection::None;
    const DriveAnswer answer = drive->execute(
        {cdb, io.cmd_len, direction, static_cast<std::uint8_t*>(io.dxferp), io.dxfer_len});
    const bool timedOut =
        answer.busyMs > io.timeout || (download && answer.status == scsi::kStatusGood &&
                                       drive->takeFault(FaultKind::TimeOut, block));
    const std::uint32_t waited = answer.busyMs < io.timeout ? answer.busyMs : io.timeout;
    bus_.pause(waited);
    std::string verdict = statusText(answer);
    const std::string line = where + " " + answer.command + timeout;

    io.status = answer.status;
    io.masked_status = static_cast<unsigned char>(answer.status >> 1);
    io.host_status = io.driver_status = 0;
    io.sb_len_wr = 0;
    io.resid = 0;
    io.info = 0;
    io.duration = waited;
    if (answer.noResponse || timedOut) {
      // Linux ends a command the device never answered with the midlayer's time-out, not with
      // an errno: the call succeeds, and only host_status says so.
      drive->answerLost();
      io.status = io.masked_status = 0;
      io.host_status = kHostTimedOut;
      io.info = SG_INFO_CHECK;
      io.resid = static_cast<int>(io.dxfer_len);
      bus_.note(line + " -> " + verdict +
                (answer.noResponse
                     ? ", then no response: fault drop-off"
                     : ", then time-out after " + std::to_string(io.timeout) + " ms"));
      return 0;
    }
    if (answer.status != scsi::kStatusGood) {
      const unsigned char length =
          io.mx_sb_len < kSenseBytes ? io.mx_sb_len : static_cast<unsigned char>(kSenseBytes);
      if (io.sbp != nullptr) std::memcpy(io.sbp, answer.sense.data(), length);
      io.sb_len_wr = length;
      io.driver_status = kDriverSense;
      io.info = SG_INFO_CHECK;
    }
    if (direction == DataDirection::In) {
      io.resid = static_cast<int>(io.dxfer_len - answer.transferred);
    }
    if (answer.status == scsi::kStatusGood && download &&
        drive->takeFault(FaultKind::IoctlFails, block)) {
      drive->answerLost();
      bus_.note(line + " -> " + verdict + ", then lost: fault ioctl-fails");
      errno = kLostErrno;
      return -1;
    }
    bus_.note(line + " -> " + verdict);
    return 0;
  }

  // `fd` is being closed: a drive's descriptor's session ends.
  void closing(int fd) {
    char letter = 0;
    {
      std::lock_guard<std::mutex> hold(descriptorsLock_);
      const auto it = descriptors_.find(fd);
      if (it == descriptors_.end()) return;
      letter = it->second;
      descriptors_.erase(it);
    }
    std::lock_guard<std::mutex> hold(lock_);
    bus_.note(std::string("sg ") + letter + ": descriptor closed");
  }

 private:
  // True when `fd` was not yet in use for `letter`; from now on it is.
  bool inUse(int fd, char letter) {
    std::lock_guard<std::mutex> hold(descriptorsLock_);
    return descriptors_.insert({fd, letter}).second;
  }

  int refuse(const std::string& line, int error) {
    bus_.note(line);
    errno = error;
    return -1;
  }

  void load() {
    const char* config = std::getenv("FLINDOR_SIM_CONFIG");
    std::string error = "FLINDOR_SIM_CONFIG is not set";
    if (config == nullptr || !loadSimConfigFile(config, bus_, error)) {
      std::fprintf(stderr, "sg_drive (simulated): %s\n", error.c_str());
      return;
    }
    bus_.settings.sleep = [](std::uint32_t ms) {
      std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    };
    // Each letter's file, as Wine finds it: dosdevices/x:: names the device behind X:.
    const char* prefix = std::getenv("WINEPREFIX");
    const std::string home = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
    const std::string dosdevices =
        (prefix != nullptr ? std::string(prefix) : home + "/.wine") + "/dosdevices/";
    for (char letter = 'a'; letter <= 'z'; ++letter) {
      const std::string file = realPath(dosdevices + letter + "::");
      if (!file.empty()) files_[file] = static_cast<char>(letter - 'a' + 'A');
    }
  }

  std::once_flag loaded_;
  std::mutex lock_;
  // Apart from lock_: close() comes from anywhere, also while lock_ is held.
  std::mutex descriptorsLock_;
  std::map<int, char> descriptors_;
  SimulatedBus bus_;
  std::map<std::string, char> files_;
  unsigned refusals_ = 0;
};

// Made at the first SG_IO; a close() before it has no drive's descriptor to note.
std::atomic<SgDrive*> made{nullptr};

SgDrive& sgDrive() {
  static SgDrive* drive = new SgDrive();  // never destroyed: ioctls may come during exit
  made.store(drive);
  return *drive;
}

int handle(const char* name, int fd, unsigned long request, void* argument) {
  static std::once_flag found;
  static IoctlFunction next[2] = {};
  std::call_once(found, [] {
    next[0] = reinterpret_cast<IoctlFunction>(::dlsym(RTLD_NEXT, "ioctl"));
    next[1] = reinterpret_cast<IoctlFunction>(::dlsym(RTLD_NEXT, "__ioctl_time64"));
  });
  IoctlFunction libc = std::strcmp(name, "ioctl") == 0 || next[1] == nullptr ? next[0] : next[1];
  if (request == SG_IO && argument != nullptr) {
    if (const char letter = sgDrive().letterOf(fd); letter != 0) {
      bool forward = false;
      const int result =
          sgDrive().execute(fd, letter, *static_cast<sg_io_hdr_t*>(argument), forward);
      if (!forward) return result;
    }
  }
  return libc(fd, request, argument);
}

}  // namespace

extern "C" {

int close(int fd) {
  static const auto next = reinterpret_cast<int (*)(int)>(::dlsym(RTLD_NEXT, "close"));
  if (SgDrive* drive = made.load()) drive->closing(fd);
  return next(fd);
}

int ioctl(int fd, unsigned long request, ...) {
  va_list rest;
  va_start(rest, request);
  void* argument = va_arg(rest, void*);
  va_end(rest);
  return handle("ioctl", fd, request, argument);
}

int __ioctl_time64(int fd, unsigned long request, ...);
int __ioctl_time64(int fd, unsigned long request, ...) {
  va_list rest;
  va_start(rest, request);
  void* argument = va_arg(rest, void*);
  va_end(rest);
  return handle("__ioctl_time64", fd, request, argument);
}

}  // extern "C"
