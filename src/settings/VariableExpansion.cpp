#include "settings/VariableExpansion.h"

#include "settings/SettingsLoader.h"
#include "text/UnicodeStrings.h"

#include <cctype>
#include <cstdlib>
#include <strings.h>

namespace {

// What a marker at some position starts: where scanning goes on, and the replacement when
// the reference resolved.
struct Reference {
    int end = 0;
    bool resolved = false;
    MyCString replacement;
};

const char* LookUpVariable(const char* name)
{
    const char* value = getenv(name);
    if (!value && pldr)
        value = pldr->GetBuiltinVariable(name);
    return value;
}

MyCString Substitution(const char* value, bool toUtf8)
{
    if (toUtf8 && HasNonAscii(value, static_cast<int>(strlen(value))))
        return Utf8FromNative(value);
    return MyCString(value);
}

Reference ReadReference(const char* text, int length, int marker, bool toUtf8)
{
    Reference reference;
    int end = marker + 1;
    while (end < length && IsNameByte(text[end]))
        ++end;
    if (end == marker + 1) {
        bool doubled = end < length && text[end] == text[marker];
        reference.end = doubled ? marker + 2 : marker + 1;
        reference.resolved = doubled;
        reference.replacement = MyCString(text + marker, doubled ? 1 : 0);
        return reference;
    }
    MyCString name(text + marker + 1, end - marker - 1);
    if (text[marker] == '%') {
        if (end >= length || text[end] != '%') {
            reference.end = end;  // no closing '%': not a reference
            return reference;
        }
        ++end;
    }
    reference.end = end;
    const char* value = LookUpVariable(name.c_str());
    if (value) {
        reference.resolved = true;
        reference.replacement = Substitution(value, toUtf8);
    }
    return reference;
}

// The built-in HOME: HOMEDRIVE + HOMEPATH once both are set; read again while still empty.
const char* HomeVariable()
{
    static MyCString home;
    if (home.IsEmpty()) {
        const char* drive = getenv("HOMEDRIVE");
        const char* path = getenv("HOMEPATH");
        if (drive && path) {
            home = MyCString(drive);
            home.Append(path, static_cast<int>(strlen(path)));
        }
    }
    return home.c_str();
}

}  // namespace

bool IsNameByte(char c)
{
    return isalnum(static_cast<unsigned char>(c)) || c == '_';
}

MyCString ExpandVariables(const MyCString& value, bool toUtf8)
{
    const char* text = value.c_str();
    int length = value.GetLength();
    MyCString result;
    int copied = 0;
    int position = 0;
    while (position < length) {
        int marker = position;
        while (marker < length && text[marker] != '%' && text[marker] != '$')
            ++marker;
        if (marker == length)
            break;
        Reference reference = ReadReference(text, length, marker, toUtf8);
        if (reference.resolved) {
            result.Append(text + copied, marker - copied);
            result.Append(reference.replacement.c_str(), reference.replacement.GetLength());
            copied = reference.end;
        }
        position = reference.end;
    }
    result.Append(text + copied, length - copied);
    return result;
}

const char* CSettingsLoader::GetBuiltinVariable(const char* name) const
{
    if (strcasecmp(name, "APPLICATION_HOME") == 0)
        return m_strAppHome.c_str();
    if (strcasecmp(name, "PWD") == 0)
        return m_strWorkDir.c_str();
    if (strcasecmp(name, "PLM_APP_PATH") == 0)
        return m_strExePath.c_str();
    if (strcasecmp(name, "HOME") == 0)
        return HomeVariable();
    return nullptr;
}
