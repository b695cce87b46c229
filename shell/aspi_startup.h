#pragma once
// Start-up on the ASPI platform: the ASPI manager's library, its entry points and its host
// adapters.

namespace flindor {

inline constexpr char kAspiLibraryName[] = "wnaspi32.dll";

// Loads the library and counts the host adapters. False when the run cannot go on: the user has
// been told why and nothing stays loaded.
bool startAspiLayer();
// Frees the library at the end of the run (ASPI platform only).
void stopAspiLayer();

}  // namespace flindor
