#include "JreFixture.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

namespace jretest {

ScopedEnvironment::~ScopedEnvironment()
{
    // Latest first, so a variable changed twice ends with its first saved value.
    for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
        if (it->second)
            setenv(it->first.c_str(), it->second->c_str(), 1);
        else
            unsetenv(it->first.c_str());
    }
}

void ScopedEnvironment::Remember(const char* name)
{
    const char* value = getenv(name);
    m_saved.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
}

void ScopedEnvironment::Set(const char* name, const std::string& value)
{
    Remember(name);
    setenv(name, value.c_str(), 1);
}

void ScopedEnvironment::Unset(const char* name)
{
    Remember(name);
    unsetenv(name);
}

TestStore::TestStore(const std::string& settings, const std::string& appHome, const std::string& workDir)
{
    m_store.LoadFromText("", settings.c_str());
    m_store.m_strAppHome = MyCString(appHome.c_str());
    m_store.m_strWorkDir = MyCString(workDir.c_str());
    m_previous = pldr;
    pldr = &m_store;
}

TestStore::~TestStore()
{
    pldr = m_previous;
}

std::string Substitute(std::string text, const std::string& name, const std::string& value)
{
    const std::string marker = "{" + name + "}";
    for (size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at + value.size()))
        text.replace(at, marker.size(), value);
    return text;
}

void MakeLink(const std::string& target, const std::string& path)
{
    testsupport::MakeDirectories(path.substr(0, path.rfind('/')));
    ASSERT_EQ(symlink(target.c_str(), path.c_str()), 0) << path;
}

void PlaceLibrary(const std::string& path)
{
    MakeLink(testsupport::kTestLibJvm, path);
}

void PlaceElfHeader(const std::string& path, unsigned char elfClass, unsigned short machine)
{
    std::string header(64, '\0');
    header.replace(0, 4, "\x7f" "ELF");
    header[4] = static_cast<char>(elfClass);
    header[5] = 1;   // little-endian
    header[6] = 1;   // current version
    header[16] = 3;  // shared object
    header[18] = static_cast<char>(machine & 0xFF);
    header[19] = static_cast<char>(machine >> 8);
    testsupport::WriteFile(path, header);
}

void PlaceJavaCommand(const std::string& path)
{
    testsupport::WriteFile(path, "#!/bin/sh\nexit 0\n", 0755);
}

}  // namespace jretest
