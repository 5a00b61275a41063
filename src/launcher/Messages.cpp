#include "launcher/Messages.h"
