// The line format of settings_dump: "name=value", the value escaped so every byte is visible.
#pragma once

#include <cstdio>
#include <string>

namespace settingstest {

// Printable ASCII as it is, '\' doubled, every other byte as \xHH.
inline std::string EscapeBytes(const char* bytes, size_t length)
{
    std::string escaped;
    for (size_t i = 0; i < length; ++i) {
        unsigned char byte = static_cast<unsigned char>(bytes[i]);
        if (byte == '\\') {
            escaped += "\\\\";
        } else if (byte >= 0x20 && byte < 0x7F) {
            escaped += static_cast<char>(byte);
        } else {
            char hex[8];
            snprintf(hex, sizeof hex, "\\x%02X", byte);
            escaped += hex;
        }
    }
    return escaped;
}

inline std::string EscapeBytes(const std::string& bytes)
{
    return EscapeBytes(bytes.data(), bytes.size());
}

}  // namespace settingstest
