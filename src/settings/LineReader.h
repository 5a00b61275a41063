#pragma once

#include "text/Buffer.h"

// Reads the lines of a NUL-terminated text. A line ends at CR LF, LF CR, a lone CR or a
// lone LF; the first NUL ends the text. The data pointer is the read cursor.
class CLineReader : public CBufferRefT<char> {
public:
    explicit CLineReader(const char* text) : CBufferRefT<char>(const_cast<char*>(text), 0) {}

    // Stores the next line (without terminator) in line; false when the text is exhausted.
    [[nodiscard]] bool ReadLine(MyCString& line);
};
