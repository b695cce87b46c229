#pragma once
// Ports for a pass-through download that record nothing and allocate nothing once built, so that
// what a download allocates or costs is the program's own: counted by the allocation test, timed
// by the benchmark. The volume stands in for the drive with its essential checks only (block
// order, length, CRC) and answers at once.
//
//   ProgramHarness run;                              // tests/fakes/program_harness.h
//   run.startUp();                                   // discovery and Open, recorded
//   run.useQuietPorts();
//   mainWindowCommand(kCommandDownload, 0);          // the whole chain, nested
//   run.quiet.volumes.blocksTaken == 64 && run.quiet.ui.quits == 1

#include <array>
#include <cstdint>
#include <vector>

#include "image/image_layout.h"
#include "platform/ports.h"

namespace flindor::testing {

class QuietUi : public UserInterface {
 public:
  void messageBox(WindowHandle, const char* text, const char*, std::uint32_t) override {
    ++boxes;
    lastBox = text;
  }
  bool ask(WindowHandle, const char*, const char*, std::uint32_t) override { return false; }
  void beep() override {}
  void setItemText(WindowHandle, int, const char*) override {}
  void setWindowText(WindowHandle, const char*) override {}
  bool openFileDialog(const OpenFileRequest&, OpenFileResult&) override { return false; }
  // The ConfirmDialog is answered Yes.
  void showDialog(int templateId, WindowHandle) override;
  // Handled at once by the main window, nested, as SendMessageA on the GUI thread is.
  void sendCommand(WindowHandle, std::uintptr_t wParam, std::intptr_t lParam) override;
  void postCommand(WindowHandle, std::uintptr_t, std::intptr_t) override {}
  void sendTimerTick(WindowHandle) override;
  WindowHandle parentOf(WindowHandle) override { return mainWindow; }
  void setTimer(WindowHandle, std::uintptr_t, std::uint32_t) override {}
  void killTimer(WindowHandle, std::uintptr_t) override {}
  void invalidate(WindowHandle, const PixelRect&) override {}
  void showWindow(WindowHandle) override {}
  void destroyWindow(WindowHandle) override {}
  void postQuit(int) override { ++quits; }
  void comboAddString(WindowHandle, const char*) override {}
  int comboCurrentSelection(WindowHandle) override { return -1; }
  void comboSetSelection(WindowHandle, int) override {}

  WindowHandle mainWindow = nullptr;
  int boxes = 0;
  const char* lastBox = nullptr;
  int quits = 0;
};

inline constexpr char kQuietImagePath[] = "C:\\FW\\NEW.BIN";

// One file, the image, readable by its path.
class QuietFiles : public FileSystem {
 public:
  QuietFiles(const char* path, const std::vector<std::uint8_t>& bytes)
      : path_(path), bytes_(bytes) {}
  ObjectHandle openForReading(const char* path) override;
  bool size(ObjectHandle file, std::uint64_t& bytes) override;
  bool setPosition(ObjectHandle file, std::uint32_t offset) override;
  bool read(ObjectHandle file, void* buffer, std::uint32_t length,
            std::uint32_t& bytesRead) override;
  void close(ObjectHandle) override { open_ = false; }

 private:
  static constexpr ObjectHandle kHandle = 0x60;
  const char* path_;
  const std::vector<std::uint8_t>& bytes_;
  bool open_ = false;
  std::uint32_t position_ = 0;
};

// A volume whose drive takes the 64 blocks in order and keeps their data.
class QuietVolumes : public VolumeDevices {
 public:
  ObjectHandle open(const char* devicePath, VolumeAccess access) override;
  bool passThrough(ObjectHandle volume, void* request, std::uint32_t size,
                   std::uint32_t& bytesReturned, std::uint32_t& error) override;
  // The controls are refused, as Wine refuses them.
  bool control(ObjectHandle, std::uint32_t, const void*, std::uint32_t, void*, std::uint32_t,
               std::uint32_t& error) override {
    error = 50;
    return false;
  }
  void close(ObjectHandle) override { --openHandles; }

  bool checkCrc = true;  // off: the drive's own work leaves the program's alone to be timed
  int blocksTaken = 0;
  int refused = 0;
  int openHandles = 0;
  std::uint8_t expected = 0;  // the block the drive waits for
  std::array<std::uint8_t, kImageFileSize - kImageHeaderBytes> flash{};
};

class QuietSystem : public System {
 public:
  RegistryRead readMachineValue(const char*, const char*, char*, std::uint32_t&,
                                RegistryAccess) override {
    return RegistryRead::KeyNotOpened;
  }
  bool openProcessToken(ObjectHandle& token) override {
    token = 0x70;
    return true;
  }
  bool lookupShutdownPrivilege(std::uint64_t& luid) override {
    luid = 0x13;
    return true;
  }
  bool enablePrivilege(ObjectHandle, std::uint64_t) override { return true; }
  std::uint32_t lastError() override { return 0; }
  void closeHandle(ObjectHandle) override {}
  bool exitWindows(std::uint32_t, std::uint32_t) override {
    ++reboots;
    return true;
  }
  bool writeMachineValue(const char*, const char*, const char*) override { return true; }
  bool deleteMachineKey(const char*) override { return true; }
  bool programPath(char*, std::uint32_t) override { return false; }
  PowerSource powerSource() override { return PowerSource::Unknown; }

  int reboots = 0;
};

// Each job at once, on the calling thread, nested as the whole chain then is.
class QuietWorker : public Worker {
 public:
  bool start(void (*job)(void*), void* context) override {
    job(context);
    return true;
  }
};

class QuietSession : public SessionGuard {
 public:
  void hold(WindowHandle, const char*) override {}
  void release(WindowHandle) override {}
};

// A clock that stands still: the drive answers every block at once.
class QuietClock : public Clock {
 public:
  std::uint32_t milliseconds() override { return 0; }
  LocalTime localTime() override { return {}; }
};

// The quiet ports together, for an image read from `image` at kQuietImagePath.
struct QuietPorts {
  explicit QuietPorts(const std::vector<std::uint8_t>& image);
  // Installs them; `volumes` stands in for the quiet volume when given.
  void install(WindowHandle mainWindow, VolumeDevices* volumes = nullptr);
  bool flashedImage() const;  // the quiet volume's drive holds the image's data bytes

  const std::vector<std::uint8_t>& image;
  QuietUi ui;
  QuietFiles files;
  QuietVolumes volumes;
  QuietSystem system;
  QuietWorker worker;
  QuietSession session;
  QuietClock clock;
};

}  // namespace flindor::testing
