#pragma once

#include <cstdint>

// The archive size Z that the generator patched into this program's size slot
// (8 bytes followed by a 7-letter marker and a NUL), low 32 bits little-endian; 0 when unpatched.
[[nodiscard]] uint32_t ReadZipSizeSlot();
