#pragma once
// What the fuzz harnesses share besides the program harness (tests/fakes/program_harness.h): the
// input read a byte at a time, and the rules every run must keep. A broken rule ends the
// process, as libFuzzer expects of a finding.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/fakes/program_harness.h"

namespace flindor::fuzz {

using testing::kImagePath;
using testing::ProgramHarness;
using testing::SentBlock;

// Ends the process with `rule` named when it does not hold.
void require(bool holds, const char* rule);

// An input read a byte at a time; past its end every byte is 0.
class InputBytes {
 public:
  InputBytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint8_t next() { return at_ < size_ ? data_[at_++] : 0; }
  std::string text(std::size_t length);
  bool done() const { return at_ >= size_; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

// The blocks went once each, in order from 0, framed, with the data of `image`.
void requireImageInOrder(const std::vector<SentBlock>& sent,
                         const std::vector<std::uint8_t>& image);

// The image every run opens unless told otherwise: 131080 bytes of the model, version DA13.
const std::vector<std::uint8_t>& goodImage();

// A program as just started on `platform`, stepped, with no device on the bus yet.
testing::HarnessOptions onPlatform(std::uint8_t platform);

}  // namespace flindor::fuzz
