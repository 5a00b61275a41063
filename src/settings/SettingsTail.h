// The tail of a generated executable, read from its mapped image:
//
//   launcher image | block (N bytes) | N (4 bytes LE) | 16 reserved | archive (Z bytes) | remark
#pragma once

#include "settings/MappedFile.h"
#include "text/Buffer.h"

// Position just past the block length field, or 0 when the image holds no valid tail for an
// archive of archiveSize bytes.
[[nodiscard]] long long LocateTail(const CMappedFile& image, long long archiveSize);
// The block before the tail offset as a C string copy of N bytes (the bytes after its first
// NUL read as NUL); false when the block does not fit inside the image.
[[nodiscard]] bool ReadEmbeddedBlock(const CMappedFile& image, long long tailOffset, MyCString& text);
