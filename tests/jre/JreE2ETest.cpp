// The runtime search seen through generated executables: the real launcher, packed with a
// small application, finds the test runtime by each source or reports that there is none.
#include "JreFixture.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

using testsupport::TempDir;

const char kMainSource[] =
    "public class Hello {\n"
    "    public static void main(String[] args) {\n"
    "        System.out.println(\"hello from \" + System.getProperty(\"java.specification.version\"));\n"
    "    }\n"
    "}\n";

// The installed runtime of the other processor, whose library this launcher cannot load.
const char* const kOtherJavaHome =
    sizeof(void*) == 8 ? "/usr/lib/jvm/java-17-openjdk-i386" : "/usr/lib/jvm/java-17-openjdk-amd64";

struct SearchCase {
    const char* name;
    const char* settings;  // after the mainclass line; {java} is the test runtime's home
    // {java}, {other} (kOtherJavaHome) and {tmp} filled in.
    std::vector<std::pair<const char*, const char*>> environment;
    int status;
    const char* out;
    const char* err;
};

// Cases show as their names in test listings.
void PrintTo(const SearchCase& test, std::ostream* os) { *os << test.name; }

const SearchCase kCases[] = {
    {"ExplicitLibrary", "jre_order c\njvmdll {java}/lib/server/libjvm.so", {}, 0, "hello from 17\n", ""},
    {"JavaHome", "jre_order e", {{"JAVA_HOME", "{java}"}}, 0, "hello from 17\n", ""},
    {"JavaCommandOnPath", "jre_order s", {{"PATH", "{tmp}/bin"}}, 0, "hello from 17\n", ""},
    {"OtherProcessorRuntimePassedOver", "jre_order e", {{"JRE_HOME", "{other}"}, {"JAVA_HOME", "{java}"}}, 0,
     "hello from 17\n", ""},
    {"NoSource", "jre_order i", {}, 1, "", "Java Runtime Environment not found.\n"},
};

class RuntimeSearchE2E : public testing::TestWithParam<SearchCase> {};

TEST_P(RuntimeSearchE2E, RunsOrReports)
{
    const SearchCase& test = GetParam();
    TempDir dir;
    // A java command reached through a link.
    jretest::MakeLink(std::string(testsupport::kTestJavaHome) + "/bin/java", dir / "bin/java");
    testsupport::MakeJar(dir / "hello.jar", {{"Hello.java", kMainSource}});
    testsupport::PackRequest pack;
    pack.jar = dir / "hello.jar";
    pack.settings = jretest::Substitute(std::string("mainclass Hello\n") + test.settings + "\n", "java",
                                        testsupport::kTestJavaHome);
    pack.output = dir / "hello";
    testsupport::Pack(pack);

    testsupport::ProcessOptions options;
    options.unsetEnv = {"JRE_HOME", "JAVA_HOME", "CLASSPATH", "CLASS_PATH"};
    for (const auto& [name, value] : test.environment) {
        std::string filled = jretest::Substitute(value, "java", testsupport::kTestJavaHome);
        filled = jretest::Substitute(filled, "other", kOtherJavaHome);
        options.setEnv.push_back(std::string(name) + "=" + jretest::Substitute(filled, "tmp", dir.Path()));
    }
    const testsupport::ProcessResult result = testsupport::RunProcess({dir / "hello"}, options);

    EXPECT_EQ(result.status, test.status) << result.err;
    EXPECT_EQ(result.out, test.out);
    EXPECT_EQ(result.err, test.err);
}

INSTANTIATE_TEST_SUITE_P(Sources, RuntimeSearchE2E, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<SearchCase>& info) { return std::string(info.param.name); });

}  // namespace
