#include "app/win32_worker.h"

#include <windows.h>

namespace flindor::win32 {
namespace {

// One job at a time is out (one SCSI command), so a single record carries it to its thread.
struct Job {
  void (*run)(void*);
  void* context;
};
Job pending;

DWORD WINAPI runJob(LPVOID) {
  const Job job = pending;
  job.run(job.context);
  return 0;
}

}  // namespace

bool Win32Worker::start(void (*job)(void* context), void* context) {
  pending = {job, context};
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, 0, runJob, nullptr, 0, &id);
  if (thread == nullptr) return false;
  CloseHandle(thread);  // the thread ends by itself; nobody waits for it
  return true;
}

}  // namespace flindor::win32
