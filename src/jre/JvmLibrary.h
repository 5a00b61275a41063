#pragma once

#include "settings/SettingsLoader.h"

// Path of a readable libjvm.so for this build's processor below home (a Java home or the
// directory of a java command), or "" when none is found.
[[nodiscard]] MyCString FindJvmLibrary(CSettingsLoader& store, const char* home);
