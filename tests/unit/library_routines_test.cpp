// The program's own memcpy, memmove, memset, memcmp, memchr and strnlen (built here as
// flindor_*) against the C library's, on boundary cases and seeded random ones.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <random>
#include <utility>
#include <vector>

extern "C" {
void* flindor_memcpy(void* to, const void* from, std::size_t count);
void* flindor_memmove(void* to, const void* from, std::size_t count);
void* flindor_memset(void* to, int value, std::size_t count);
int flindor_memcmp(const void* left, const void* right, std::size_t count);
void* flindor_memchr(const void* where, int value, std::size_t count);
std::size_t flindor_strnlen(const char* text, std::size_t limit);
}

namespace {

constexpr std::size_t kBytes = 64;
constexpr std::size_t kHalf = kBytes / 2;
using Buffer = std::array<unsigned char, kBytes>;

enum class Routine { Copy, Move, Set, Compare, Find, Length };

// `to` and `from` are offsets into one buffer (Set and Find use `to` and `from` alone; Length
// reads the text at `from` with `count` as its limit).
struct Case {
  Routine routine;
  std::size_t to, from, count;
  int value = 0;
};

// Two equal halves but for one byte (0x80 in the first, 0x7F in the second), each with a zero.
Buffer startingBuffer() {
  Buffer b{};
  for (std::size_t i = 0; i < kHalf; ++i)
    b[i] = b[i + kHalf] = static_cast<unsigned char>(i * 37 + 11);
  b[10] = b[10 + kHalf] = 0;
  b[20] = 0x80;
  b[20 + kHalf] = 0x7F;
  return b;
}

// What a routine returned (an offset into the buffer, -1 for none, or a sign) and left behind.
std::pair<long, Buffer> run(const Case& c, bool ours) {
  Buffer b = startingBuffer();
  unsigned char* p = b.data();
  const auto offset = [p](const void* at) {
    return at == nullptr ? -1L : static_cast<long>(static_cast<const unsigned char*>(at) - p);
  };
  const auto text = reinterpret_cast<const char*>(p + c.from);
  switch (c.routine) {
    case Routine::Copy:
      return {offset(ours ? flindor_memcpy(p + c.to, p + c.from, c.count)
                          : std::memcpy(p + c.to, p + c.from, c.count)),
              b};
    case Routine::Move:
      return {offset(ours ? flindor_memmove(p + c.to, p + c.from, c.count)
                          : std::memmove(p + c.to, p + c.from, c.count)),
              b};
    case Routine::Set:
      return {offset(ours ? flindor_memset(p + c.to, c.value, c.count)
                          : std::memset(p + c.to, c.value, c.count)),
              b};
    case Routine::Compare: {
      const int r = ours ? flindor_memcmp(p + c.to, p + c.from, c.count)
                         : std::memcmp(p + c.to, p + c.from, c.count);
      return {(r > 0) - (r < 0), b};
    }
    case Routine::Find:
      return {offset(ours ? flindor_memchr(p + c.from, c.value, c.count)
                          : std::memchr(p + c.from, c.value, c.count)),
              b};
    case Routine::Length:
      return {static_cast<long>(ours ? flindor_strnlen(text, c.count) : strnlen(text, c.count)), b};
  }
  return {};
}

// Within the buffer, and memcpy's two areas apart, as the C library requires.
Case randomCase(std::mt19937& random) {
  const auto upTo = [&random](std::size_t most) {
    return std::uniform_int_distribution<std::size_t>(0, most)(random);
  };
  const int value = std::uniform_int_distribution<int>(-300, 300)(random);
  Case c{static_cast<Routine>(upTo(5)), 0, 0, 0, value};
  const bool halves = c.routine == Routine::Copy || c.routine == Routine::Compare;
  c.count = upTo(halves ? kHalf : kBytes);
  if (halves) {
    c.from = upTo(kHalf - c.count);
    c.to = kHalf + (c.routine == Routine::Compare ? c.from : upTo(kHalf - c.count));
  } else {
    c.from = upTo(kBytes - c.count);
    c.to = upTo(kBytes - c.count);
  }
  return c;
}

TEST(LibraryRoutinesTest, DoWhatTheCLibraryDoes) {
  using R = Routine;
  std::vector<Case> cases = {
      {R::Copy, 32, 0, 0},
      {R::Copy, 32, 0, 32},
      {R::Copy, 40, 3, 17},
      {R::Move, 0, 0, 0},
      {R::Move, 4, 0, 20},
      {R::Move, 0, 4, 20},  // overlapping, both ways
      {R::Move, 8, 8, 16},
      {R::Move, 1, 0, 63},
      {R::Move, 0, 1, 63},
      {R::Set, 0, 0, 0, 7},
      {R::Set, 5, 0, 59, -1},
      {R::Set, 0, 0, 64, 0x1AB},
      {R::Compare, 32, 0, 0},
      {R::Compare, 32, 0, 20},
      {R::Compare, 32, 0, 21},
      {R::Compare, 0, 32, 21},
      {R::Compare, 40, 8, 24},
      {R::Find, 0, 0, 0, 0},
      {R::Find, 0, 0, 64, 0x100},
      {R::Find, 0, 11, 53, 0},
      {R::Find, 0, 0, 64, 0x80},
      {R::Find, 0, 21, 10, 0x80},
      {R::Find, 0, 0, 64, -128},
      // A limit that ends at the terminating zero, one before it, past it; none; no zero at all.
      {R::Length, 0, 0, 10},
      {R::Length, 0, 0, 9},
      {R::Length, 0, 0, 11},
      {R::Length, 0, 0, 0},
      {R::Length, 0, 43, 21},
      {R::Length, 0, 11, 31},
  };
  std::mt19937 random(20260101);
  for (int i = 0; i < 5000; ++i) cases.push_back(randomCase(random));
  for (const Case& c : cases) {
    EXPECT_EQ(run(c, true), run(c, false))
        << "routine " << static_cast<int>(c.routine) << " to " << c.to << " from " << c.from
        << " count " << c.count << " value " << c.value;
  }
}

}  // namespace
