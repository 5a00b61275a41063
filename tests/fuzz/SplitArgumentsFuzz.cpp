// An argv setting value in, its tokens out. Every token must lie inside the value.
#include "jvm/ArgumentSplitter.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<char> text(data, data + size);
    text.push_back('\0');
    char* start = text.data();
    CBufferT<char*> tokens;
    int count = SplitArguments(tokens, start);
    for (int i = 0; i < count; ++i) {
        char* token = tokens.m_pData[i];
        if (token < start || token + strlen(token) >= start + text.size())
            abort();
    }
    return 0;
}
