#include "tests/fuzz/fuzz_rules.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "image/image_layout.h"

namespace flindor::fuzz {

void require(bool holds, const char* rule) {
  if (holds) return;
  std::fprintf(stderr, "broken: %s\n", rule);
  std::abort();
}

std::string InputBytes::text(std::size_t length) {
  std::string out;
  while (out.size() < length) out.push_back(static_cast<char>(next()));
  return out;
}

const std::vector<std::uint8_t>& goodImage() {
  static const std::vector<std::uint8_t> image = testing::patternedImage("DA13");
  return image;
}

void requireImageInOrder(const std::vector<SentBlock>& sent,
                         const std::vector<std::uint8_t>& image) {
  for (std::size_t i = 0; i < sent.size(); ++i) {
    require(sent[i].block == static_cast<int>(i), "each block goes once, in order");
    require(sent[i].frame.size() == framedBlockBytes(static_cast<std::uint8_t>(i)),
            "each block goes framed");
    const std::size_t dataBytes = sent[i].frame.size() - kBlockCrcBytes;
    require(std::equal(sent[i].frame.begin(), sent[i].frame.begin() + dataBytes,
                       image.begin() + kImageHeaderBytes + i * kBlockDataBytes),
            "each block carries the image's data");
  }
}

testing::HarnessOptions onPlatform(std::uint8_t platform) {
  return {.platform = platform, .run = testing::Run::Stepped, .zibDrive = false};
}

}  // namespace flindor::fuzz
