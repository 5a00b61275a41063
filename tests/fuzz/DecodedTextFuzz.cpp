// Raw settings file bytes in (any of the four encodings), the store's UTF-8 text out.
#include "settings/SettingsLoader.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CSettingsLoader store(false);
    CBufferRefT<char> bytes(reinterpret_cast<char*>(const_cast<uint8_t*>(data)), static_cast<int>(size));
    store.AppendDecodedText(bytes);
    MyCString value = store.QuerySetting("option");
    return 0;
}
