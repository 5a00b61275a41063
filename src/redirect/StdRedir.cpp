#include "redirect/StdRedir.h"
