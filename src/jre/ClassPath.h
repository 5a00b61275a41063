#pragma once

#include "settings/SettingsLoader.h"

// The executable's path, the classpath entries, the archives under the libs directories,
// then CLASSPATH and CLASS_PATH, separated by ':'.
[[nodiscard]] MyCString BuildClassPath(CSettingsLoader& store);
// Appends ":" + path for every .jar or .zip (any case) below directory, at any depth.
void ScanJarDirectory(const char* directory, MyCString& out);
