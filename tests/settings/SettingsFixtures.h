// Scoped changes of process state for the settings tests: each restores what it changed.
#pragma once

#include "settings/SettingsLoader.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace settingstest {

// Switches every locale category; back to "C" afterwards.
class ScopedLocale {
public:
    explicit ScopedLocale(const char* name) { m_bActive = setlocale(LC_ALL, name) != nullptr; }
    ~ScopedLocale() { setlocale(LC_ALL, "C"); }
    bool IsActive() const { return m_bActive; }

private:
    bool m_bActive = false;
};

// Sets (or, with a null value, removes) one environment variable; restores it afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name)
    {
        const char* old = getenv(name);
        m_bHadValue = old != nullptr;
        if (old)
            m_old = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (m_bHadValue)
            setenv(m_name.c_str(), m_old.c_str(), 1);
        else
            unsetenv(m_name.c_str());
    }

private:
    std::string m_name;
    std::string m_old;
    bool m_bHadValue = false;
};

// A store published through pldr, with given paths; unpublished afterwards.
class ScopedStore {
public:
    ScopedStore(const char* exePath, const char* appHome, const char* workDir) : m_store(false)
    {
        m_store.m_strExePath = MyCString(exePath);
        m_store.m_strAppHome = MyCString(appHome);
        m_store.m_strWorkDir = MyCString(workDir);
        pldr = &m_store;
    }
    ~ScopedStore() { pldr = nullptr; }
    CSettingsLoader& Store() { return m_store; }

private:
    CSettingsLoader m_store;
};

// Returns to the working directory of its construction.
class ScopedCwd {
public:
    ScopedCwd()
    {
        char buffer[4096];
        if (getcwd(buffer, sizeof buffer))
            m_path = buffer;
    }
    ~ScopedCwd()
    {
        if (chdir(m_path.c_str()) != 0)
            ADD_FAILURE() << "cannot return to " << m_path;
    }

private:
    std::string m_path;
};

// The current working directory.
inline std::string CurrentDirectory()
{
    char buffer[4096];
    return getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string();
}

}  // namespace settingstest
