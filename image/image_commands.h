#pragma once
// The Open command and the framing of one block for the drive.

#include <cstdint>

#include "state/app_state.h"

namespace flindor {

// Lets the user pick a firmware image, checks it and makes it the image to download.
void openImage();
// The same checks, without the dialog, of the image at `path` that a command line names (the
// messages go wherever the user interface sends them); true when it was accepted.
bool openImageAt(const char* path);

// Forgets the accepted image and what it held, so Download asks for one again: fields 1002 and
// 1009 read "Not Open", with field 1008 set to `oldVersion` between them when one is given.
void closeImage(const char* oldVersion);

// Reads block appState.nextBlock of the image into blockBuffer and appends its CRC.
// True when the block is framed and may be sent.
bool loadBlock();

// What the accepted image is now, opened again by its path just before its first block is
// framed: the file may have been changed, replaced or cut short since Open read it.
enum class ImageRecheck { Unchanged, NotOpened, Changed };
ImageRecheck recheckImage();

// Reads the image's 131080 bytes from the start of `file` into `print`; false when they cannot
// all be read.
bool fingerprintImage(FileSystem& files, ObjectHandle file, ImageFingerprint& print);

// The name shown for a chosen path: the file name through the first three characters of its
// extension, cut to fit `capacity` - 1 characters. Offsets are the file dialog's.
void imageNameFromPath(const char* path, std::uint16_t fileOffset, std::uint16_t extensionOffset,
                       char* name, int capacity);

}  // namespace flindor
