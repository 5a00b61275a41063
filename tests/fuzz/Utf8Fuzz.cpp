// Bytes in: UTF-8 decoded and encoded again, 16-bit units widened and narrowed again.
#include "text/UnicodeStrings.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* bytes = reinterpret_cast<const char*>(data);
    UnicodeStringFromUtf8 wide(bytes, static_cast<int>(size));
    Utf8String utf8(wide.m_pData);
    // What the decoder accepted re-encodes to text that decodes to the same characters.
    UnicodeStringFromUtf8 again(utf8.m_pData, utf8.m_nLength);
    if (again.m_nLength != wide.m_nLength ||
        memcmp(again.m_pData, wide.m_pData, static_cast<size_t>(wide.m_nLength) * sizeof(wchar_t)) != 0)
        abort();

    UcsString units(wide.m_pData);
    UnicodeString widened(units.m_pData, units.m_nLength);

    int unitCount = static_cast<int>(size / 2);
    UnicodeString fromUnits(reinterpret_cast<const unsigned short*>(data), unitCount);
    Utf8String fromUnitsUtf8(fromUnits.m_pData);
    return 0;
}
