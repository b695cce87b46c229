#pragma once
// The two-character model rule shared by image headers and drive revisions: 'D' or 'd',
// then a model letter A to C in either case; and the vendor the supported drive names.

namespace flindor {

// The vendor identification (INQUIRY bytes 8 on) of the supported drive begins with "ZIB",
// upper case.
constexpr bool hasZibVendor(const char* identification) {
  return identification[0] == 'Z' && identification[1] == 'I' && identification[2] == 'B';
}

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
