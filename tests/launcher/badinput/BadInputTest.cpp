// Damaged generated executables run as a user would run them: cut at the boundaries of the
// tail and at random places, with bytes flipped, with huge or malformed settings blocks, and
// with malformed settings files beside them. The launcher must end by itself with one of its
// own statuses and without a sanitizer report. Where the settings survive, the stub JVM
// library they name is found and refuses to start (status 4): that shows they were read.
//
// No real runtime is reachable: PATH holds no java, JAVA_HOME and JRE_HOME are unset and the
// working directory has no jre/, so a launch without the settings ends with status 1.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <random>
#include <utility>

#include <sys/stat.h>

using namespace testsupport;

namespace {

const char* const kJar = BADINPUT_JAR;
const char* const kStubJvm = BADINPUT_STUB_JVM;
const char* const kValgrind = BADINPUT_VALGRIND;
const char* const kValgrindSkip = BADINPUT_VALGRIND_SKIP;

const int kNoRuntime = 1;       // "Java Runtime Environment not found."
const int kLibraryInvalid = 2;  // "Java Runtime Environment not valid."
const int kJvmRefused = 4;      // "Java Virtual Machine starts failed.": the stub was found
const int kAnyStatus = -1;      // any of the launcher's own statuses
const int kDefinedStatuses[] = {0, 1, 2, 4, 5, 6, 7, 8, 12};

const char* const kUtf8 = "C.UTF-8";
const char* const kPlain = "C";
const char* const kRemark = "remark of the archive";
const size_t kMiB = 1 << 20;

// ---- Settings text and its encodings ----

std::string GoodSettings(const std::string& more = "")
{
    return "jre_order c\njvmdll " + std::string(kStubJvm) + "\nmainclass Hello\n" + more;
}

// The block as the pack tool writes it: byte-order mark, text, NUL.
std::string Utf8Block(const std::string& text)
{
    return "\xEF\xBB\xBF" + text + std::string(1, '\0');
}

std::string Unit(uint16_t unit, bool bigEndian)
{
    char high = static_cast<char>(unit >> 8);
    char low = static_cast<char>(unit & 0xFF);
    return bigEndian ? std::string{high, low} : std::string{low, high};
}

// ASCII text as UTF-16 units, without a byte-order mark.
std::string Utf16(const std::string& ascii, bool bigEndian = false)
{
    std::string bytes;
    for (char c : ascii)
        bytes += Unit(static_cast<unsigned char>(c), bigEndian);
    return bytes;
}

const char* const kUtf16LeMark = "\xFF\xFE";
const char* const kUtf16BeMark = "\xFE\xFF";

std::string Repeat(char c, size_t count)
{
    return std::string(count, c);
}

std::string ManyOptions(int count)
{
    std::string lines;
    for (int i = 0; i < count; ++i)
        lines += "option -Dp" + std::to_string(i) + "=" + std::to_string(i) + "\n";
    return lines;
}

// Good settings followed by lines of an unknown key up to 16 MiB.
std::string SixteenMebibytes()
{
    std::string text = GoodSettings();
    std::string line = "filler " + Repeat('f', 1000) + "\n";
    while (text.size() + line.size() <= 16 * kMiB - 4)
        text += line;
    return text + Repeat('g', 16 * kMiB - 4 - text.size());
}

// ---- The generated executable and its tail ----

// A generated executable and where the parts of its tail begin.
struct Tail {
    std::string bytes;
    size_t block = 0;        // the settings block, right after the launcher's image
    size_t lengthField = 0;  // N, 4 bytes
    size_t archive = 0;      // after the 16 reserved bytes
    size_t endRecord = 0;    // the archive's 22-byte end record
    size_t remark = 0;       // the archive comment, up to the end of the file
};

std::string LittleEndian32(uint32_t value)
{
    return {static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
            static_cast<char>(value >> 24)};
}

// The executable with another block (and its length) in place of the packed one.
std::string WithBlock(const Tail& tail, const std::string& block)
{
    return tail.bytes.substr(0, tail.block) + block + LittleEndian32(static_cast<uint32_t>(block.size())) +
           tail.bytes.substr(tail.lengthField + 4);
}

std::string WithLengthField(const Tail& tail, int64_t value)
{
    std::string bytes = tail.bytes;
    bytes.replace(tail.lengthField, 4, LittleEndian32(static_cast<uint32_t>(value)));
    return bytes;
}

// ---- Running it ----

struct Launch {
    explicit Launch(std::string bytes, const char* localeName = kUtf8) : executable(std::move(bytes)), locale(localeName)
    {
    }
    Launch(std::string bytes, std::string configBytes, const char* localeName = kUtf8)
        : executable(std::move(bytes)), hasConfig(true), config(std::move(configBytes)), locale(localeName)
    {
    }

    std::string executable;  // written as dir/app
    bool hasConfig = false;
    std::string config;  // written as dir/app.cfg when hasConfig
    std::string locale;
};

std::string Excerpt(const std::string& text)
{
    const size_t kShown = 2000;
    return text.size() <= kShown ? text : text.substr(0, kShown) + "...";
}

const char* MessageOf(int status)
{
    if (status == kNoRuntime)
        return "Java Runtime Environment not found.";
    if (status == kLibraryInvalid)
        return "Java Runtime Environment not valid.";
    if (status == kJvmRefused)
        return "Java Virtual Machine starts failed.";
    return "";
}

// The launcher ended by itself with one of its statuses (expected, unless kAnyStatus) and
// printed no sanitizer report.
void ExpectLauncherEnd(const ProcessResult& result, int expected)
{
    std::string err = "standard error:\n" + Excerpt(result.err);
    ASSERT_FALSE(result.timedOut) << err;
    ASSERT_EQ(result.signal, 0) << strsignal(result.signal) << "\n" << err;
    for (const char* report : {"ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:"})
        EXPECT_EQ(result.err.find(report), std::string::npos) << err;
    const int* end = std::end(kDefinedStatuses);
    EXPECT_NE(std::find(std::begin(kDefinedStatuses), end, result.status), end)
        << "status " << result.status << "\n" << err;
    if (expected == kAnyStatus)
        return;
    EXPECT_EQ(result.status, expected) << err;
    EXPECT_NE(result.err.find(MessageOf(expected)), std::string::npos) << err;
}

class BadInputTest : public ::testing::Test {
protected:
    // Packs the good settings and the remark into a generated executable.
    void SetUp() override
    {
        PackRequest request;
        request.jar = kJar;
        request.settings = GoodSettings();
        request.output = dir / "packed";
        request.comment = kRemark;
        request.hasComment = true;
        ASSERT_NO_FATAL_FAILURE(Pack(request));
        tail.bytes = ReadFile(request.output);
        tail.block = ReadFile(kLauncherPath).size();
        tail.lengthField = tail.block + Utf8Block(request.settings).size();
        tail.archive = tail.lengthField + 4 + 16;
        tail.remark = tail.bytes.size() - strlen(kRemark);
        tail.endRecord = tail.remark - 22;
        ASSERT_GT(tail.endRecord, tail.archive) << "not a generated executable of " << tail.bytes.size() << " bytes";
    }

    // Writes the executable (and its settings file) into dir and runs it there, through the
    // wrapper command when one is given.
    ProcessResult Run(const Launch& launch, std::vector<std::string> wrapper = {})
    {
        WriteFile(dir / "app", launch.executable, 0755);
        if (launch.hasConfig)
            WriteFile(dir / "app.cfg", launch.config);
        ProcessOptions options;
        options.setEnv = {"PATH=/nonexistent", "LC_ALL=" + launch.locale};
        options.unsetEnv = {"JAVA_HOME", "JRE_HOME", "CLASSPATH", "LAUNCHER_TRACE"};
        options.cwd = dir.Path();
        options.timeoutSeconds = 120;
        wrapper.push_back(dir / "app");
        return RunProcess(wrapper, options);
    }

    TempDir dir;
    Tail tail;
};

TEST_F(BadInputTest, PackedLayoutIsTheOneTheTestsCut)
{
    ASSERT_GT(tail.bytes.size(), tail.remark);
    EXPECT_EQ(tail.bytes.substr(tail.block, 3), "\xEF\xBB\xBF");
    EXPECT_EQ(tail.bytes.substr(tail.lengthField, 4),
              LittleEndian32(static_cast<uint32_t>(tail.lengthField - tail.block)));
    EXPECT_EQ(tail.bytes.substr(tail.archive, 4), "PK\x03\x04");
    EXPECT_EQ(tail.bytes.substr(tail.endRecord, 4), "PK\x05\x06");
    EXPECT_EQ(tail.bytes.substr(tail.remark), kRemark);
    ExpectLauncherEnd(Run(Launch(tail.bytes)), kJvmRefused);
}

// ---- The tail cut, its length field, the ZIP size slot and the remark ----

struct TailCase {
    const char* name;
    std::string (*bytes)(const Tail&);
    int status;
};

void PrintTo(const TailCase& c, std::ostream* os) { *os << c.name; }

std::string Cut(const Tail& t, size_t keep)
{
    return t.bytes.substr(0, keep);
}

int64_t BlockSize(const Tail& t)
{
    return static_cast<int64_t>(t.lengthField - t.block);
}

// The executable with another value in the launcher's ZIP size slot (before its marker).
std::string WithZipSize(const Tail& t, uint32_t value)
{
    const std::string marker("ZIPSIZE\0", 8);
    std::string bytes = t.bytes;
    size_t at = bytes.find(marker);
    if (at == std::string::npos || at < 8 || at >= t.block)
        return "";  // makes the test fail: the launcher image has no slot
    bytes.replace(at - 8, 4, LittleEndian32(value));
    return bytes;
}

uint32_t ArchiveSize(const Tail& t)
{
    return static_cast<uint32_t>(t.remark - t.archive);
}

const TailCase kTailCases[] = {
    // Cut at every boundary of the tail.
    {"BareLauncher", [](const Tail& t) { return Cut(t, t.block); }, kNoRuntime},
    {"CutInsideByteOrderMark", [](const Tail& t) { return Cut(t, t.block + 1); }, kNoRuntime},
    {"CutInsideBlock", [](const Tail& t) { return Cut(t, (t.block + t.lengthField) / 2); }, kNoRuntime},
    {"CutBeforeBlockNul", [](const Tail& t) { return Cut(t, t.lengthField - 1); }, kNoRuntime},
    {"CutAtLengthField", [](const Tail& t) { return Cut(t, t.lengthField); }, kNoRuntime},
    {"CutInsideLengthField", [](const Tail& t) { return Cut(t, t.lengthField + 2); }, kNoRuntime},
    {"CutAtReservedBytes", [](const Tail& t) { return Cut(t, t.lengthField + 4); }, kNoRuntime},
    {"CutInsideReservedBytes", [](const Tail& t) { return Cut(t, t.lengthField + 12); }, kNoRuntime},
    {"CutAtArchive", [](const Tail& t) { return Cut(t, t.archive); }, kNoRuntime},
    {"CutInsideLocalHeaderSignature", [](const Tail& t) { return Cut(t, t.archive + 2); }, kNoRuntime},
    {"CutInsideArchive", [](const Tail& t) { return Cut(t, (t.archive + t.endRecord) / 2); }, kNoRuntime},
    {"CutAtEndRecord", [](const Tail& t) { return Cut(t, t.endRecord); }, kNoRuntime},
    {"CutInsideEndRecordSignature", [](const Tail& t) { return Cut(t, t.endRecord + 2); }, kNoRuntime},
    {"CutInsideEndRecord", [](const Tail& t) { return Cut(t, t.endRecord + 12); }, kNoRuntime},
    {"CutInsideRemarkLengthField", [](const Tail& t) { return Cut(t, t.endRecord + 21); }, kNoRuntime},
    // A record whose remark is shorter than it says is still the archive's end: the tail holds.
    {"CutAtRemark", [](const Tail& t) { return Cut(t, t.remark); }, kJvmRefused},
    {"CutInsideRemark", [](const Tail& t) { return Cut(t, t.remark + 5); }, kJvmRefused},
    {"CutBeforeLastByte", [](const Tail& t) { return Cut(t, t.bytes.size() - 1); }, kJvmRefused},

    // The block length field.
    {"LengthZero", [](const Tail& t) { return WithLengthField(t, 0); }, kNoRuntime},
    {"LengthOneShort", [](const Tail& t) { return WithLengthField(t, BlockSize(t) - 1); }, kAnyStatus},
    {"LengthOneOver", [](const Tail& t) { return WithLengthField(t, BlockSize(t) + 1); }, kAnyStatus},
    // The launcher's own image read as the block: its header holds a NUL in the first bytes.
    {"LengthFromTheFirstByte", [](const Tail& t) { return WithLengthField(t, static_cast<int64_t>(t.lengthField)); },
     kNoRuntime},
    {"LengthBeforeTheFirstByte",
     [](const Tail& t) { return WithLengthField(t, static_cast<int64_t>(t.lengthField) + 1); }, kNoRuntime},
    {"LengthOfTheFile", [](const Tail& t) { return WithLengthField(t, static_cast<int64_t>(t.bytes.size())); },
     kNoRuntime},
    {"LengthLargest", [](const Tail& t) { return WithLengthField(t, INT32_MAX); }, kNoRuntime},
    {"LengthMinusOne", [](const Tail& t) { return WithLengthField(t, -1); }, kNoRuntime},
    {"LengthMinusBlockSize", [](const Tail& t) { return WithLengthField(t, -BlockSize(t)); }, kNoRuntime},
    {"LengthSmallest", [](const Tail& t) { return WithLengthField(t, INT32_MIN); }, kNoRuntime},

    // The ZIP size slot does not match the archive.
    {"ZipSizeZero", [](const Tail& t) { return WithZipSize(t, 0); }, kNoRuntime},
    {"ZipSizeOneShort", [](const Tail& t) { return WithZipSize(t, ArchiveSize(t) - 1); }, kNoRuntime},
    {"ZipSizeOneOver", [](const Tail& t) { return WithZipSize(t, ArchiveSize(t) + 1); }, kNoRuntime},
    {"ZipSizeOfTheFile", [](const Tail& t) { return WithZipSize(t, static_cast<uint32_t>(t.bytes.size())); },
     kNoRuntime},
    {"ZipSizeLargest", [](const Tail& t) { return WithZipSize(t, UINT32_MAX); }, kNoRuntime},

    // The remark: a second end record after it, or more than the search window holds.
    {"EndRecordAfterRemark", [](const Tail& t) { return t.bytes + "PK\x05\x06" + std::string(18, '\0'); },
     kNoRuntime},
    {"RemarkBeyondTheWindow", [](const Tail& t) { return t.bytes + Repeat('r', 60000); }, kNoRuntime},
};

class TailTest : public BadInputTest, public ::testing::WithParamInterface<TailCase> {};

TEST_P(TailTest, EndsWithADefinedStatus)
{
    std::string bytes = GetParam().bytes(tail);
    ASSERT_FALSE(bytes.empty());
    ExpectLauncherEnd(Run(Launch(bytes)), GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(Damaged, TailTest, ::testing::ValuesIn(kTailCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Cuts at seeded random places of the tail: before the remark the tail is gone.
TEST_F(BadInputTest, RandomCutsInTheTail)
{
    std::mt19937 random(7001);
    for (int i = 0; i < 8; ++i) {
        size_t keep = tail.block + random() % (tail.bytes.size() - tail.block);
        SCOPED_TRACE("kept " + std::to_string(keep) + " of " + std::to_string(tail.bytes.size()) + " bytes");
        ExpectLauncherEnd(Run(Launch(tail.bytes.substr(0, keep))), keep < tail.remark ? kNoRuntime : kJvmRefused);
    }
}

// Seeded random bytes of the tail changed, one to four at a time.
TEST_F(BadInputTest, FlippedBytesInTheTail)
{
    std::mt19937 random(7002);
    for (int variant = 0; variant < 30; ++variant) {
        std::string bytes = tail.bytes;
        std::string flips;
        for (int count = 1 + random() % 4; count > 0; --count) {
            size_t at = tail.block + random() % (bytes.size() - tail.block);
            bytes[at] = static_cast<char>(bytes[at] ^ (1 + random() % 255));
            flips += " " + std::to_string(at);
        }
        SCOPED_TRACE("variant " + std::to_string(variant) + ", bytes changed at" + flips);
        ExpectLauncherEnd(Run(Launch(bytes)), kAnyStatus);
    }
}

// ---- Malformed settings: in the embedded block, and in app.cfg beside the executable ----

struct SettingsCase {
    const char* name;
    std::string (*bytes)();  // the embedded block, or the content of app.cfg
    const char* locale;
    int status;
};

void PrintTo(const SettingsCase& c, std::ostream* os) { *os << c.name; }

const SettingsCase kBlockCases[] = {
    {"WellFormed", [] { return Utf8Block(GoodSettings()); }, kUtf8, kJvmRefused},
    {"SixteenMebibytes", [] { return Utf8Block(SixteenMebibytes()); }, kUtf8, kJvmRefused},
    {"HundredThousandOptions", [] { return Utf8Block(GoodSettings(ManyOptions(100000))); }, kUtf8, kJvmRefused},
    // Lines of 1 MiB in every kind of value.
    {"MebibyteOption", [] { return Utf8Block(GoodSettings("option -Dbig=" + Repeat('o', kMiB) + "\n")); }, kUtf8,
     kJvmRefused},
    {"MebibyteProperty", [] { return Utf8Block(GoodSettings("property big=" + Repeat('p', kMiB) + "\n")); }, kUtf8,
     kJvmRefused},
    {"MebibyteArgument", [] { return Utf8Block(GoodSettings("argv " + Repeat('a', kMiB) + "\n")); }, kUtf8,
     kJvmRefused},
    {"MebibyteExport", [] { return Utf8Block(GoodSettings("export BIG=" + Repeat('e', kMiB) + "\n")); }, kUtf8,
     kJvmRefused},
    {"MebibyteClassPath", [] { return Utf8Block(GoodSettings("classpath " + Repeat('c', kMiB) + "\n")); }, kUtf8,
     kJvmRefused},
    {"MebibyteLibsDirectory", [] { return Utf8Block(GoodSettings("libs /" + Repeat('l', kMiB) + "\n")); }, kUtf8,
     kJvmRefused},
    {"MebibyteVariableName", [] { return Utf8Block(GoodSettings("option -Dv=%" + Repeat('V', kMiB) + "%\n")); },
     kUtf8, kJvmRefused},
    {"MebibyteMessage", [] { return Utf8Block(GoodSettings("message 1=" + Repeat('m', kMiB) + "\n")); }, kUtf8,
     kJvmRefused},
    {"MebibyteKeyWithoutValue", [] { return Utf8Block(GoodSettings(Repeat('k', kMiB) + "\n")); }, kUtf8,
     kJvmRefused},
    {"MebibyteLastLineWithoutEnd", [] { return Utf8Block(GoodSettings("option -Dlast=" + Repeat('z', kMiB))); },
     kUtf8, kJvmRefused},
    {"MebibyteRuntimePaths",
     [] {
         return Utf8Block("jre_order bc\njvmdll " + std::string(kStubJvm) + "\njre /" + Repeat('j', kMiB) + "\nvm " +
                          Repeat('v', kMiB) + "\nmainclass Hello\n");
     },
     kUtf8, kJvmRefused},
    {"MebibyteJvmLibraryPath", [] { return Utf8Block("jre_order c\njvmdll /" + Repeat('d', kMiB) + "\n"); }, kUtf8,
     kNoRuntime},
    // NUL bytes: the block reads as a C string.
    {"NulInValue", [] { return Utf8Block(GoodSettings("option -Da=b") + '\0' + "c\noption -Dd=e\n"); }, kUtf8,
     kJvmRefused},
    {"NulFirst", [] { return Utf8Block(std::string(1, '\0') + GoodSettings()); }, kUtf8, kNoRuntime},
    // Invalid UTF-8: lone continuation, overlong, encoded surrogate, beyond U+10FFFF, 0xFF 0xFE.
    {"InvalidUtf8Values",
     [] {
         return Utf8Block(GoodSettings("option -Da=\x80\x80\nproperty b=\xC0\xAF\nargv \xED\xA0\x80\n"
                                       "export C=\xF4\x90\x80\x80\nclasspath \xFF\xFE\nlibs \xC3\n"));
     },
     kUtf8, kJvmRefused},
    {"InvalidUtf8ValuesPlainLocale",
     [] { return Utf8Block(GoodSettings("option -Da=\x80\x80\nproperty b=\xC0\xAF\nargv \xED\xA0\x80\xFF\n")); },
     kPlain, kJvmRefused},
    {"TruncatedSequenceAtTheEnd", [] { return Utf8Block(GoodSettings("option -Dcut=\xE2\x82")); }, kUtf8,
     kJvmRefused},
    // Without a byte-order mark the block is in the locale's encoding.
    {"NativeInvalidBytes", [] { return GoodSettings("option -Da=\xFF\xC3(\n") + '\0'; }, kUtf8, kJvmRefused},
    {"NativeInvalidBytesPlainLocale", [] { return GoodSettings("option -Da=\xFF\xC3(\n") + '\0'; }, kPlain,
     kJvmRefused},
    // The block is copied as a C string, so a UTF-16 block keeps only its mark and first letter.
    {"Utf16OddLength", [] { return kUtf16LeMark + Utf16(GoodSettings()) + "A"; }, kUtf8, kNoRuntime},
    {"Utf16LoneSurrogates",
     [] {
         return kUtf16LeMark + Utf16(GoodSettings("option -Da=")) + Unit(0xDC00, false) + Unit(0xD800, false) +
                Utf16("b\n") + Unit(0xD800, false);
     },
     kUtf8, kNoRuntime},
    {"OnlyByteOrderMark", [] { return Utf8Block(""); }, kUtf8, kNoRuntime},
};

const SettingsCase kFileCases[] = {
    {"Utf8InvalidValues",
     [] { return std::string("\xEF\xBB\xBFoption -Da=\xC3(\nproperty b=\xF8\x88\x80\x80\x80\nargv \xFF\n"); }, kUtf8,
     kJvmRefused},
    // A file with the UTF-8 mark is taken as it is: its NUL ends the whole settings text, and
    // the embedded settings after it are not seen.
    {"Utf8NulInValue", [] { return "\xEF\xBB\xBFoption -Da=b" + std::string(1, '\0') + "c\nproperty d=e\n"; },
     kUtf8, kNoRuntime},
    {"NativeInvalidBytes", [] { return std::string("option -Da=\xC3(\xFF\nargv \x80\n"); }, kUtf8, kJvmRefused},
    {"NativeInvalidBytesPlainLocale", [] { return std::string("option -Da=\xC3(\xFF\nargv \x80\n"); }, kPlain,
     kJvmRefused},
    {"NativeNulFirst", [] { return std::string(1, '\0') + "option -Da=b\n"; }, kUtf8, kJvmRefused},
    {"Utf16LeOddLength", [] { return kUtf16LeMark + Utf16("option -Da=b\n") + "A"; }, kUtf8, kJvmRefused},
    {"Utf16BeOddLength", [] { return kUtf16BeMark + Utf16("option -Da=b\n", true) + "A"; }, kUtf8, kJvmRefused},
    {"Utf16LeHighSurrogateAtTheEnd", [] { return kUtf16LeMark + Utf16("option -Da=") + Unit(0xD800, false); },
     kUtf8, kJvmRefused},
    {"Utf16LeLoneLowSurrogate",
     [] { return kUtf16LeMark + Utf16("option -Da=") + Unit(0xDC00, false) + Utf16("b\n"); }, kUtf8, kJvmRefused},
    {"Utf16BeHighSurrogateBeforeAscii",
     [] { return kUtf16BeMark + Utf16("argv ", true) + Unit(0xDBFF, true) + Utf16("x\n", true); }, kUtf8,
     kJvmRefused},
    {"Utf16BeSurrogatesReversed",
     [] { return kUtf16BeMark + Utf16("argv ", true) + Unit(0xDC00, true) + Unit(0xD800, true); }, kUtf8,
     kJvmRefused},
    {"Utf16LoneSurrogatePlainLocale",
     [] { return kUtf16LeMark + Utf16("property a=") + Unit(0xD800, false) + Utf16("\n"); }, kPlain, kJvmRefused},
    {"Utf16ZeroUnitInside", [] { return kUtf16LeMark + Utf16("option -Da=b") + Unit(0, false) + Utf16("c\n"); },
     kUtf8, kJvmRefused},
    {"OnlyUtf16Mark", [] { return std::string(kUtf16LeMark); }, kUtf8, kJvmRefused},
    {"Utf16MarkAndOneByte", [] { return kUtf16BeMark + std::string("A"); }, kUtf8, kJvmRefused},
    {"OneByte", [] { return std::string("\xFF"); }, kUtf8, kJvmRefused},
    {"Empty", [] { return std::string(); }, kUtf8, kJvmRefused},
    {"Utf16MebibyteLine", [] { return kUtf16LeMark + Utf16("option -Dx=" + Repeat('x', kMiB) + "\n"); }, kUtf8,
     kJvmRefused},
};

class EmbeddedBlockTest : public BadInputTest, public ::testing::WithParamInterface<SettingsCase> {};

TEST_P(EmbeddedBlockTest, EndsWithADefinedStatus)
{
    Launch launch(WithBlock(tail, GetParam().bytes()), GetParam().locale);
    ExpectLauncherEnd(Run(launch), GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(Blocks, EmbeddedBlockTest, ::testing::ValuesIn(kBlockCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The external file is read before the embedded block, whose settings still reach the stub.
class SettingsFileTest : public BadInputTest, public ::testing::WithParamInterface<SettingsCase> {};

TEST_P(SettingsFileTest, EndsWithADefinedStatus)
{
    Launch launch(tail.bytes, GetParam().bytes(), GetParam().locale);
    ExpectLauncherEnd(Run(launch), GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(Files, SettingsFileTest, ::testing::ValuesIn(kFileCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Special files where a settings file or a JVM library is read ----

struct SpecialFileCase {
    const char* name;
    const char* path;  // under the executable's directory
    bool pipe;         // a named pipe that no one writes to; otherwise a directory
    int status;
};

void PrintTo(const SpecialFileCase& c, std::ostream* os) { *os << c.name; }

const SpecialFileCase kSpecialFileCases[] = {
    {"SettingsFileIsANamedPipe", "app.cfg", true, kJvmRefused},
    {"SettingsFileIsADirectory", "app.cfg", false, kJvmRefused},
    // Only a regular file is a candidate: the search goes on to jvmdll.
    {"RuntimeLibraryIsADirectory", "jre/lib/server/libjvm.so", false, kJvmRefused},
    {"RuntimeLibraryIsANamedPipe", "jre/lib/server/libjvm.so", true, kJvmRefused},
};

class SpecialFileTest : public BadInputTest, public ::testing::WithParamInterface<SpecialFileCase> {};

// The runtime beside the executable (letter b) is probed first, then jvmdll names the stub.
TEST_P(SpecialFileTest, EndsWithADefinedStatus)
{
    std::string path = dir / GetParam().path;
    if (GetParam().pipe) {
        MakeDirectories(path.substr(0, path.rfind('/')));
        ASSERT_EQ(mkfifo(path.c_str(), 0644), 0) << strerror(errno);
    } else {
        MakeDirectories(path);
    }
    std::string settings = "jre_order bc\njvmdll " + std::string(kStubJvm) + "\nmainclass Hello\n";
    ExpectLauncherEnd(Run(Launch(WithBlock(tail, Utf8Block(settings)))), GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(Files, SpecialFileTest, ::testing::ValuesIn(kSpecialFileCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- memcheck on the paths that create no JVM ----

struct MemcheckCase {
    const char* name;
    Launch (*launch)(const Tail&);
    int status;
};

void PrintTo(const MemcheckCase& c, std::ostream* os) { *os << c.name; }

const MemcheckCase kMemcheckCases[] = {
    {"Generated", [](const Tail& t) { return Launch(t.bytes); }, kJvmRefused},
    {"CutInsideArchive", [](const Tail& t) { return Launch(t.bytes.substr(0, (t.archive + t.endRecord) / 2)); },
     kNoRuntime},
    {"BareLauncher", [](const Tail& t) { return Launch(t.bytes.substr(0, t.block)); }, kNoRuntime},
    {"SettingsFileInvalidUtf8",
     [](const Tail& t) { return Launch(t.bytes, "\xEF\xBB\xBFoption -Da=\xC3(\xFF\nargv \xED\xA0\x80\n"); },
     kJvmRefused},
};

class MemcheckTest : public BadInputTest, public ::testing::WithParamInterface<MemcheckCase> {};

TEST_P(MemcheckTest, ReportsNoError)
{
    if (kValgrindSkip[0] != '\0')
        GTEST_SKIP() << kValgrindSkip;
    const int kErrorStatus = 99;
    ProcessResult result = Run(GetParam().launch(tail),
                               {kValgrind, "--tool=memcheck", "--error-exitcode=99", "--leak-check=no"});
    ASSERT_NE(result.status, kErrorStatus) << result.err;
    EXPECT_NE(result.err.find("ERROR SUMMARY: 0 errors"), std::string::npos) << result.err;
    for (const char* report : {"Invalid read", "Invalid write", "uninitialised"})
        EXPECT_EQ(result.err.find(report), std::string::npos) << result.err;
    ExpectLauncherEnd(result, GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(Inputs, MemcheckTest, ::testing::ValuesIn(kMemcheckCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
