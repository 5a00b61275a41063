// Settings text in (external part, NUL, embedded part), every lookup mode out.
#include "settings/SettingsLoader.h"

#include <cstdint>
#include <string>

namespace {

const char* const kKeys[] = {"mainclass", "option", "classpath", "disableexternal", "vm", "message", "o", ""};

void Collect(void* context, const char* value)
{
    static_cast<MyCStringArray*>(context)->Add(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string bytes(reinterpret_cast<const char*>(data), size);
    size_t split = bytes.find('\0');
    std::string external = bytes.substr(0, split);
    std::string embedded = split == std::string::npos ? "" : bytes.substr(split + 1);

    CSettingsLoader store(false);
    store.LoadFromText(external.c_str(), embedded.c_str());
    pldr = &store;
    for (const char* key : kKeys) {
        for (int mode = 0; mode < 4; ++mode) {
            bool embeddedOnly = mode & 1;
            bool native = mode & 2;
            MyCString single = store.QuerySetting(key, nullptr, nullptr, embeddedOnly, native);
            MyCStringArray values;
            MyCString none = store.QuerySetting(key, Collect, &values, embeddedOnly, native);
            MyCStringArray expanded;
            none = store.QuerySetting(key, native ? CSettingsLoader::EnumCommonCallback
                                                  : CSettingsLoader::EnumCommonCallbackUtf8,
                                      &expanded, embeddedOnly, native);
        }
    }
    MyCString classPath;
    MyCString none = store.QuerySetting("classpath", CSettingsLoader::EnumClassPathCallback, &classPath);
    pldr = nullptr;
    return 0;
}
