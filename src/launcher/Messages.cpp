#include "launcher/Messages.h"

#include "settings/SettingsLoader.h"

#include <climits>
#include <cstdlib>

// Native code in the process reads this table: keep its order, ids and texts.
extern const MessageEntry msgTable[] = {
    {0x1, "Java Runtime Environment not found."},
    {0x2, "Java Runtime Environment not valid."},
    {0x3, "Java Virtual Machine initialize failed."},
    {0x4, "Java Virtual Machine starts failed."},
    {0x5, "Can not get the virtual machine version."},
    {0x6, "Java virtual machine version %s is too low, require %s or higher."},
    {0x7, "The main startup class could not be found."},
    {0x8, "The main startup class is not valid, main method missing."},
    {0xa, "Error"},
    {0x111, "Service '%s' installed successfully."},
    {0x112, "Service '%s' install failed, "},
    {0x113, "Service '%s' uninstalled successfully."},
    {0x114, "Service '%s' uninstall failed, "},
    {0x115, "the requested access was denied."},
    {0x116, "the service name already exists."},
    {0x117, "service is marked for delete at next startup."},
    {0x118, "the service already exists."},
    {0x119, "error occurs."},
    {0x11a, "service does not exist."},
    {0x400, "Service type application.\n\nUse /install to install service."},
    {0, ""},
};

namespace {

const int kMaxTableEntries = 100;

// The message number before the first '=' of an override, or 0 when it is not a number
// from 1 to INT_MAX (numbers that do not fit 32 bits would otherwise wrap onto small ones).
int ParseOverrideNumber(const char* text)
{
    long long number = strtoll(text, nullptr, 10);
    if (number < 1 || number > INT_MAX)
        return 0;
    return static_cast<int>(number);
}

// Collects the `message` settings into (number, text index) pairs ended by (0, 0).
void BuildOverrideCache(CBufferT<unsigned int>& ids, MyCStringArray& texts)
{
    MyCStringArray values;
    (void)pldr->QuerySetting("message", CSettingsLoader::EnumCommonCallback, &values);
    for (int i = 0; i < values.GetSize(); ++i) {
        char* value = values.GetAt(i);
        char* equals = strchr(value, '=');
        if (!equals)
            continue;
        *equals = 0;
        int number = ParseOverrideNumber(value);
        if (number == 0)
            continue;
        unsigned int pair[2] = {static_cast<unsigned int>(number), static_cast<unsigned int>(texts.GetSize())};
        ids.Append(pair, 2);
        texts.Add(UnescapeMessageText(equals + 1).c_str());
    }
    const unsigned int end[2] = {0, 0};
    ids.Append(end, 2);
}

}  // namespace

MyCString GetMessageText(unsigned int id)
{
    // Built once per process, also when there is no override at all.
    static MyCStringArray texts;
    static CBufferT<unsigned int> ids;
    if (ids.GetLength() == 0)
        BuildOverrideCache(ids, texts);

    for (int i = 0; i + 1 < ids.GetLength(); i += 2) {
        unsigned int index = ids.m_pData[i + 1];
        if (ids.m_pData[i] == id && index < static_cast<unsigned int>(texts.GetSize()))
            return MyCString(texts.GetAt(static_cast<int>(index)));
    }
    for (int i = 0; i < kMaxTableEntries && msgTable[i].id != 0; ++i) {
        if (msgTable[i].id == id)
            return MyCString(msgTable[i].text);
    }
    MyCString number;
    number.Format("%u", id);
    return number;
}

MyCString UnescapeMessageText(const char* text)
{
    MyCString result;
    for (const char* p = text; *p; ++p) {
        char c = *p;
        if (c == '\\') {
            ++p;
            if (!*p)
                break;
            c = *p == 'r' ? '\r' : *p == 'n' ? '\n' : *p == 't' ? '\t' : *p;
        }
        result.Append(&c, 1);
    }
    return result;
}
