#include "jvm/JavaHost.h"

CJavaHost* phost = nullptr;
