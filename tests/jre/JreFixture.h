// What the runtime search and class path tests share: a published settings store, scoped
// environment changes and the files that stand in for Java runtimes.
#pragma once

#include "settings/SettingsLoader.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace jretest {

// Changes environment variables for one test; the destructor restores their former values.
class ScopedEnvironment {
public:
    ScopedEnvironment() = default;
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

    void Set(const char* name, const std::string& value);
    void Unset(const char* name);

private:
    void Remember(const char* name);

    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

// A store holding settings as its embedded text, with the given application home and
// working directory (each ending in '/'), published through pldr while it lives.
class TestStore {
public:
    TestStore(const std::string& settings, const std::string& appHome, const std::string& workDir);
    ~TestStore();
    TestStore(const TestStore&) = delete;
    TestStore& operator=(const TestStore&) = delete;

    CSettingsLoader& Get() { return m_store; }

private:
    CSettingsLoader m_store{false};
    CSettingsLoader* m_previous = nullptr;
};

// text with every "{name}" replaced by value.
[[nodiscard]] std::string Substitute(std::string text, const std::string& name, const std::string& value);
// A symbolic link at path (parent directories made) to target.
void MakeLink(const std::string& target, const std::string& path);
// A JVM library of this build's class and processor at path: a link to the test runtime's.
void PlaceLibrary(const std::string& path);
// A bare ELF header of the given class (1 = 32-bit, 2 = 64-bit) and machine at path.
void PlaceElfHeader(const std::string& path, unsigned char elfClass, unsigned short machine);
// A shell script that stands for the java command, executable, at path.
void PlaceJavaCommand(const std::string& path);

}  // namespace jretest
