#pragma once
// The two-character model rule shared by image headers and drive revisions: 'D' or 'd',
// then a model letter A to C in either case; the vendor the supported drive names; and the order
// of two versions.

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

// The image's version characters (header bytes 2 and 3) against the drive's revision at the same
// places, as text: above 0 the image is newer, 0 the same version, below 0 older.
constexpr int versionOrder(const char* imageHeader, const char* revision) {
  const auto at = [](const char* text, int i) { return static_cast<unsigned char>(text[i]); };
  return at(imageHeader, 2) != at(revision, 2) ? at(imageHeader, 2) - at(revision, 2)
                                               : at(imageHeader, 3) - at(revision, 3);
}

}  // namespace flindor
