#pragma once

#include <cstddef>

// The process-wide block through which native code finds the settings store (slot 0) and the
// JVM host (slot 1). Its address is published in the environment under "KEYSHM%08X" of the
// executable file's ftok key. Plain class without virtual operations: members keep this order.
class CSharedBlock {
public:
    CSharedBlock();
    ~CSharedBlock();
    CSharedBlock(const CSharedBlock&) = delete;
    CSharedBlock& operator=(const CSharedBlock&) = delete;

    void** m_pBlock = nullptr;
    size_t m_nSize = 4096;
    bool m_bOwner = false;
};

extern CSharedBlock sharedBlock;
