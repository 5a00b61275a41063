#pragma once

#include "text/Buffer.h"

// The archive comment at the end of the running executable: the bytes after the last
// end-of-central-directory signature within the file's last 51222 bytes; empty when there is none.
class CZipRemark : public CStringBufT<char> {
public:
    CZipRemark();
};
