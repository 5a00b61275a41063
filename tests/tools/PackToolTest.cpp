// launcher-pack run as a user runs it: real jars from the JDK's tools, a stand-in launcher
// made of known bytes, and the exact bytes, status and messages that come out.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

using testsupport::kPackToolPath;
using testsupport::ProcessResult;
using testsupport::ReadFile;
using testsupport::RunProcess;
using testsupport::TempDir;
using testsupport::WriteFile;

// All the bytes of a literal, NULs included, without its terminator.
template <size_t N>
std::string Bytes(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}

// A launcher image with one archive size slot, pre-filled so that every patched byte shows.
const std::string kLauncherHead = Bytes("\x7F" "ELF stand-in launcher\0\x01\x02");
const std::string kSlotFill(8, '\xAA');
const std::string kMarker = Bytes("ZIPSIZE\0");
const std::string kLauncherRest = Bytes("\0read-only data after the marker\xFF");
const std::string kStandInLauncher = kLauncherHead + kSlotFill + kMarker + kLauncherRest;

// The smallest ZIP archive: an end-of-central-directory record of an empty directory.
const std::string kEmptyZip = Bytes("PK\x05\x06") + std::string(18, '\0');

const std::vector<std::pair<std::string, std::string>> kMainSource = {
    {"Main.java",
     "public class Main {\n"
     "    public static void main(String[] args) {\n"
     "        System.out.println(\"main ran with \" + String.join(\",\", args));\n"
     "    }\n"
     "}\n"}};

std::string LittleEndian(uint64_t value, size_t width) {
    std::string bytes;
    for (size_t i = 0; i < width; ++i) {
        bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    return bytes;
}

// The archive's length up to and including its end record; the JDK's jar tool writes no comment.
size_t ArchiveLength(const std::string& jar) {
    EXPECT_GE(jar.size(), 22u);
    EXPECT_EQ(jar.substr(jar.size() - 22, 4), Bytes("PK\x05\x06")) << "the jar tool wrote a comment";
    return jar.size();
}

// The jar with a comment appended and its end record's comment length set to match.
std::string WithComment(std::string jar, const std::string& comment) {
    size_t length = ArchiveLength(jar);
    jar.replace(length - 2, 2, LittleEndian(comment.size(), 2));
    return jar + comment;
}

ProcessResult RunPack(const std::vector<std::string>& arguments) {
    std::vector<std::string> argv = {kPackToolPath};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return RunProcess(argv);
}

std::vector<std::string> DirectoryEntries(const std::string& path) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(path.c_str())) {
        while (dirent* entry = readdir(dir)) {
            std::string name = entry->d_name;
            if (name != "." && name != "..") {
                names.push_back(name);
            }
        }
        closedir(dir);
    }
    return names;
}

mode_t PermissionsOf(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// ---- Layout of the output ----

struct LayoutCase {
    const char* name;
    std::string settingsFile;    // the bytes of --settings
    std::string settingsText;    // what the block must hold between its mark and its NUL
    std::string jarComment;      // the jar's own comment
    std::optional<std::string> comment;  // --comment
    std::string remark;          // what must follow the end record
};

const LayoutCase kLayoutCases[] = {
    {"Plain", "mainclass Main\r\nargv one\n", "mainclass Main\r\nargv one\n", "", std::nullopt, ""},
    {"EmptySettings", "", "", "", std::nullopt, ""},
    {"OneByteOrderMark", "\xEF\xBB\xBFmainclass Main\n", "mainclass Main\n", "", std::nullopt, ""},
    {"NonAscii", "property greeting=Gr\xC3\xBC\xC3\x9F" "e \xE6\x97\xA5 \xF0\x9F\x98\x80\n",
     "property greeting=Gr\xC3\xBC\xC3\x9F" "e \xE6\x97\xA5 \xF0\x9F\x98\x80\n", "", std::nullopt, ""},
    {"JarCommentKept", "mainclass Main\n", "mainclass Main\n", "built by the test", std::nullopt, "built by the test"},
    {"CommentGiven", "mainclass Main\n", "mainclass Main\n", "", "a remark", "a remark"},
    {"CommentReplacesJarComment", "mainclass Main\n", "mainclass Main\n", "the jar's own", "replaced", "replaced"},
    {"EmptyCommentRemovesJarComment", "mainclass Main\n", "mainclass Main\n", "the jar's own", "", ""},
};

void PrintTo(const LayoutCase& c, std::ostream* out) {
    *out << c.name;
}

class PackLayoutTest : public testing::TestWithParam<LayoutCase> {};

TEST_P(PackLayoutTest, WritesLauncherBlockLengthReservedArchiveAndRemark) {
    const LayoutCase& c = GetParam();
    TempDir dir;
    testsupport::MakeJar(dir / "plain.jar", kMainSource);
    std::string plainJar = ReadFile(dir / "plain.jar");
    size_t archiveLength = ArchiveLength(plainJar);
    WriteFile(dir / "app.jar", c.jarComment.empty() ? plainJar : WithComment(plainJar, c.jarComment));
    WriteFile(dir / "settings.txt", c.settingsFile);
    WriteFile(dir / "launcher", kStandInLauncher, 0755);
    std::vector<std::string> arguments = {"--jar", dir / "app.jar", "--settings", dir / "settings.txt",
                                          "--output", dir / "app", "--launcher", dir / "launcher"};
    if (c.comment) {
        arguments.insert(arguments.end(), {"--comment", *c.comment});
    }

    ProcessResult result = RunPack(arguments);

    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    std::string block = "\xEF\xBB\xBF" + c.settingsText + '\0';
    std::string archive = plainJar.substr(0, archiveLength - 2) + LittleEndian(c.remark.size(), 2);
    std::string expected = kLauncherHead + LittleEndian(archiveLength, 4) + std::string(4, '\0') + kMarker +
                           kLauncherRest + block + LittleEndian(block.size(), 4) + std::string(16, '\0') + archive +
                           c.remark;
    EXPECT_EQ(ReadFile(dir / "app"), expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, PackLayoutTest, testing::ValuesIn(kLayoutCases),
                         [](const testing::TestParamInfo<LayoutCase>& info) { return info.param.name; });

// ---- The packed file as the JVM's class path ----

class PackRunTest : public testing::TestWithParam<std::optional<std::string>> {};

TEST_P(PackRunTest, JavaRunsMainFromThePackedFile) {
    TempDir dir;
    testsupport::MakeJar(dir / "app.jar", kMainSource);
    WriteFile(dir / "launcher", kStandInLauncher, 0755);
    testsupport::PackRequest request;
    request.jar = dir / "app.jar";
    request.settings = "mainclass Main\n";
    request.output = dir / "app";
    request.launcher = dir / "launcher";
    request.hasComment = GetParam().has_value();
    request.comment = GetParam().value_or("");
    testsupport::Pack(request);

    ProcessResult java = RunProcess({std::string(testsupport::kTestJavaHome) + "/bin/java", "-cp", dir / "app",
                                     "Main", "x", "y"});

    EXPECT_EQ(java.status, 0) << java.err;
    EXPECT_EQ(java.out, "main ran with x,y\n");
}

INSTANTIATE_TEST_SUITE_P(Comments, PackRunTest,
                         testing::Values(std::nullopt, std::optional<std::string>("remark after the archive")),
                         [](const testing::TestParamInfo<std::optional<std::string>>& info) {
                             return info.param ? "WithComment" : "WithoutComment";
                         });

// ---- Output file ----

TEST(PackOutputTest, ReplacesAnExistingFileWithAnExecutableOne) {
    TempDir dir;
    WriteFile(dir / "app.jar", kEmptyZip);
    WriteFile(dir / "settings.txt", "mainclass Main\n");
    WriteFile(dir / "launcher", kStandInLauncher, 0755);
    WriteFile(dir / "app", "an older file", 0600);

    ProcessResult result = RunPack({"--jar", dir / "app.jar", "--settings", dir / "settings.txt", "--output",
                                    dir / "app", "--launcher", dir / "launcher"});

    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(PermissionsOf(dir / "app"), 0755u);
    EXPECT_EQ(ReadFile(dir / "app").substr(0, kLauncherHead.size()), kLauncherHead);
    EXPECT_EQ(DirectoryEntries(dir.Path()).size(), 4u) << "a temporary file was left beside the output";
}

TEST(PackOutputTest, DefaultLauncherIsTheOneBesideTheTool) {
    TempDir dir;
    WriteFile(dir / "bin/launcher-pack", ReadFile(kPackToolPath), 0755);
    WriteFile(dir / "bin/launcher", kStandInLauncher, 0755);
    WriteFile(dir / "app.jar", kEmptyZip);
    WriteFile(dir / "settings.txt", "");

    ProcessResult result = RunProcess({dir / "bin/launcher-pack", "--jar", dir / "app.jar", "--settings",
                                       dir / "settings.txt", "--output", dir / "app"});

    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(ReadFile(dir / "app").substr(0, kLauncherHead.size() + 8),
              kLauncherHead + LittleEndian(kEmptyZip.size(), 8));
}

// ---- Refused inputs and command lines ----

// Stand-ins for paths in the argument lists of the cases below.
const std::vector<std::string> kStandardArguments = {"--jar", "JAR", "--settings", "SETTINGS",
                                                     "--output", "OUT", "--launcher", "LAUNCHER"};

std::vector<std::string> StandardArgumentsAnd(const std::vector<std::string>& more) {
    std::vector<std::string> arguments = kStandardArguments;
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
}

struct RefusalCase {
    const char* name;
    std::optional<std::string> jar;       // nullopt: no such file
    std::optional<std::string> settings;
    std::optional<std::string> launcher;
    std::vector<std::string> arguments;
    const char* messagePart;
    int status;
};

const std::string kValidSettings = "mainclass Main\n";

const RefusalCase kRefusalCases[] = {
    // Missing or unreadable inputs.
    {"MissingJar", std::nullopt, kValidSettings, kStandInLauncher, kStandardArguments,
     "cannot read the jar", 1},
    {"MissingSettings", kEmptyZip, std::nullopt, kStandInLauncher, kStandardArguments,
     "cannot read the settings file", 1},
    {"MissingLauncher", kEmptyZip, kValidSettings, std::nullopt, kStandardArguments,
     "cannot read the launcher", 1},
    {"SettingsIsADirectory", kEmptyZip, kValidSettings, kStandInLauncher,
     {"--jar", "JAR", "--settings", "DIR", "--output", "OUT", "--launcher", "LAUNCHER"},
     "cannot read the settings file", 1},
    {"OutputDirectoryMissing", kEmptyZip, kValidSettings, kStandInLauncher,
     {"--jar", "JAR", "--settings", "SETTINGS", "--output", "DIR/none/app", "--launcher", "LAUNCHER"},
     "cannot create", 1},
    // Jars that are not ZIP archives.
    {"JarIsText", std::string("mainclass Main\n"), kValidSettings, kStandInLauncher, kStandardArguments,
     "is not a ZIP archive", 1},
    {"JarIsEmpty", std::string(), kValidSettings, kStandInLauncher, kStandardArguments,
     "is not a ZIP archive", 1},
    {"JarEndRecordCut", kEmptyZip.substr(0, 21), kValidSettings, kStandInLauncher, kStandardArguments,
     "is not a ZIP archive", 1},
    {"JarBytesAfterEndRecord", kEmptyZip + "junk", kValidSettings, kStandInLauncher, kStandardArguments,
     "is not a ZIP archive", 1},
    {"JarDirectoryBeyondEndRecord",
     Bytes("PK\x05\x06") + std::string(8, '\0') + LittleEndian(10, 4) + LittleEndian(0, 4) +
         std::string(2, '\0'),
     kValidSettings, kStandInLauncher, kStandardArguments, "is not a ZIP archive", 1},
    // Launchers without exactly one slot.
    {"LauncherWithoutMarker", kEmptyZip, kValidSettings, kLauncherHead + kLauncherRest, kStandardArguments,
     "marker ZIPSIZE not found", 1},
    {"LauncherWithTwoMarkers", kEmptyZip, kValidSettings, kStandInLauncher + kSlotFill + kMarker,
     kStandardArguments, "more than once", 1},
    {"LauncherWithoutRoomForSlot", kEmptyZip, kValidSettings, "1234567" + kMarker + kLauncherRest,
     kStandardArguments, "marker ZIPSIZE not found", 1},
    // Settings the launcher would misread.
    {"SettingsBadContinuation", kEmptyZip, std::string("key=\xC3\x28"), kStandInLauncher, kStandardArguments,
     "is not valid UTF-8 (byte 4)", 1},
    {"SettingsOverlong", kEmptyZip, std::string("\xC0\xAF"), kStandInLauncher, kStandardArguments,
     "is not valid UTF-8 (byte 0)", 1},
    {"SettingsSurrogate", kEmptyZip, std::string("a\xED\xA0\x80"), kStandInLauncher, kStandardArguments,
     "is not valid UTF-8 (byte 1)", 1},
    {"SettingsBeyondUnicode", kEmptyZip, std::string("ab\xF4\x90\x80\x80"), kStandInLauncher, kStandardArguments,
     "is not valid UTF-8 (byte 2)", 1},
    {"SettingsCutSequence", kEmptyZip, std::string("key=\xE2\x82"), kStandInLauncher, kStandardArguments,
     "is not valid UTF-8 (byte 4)", 1},
    {"SettingsInUtf16", kEmptyZip, Bytes("\xFF\xFEm\0a\0"), kStandInLauncher, kStandardArguments,
     "is not valid UTF-8 (byte 0)", 1},
    {"SettingsWithNul", kEmptyZip, Bytes("mainclass Main\n\0argv x\n"), kStandInLauncher,
     kStandardArguments, "holds a NUL byte (byte 15)", 1},
    // Comments that do not fit a ZIP archive.
    {"CommentTooLong", kEmptyZip, kValidSettings, kStandInLauncher,
     StandardArgumentsAnd({"--comment", std::string(65536, 'c')}), "longer than 65535 bytes", 1},
    // Wrong command lines.
    {"UnknownOption", kEmptyZip, kValidSettings, kStandInLauncher, StandardArgumentsAnd({"--verbose"}),
     "unknown argument '--verbose'", 2},
    {"OptionWithoutValue", kEmptyZip, kValidSettings, kStandInLauncher, StandardArgumentsAnd({"--comment"}),
     "--comment needs a value", 2},
    {"OutputNotGiven", kEmptyZip, kValidSettings, kStandInLauncher,
     {"--jar", "JAR", "--settings", "SETTINGS", "--launcher", "LAUNCHER"}, "--output is required", 2},
    {"NoArguments", kEmptyZip, kValidSettings, kStandInLauncher, {}, "--jar is required", 2},
};

void PrintTo(const RefusalCase& c, std::ostream* out) {
    *out << c.name;
}

class PackRefusalTest : public testing::TestWithParam<RefusalCase> {};

TEST_P(PackRefusalTest, PrintsOneLineAndWritesNothing) {
    const RefusalCase& c = GetParam();
    TempDir dir;
    const std::pair<const std::optional<std::string>*, const char*> inputs[] = {
        {&c.jar, "app.jar"}, {&c.settings, "settings.txt"}, {&c.launcher, "launcher"}};
    for (const auto& [bytes, name] : inputs) {
        if (*bytes) {
            WriteFile(dir / name, **bytes);
        }
    }
    testsupport::MakeDirectories(dir / "out");
    std::vector<std::string> arguments;
    for (const std::string& argument : c.arguments) {
        arguments.push_back(argument == "JAR"        ? dir / "app.jar"
                            : argument == "SETTINGS" ? dir / "settings.txt"
                            : argument == "LAUNCHER" ? dir / "launcher"
                            : argument == "OUT"      ? dir / "out/app"
                            : argument.compare(0, 3, "DIR") == 0 ? dir.Path() + argument.substr(3)
                                                                 : argument);
    }

    ProcessResult result = RunPack(arguments);

    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.err.rfind("launcher-pack: ", 0), 0u) << result.err;
    EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << "not one line: " << result.err;
    EXPECT_NE(result.err.find(c.messagePart), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_TRUE(DirectoryEntries(dir / "out").empty()) << "an output or temporary file was written";
}

INSTANTIATE_TEST_SUITE_P(Cases, PackRefusalTest, testing::ValuesIn(kRefusalCases),
                         [](const testing::TestParamInfo<RefusalCase>& info) { return info.param.name; });

// ---- Help ----

class PackHelpTest : public testing::TestWithParam<std::vector<std::string>> {};

TEST_P(PackHelpTest, ExplainsEveryOptionAndSucceeds) {
    ProcessResult result = RunPack(GetParam());

    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out.rfind("Usage: launcher-pack --jar APP.jar --settings SETTINGS.txt --output OUT", 0), 0u)
        << result.out;
    for (const char* option : {"--jar", "--settings", "--output", "--launcher", "--comment", "--help"}) {
        EXPECT_NE(result.out.find(std::string("\n  ") + option + " "), std::string::npos) << option;
    }
}

INSTANTIATE_TEST_SUITE_P(CommandLines, PackHelpTest,
                         testing::Values(std::vector<std::string>{"--help"},
                                         std::vector<std::string>{"--jar", "missing.jar", "--help"}),
                         [](const testing::TestParamInfo<std::vector<std::string>>& info) {
                             return info.param.size() == 1 ? "Alone" : "AfterOtherArguments";
                         });

}  // namespace
