// A pass-through download allocates nothing: blockBuffer, the request block and the device path
// are fixed storage, so the chain of 65 nested commands costs no heap however often it runs.
//
// Counted here in every build. Plain builds replace the global operator new for this test
// program (counting only while a test asks for it, on that test's thread); the sanitizer builds
// keep their own allocator, which would lose its new/delete checks if replaced, and report each
// allocation, malloc's included, to a hook instead. The core's one heap of its own, the Heap
// port of the ASPI requests, is counted by the fake heap.
#include <cstddef>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#include <gtest/gtest.h>
#include "shell/main_window_commands.h"
#include "state/app_state.h"
#include "state/command_ids.h"
#include "tests/fakes/program_harness.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define FLINDOR_SANITIZED_ALLOCATOR 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define FLINDOR_SANITIZED_ALLOCATOR 1
#endif
#endif

namespace {

thread_local bool counting = false;
thread_local long allocations = 0;
int* volatile escaped = nullptr;  // keeps the probe's allocation from being optimised away

void noteAllocation() {
  if (counting) ++allocations;
}

}  // namespace

#ifdef FLINDOR_SANITIZED_ALLOCATOR

extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*malloc_hook)(const volatile void*,
                                                                             std::size_t),
                                                         void (*free_hook)(const volatile void*));

namespace {

void mallocHook(const volatile void*, std::size_t) { noteAllocation(); }
void freeHook(const volatile void*) {}

// Hooks cannot be taken out again: installed once, they count only while a test asks them to.
// Whether they took is what the probe below finds out.
[[maybe_unused]] const int hooksInstalled =
    __sanitizer_install_malloc_and_free_hooks(mallocHook, freeHook);

}  // namespace

#else

void* operator new(std::size_t bytes) {
  noteAllocation();
  if (void* block = std::malloc(bytes == 0 ? 1 : bytes)) return block;
  throw std::bad_alloc();
}
void* operator new[](std::size_t bytes) { return ::operator new(bytes); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }

#endif

namespace flindor::testing {
namespace {

// Allocations made on this thread while it lives.
class AllocationCount {
 public:
  AllocationCount() {
    allocations = 0;
    counting = true;
  }
  ~AllocationCount() { counting = false; }
  long value() const { return allocations; }
};

TEST(DownloadAllocationTest, APassThroughDownloadAllocatesNothingFromYesToTheRebootRequest) {
  {
    AllocationCount probe;
    const std::unique_ptr<int> block(new int(7));
    escaped = block.get();
    ASSERT_EQ(probe.value(), 1) << "the counter must see an allocation";
  }

  ProgramHarness run;  // discovery and Open may allocate: they are not counted
  run.startUp();
  run.useQuietPorts();
  ports().heap = &run.heap;  // the ASPI requests' heap: never asked on this back end
  long counted = 0;
  {
    AllocationCount count;
    mainWindowCommand(kCommandDownload, 0);
    counted = count.value();
  }
  EXPECT_EQ(counted, 0);
  EXPECT_EQ(run.heap.allocations(), 0);
  EXPECT_EQ(run.quiet.volumes.blocksTaken, 64);
  EXPECT_EQ(run.quiet.volumes.refused, 0);
  EXPECT_EQ(run.quiet.volumes.openHandles, 0);
  EXPECT_TRUE(run.quiet.flashedImage());
  EXPECT_EQ(run.quiet.system.reboots, 1);
  EXPECT_EQ(run.quiet.ui.quits, 1);
}

}  // namespace
}  // namespace flindor::testing
