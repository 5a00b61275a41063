#pragma once

#include "text/Buffer.h"

// The running executable's absolute path (read into 4096 bytes); empty when it cannot be read.
[[nodiscard]] MyCString ExecutablePath();

// path up to and including its last '/' or '\'; empty when it has neither.
[[nodiscard]] MyCString DirectoryOf(const MyCString& path);

// Joins base and path into buffer (strncpy-style, size bytes) and returns the joined path's
// full length, which may exceed size. An absolute path ('/', or a drive 'X:') replaces the base.
int CombinePath(const char* base, const char* path, char* buffer, int size);

// Changes the working directory to value taken relative to pldr's application home; a joined
// path that is empty or does not fit 4096 bytes, or a failing chdir, changes nothing.
void ApplyForcedWorkingDirectory(const char* value);
