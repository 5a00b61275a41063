#include "sys/Files.h"
