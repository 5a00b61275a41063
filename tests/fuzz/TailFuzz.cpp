// A generated executable's bytes in (the first 4 bytes give the archive size the slot would
// hold), the embedded settings out.
#include "settings/SettingsLoader.h"
#include "settings/SettingsTail.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    long long archiveSize = data[0] | data[1] << 8 | data[2] << 16 | static_cast<uint32_t>(data[3]) << 24;
    int fd = memfd_create("image", 0);
    if (fd < 0 || write(fd, data + 4, size - 4) != static_cast<ssize_t>(size - 4))
        return 0;
    std::string path = "/proc/self/fd/" + std::to_string(fd);
    {
        CMappedFile image(path.c_str());
        long long tailOffset = LocateTail(image, archiveSize);
        MyCString block;
        if (tailOffset != 0 && ReadEmbeddedBlock(image, tailOffset, block)) {
            CSettingsLoader store(false);
            store.AppendDecodedText(block);
            MyCString mainClass = store.QuerySetting("mainclass", nullptr, nullptr, true);
        }
    }
    close(fd);
    return 0;
}
