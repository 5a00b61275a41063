#pragma once

#include "text/Buffer.h"

class CMappedFile;

// The archive comment at the end of the running executable: the bytes after the
// end-of-central-directory record found within the file's last 51222 bytes; empty when there
// is none. The last record whose comment-length field matches the bytes after it wins, so a
// comment that itself holds the record's signature is kept whole; without such a record,
// the last signature found counts.
class CZipRemark : public CStringBufT<char> {
public:
    // The remark at the end of the mapped executable.
    explicit CZipRemark(const CMappedFile& image);
};

// Position within window of the end record the remark follows, or -1 when there is none.
[[nodiscard]] long long FindEndRecord(const unsigned char* window, long long length);
