#pragma once
// Closes a file or volume handle on every path out of the scope that opened it.

#include "platform/ports.h"

namespace flindor {

template <class Port>
class ScopedHandle {
 public:
  ScopedHandle(Port& port, ObjectHandle handle) : port_(port), handle_(handle) {}
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ~ScopedHandle() { close(); }

  bool valid() const { return handle_ != kInvalidHandle; }
  ObjectHandle get() const { return handle_; }
  void close() {
    if (valid()) port_.close(handle_);
    handle_ = kInvalidHandle;
  }

 private:
  Port& port_;
  ObjectHandle handle_;
};

}  // namespace flindor
