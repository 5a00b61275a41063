// settings_dump [KEY]: loads the settings store of its own executable, as the launcher does,
// and prints what it holds; with KEY, also the value of a lookup of KEY. Packed with
// launcher-pack like the launcher, it shows what a generated executable loads.
#include "DumpFormat.h"

#include "settings/SettingsLoader.h"

#include <clocale>
#include <cstdio>

namespace {

void PrintField(const char* name, const CBufferRefT<char>& value)
{
    printf("%s=%s\n", name, settingstest::EscapeBytes(value.GetData(), static_cast<size_t>(value.GetLength())).c_str());
}

}  // namespace

int main(int argc, char** argv)
{
    setlocale(LC_ALL, "");
    CSettingsLoader store(true);
    pldr = &store;
    PrintField("text", store);
    printf("embedded_start=%d\n", store.m_nEmbeddedStart);
    printf("tail_offset=%d\n", store.m_nTailOffset);
    PrintField("exe_path", store.m_strExePath);
    PrintField("app_home", store.m_strAppHome);
    PrintField("work_dir", store.m_strWorkDir);
    if (argc > 1)
        PrintField("value", store.QuerySetting(argv[1]));
    pldr = nullptr;
    return 0;
}
