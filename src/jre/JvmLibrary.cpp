#include "jre/JvmLibrary.h"

#include "jre/PathText.h"
#include "sys/DirectoryListing.h"
#include "sys/Files.h"
#include "sys/Trace.h"

#include <cstring>
#include <elf.h>

namespace {

const char kLibraryName[] = "libjvm.so";
const char kLibraryBelow[] = "/libjvm.so";

// Probed in this order below the home: a runtime, a kit with an embedded runtime, and the
// 'bin' directory of either; the last two hold today's runtimes ('lib/server/').
const char* const kSubdirectories[] = {
    "",
    LAUNCHER_CPU_DIR "/",
    "lib/" LAUNCHER_CPU_DIR "/",
    "jre/lib/" LAUNCHER_CPU_DIR "/",
    "../lib/" LAUNCHER_CPU_DIR "/",
    "../jre/lib/" LAUNCHER_CPU_DIR "/",
    "lib/",
    "../lib/",
};

#if defined(__x86_64__)
constexpr unsigned char kOwnElfClass = ELFCLASS64;
constexpr unsigned kOwnMachine = EM_X86_64;
#elif defined(__i386__)
constexpr unsigned char kOwnElfClass = ELFCLASS32;
constexpr unsigned kOwnMachine = EM_386;
#else
#error "The launcher is built for x86-64 and i386 only."
#endif

// EI_CLASS, EI_DATA and e_machine all lie in the first 20 bytes of every ELF header.
constexpr size_t kElfHeaderPrefix = 20;
constexpr size_t kMachineOffset = 18;

// Fills header with the file's first bytes; false when the file is shorter or unreadable.
bool ReadHeaderPrefix(const char* path, unsigned char (&header)[kElfHeaderPrefix])
{
    SysHandle* file = OpenReadOnly(path);
    if (file == INVALID_SYS_HANDLE)
        return false;
    size_t filled = 0;
    while (filled < kElfHeaderPrefix) {
        long count = 0;
        ReadHandle(file, header + filled, kElfHeaderPrefix - filled, &count);
        if (count <= 0)
            break;
        filled += static_cast<size_t>(count);
    }
    CloseSysHandle(file);
    return filled == kElfHeaderPrefix;
}

// True only for an ELF file of another class or processor than this build: such a library
// cannot be loaded into this process. Anything else is left for the loader to judge.
bool IsForeignElf(const char* path)
{
    unsigned char header[kElfHeaderPrefix];
    if (!ReadHeaderPrefix(path, header) || memcmp(header, ELFMAG, SELFMAG) != 0)
        return false;
    unsigned low = header[kMachineOffset];
    unsigned high = header[kMachineOffset + 1];
    unsigned machine = header[EI_DATA] == ELFDATA2MSB ? (low << 8 | high) : (high << 8 | low);
    return header[EI_CLASS] != kOwnElfClass || machine != kOwnMachine;
}

bool IsCandidate(const MyCString& path)
{
    // Anything but a regular file would only fail in the loader, or block it (a named pipe).
    if (!IsReadable(path.c_str()) || !IsRegularFile(path.c_str()))
        return false;
    if (IsForeignElf(path.c_str())) {
        Trace("probe %s: skipped, built for another processor", path.c_str());
        return false;
    }
    return true;
}

// dir + name + "/libjvm.so" when that is a candidate, else "".
MyCString LibraryIn(const MyCString& dir, const char* name)
{
    MyCString path = Concatenate(dir.c_str(), name, kLibraryBelow);
    return IsCandidate(path) ? path : MyCString();
}

// The first listed subdirectory of dir that holds a candidate library; the listing is not sorted.
MyCString ScanVmDirectories(const MyCString& dir)
{
    FindData entry;
    FindHandle listing = FindFirst(Concatenate(dir.c_str(), "*.*").c_str(), &entry);
    if (listing == kInvalidFindHandle)
        return MyCString();
    MyCString found;
    do {
        if (IsSubdirectoryEntry(entry))
            found = LibraryIn(dir, entry.name);
    } while (found.IsEmpty() && FindNext(listing, &entry) == 0);
    FindClose(listing);
    return found;
}

// The library directly in dir, else in its vm directory, else in any listed subdirectory.
MyCString ProbeDirectory(const MyCString& dir, const MyCString& vm)
{
    MyCString direct = Concatenate(dir.c_str(), kLibraryName);
    if (IsCandidate(direct))
        return direct;
    // "-" and one-letter values name no VM.
    if (vm.GetLength() >= 2) {
        MyCString chosen = LibraryIn(dir, vm.c_str());
        if (!chosen.IsEmpty())
            return chosen;
    }
    return ScanVmDirectories(dir);
}

}  // namespace

MyCString FindJvmLibrary(CSettingsLoader& store, const char* home)
{
    MyCString base = WithTrailingSeparator(home);
    MyCString vm = store.GetVmSetting();
    for (const char* subdirectory : kSubdirectories) {
        MyCString dir = Concatenate(base.c_str(), subdirectory);
        MyCString found = ProbeDirectory(dir, vm);
        Trace("probe %s: %s", dir.c_str(), found.IsEmpty() ? "no libjvm.so" : found.c_str());
        if (!found.IsEmpty())
            return found;
    }
    return MyCString();
}
