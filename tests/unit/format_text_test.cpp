#include <gtest/gtest.h>

#include <climits>
#include <cstdarg>
#include <cstdio>
#include <string>

#include "download/download_messages.h"
#include "platform/format_text.h"

namespace flindor {
namespace {

std::string formatted(std::size_t size, const char* format, ...) {
  std::string out(size + 1, '#');
  std::va_list values;
  va_start(values, format);
  formatText(out.data(), size, format, values);
  va_end(values);
  return out;
}

// The C library's vsnprintf is the oracle: the same bytes, the same cut, the same untouched rest.
TEST(FormatText, WritesWhatSnprintfWrites) {
  const std::string path = "\\\\.\\D:              " + std::string(230, 'x');
  struct Case {
    const char* format;
    const char* text;  // for %s formats
    int number;        // for %d formats
    std::size_t size;
  } const cases[] = {
      {download_text::kOpenFailedFormat, "\\\\.\\D:              ", 0, 100},
      {download_text::kOpenFailedFormat, path.c_str(), 0, 100},
      {download_text::kOpenFailedFormat, "", 0, 1},
      {download_text::kWriteErrorFormat, nullptr, 0, 100},
      {download_text::kWriteErrorFormat, nullptr, 62, 100},
      {download_text::kWriteErrorFormat, nullptr, -7, 100},
      {download_text::kWriteErrorFormat, nullptr, INT_MIN, 100},
      {download_text::kWriteErrorFormat, nullptr, 12345, 30},
      // The log's numbers: dates and times, registers and status bytes.
      {"[%05d]", nullptr, -42, 100},
      {"[%08X]", nullptr, 0x1A2B, 100},
      {"[%u]", nullptr, -1, 100},
      {"[%08X]", nullptr, -0x4F5C4265, 6},  // 0xB0A3BD9B
  };
  for (const Case& c : cases) {
    std::string expected(c.size + 1, '#');
    if (c.text != nullptr) {
      std::snprintf(expected.data(), c.size, c.format, c.text);
      EXPECT_EQ(formatted(c.size, c.format, c.text), expected) << c.format;
    } else {
      std::snprintf(expected.data(), c.size, c.format, c.number);
      EXPECT_EQ(formatted(c.size, c.format, c.number), expected) << c.format << " " << c.number;
    }
  }
}

}  // namespace
}  // namespace flindor
