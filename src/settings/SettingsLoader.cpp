#include "settings/SettingsLoader.h"

#include "settings/LineReader.h"
#include "settings/VariableExpansion.h"
#include "text/UnicodeStrings.h"

#include <strings.h>

CSettingsLoader* pldr = nullptr;

namespace {

const char* SkipSpaces(const char* text)
{
    while (*text == ' ')
        ++text;
    return text;
}

// True when line belongs to key; then value receives what follows the key, its spaces and one '='.
bool MatchKey(const MyCString& line, const char* key, size_t keyLength, MyCString& value)
{
    const char* text = SkipSpaces(line.c_str());
    if (strncasecmp(text, key, keyLength) != 0)
        return false;
    text += keyLength;
    if (IsNameByte(*text))
        return false;  // a longer key
    text = SkipSpaces(text);
    if (*text == '=')
        text = SkipSpaces(text + 1);
    value = MyCString(text);
    return true;
}

}  // namespace

CSettingsLoader::CSettingsLoader(bool load)
{
    if (load)
        Load();
}

CSettingsLoader::~CSettingsLoader() = default;

MyCString CSettingsLoader::QuerySetting(const char* key, EnumCallback callback, void* context,
                                        bool embeddedOnly, bool native) const
{
    int start = embeddedOnly ? m_nEmbeddedStart : 0;
    if (start < 0 || start > m_nLength)
        start = m_nLength;
    CLineReader reader(m_pData ? m_pData + start : nullptr);
    size_t keyLength = strlen(key);
    MyCString line;
    MyCString value;
    while (reader.ReadLine(line)) {
        if (!MatchKey(line, key, keyLength, value))
            continue;
        if (native && HasNonAscii(value.c_str(), value.GetLength()))
            value = NativeFromUtf8(value.c_str(), value.GetLength());
        if (!callback)
            return value;
        callback(context, value.c_str());
    }
    return MyCString();
}

void CSettingsLoader::EnumCommonCallback(void* context, const char* value)
{
    static_cast<MyCStringArray*>(context)->Add(ExpandVariables(MyCString(value), false).c_str());
}

void CSettingsLoader::EnumCommonCallbackUtf8(void* context, const char* value)
{
    static_cast<MyCStringArray*>(context)->Add(ExpandVariables(MyCString(value), true).c_str());
}

void CSettingsLoader::EnumClassPathCallback(void* context, const char* value)
{
    MyCString& classPath = *static_cast<MyCString*>(context);
    const char* text = value;
    while (*text != 0) {
        const char* colon = strchr(text, ':');
        int length = colon ? static_cast<int>(colon - text) : static_cast<int>(strlen(text));
        if (length > 0) {
            MyCString entry = ExpandVariables(MyCString(text, length), false);
            // Without a published store there is nothing to resolve against: keep the entry.
            MyCString resolved = pldr ? pldr->ResolvePath(entry) : entry;
            classPath.Append(":", 1);
            classPath.Append(resolved.c_str(), resolved.GetLength());
        }
        if (!colon)
            break;
        text = colon + 1;
    }
}

MyCString CSettingsLoader::GetVmSetting()
{
    if (m_strVm.IsEmpty()) {
        m_strVm = ExpandVariables(QuerySetting("vm"), false);
        if (m_strVm.IsEmpty())
            m_strVm = MyCString("-");
    }
    return m_strVm;
}
