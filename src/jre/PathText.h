// Path text helpers shared by the runtime search, the JVM library lookup and the class path.
#pragma once

#include "sys/DirectoryListing.h"
#include "text/Buffer.h"

// Appends the C string text to target.
void AppendText(MyCString& target, const char* text);
// a + b + c as one string.
[[nodiscard]] MyCString Concatenate(const char* a, const char* b, const char* c = "");
// path followed by '/' unless it already ends in '/' or '\\'; "" becomes "/".
[[nodiscard]] MyCString WithTrailingSeparator(const char* path);
// True for a listed directory other than "." and "..".
[[nodiscard]] bool IsSubdirectoryEntry(const FindData& entry);
