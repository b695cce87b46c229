#pragma once
// The two-character model rule shared by image headers and drive revisions: 'D' or 'd',
// then a model letter A to C in either case.

namespace flindor {

constexpr bool hasSupportedModelLetters(const char* text) {
  const char prefix = text[0];
  if (prefix != 'D' && prefix != 'd') return false;
  switch (text[1]) {
    case 'A':
    case 'a':
    case 'B':
    case 'b':
    case 'C':
    case 'c':
      return true;
    default:
      return false;
  }
}

}  // namespace flindor
