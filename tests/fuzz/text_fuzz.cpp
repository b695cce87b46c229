// Text formatting and paths: the program's messages, filled with any text and number into any
// buffer, read as vsnprintf writes them; the image name taken from any path and offsets the file
// dialog returns is a terminated piece of the path that fits its field.
//
// Input: a buffer size, a number, the name field's capacity, the dialog's two offsets, then the
// text (a path).
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "download/download_messages.h"
#include "image/image_commands.h"
#include "platform/format_text.h"
#include "state/app_state.h"
#include "tests/fuzz/fuzz_rules.h"

namespace {

using namespace flindor;
using fuzz::require;

// The program's formatText, or the C library's vsnprintf.
void format(bool ours, char* buffer, std::size_t size, const char* pattern, ...) {
  std::va_list values;
  va_start(values, pattern);
  if (ours) {
    formatText(buffer, size, pattern, values);
  } else {
    std::vsnprintf(buffer, size, pattern, values);
  }
  va_end(values);
}

// Each into a buffer of exactly `size` bytes, so a write past it shows under AddressSanitizer.
template <class Value>
void expectAsSnprintf(std::size_t size, const char* pattern, Value value) {
  std::vector<char> written[2];
  for (const bool ours : {true, false}) {
    std::vector<char>& out = written[ours];
    out.assign(size, '#');
    format(ours, out.data(), size, pattern, value);
  }
  require(written[0] == written[1], "a message reads as vsnprintf writes it");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::InputBytes in(data, size);
  const std::size_t bufferSize = in.next();
  const auto number =
      static_cast<int>(in.next() | in.next() << 8 | in.next() << 16 | in.next() << 24);
  const int capacity = in.next() % 40 + 1;
  const auto fileOffset = static_cast<std::uint16_t>(in.next() | in.next() << 8);
  const auto extensionOffset = static_cast<std::uint16_t>(in.next() | in.next() << 8);
  char path[kImagePathSize] = {};
  for (std::size_t i = 0; i + 1 < sizeof path && !in.done(); ++i)
    path[i] = static_cast<char>(in.next());

  expectAsSnprintf(bufferSize, download_text::kOpenFailedFormat, path);
  expectAsSnprintf(bufferSize, download_text::kWriteErrorFormat, number);

  std::vector<char> name(static_cast<std::size_t>(capacity));
  imageNameFromPath(path, fileOffset, extensionOffset, name.data(), capacity);
  const std::size_t length = strnlen(name.data(), name.size());
  require(length < name.size(), "the image name ends within its field");
  require(length == 0 || (fileOffset < std::strlen(path) &&
                          std::memcmp(name.data(), path + fileOffset, length) == 0),
          "the image name is the path from the file name on");
  return 0;
}
