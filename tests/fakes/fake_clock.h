#pragma once
// A clock that moves only when the test moves it.

#include <atomic>

#include "platform/ports.h"

namespace flindor::testing {

class FakeClock : public Clock {
 public:
  std::uint32_t milliseconds() override { return now; }
  LocalTime localTime() override { return today; }
  void advance(std::uint32_t ms) { now += ms; }

  std::atomic<std::uint32_t> now{1000};
  LocalTime today{2026, 12, 8, 10, 42, 7};
};

}  // namespace flindor::testing
