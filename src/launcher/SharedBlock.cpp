#include "launcher/SharedBlock.h"

#include "sys/Files.h"

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <sys/ipc.h>

// Runs before anything in this process can set the variable, so a value found in the
// environment was inherited from another process and names an address there: it is never
// used. This process always allocates, owns and publishes its own block.
CSharedBlock::CSharedBlock()
{
    char path[PATH_MAX + 1];
    GetExecutablePath(path, sizeof(path));
    char name[32];
    snprintf(name, sizeof(name), "KEYSHM%08X", static_cast<unsigned int>(ftok(path, 255)));

    // Cleared, so that a reader never sees indeterminate slots.
    m_pBlock = static_cast<void**>(calloc(1, m_nSize));
    if (!m_pBlock)
        return;
    m_bOwner = true;
    char value[32];
    snprintf(value, sizeof(value), "%lX", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(m_pBlock)));
    setenv(name, value, 1);
}

CSharedBlock::~CSharedBlock()
{
    if (m_bOwner)
        free(m_pBlock);
    m_pBlock = nullptr;
    m_bOwner = false;
}
