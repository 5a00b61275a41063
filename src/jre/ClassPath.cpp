#include "jre/ClassPath.h"
