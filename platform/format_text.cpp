#include "platform/format_text.h"

#include <charconv>

namespace flindor {
namespace {

// Appends to the buffer for as long as it has room, keeping one byte for the terminating zero.
class Output {
 public:
  Output(char* buffer, std::size_t size) : next_(buffer), end_(buffer + size - 1) {}
  void put(char c) {
    if (next_ != end_) *next_++ = c;
  }
  void put(const char* first, const char* last) {
    while (first != last) put(*first++);
  }
  ~Output() { *next_ = '\0'; }

 private:
  char* next_;
  char* end_;
};

}  // namespace

void formatText(char* buffer, std::size_t size, const char* format, std::va_list values) {
  if (size == 0) return;
  Output out(buffer, size);
  for (; *format != '\0'; ++format) {
    if (format[0] == '%' && format[1] == 's') {
      for (const char* text = va_arg(values, const char*); *text != '\0'; ++text) out.put(*text);
      ++format;
    } else if (format[0] == '%' && format[1] == 'd') {
      char digits[12];
      const auto written = std::to_chars(digits, digits + sizeof digits, va_arg(values, int));
      out.put(digits, written.ptr);
      ++format;
    } else {
      out.put(*format);
    }
  }
}

}  // namespace flindor
