#pragma once

#include <cstdint>

// The archive size Z that the generator patched into this program's size slot
// (the 8 bytes before the marker "ZIPSIZE"), low 32 bits little-endian.
[[nodiscard]] uint32_t ReadZipSizeSlot();
