#pragma once

#include "sys/Files.h"

// A whole file mapped read-only, with every access checked against the file's size.
class CMappedFile {
public:
    // A file that cannot be opened, sized or mapped (or is empty) gives size 0 and no bytes.
    explicit CMappedFile(const char* path);
    ~CMappedFile();
    CMappedFile(const CMappedFile&) = delete;
    CMappedFile& operator=(const CMappedFile&) = delete;

    [[nodiscard]] long long GetSize() const { return m_nSize; }
    // The count bytes at offset, or null unless all of them lie inside the file.
    [[nodiscard]] const unsigned char* BytesAt(long long offset, long long count) const;

private:
    SysHandle* m_pFile = INVALID_SYS_HANDLE;
    SysHandle* m_pMapping = INVALID_SYS_HANDLE;
    const unsigned char* m_pBytes = nullptr;
    long long m_nSize = 0;
};
