#pragma once
// Time-boxed polling: every wait of the driver ends, so a hung program fails its test instead of
// hanging it.

#include <windows.h>

namespace e2e {

class Deadline {
 public:
  explicit Deadline(double seconds)
      : end_(GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000)) {}
  bool passed() const { return GetTickCount64() >= end_; }

 private:
  ULONGLONG end_;
};

inline constexpr DWORD kPollMs = 50;

// Polls `probe` until it returns something non-null or `seconds` have passed; returns the last
// result.
template <class Probe>
auto pollFor(double seconds, Probe probe) -> decltype(probe()) {
  const Deadline deadline(seconds);
  for (;;) {
    if (auto found = probe()) return found;
    if (deadline.passed()) return {};
    Sleep(kPollMs);
  }
}

}  // namespace e2e
