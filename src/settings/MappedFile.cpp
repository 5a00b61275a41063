#include "settings/MappedFile.h"

CMappedFile::CMappedFile(const char* path)
{
    m_pFile = OpenReadOnly(path);
    if (m_pFile == INVALID_SYS_HANDLE)
        return;
    long long size = GetHandleFileSize64(m_pFile);
    if (size <= 0)
        return;
    m_pMapping = MapReadOnly(m_pFile);
    if (m_pMapping == INVALID_SYS_HANDLE)
        return;
    m_pBytes = static_cast<const unsigned char*>(GetMappedAddress(m_pMapping));
    long long mapped = static_cast<long long>(m_pMapping->length);
    m_nSize = m_pBytes ? (mapped < size ? mapped : size) : 0;
}

CMappedFile::~CMappedFile()
{
    if (m_pMapping != INVALID_SYS_HANDLE)
        CloseSysHandle(m_pMapping);
    if (m_pFile != INVALID_SYS_HANDLE)
        CloseSysHandle(m_pFile);
}

const unsigned char* CMappedFile::BytesAt(long long offset, long long count) const
{
    if (!m_pBytes || offset < 0 || count < 0 || offset > m_nSize || count > m_nSize - offset)
        return nullptr;
    return m_pBytes + offset;
}
