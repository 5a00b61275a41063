// An application no one here wrote: Maven's own launcher, packed as a generated executable
// with the properties its mvn script passes.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

using namespace testsupport;

namespace {

const char* const kMavenHome = "/usr/share/maven";

// The jars of Maven's lib directory, sorted.
std::vector<std::string> MavenJars()
{
    std::vector<std::string> jars;
    std::string lib = std::string(kMavenHome) + "/lib/";
    DIR* directory = opendir(lib.c_str());
    if (!directory)
        return jars;
    while (const dirent* entry = readdir(directory)) {
        std::string name = entry->d_name;
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".jar") == 0)
            jars.push_back(lib + name);
    }
    closedir(directory);
    std::sort(jars.begin(), jars.end());
    return jars;
}

// Maven's own m2.conf, except in the 32-bit build: the i386 Java runtime lists directories
// with a readdir that fails on this machine's file systems (EOVERFLOW; its own java command
// fails the same way), so "load lib/*.jar" would find nothing. There the same realm names
// every jar of lib/ instead.
std::string ClassworldsConf(const TempDir& dir)
{
    if (sizeof(void*) == 8)
        return std::string(kMavenHome) + "/bin/m2.conf";
    std::string conf = "main is org.apache.maven.cli.MavenCli from plexus.core\n"
                       "set maven.conf default ${maven.home}/conf\n"
                       "[plexus.core]\n"
                       "load ${maven.conf}/logging\n";
    for (const std::string& jar : MavenJars())
        conf += "load " + jar + "\n";
    WriteFile(dir / "m2.conf", conf);
    return dir / "m2.conf";
}

TEST(MavenTest, GeneratedMavenShowsItsVersion)
{
    std::string classworlds = std::string(kMavenHome) + "/boot/plexus-classworlds-2.x.jar";
    ASSERT_EQ(access(classworlds.c_str(), R_OK), 0) << classworlds << " missing: run scripts/setup";
    TempDir dir;
    std::string settings = std::string("mainclass org.codehaus.plexus.classworlds.launcher.Launcher\n") +
                           "jvmdll " + kTestLibJvm + "\n" +
                           "export MAVEN_HOME=" + kMavenHome + "\n" +
                           "export MAVEN_PROJECTBASEDIR=" + dir.Path() + "\n" +
                           "option -Dclassworlds.conf=" + ClassworldsConf(dir) + "\n" +
                           "option -Dmaven.home=$MAVEN_HOME\n" +
                           "option -Dlibrary.jansi.path=$MAVEN_HOME/lib/jansi-native\n" +
                           "option -Dmaven.multiModuleProjectDirectory=$MAVEN_PROJECTBASEDIR\n";
    std::string app = dir / "mvn";
    PackRequest request;
    request.jar = classworlds;
    request.settings = settings;
    request.output = app;
    Pack(request);

    ProcessOptions options;
    options.cwd = dir.Path();
    ProcessResult result = RunProcess({app, "--version"}, options);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("Apache Maven "), std::string::npos) << result.out;
    EXPECT_NE(result.out.find(std::string("Maven home: ") + kMavenHome), std::string::npos) << result.out;
}

}  // namespace
