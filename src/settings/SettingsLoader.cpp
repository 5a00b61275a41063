#include "settings/SettingsLoader.h"

CSettingsLoader* pldr = nullptr;
