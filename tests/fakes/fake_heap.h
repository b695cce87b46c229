#pragma once
// A counting heap: every block it hands out is filled with garbage (so a missing zero-fill
// shows), every release is checked against what was handed out (so releasing blockBuffer or
// releasing twice shows), and an allocation can be made to fail. Safe to use from the ASPI
// completion thread. Blocks still out when it dies are freed, and counted by live().

#include <cstddef>
#include <map>
#include <mutex>
#include <vector>

#include "platform/ports.h"

namespace flindor::testing {

inline constexpr unsigned char kHeapGarbage = 0xA5;

class FakeHeap : public Heap {
 public:
  ~FakeHeap() override;
  void* allocate(std::size_t bytes) override;
  void release(void* block) override;

  // The allocation after the next `skip` ones returns nullptr.
  void failNextAllocation(int skip = 0);

  int allocations() const;  // successful ones
  int releases() const;
  int live() const;
  int strayReleases() const;               // of blocks this heap never handed out, or twice
  std::vector<std::size_t> sizes() const;  // of the successful allocations, in order

 private:
  mutable std::mutex mutex_;
  std::map<void*, std::size_t> live_;
  std::vector<std::size_t> sizes_;
  int attempts_ = 0;
  int failAt_ = -1;
  int releases_ = 0;
  int stray_ = 0;
};

}  // namespace flindor::testing
