#include "tests/fakes/fake_heap.h"

#include <cstdlib>
#include <cstring>

namespace flindor::testing {

FakeHeap::~FakeHeap() {
  for (auto& [block, size] : live_) std::free(block);
}

void* FakeHeap::allocate(std::size_t bytes) {
  std::lock_guard lock(mutex_);
  if (attempts_++ == failAt_) return nullptr;
  void* block = std::malloc(bytes);
  std::memset(block, kHeapGarbage, bytes);
  live_[block] = bytes;
  sizes_.push_back(bytes);
  return block;
}

void FakeHeap::failNextAllocation(int skip) {
  std::lock_guard lock(mutex_);
  failAt_ = attempts_ + skip;
}

void FakeHeap::release(void* block) {
  std::lock_guard lock(mutex_);
  auto it = live_.find(block);
  if (it == live_.end()) {
    ++stray_;
    return;
  }
  std::free(block);
  live_.erase(it);
  ++releases_;
}

int FakeHeap::allocations() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(sizes_.size());
}
int FakeHeap::releases() const {
  std::lock_guard lock(mutex_);
  return releases_;
}
int FakeHeap::live() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(live_.size());
}
int FakeHeap::strayReleases() const {
  std::lock_guard lock(mutex_);
  return stray_;
}
std::vector<std::size_t> FakeHeap::sizes() const {
  std::lock_guard lock(mutex_);
  return sizes_;
}

}  // namespace flindor::testing
