// The routines of the C and C++ libraries that the program, or the compiler on its own (block
// copies, fills and compares), calls: a program without those libraries brings them itself.
// Built so they are never turned back into calls of themselves.

#include <cstddef>

extern "C" {

void* memcpy(void* to, const void* from, std::size_t count) {
  auto* d = static_cast<unsigned char*>(to);
  const auto* s = static_cast<const unsigned char*>(from);
  while (count-- != 0) *d++ = *s++;
  return to;
}

void* memmove(void* to, const void* from, std::size_t count) {
  auto* d = static_cast<unsigned char*>(to);
  const auto* s = static_cast<const unsigned char*>(from);
  if (d <= s || d >= s + count) return memcpy(to, from, count);
  while (count-- != 0) d[count] = s[count];
  return to;
}

void* memset(void* to, int value, std::size_t count) {
  auto* d = static_cast<unsigned char*>(to);
  while (count-- != 0) *d++ = static_cast<unsigned char>(value);
  return to;
}

int memcmp(const void* left, const void* right, std::size_t count) {
  const auto* a = static_cast<const unsigned char*>(left);
  const auto* b = static_cast<const unsigned char*>(right);
  for (; count != 0; --count, ++a, ++b) {
    if (*a != *b) return *a < *b ? -1 : 1;
  }
  return 0;
}

void* memchr(const void* where, int value, std::size_t count) {
  auto* p = static_cast<unsigned char*>(const_cast<void*>(where));
  for (; count != 0; --count, ++p) {
    if (*p == static_cast<unsigned char>(value)) return p;
  }
  return nullptr;
}

std::size_t strnlen(const char* text, std::size_t limit) {
  std::size_t length = 0;
  while (length < limit && text[length] != '\0') ++length;
  return length;
}

}  // extern "C"
