#pragma once

#include "text/Buffer.h"

// Substitutes %NAME% and $NAME references (environment first, then the built-in variables of
// pldr); %% and $$ give one marker; unresolved references stay as written. With toUtf8,
// non-ASCII substitutions are converted from the locale's encoding to UTF-8.
[[nodiscard]] MyCString ExpandVariables(const MyCString& value, bool toUtf8);

// True for a byte that may belong to a variable name or continue a settings key:
// alphanumeric in the current locale, or '_'.
[[nodiscard]] bool IsNameByte(char c);
