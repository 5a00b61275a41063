// A setting value in, its expansion (native and UTF-8) out.
#include "settings/SettingsLoader.h"
#include "settings/VariableExpansion.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool once = [] {
        setenv("FUZZ_VALUE", "a%b$c\xc3\xa9", 1);
        return true;
    }();
    (void)once;
    CSettingsLoader store(false);
    store.m_strAppHome = MyCString("/opt/app/");
    store.m_strWorkDir = MyCString("/work/");
    store.m_strExePath = MyCString("/opt/app/run");
    pldr = &store;
    MyCString value(reinterpret_cast<const char*>(data), static_cast<int>(size));
    MyCString native = ExpandVariables(value, false);
    MyCString utf8 = ExpandVariables(value, true);
    pldr = nullptr;
    return 0;
}
