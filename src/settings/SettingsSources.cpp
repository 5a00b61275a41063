// Loading the store: the external settings file beside the executable, CR LF, then the
// settings block embedded in the executable's tail:
//
//   launcher image | block (N bytes) | N (4 bytes LE) | 16 reserved | archive (Z bytes) | remark
//
// Every position derived from the tail is checked against the file before it is read; an
// executable without a valid tail contributes no embedded settings.
#include "settings/SettingsLoader.h"

#include "settings/AppPaths.h"
#include "settings/MappedFile.h"
#include "settings/SettingsTail.h"
#include "settings/ZipRemark.h"
#include "settings/ZipSizeSlot.h"
#include "sys/Files.h"
#include "sys/Trace.h"
#include "text/UnicodeStrings.h"

#include <climits>

namespace {

const long long kReservedSize = 16;
const long long kEndRecordSize = 22;

int32_t ReadLittleEndian32(const unsigned char* bytes)
{
    return static_cast<int32_t>(static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                                static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24);
}

bool HasSignature(const CMappedFile& image, long long offset, unsigned char third, unsigned char fourth)
{
    const unsigned char* bytes = image.BytesAt(offset, 4);
    return bytes && bytes[0] == 0x50 && bytes[1] == 0x4B && bytes[2] == third && bytes[3] == fourth;
}

// The tail offset holds when the archive it implies starts with a local header (or, when
// empty, with its end record) and ends with its end record, and the block length field
// before it gives a block that fits before the field, all inside the file.
bool IsValidTail(const CMappedFile& image, long long tailOffset, long long archiveSize)
{
    if (tailOffset < 4 || tailOffset > INT_MAX || archiveSize < kEndRecordSize)
        return false;
    long long archive = tailOffset + kReservedSize;
    bool startsArchive = HasSignature(image, archive, 0x03, 0x04) || HasSignature(image, archive, 0x05, 0x06);
    if (!startsArchive || !HasSignature(image, archive + archiveSize - kEndRecordSize, 0x05, 0x06))
        return false;
    long long blockSize = ReadLittleEndian32(image.BytesAt(tailOffset - 4, 4));
    return image.BytesAt(tailOffset - 4 - blockSize, blockSize) != nullptr;
}

bool StartsWith(const CBufferRefT<char>& bytes, const char* mark, int markLength)
{
    return bytes.GetLength() >= markLength && memcmp(bytes.GetData(), mark, static_cast<size_t>(markLength)) == 0;
}

// The 16-bit units after a byte-order mark, up to the first zero unit.
UnicodeString DecodeUtf16(const CBufferRefT<char>& bytes, bool bigEndian)
{
    const unsigned char* data = reinterpret_cast<const unsigned char*>(bytes.GetData()) + 2;
    int count = (bytes.GetLength() - 2) / 2;
    CBufferT<unsigned short> units;
    units.SetLength(count);
    for (int i = 0; i < count; ++i) {
        unsigned int first = data[2 * i];
        unsigned int second = data[2 * i + 1];
        units.GetData()[i] = static_cast<unsigned short>(bigEndian ? first << 8 | second : second << 8 | first);
    }
    return UnicodeString(units.GetData(), count);
}

// Bytes in the locale's encoding, up to the first NUL.
UnicodeString DecodeNative(const CBufferRefT<char>& bytes)
{
    const void* nul = memchr(bytes.GetData(), 0, static_cast<size_t>(bytes.GetLength()));
    int length = nul ? static_cast<int>(static_cast<const char*>(nul) - bytes.GetData()) : bytes.GetLength();
    MyCString text(bytes.GetData(), length);
    return UnicodeString(text.c_str(), length);
}

// The whole file, or false when it cannot be opened. A read error ends the content early.
bool ReadWholeFile(const char* path, MyCString& content)
{
    SysHandle* file = OpenReadOnly(path);
    if (file == INVALID_SYS_HANDLE)
        return false;
    long long size = GetHandleFileSize64(file);
    if (size > INT_MAX / 2)
        size = INT_MAX / 2;  // beyond what a string holds
    content.SetLength(0);
    char chunk[65536];
    while (content.GetLength() < size) {
        long long wanted = size - content.GetLength();
        long got = 0;
        ReadHandle(file, chunk, static_cast<size_t>(wanted < 65536 ? wanted : 65536), &got);
        if (got <= 0)
            break;
        content.Append(chunk, static_cast<int>(got));
    }
    CloseSysHandle(file);
    return true;
}

// Where ".cfg" replaces the extension: the last '.' of the file name, else the path's end.
int ExtensionPosition(const MyCString& path)
{
    const char* text = path.c_str();
    const char* dot = strrchr(text, '.');
    const char* slash = strrchr(text, '/');
    if (dot && (!slash || slash < dot))
        return static_cast<int>(dot - text);
    return path.GetLength();
}

void StartEmbeddedText(CSettingsLoader& store)
{
    if (store.GetLength() > 0)
        store.Append("\r\n", 2);
    store.m_nEmbeddedStart = store.GetLength();
}

// An embedded "disableexternal true" (any letter case) drops the external text.
void ApplyDisableExternalRule(CSettingsLoader& store)
{
    MyCString value = store.QuerySetting("disableexternal", nullptr, nullptr, true, true);
    if (value.CompareNoCase(CStringRefT<char>("true")) != 0)
        return;
    int removed = store.m_nEmbeddedStart < store.GetLength() ? store.m_nEmbeddedStart : store.GetLength();
    MyCString rest(store.GetData() + removed, store.GetLength() - removed);
    store.SetLength(0);
    store.Append(rest.GetData(), rest.GetLength());
    store.m_nEmbeddedStart = 0;
}

}  // namespace

void CSettingsLoader::Load()
{
    LocateSettingsBlock();
    RefreshWorkingDirectory();
    m_strExePath = ExecutablePath();
    m_strAppHome = DirectoryOf(m_strExePath);
    ReadExternalSettings();
    StartEmbeddedText(*this);
    ReadEmbeddedSettings();
    ApplyDisableExternalRule(*this);
}

void CSettingsLoader::LoadFromText(const char* externalText, const char* embeddedText)
{
    SetLength(0);
    Append(externalText, static_cast<int>(strlen(externalText)));
    StartEmbeddedText(*this);
    Append(embeddedText, static_cast<int>(strlen(embeddedText)));
    ApplyDisableExternalRule(*this);
}

long long LocateTail(const CMappedFile& image, long long archiveSize)
{
    long long remarkSize = CZipRemark(image).GetLength();
    long long tailOffset = image.GetSize() - archiveSize - remarkSize - kReservedSize;
    return IsValidTail(image, tailOffset, archiveSize) ? tailOffset : 0;
}

bool ReadEmbeddedBlock(const CMappedFile& image, long long tailOffset, MyCString& text)
{
    const unsigned char* lengthField = image.BytesAt(tailOffset - 4, 4);
    if (!lengthField)
        return false;
    long long blockSize = ReadLittleEndian32(lengthField);
    const unsigned char* block = image.BytesAt(tailOffset - 4 - blockSize, blockSize);
    if (!block)
        return false;
    // A C string copy: what follows the block's first NUL reads as NUL bytes.
    const char* bytes = reinterpret_cast<const char*>(block);
    text.SetLength(static_cast<int>(blockSize));
    memset(text.GetData(), 0, static_cast<size_t>(blockSize));
    memcpy(text.GetData(), bytes, strnlen(bytes, static_cast<size_t>(blockSize)));
    return true;
}

void CSettingsLoader::LocateSettingsBlock()
{
    CMappedFile image(ExecutablePath().c_str());
    long long archiveSize = ReadZipSizeSlot();
    m_nTailOffset = static_cast<int>(LocateTail(image, archiveSize));
    if (m_nTailOffset == 0)
        Trace("embedded settings: none (no valid tail for an archive of %lld bytes in a file of %lld bytes)",
              archiveSize, image.GetSize());
}

void CSettingsLoader::ReadExternalSettings()
{
    const MyCString& path = m_strExePath;
    if (path.IsEmpty())
        return;  // no executable path: no name beside it to try
    const int ends[] = {path.GetLength(), path.GetLength(), ExtensionPosition(path), ExtensionPosition(path)};
    const char* const suffixes[] = {".cfg", ".config", ".cfg", ".config"};
    for (int i = 0; i < 4; ++i) {
        MyCString name(path.c_str(), ends[i]);
        name.Append(suffixes[i], static_cast<int>(strlen(suffixes[i])));
        MyCString content;
        if (!IsReadable(name.c_str()) || !ReadWholeFile(name.c_str(), content)) {
            Trace("settings file %s: not readable", name.c_str());
            continue;
        }
        Trace("settings file %s: used (%d bytes)", name.c_str(), content.GetLength());
        AppendDecodedText(content);
        return;
    }
}

void CSettingsLoader::ReadEmbeddedSettings()
{
    if (m_nTailOffset == 0)
        return;
    CMappedFile image(m_strExePath.c_str());
    MyCString text;
    if (!ReadEmbeddedBlock(image, m_nTailOffset, text)) {
        Trace("embedded settings: none (the block does not fit before offset %d)", m_nTailOffset);
        return;
    }
    Trace("embedded settings: %d bytes before offset %d", text.GetLength(), m_nTailOffset);
    AppendDecodedText(text);
}

void CSettingsLoader::AppendDecodedText(const CBufferRefT<char>& bytes)
{
    if (StartsWith(bytes, "\xEF\xBB\xBF", 3)) {
        Append(bytes.GetData() + 3, bytes.GetLength() - 3);
        return;
    }
    UnicodeString wide;
    if (StartsWith(bytes, "\xFF\xFE", 2))
        wide = DecodeUtf16(bytes, false);
    else if (StartsWith(bytes, "\xFE\xFF", 2))
        wide = DecodeUtf16(bytes, true);
    else
        wide = DecodeNative(bytes);
    Utf8String utf8(wide.GetData());
    Append(utf8.GetData(), utf8.GetLength());
}
