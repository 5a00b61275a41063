#pragma once

#include "text/Buffer.h"

// Splits text in place like a command line (blanks separate, double quotes group, backslash
// escapes) and appends a pointer to each token to list. Returns the list's element count.
int SplitArguments(CBufferT<char*>& list, char* text);
