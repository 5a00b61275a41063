// Generated executables made by the real pack tool from settings_dump, run as real processes:
// what the store loads from the embedded block and the external files, and that a damaged
// tail loads nothing embedded without reading outside the file.
#include "DumpFormat.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using settingstest::EscapeBytes;
using testsupport::Pack;
using testsupport::PackRequest;
using testsupport::ProcessOptions;
using testsupport::ProcessResult;
using testsupport::ReadFile;
using testsupport::RunProcess;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

using Dump = std::map<std::string, std::string>;

const char kEmbedded[] = "mainclass Hello\njvmdll /embedded";

std::string Escaped(const std::string& bytes)
{
    return EscapeBytes(bytes);
}

Dump Parse(const std::string& out)
{
    Dump dump;
    size_t start = 0;
    while (start < out.size()) {
        size_t end = out.find('\n', start);
        if (end == std::string::npos)
            end = out.size();
        std::string line = out.substr(start, end - start);
        size_t equals = line.find('=');
        if (equals != std::string::npos)
            dump[line.substr(0, equals)] = line.substr(equals + 1);
        start = end + 1;
    }
    return dump;
}

// A field of the dump, or a text that no test expects when the program printed none.
std::string At(const Dump& dump, const std::string& name)
{
    auto found = dump.find(name);
    return found == dump.end() ? "<no " + name + ">" : found->second;
}

uint32_t ReadLe32(const std::string& bytes, size_t offset)
{
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes[offset + i]);
    return value;
}

void WriteLe32(std::string& bytes, size_t offset, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<char>(value >> (8 * i));
}

// One temporary directory per test for the executables, all packed from one small jar.
class SettingsSourcesTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_jarSize = ReadFile(SETTINGS_HELLO_JAR).size();
        ASSERT_GT(m_jarSize, 22u);
    }

    // Packs settings_dump with settings (and a comment when given) into path.
    void PackDump(const std::string& path, const std::string& settings, const char* comment = nullptr)
    {
        PackRequest request;
        request.jar = SETTINGS_HELLO_JAR;
        request.settings = settings;
        request.output = path;
        request.launcher = SETTINGS_DUMP_PATH;
        if (comment) {
            request.comment = comment;
            request.hasComment = true;
        }
        Pack(request);
    }

    // Runs exe (in the test directory unless options say otherwise) and parses what it printed.
    Dump Run(const std::string& exe, const std::vector<std::string>& args = {}, ProcessOptions options = {})
    {
        std::vector<std::string> argv = {exe};
        argv.insert(argv.end(), args.begin(), args.end());
        if (options.cwd.empty())
            options.cwd = m_dir.Path();
        ProcessResult result = RunProcess(argv, options);
        EXPECT_EQ(0, result.status) << result.err;
        EXPECT_EQ("", result.err);
        return Parse(result.out);
    }

    // Expects exactly the embedded text of kEmbedded (its final NUL included).
    void ExpectEmbeddedOnly(const Dump& dump)
    {
        EXPECT_EQ(Escaped(std::string(kEmbedded) + '\0'), At(dump, "text"));
        EXPECT_EQ("0", At(dump, "embedded_start"));
    }

    TempDir m_dir;
    size_t m_jarSize = 0;
};

TEST_F(SettingsSourcesTest, BlockOf122BytesIsFoundBeforeTheArchive)
{
    std::string text = "mainclass Hello\r\njvmdll /opt/java/lib/server/libjvm.so\r\noption -Dpad=";
    text += std::string(118 - text.size(), 'x');
    ASSERT_EQ(118u, text.size());
    std::string exe = m_dir / "app";
    PackDump(exe, text);
    std::string bytes = ReadFile(exe);
    size_t tail = bytes.size() - m_jarSize - 16;
    ASSERT_EQ(122u, ReadLe32(bytes, tail - 4)) << "the block is mark, 118 bytes and a NUL";

    Dump dump = Run(exe, {"jvmdll"});
    EXPECT_EQ(Escaped(text + '\0'), At(dump, "text"));
    EXPECT_EQ(std::to_string(tail), At(dump, "tail_offset"));
    EXPECT_EQ("0", At(dump, "embedded_start"));
    EXPECT_EQ(exe, At(dump, "exe_path"));
    EXPECT_EQ(m_dir.Path() + "/", At(dump, "app_home"));
    EXPECT_EQ(m_dir.Path() + "/", At(dump, "work_dir"));
    EXPECT_EQ("/opt/java/lib/server/libjvm.so", At(dump, "value"));
}

TEST_F(SettingsSourcesTest, WorkDirIsTheCurrentDirectory)
{
    std::string exe = m_dir / "app";
    PackDump(exe, kEmbedded);
    ProcessOptions options;
    options.cwd = "/";
    EXPECT_EQ("/", At(Run(exe, {}, options), "work_dir"));
}

struct CommentCase {
    const char* name;
    std::string comment;
};

void PrintTo(const CommentCase& c, std::ostream* os)
{
    *os << c.name;
}

const CommentCase kCommentCases[] = {
    {"FortyBytes", std::string(40, 'c')},
    {"HoldingTheEndSignature", "before PK\x05\x06 after, at least twenty-two bytes of it"},
    {"EndingInTheSignature", "comment PK\x05\x06"},
};

class ArchiveCommentTest : public SettingsSourcesTest, public testing::WithParamInterface<CommentCase> {};

TEST_P(ArchiveCommentTest, ChangesNothingOfTheSettings)
{
    std::string exe = m_dir / "app";
    PackDump(exe, kEmbedded, GetParam().comment.c_str());
    std::string bytes = ReadFile(exe);
    Dump dump = Run(exe);
    ExpectEmbeddedOnly(dump);
    EXPECT_EQ(std::to_string(bytes.size() - GetParam().comment.size() - m_jarSize - 16), At(dump, "tail_offset"));
}

INSTANTIATE_TEST_SUITE_P(Comments, ArchiveCommentTest, testing::ValuesIn(kCommentCases),
                         [](const testing::TestParamInfo<CommentCase>& info) { return info.param.name; });

struct ExternalNameCase {
    const char* name;
    const char* exe;                  // relative to the test directory
    std::vector<std::string> files;   // relative to the test directory; each names itself
    const char* used;                 // the file whose text is loaded, "" for none
};

void PrintTo(const ExternalNameCase& c, std::ostream* os)
{
    *os << c.name;
}

const ExternalNameCase kExternalNameCases[] = {
    {"CfgBeforeConfig", "app", {"app.cfg", "app.config"}, "app.cfg"},
    {"ConfigAlone", "app", {"app.config"}, "app.config"},
    {"FullNameFirst", "app.bin", {"app.bin.cfg", "app.bin.config", "app.cfg", "app.config"}, "app.bin.cfg"},
    {"FullNameConfigSecond", "app.bin", {"app.bin.config", "app.cfg", "app.config"}, "app.bin.config"},
    {"ExtensionReplacedThird", "app.bin", {"app.cfg", "app.config"}, "app.cfg"},
    {"ExtensionReplacedFourth", "app.bin", {"app.config"}, "app.config"},
    {"DotInDirectoryIgnored", "my.tools/app", {"my.cfg", "my.config"}, ""},
    {"DotInDirectoryPlainName", "my.tools/app", {"my.cfg", "my.tools/app.config"}, "my.tools/app.config"},
    {"NoFile", "app", {"app.txt"}, ""},
};

class ExternalNameTest : public SettingsSourcesTest, public testing::WithParamInterface<ExternalNameCase> {};

TEST_P(ExternalNameTest, FirstExistingNameIsUsed)
{
    const ExternalNameCase& c = GetParam();
    for (const std::string& file : c.files)
        WriteFile(m_dir / file, "jvmdll /" + file);
    std::string exe = m_dir / c.exe;
    testsupport::MakeDirectories(exe.substr(0, exe.rfind('/')));
    PackDump(exe, kEmbedded);
    Dump dump = Run(exe, {"jvmdll"});
    std::string used = c.used;
    if (used.empty()) {
        ExpectEmbeddedOnly(dump);
        EXPECT_EQ("/embedded", At(dump, "value"));
        return;
    }
    std::string external = "jvmdll /" + used;
    EXPECT_EQ(Escaped(external + "\r\n" + kEmbedded + '\0'), At(dump, "text"));
    EXPECT_EQ(std::to_string(external.size() + 2), At(dump, "embedded_start"));
    EXPECT_EQ("/" + used, At(dump, "value"));
}

INSTANTIATE_TEST_SUITE_P(Names, ExternalNameTest, testing::ValuesIn(kExternalNameCases),
                         [](const testing::TestParamInfo<ExternalNameCase>& info) { return info.param.name; });

TEST_F(SettingsSourcesTest, EmptyExternalFileIsUsedAndAddsNothing)
{
    WriteFile(m_dir / "app.cfg", "");
    WriteFile(m_dir / "app.config", "jvmdll /config");
    std::string exe = m_dir / "app";
    PackDump(exe, kEmbedded);
    ExpectEmbeddedOnly(Run(exe));
}

TEST_F(SettingsSourcesTest, EmbeddedDisableExternalDropsTheFile)
{
    WriteFile(m_dir / "app.cfg", "jvmdll /external");
    std::string exe = m_dir / "app";
    std::string embedded = "DisableExternal = True\njvmdll /embedded";
    PackDump(exe, embedded);
    Dump dump = Run(exe, {"jvmdll"});
    EXPECT_EQ(Escaped(embedded + '\0'), At(dump, "text"));
    EXPECT_EQ("0", At(dump, "embedded_start"));
    EXPECT_EQ("/embedded", At(dump, "value"));
}

// "option -Dcity=Zürich €" and its second line, as each encoding writes them.
const std::string kUtf8External = "option -Dcity=Z\xC3\xBCrich \xE2\x82\xAC\r\noption 2";

struct EncodingCase {
    const char* name;
    std::string bytes;
    const char* locale;
    std::string text;
};

void PrintTo(const EncodingCase& c, std::ostream* os)
{
    *os << c.name;
}

const EncodingCase kEncodingCases[] = {
    {"Utf8WithMark", "\xEF\xBB\xBF" + kUtf8External, "C", kUtf8External},
    {"Utf16LittleEndian", testsupport::Utf16WithMark(u"option -Dcity=Z\u00FCrich \u20AC\r\noption 2", false), "C", kUtf8External},
    {"Utf16BigEndian", testsupport::Utf16WithMark(u"option -Dcity=Z\u00FCrich \u20AC\r\noption 2", true), "C", kUtf8External},
    {"LocaleUtf8", kUtf8External, "en_US.UTF-8", kUtf8External},
    {"LocaleLatin1", "option -Dcity=Z\xFCrich\r\noption 2", "en_US.ISO-8859-1",
     "option -Dcity=Z\xC3\xBCrich\r\noption 2"},
    {"SurrogatePair", testsupport::Utf16WithMark(u"option \U0001D11E", false), "C", "option \xF0\x9D\x84\x9E"},
};

class ExternalEncodingTest : public SettingsSourcesTest, public testing::WithParamInterface<EncodingCase> {};

TEST_P(ExternalEncodingTest, DecodesToUtf8)
{
    const EncodingCase& c = GetParam();
    WriteFile(m_dir / "app.cfg", c.bytes);
    std::string exe = m_dir / "app";
    PackDump(exe, kEmbedded);
    ProcessOptions options;
    options.unsetEnv = {"LANG", "LANGUAGE"};
    options.setEnv = {std::string("LC_ALL=") + c.locale};
    Dump dump = Run(exe, {}, options);
    EXPECT_EQ(Escaped(c.text + "\r\n" + kEmbedded + '\0'), At(dump, "text"));
    EXPECT_EQ(std::to_string(c.text.size() + 2), At(dump, "embedded_start"));
}

INSTANTIATE_TEST_SUITE_P(Encodings, ExternalEncodingTest, testing::ValuesIn(kEncodingCases),
                         [](const testing::TestParamInfo<EncodingCase>& info) { return info.param.name; });

// Permission tests need a user whom permissions stop: root reads any file, so as root the
// executable runs as "nobody" through setpriv (skipped where setpriv is missing).
class PermissionTest : public SettingsSourcesTest {
protected:
    void SetUp() override
    {
        SettingsSourcesTest::SetUp();
        if (geteuid() == 0) {
            if (access("/usr/bin/setpriv", X_OK) != 0)
                GTEST_SKIP() << "root reads unreadable files, and setpriv is missing to drop that right";
            m_prefix = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
            ASSERT_EQ(0, chmod(m_dir.Path().c_str(), 0755));
        }
    }

    Dump RunUnprivileged(const std::string& exe, const std::vector<std::string>& args = {})
    {
        std::vector<std::string> argv = m_prefix;
        argv.push_back(exe);
        argv.insert(argv.end(), args.begin(), args.end());
        ProcessOptions options;
        options.cwd = m_dir.Path();
        ProcessResult result = RunProcess(argv, options);
        EXPECT_EQ(0, result.status) << result.err;
        return Parse(result.out);
    }

    std::vector<std::string> m_prefix;
};

TEST_F(PermissionTest, UnreadableCfgIsSkippedForConfig)
{
    WriteFile(m_dir / "app.cfg", "jvmdll /cfg", 0000);
    WriteFile(m_dir / "app.config", "jvmdll /config");
    std::string exe = m_dir / "app";
    PackDump(exe, kEmbedded);
    Dump dump = RunUnprivileged(exe, {"jvmdll"});
    EXPECT_EQ("/config", At(dump, "value"));
    EXPECT_EQ(Escaped(std::string("jvmdll /config\r\n") + kEmbedded + '\0'), At(dump, "text"));
}

TEST_F(PermissionTest, UnreadableExecutableLoadsNothingEmbedded)
{
    if (sizeof(void*) == 4 && access("/proc/sys/fs/binfmt_misc/qemu-i386", F_OK) == 0)
        GTEST_SKIP() << "32-bit programs run here through qemu-user, which cannot run a file it cannot read";
    std::string exe = m_dir / "app";
    PackDump(exe, kEmbedded);
    ASSERT_EQ(0, chmod(exe.c_str(), 0111));
    Dump dump = RunUnprivileged(exe, {"jvmdll"});
    EXPECT_EQ("", At(dump, "value"));
    EXPECT_EQ("0", At(dump, "tail_offset"));
    EXPECT_EQ("0", At(dump, "embedded_start"));
}

// A damaged copy of a good executable: what to do to its bytes, given the tail offset.
struct DamageCase {
    const char* name;
    void (*damage)(std::string& bytes, size_t tail);
};

void PrintTo(const DamageCase& c, std::ostream* os)
{
    *os << c.name;
}

size_t SlotOffset(const std::string& bytes)
{
    const std::string marker = std::string("ZIP") + "SIZE" + '\0';
    size_t found = bytes.find(marker);
    return found == std::string::npos ? 0 : found - 8;
}

void AddToSlot(std::string& bytes, int32_t delta)
{
    size_t slot = SlotOffset(bytes);
    WriteLe32(bytes, slot, ReadLe32(bytes, slot) + static_cast<uint32_t>(delta));
}

const DamageCase kDamageCases[] = {
    {"CutLastByte", [](std::string& b, size_t) { b.resize(b.size() - 1); }},
    {"CutEndRecord", [](std::string& b, size_t) { b.resize(b.size() - 22); }},
    {"CutInsideArchive", [](std::string& b, size_t tail) { b.resize(tail + 40); }},
    {"CutInsideReserved", [](std::string& b, size_t tail) { b.resize(tail + 8); }},
    {"CutInsideLengthField", [](std::string& b, size_t tail) { b.resize(tail - 2); }},
    {"CutInsideBlock", [](std::string& b, size_t tail) { b.resize(tail - 10); }},
    {"SlotOneMore", [](std::string& b, size_t) { AddToSlot(b, 1); }},
    {"SlotOneLess", [](std::string& b, size_t) { AddToSlot(b, -1); }},
    {"SlotZero", [](std::string& b, size_t) { WriteLe32(b, SlotOffset(b), 0); }},
    {"SlotHuge", [](std::string& b, size_t) { WriteLe32(b, SlotOffset(b), 0xFFFFFFFFu); }},
    {"SlotBeyondTheFile", [](std::string& b, size_t) { WriteLe32(b, SlotOffset(b), static_cast<uint32_t>(b.size())); }},
    {"BlockLengthOneTooLarge", [](std::string& b, size_t tail) { WriteLe32(b, tail - 4, static_cast<uint32_t>(tail - 3)); }},
    {"BlockLengthMaximum", [](std::string& b, size_t tail) { WriteLe32(b, tail - 4, 0x7FFFFFFFu); }},
    {"BlockLengthNegative", [](std::string& b, size_t tail) { WriteLe32(b, tail - 4, 0xFFFFFFFFu); }},
};

class DamagedTailTest : public SettingsSourcesTest, public testing::WithParamInterface<DamageCase> {};

TEST_P(DamagedTailTest, LoadsNoEmbeddedSettingsButStillTheExternalFile)
{
    std::string good = m_dir / "good";
    PackDump(good, kEmbedded);
    std::string bytes = ReadFile(good);
    ASSERT_NE(0u, SlotOffset(bytes));
    GetParam().damage(bytes, bytes.size() - m_jarSize - 16);
    std::string exe = m_dir / "app";
    WriteFile(exe, bytes, 0755);
    WriteFile(m_dir / "app.cfg", "jvmdll /external");
    Dump dump = Run(exe, {"mainclass"});
    EXPECT_EQ(Escaped("jvmdll /external\r\n"), At(dump, "text"));
    EXPECT_EQ("0", At(dump, "tail_offset"));
    EXPECT_EQ("", At(dump, "value"));
}

INSTANTIATE_TEST_SUITE_P(Tails, DamagedTailTest, testing::ValuesIn(kDamageCases),
                         [](const testing::TestParamInfo<DamageCase>& info) { return info.param.name; });

TEST_F(SettingsSourcesTest, UnpatchedProgramLoadsOnlyTheExternalFile)
{
    std::string exe = m_dir / "bare";
    WriteFile(exe, ReadFile(SETTINGS_DUMP_PATH), 0755);
    Dump bare = Run(exe);
    EXPECT_EQ("", At(bare, "text"));
    EXPECT_EQ("0", At(bare, "tail_offset"));
    WriteFile(m_dir / "bare.cfg", "jvmdll /external");
    EXPECT_EQ(Escaped("jvmdll /external\r\n"), At(Run(exe), "text"));
}

}  // namespace
