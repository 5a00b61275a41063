#include "jvm/ArgumentSplitter.h"

namespace {

[[nodiscard]] bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

}  // namespace

int SplitArguments(CBufferT<char*>& list, char* text)
{
    // The write position never passes the read position, so the text is rewritten in place.
    int read = 0;
    int write = 0;
    bool quoting = false;
    for (;;) {
        while (IsBlank(text[read])) {
            text[write++] = 0;
            ++read;
        }
        if (text[read] == 0)
            break;
        char* token = text + write;
        list.Append(&token, 1);
        while (text[read] != 0 && (quoting || !IsBlank(text[read]))) {
            char c = text[read++];
            if (c == '"') {
                quoting = !quoting;
            } else if (c == '\\' && !quoting && text[read] != 0) {
                text[write++] = text[read++];
            } else if (c == '\\' && quoting && (text[read] == '\\' || text[read] == '"')) {
                text[write++] = text[read++];
            } else {
                text[write++] = c;
            }
        }
    }
    text[write] = 0;
    return list.GetLength();
}
