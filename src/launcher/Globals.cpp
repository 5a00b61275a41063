#include "launcher/SharedBlock.h"
