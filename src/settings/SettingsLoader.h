// The settings store: the whole configuration of one run as one UTF-8 text (external
// settings, CR LF, embedded settings), answered line by line on every lookup.
//
// The layout (virtual table of CStringBufT<char>, then the members below in this order)
// is read by native code in the process through pldr: do not add virtual operations or
// reorder members.
#pragma once

#include "text/Buffer.h"

class CSettingsLoader : public CStringBufT<char> {
public:
    // Called once for every matching line: context as given, value NUL-terminated.
    using EnumCallback = void (*)(void* context, const char* value);

    // Empty store; with load true, reads the executable's tail and external file (Load).
    explicit CSettingsLoader(bool load);
    ~CSettingsLoader() override;
    CSettingsLoader(const CSettingsLoader&) = delete;
    CSettingsLoader& operator=(const CSettingsLoader&) = delete;

    // Without callback: the value of the first line of key, or "" when none matches.
    // With callback: calls it for every matching line in text order and returns "".
    // embeddedOnly hides the external lines; native converts non-ASCII values from UTF-8
    // to the locale's encoding.
    [[nodiscard]] MyCString QuerySetting(const char* key, EnumCallback callback = nullptr,
                                         void* context = nullptr, bool embeddedOnly = false,
                                         bool native = true) const;

    // Context: a MyCStringArray. Adds the value expanded without conversion.
    static void EnumCommonCallback(void* context, const char* value);
    // Context: a MyCStringArray. Adds the value expanded with substitutions in UTF-8.
    static void EnumCommonCallbackUtf8(void* context, const char* value);
    // Context: a MyCString. Appends ":" + resolved path for every non-empty ':'-piece.
    static void EnumClassPathCallback(void* context, const char* value);

    // The expanded `vm` setting, "-" when absent; looked up once, then cached.
    [[nodiscard]] MyCString GetVmSetting();
    // The built-in variable's value (APPLICATION_HOME, PWD, PLM_APP_PATH, HOME; any letter
    // case), or null when name is not built in. Valid while the store lives.
    [[nodiscard]] const char* GetBuiltinVariable(const char* name) const;
    // path unchanged when absolute; else application home + path if readable, else working
    // directory + path if readable, else application home + path.
    [[nodiscard]] MyCString ResolvePath(const CBufferRefT<char>& path) const;
    // Re-reads the working directory into m_strWorkDir (ending in a separator).
    void RefreshWorkingDirectory();

    // Loading steps, run by the constructor in this order.
    void Load();
    void LocateSettingsBlock();
    void ReadExternalSettings();
    void ReadEmbeddedSettings();
    // Recognises the encoding of raw settings bytes (UTF-8 BOM, UTF-16 LE/BE BOM, else the
    // locale's) and appends their UTF-8 form to the text.
    void AppendDecodedText(const CBufferRefT<char>& bytes);

    // Fills the store from texts as Load would from an external file and an embedded block
    // (the disableexternal rule included). For tests and tools that have no generated executable.
    void LoadFromText(const char* externalText, const char* embeddedText);

    int m_nEmbeddedStart = 0;     // index of the embedded text; 0 without external text
    MyCString m_strExePath;        // the executable's absolute path
    MyCString m_strAppHome;        // its directory, ending in its separator
    MyCString m_strWorkDir;        // the working directory, ending in "/" (empty if unreadable)
    MyCString m_strVm;             // cache of GetVmSetting
    int m_nTailOffset = 0;         // just past the block length field; 0 when the tail is not valid
};

// The one settings store of the process, published by main; null before and after the run.
extern CSettingsLoader* pldr;
