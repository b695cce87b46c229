#pragma once
// The texts the image commands show, byte for byte.

namespace flindor::image_text {

inline constexpr char kWarning[] = "WARNING";
inline constexpr char kConfirm[] = "Confirm";
inline constexpr char kFailToOpen[] = "FAIL TO OPEN FILE";
inline constexpr char kFailToRead[] = "FAIL TO READ FILE";
inline constexpr char kSizeDifferent[] = "FILE SIZE IS DIFFERENT!!";
inline constexpr char kModelDifferent[] =
    "!!! MODEL IS DIFFERENT !!!\n\n!!! IT'S NOT ZIB BIN FILE !!!";
inline constexpr char kFileOpen[] = " !!! FLASH FILE OPEN !!!";
inline constexpr char kNotOpen[] = "Not Open";  // the fields of an image not (or no longer) open

// The file dialog's filter: two label/pattern pairs, then the empty text that ends the list.
// The second label is Korean for "all files" in code page 949.
inline constexpr char kOpenFilter[] =
    "FLASH FILES (*.BIN) \0*.BIN \0"
    "\xB8\xF0\xB5\xE7 \xC6\xC4\xC0\xCF (*.*) \0*.*\0";
inline constexpr char kInitialFileText[] = "*.BIN";

}  // namespace flindor::image_text
