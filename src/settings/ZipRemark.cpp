#include "settings/ZipRemark.h"

#include "settings/MappedFile.h"

namespace {

const long long kEndRecordSize = 22;
const long long kWindowSize = 51200 + kEndRecordSize;

bool IsEndSignature(const unsigned char* bytes)
{
    return bytes[0] == 0x50 && bytes[1] == 0x4B && bytes[2] == 0x05 && bytes[3] == 0x06;
}

long long CommentLength(const unsigned char* record)
{
    return record[20] | record[21] << 8;
}

}  // namespace

long long FindEndRecord(const unsigned char* window, long long length)
{
    long long last = -1;
    for (long long p = length - kEndRecordSize; p >= 0; --p) {
        if (!IsEndSignature(window + p))
            continue;
        if (CommentLength(window + p) == length - p - kEndRecordSize)
            return p;
        if (last < 0)
            last = p;
    }
    return last;
}

CZipRemark::CZipRemark(const CMappedFile& image)
{
    long long length = image.GetSize() < kWindowSize ? image.GetSize() : kWindowSize;
    const unsigned char* window = image.BytesAt(image.GetSize() - length, length);
    if (!window)
        return;
    long long record = FindEndRecord(window, length);
    if (record >= 0)
        Append(reinterpret_cast<const char*>(window) + record + kEndRecordSize,
               static_cast<int>(length - record - kEndRecordSize));
}
