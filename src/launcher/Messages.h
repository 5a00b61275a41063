#pragma once

#include "text/Buffer.h"

#include <cstdint>

// One entry of the exported message table; id 0 ends the table.
struct MessageEntry {
    uintptr_t id;
    const char* text;
};

// The built-in message texts, exported for native code in the process.
extern const MessageEntry msgTable[];

// The text of message id: the first `message` override, else the table, else id in decimal.
[[nodiscard]] MyCString GetMessageText(unsigned int id);
// text with \r, \n and \t turned into their characters and any other backslash dropped.
[[nodiscard]] MyCString UnescapeMessageText(const char* text);
