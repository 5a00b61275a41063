#include "settings/ZipSizeSlot.h"

namespace {

// The generator finds the 8-byte slot by the marker right after it and patches the archive
// size into the file. volatile keeps the compiler from folding the unpatched zero into code.
alignas(8) volatile const unsigned char kZipSizeSlot[16] = {
    0, 0, 0, 0, 0, 0, 0, 0, 'Z', 'I', 'P', 'S', 'I', 'Z', 'E', 0};

}  // namespace

uint32_t ReadZipSizeSlot()
{
    static unsigned char copy[8];
    for (int i = 0; i < 8; ++i)
        copy[i] = kZipSizeSlot[i];
    return static_cast<uint32_t>(copy[0]) | static_cast<uint32_t>(copy[1]) << 8 |
           static_cast<uint32_t>(copy[2]) << 16 | static_cast<uint32_t>(copy[3]) << 24;
}
