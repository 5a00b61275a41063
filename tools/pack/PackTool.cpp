// launcher-pack: makes a generated executable from the launcher, an application's jar and
// its settings text. The output is, in order:
//
//   launcher image, its archive size slot patched | EF BB BF, settings, NUL (N bytes)
//   | N (4 bytes little-endian) | 16 zero bytes | archive up to its end record | archive comment
//
// Every input is read whole before anything is written, and the output appears only by the
// final rename, so a failure never leaves a partial file behind.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kUsage[] =
    "Usage: launcher-pack --jar APP.jar --settings SETTINGS.txt --output OUT\n"
    "                     [--launcher LAUNCHER] [--comment TEXT]\n"
    "\n"
    "Makes the executable OUT from the launcher program, the application's jar and its\n"
    "settings, in the layout the launcher reads at start-up.\n"
    "\n"
    "  --jar APP.jar          the application's archive; its classes are run from OUT\n"
    "  --settings FILE        the settings text, UTF-8 (a leading byte-order mark is dropped)\n"
    "  --output OUT           the executable to write (mode 0755); replaced if it exists\n"
    "  --launcher LAUNCHER    the launcher program to copy; by default the \"launcher\"\n"
    "                         beside this tool\n"
    "  --comment TEXT         the archive comment to store instead of the jar's own\n"
    "  --help                 show this text\n"
    "\n"
    "Exit status: 0 when OUT was written, 1 when an input was refused, 2 for a wrong command line.\n";

// The launcher's archive size slot is the 8 bytes before this marker.
constexpr char kSlotMarker[] = "ZIPSIZE";           // with its NUL, 8 bytes
constexpr size_t kSlotMarkerLength = sizeof kSlotMarker;
constexpr size_t kSlotLength = 8;

constexpr char kEndRecordSignature[] = "PK\x05\x06";
constexpr size_t kEndRecordLength = 22;
constexpr size_t kMaxCommentLength = 65535;
constexpr size_t kReservedLength = 16;
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
// The launcher reads every position in its file as a signed 32-bit number.
constexpr uint64_t kMaxOutputLength = 0x7FFFFFFF;

constexpr int kInputRefused = 1;
constexpr int kWrongCommandLine = 2;

struct Options {
    std::string jar;
    std::string settings;
    std::string output;
    std::string launcher;
    std::string comment;
    bool hasComment = false;
    bool help = false;
};

void Report(const std::string& message) {
    std::fprintf(stderr, "launcher-pack: %s\n", message.c_str());
}

std::string ErrnoText() {
    return std::strerror(errno);
}

// The value of each option; nullopt (reported) on an unknown option or a missing value or input.
std::optional<Options> ParseCommandLine(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        if (name == "--help") {
            options.help = true;
            return options;
        }
        std::string* value = name == "--jar"        ? &options.jar
                             : name == "--settings" ? &options.settings
                             : name == "--output"   ? &options.output
                             : name == "--launcher" ? &options.launcher
                             : name == "--comment"  ? &options.comment
                                                    : nullptr;
        if (value == nullptr) {
            Report("unknown argument '" + name + "' (see --help)");
            return std::nullopt;
        }
        if (i + 1 == argc) {
            Report(name + " needs a value (see --help)");
            return std::nullopt;
        }
        *value = argv[++i];
        options.hasComment = options.hasComment || name == "--comment";
    }
    for (const auto& [given, name] : {std::pair{&options.jar, "--jar"}, std::pair{&options.settings, "--settings"},
                                      std::pair{&options.output, "--output"}}) {
        if (given->empty()) {
            Report(std::string(name) + " is required (see --help)");
            return std::nullopt;
        }
    }
    return options;
}

// The "launcher" in this tool's own directory; nullopt (reported) when that cannot be told.
std::optional<std::string> DefaultLauncherPath() {
    char path[4096];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) {
        Report("cannot find this tool's own path: " + ErrnoText() + "; give --launcher");
        return std::nullopt;
    }
    std::string self(path, static_cast<size_t>(length));
    return self.substr(0, self.rfind('/') + 1) + "launcher";
}

// The whole file; nullopt (reported, naming the input by its role) when it cannot be read.
std::optional<std::string> ReadInput(const std::string& path, const char* role) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        Report(std::string("cannot read the ") + role + " '" + path + "': " + ErrnoText());
        return std::nullopt;
    }
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        Report(std::string("cannot read the ") + role + " '" + path + "': not a regular file");
        close(fd);
        return std::nullopt;
    }
    std::string bytes;
    char buffer[65536];
    ssize_t n = 0;
    while ((n = read(fd, buffer, sizeof buffer)) != 0) {
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            Report(std::string("cannot read the ") + role + " '" + path + "': " + ErrnoText());
            close(fd);
            return std::nullopt;
        }
        bytes.append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    return bytes;
}

uint32_t ReadLittleEndian(const std::string& bytes, size_t at, size_t width) {
    uint32_t value = 0;
    for (size_t i = width; i > 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i - 1]);
    }
    return value;
}

void WriteLittleEndian(std::string& bytes, size_t at, size_t width, uint64_t value) {
    for (size_t i = 0; i < width; ++i) {
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

// The offset of the first byte that breaks UTF-8 (overlong forms, surrogates and values
// above U+10FFFF included), or npos when the text is valid.
size_t FindInvalidUtf8(const std::string& text) {
    size_t i = 0;
    while (i < text.size()) {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                                      : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
        if (length == 0 || text.size() - i < length) {
            return i;
        }
        uint32_t codePoint = length == 1 ? lead : lead & (0x7F >> length);
        for (size_t k = 1; k < length; ++k) {
            unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return i;
            }
            codePoint = (codePoint << 6) | (next & 0x3F);
        }
        const uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (codePoint < kSmallest[length] || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
            return i;
        }
        i += length;
    }
    return std::string::npos;
}

// The settings block: mark, text, NUL. nullopt (reported) for text the launcher would misread.
std::optional<std::string> MakeSettingsBlock(std::string text, const std::string& path) {
    if (text.compare(0, 3, kByteOrderMark) == 0) {
        text.erase(0, 3);
    }
    size_t invalid = FindInvalidUtf8(text);
    if (invalid != std::string::npos) {
        Report("the settings file '" + path + "' is not valid UTF-8 (byte " + std::to_string(invalid) + ")");
        return std::nullopt;
    }
    // The launcher's copy of the block stops at the first NUL: whatever followed would be lost.
    size_t nul = text.find('\0');
    if (nul != std::string::npos) {
        Report("the settings file '" + path + "' holds a NUL byte (byte " + std::to_string(nul) + ")");
        return std::nullopt;
    }
    return kByteOrderMark + text + '\0';
}

// The offset of the jar's end-of-central-directory record: the last one whose comment runs
// exactly to the end of the file and whose central directory lies before it.
std::optional<size_t> FindEndRecord(const std::string& jar, const std::string& path) {
    if (jar.size() >= kEndRecordLength) {
        size_t last = jar.size() - kEndRecordLength;
        size_t first = last > kMaxCommentLength ? last - kMaxCommentLength : 0;
        for (size_t at = last + 1; at-- > first;) {
            if (jar.compare(at, 4, kEndRecordSignature) != 0 || ReadLittleEndian(jar, at + 20, 2) != last - at) {
                continue;
            }
            uint64_t directoryEnd = uint64_t{ReadLittleEndian(jar, at + 16, 4)} + ReadLittleEndian(jar, at + 12, 4);
            if (directoryEnd <= at) {
                return at;
            }
        }
    }
    Report("the jar '" + path + "' is not a ZIP archive (no end-of-central-directory record)");
    return std::nullopt;
}

// The offset of the launcher's archive size slot; nullopt (reported) unless its marker occurs
// exactly once, with room for the slot before it.
std::optional<size_t> FindSizeSlot(const std::string& launcher, const std::string& path) {
    const std::string marker(kSlotMarker, kSlotMarkerLength);
    size_t found = launcher.find(marker);
    if (found == std::string::npos || found < kSlotLength) {
        Report("the launcher '" + path + "' has no archive size slot (marker ZIPSIZE not found)");
        return std::nullopt;
    }
    if (launcher.find(marker, found + 1) != std::string::npos) {
        Report("the launcher '" + path + "' has the marker ZIPSIZE more than once");
        return std::nullopt;
    }
    return found - kSlotLength;
}

// The archive as stored: up to and including its end record's fixed part, then the comment
// (the jar's own unless one is given, in which case the record's comment length follows it).
std::optional<std::string> MakeArchive(const std::string& jar, size_t endRecord, const Options& options) {
    size_t archiveEnd = endRecord + kEndRecordLength;
    if (!options.hasComment) {
        return jar;
    }
    if (options.comment.size() > kMaxCommentLength) {
        Report("the comment is longer than " + std::to_string(kMaxCommentLength) + " bytes");
        return std::nullopt;
    }
    std::string archive = jar.substr(0, archiveEnd) + options.comment;
    WriteLittleEndian(archive, endRecord + 20, 2, options.comment.size());
    return archive;
}

std::string AssembleOutput(std::string launcher, size_t slot, const std::string& block, size_t archiveLength,
                           const std::string& archive) {
    WriteLittleEndian(launcher, slot, kSlotLength, archiveLength & 0xFFFFFFFF);
    std::string length(4, '\0');
    WriteLittleEndian(length, 0, 4, block.size());
    return launcher + block + length + std::string(kReservedLength, '\0') + archive;
}

bool WriteAll(int fd, const std::string& bytes) {
    size_t written = 0;
    while (written < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        written += static_cast<size_t>(n);
    }
    return true;
}

// Writes a temporary file beside the output and renames it into place; false (reported) on failure.
bool WriteOutput(const std::string& path, const std::string& bytes) {
    std::string temporary = path + ".XXXXXX";
    int fd = mkstemp(temporary.data());
    if (fd < 0) {
        Report("cannot create '" + path + "': " + ErrnoText());
        return false;
    }
    bool written = WriteAll(fd, bytes) && fchmod(fd, 0755) == 0;
    written = close(fd) == 0 && written;
    if (!written || rename(temporary.c_str(), path.c_str()) != 0) {
        Report("cannot write '" + path + "': " + ErrnoText());
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

int Pack(Options options) {
    if (options.launcher.empty()) {
        std::optional<std::string> launcherPath = DefaultLauncherPath();
        if (!launcherPath) {
            return kInputRefused;
        }
        options.launcher = *launcherPath;
    }
    std::optional<std::string> launcher = ReadInput(options.launcher, "launcher");
    if (!launcher) {
        return kInputRefused;
    }
    std::optional<std::string> jar = ReadInput(options.jar, "jar");
    if (!jar) {
        return kInputRefused;
    }
    std::optional<std::string> settings = ReadInput(options.settings, "settings file");
    if (!settings) {
        return kInputRefused;
    }
    std::optional<size_t> slot = FindSizeSlot(*launcher, options.launcher);
    if (!slot) {
        return kInputRefused;
    }
    std::optional<size_t> endRecord = FindEndRecord(*jar, options.jar);
    if (!endRecord) {
        return kInputRefused;
    }
    std::optional<std::string> block = MakeSettingsBlock(*settings, options.settings);
    if (!block) {
        return kInputRefused;
    }
    std::optional<std::string> archive = MakeArchive(*jar, *endRecord, options);
    if (!archive) {
        return kInputRefused;
    }
    std::string output = AssembleOutput(*launcher, *slot, *block, *endRecord + kEndRecordLength, *archive);
    if (output.size() > kMaxOutputLength) {
        Report("the output would be larger than " + std::to_string(kMaxOutputLength) + " bytes");
        return kInputRefused;
    }
    return WriteOutput(options.output, output) ? 0 : kInputRefused;
}

}  // namespace

int main(int argc, char** argv) {
    std::optional<Options> options = ParseCommandLine(argc, argv);
    if (!options) {
        return kWrongCommandLine;
    }
    if (options->help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    return Pack(*options);
}
