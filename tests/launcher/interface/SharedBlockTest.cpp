// CSharedBlock constructed in the test process: whatever the environment holds under the
// block's name, the instance allocates, owns and publishes its own block.
#include "launcher/SharedBlock.h"

#include <gtest/gtest.h>

#include <sys/ipc.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
// From the sanitizer's run time; GCC ships no header for it.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

namespace {

// Bytes handed out by the heap and not yet freed.
size_t HeapBytesInUse()
{
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

// The variable name native code computes: the ftok key of this process's executable file.
std::string BlockVariableName()
{
    char path[4096] = {};
    ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
    EXPECT_GT(length, 0);
    char name[32];
    snprintf(name, sizeof(name), "KEYSHM%08X", static_cast<unsigned int>(ftok(path, 255)));
    return name;
}

std::string AddressText(const void* address)
{
    char text[32];
    snprintf(text, sizeof(text), "%lX", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(address)));
    return text;
}

struct EnvironmentCase {
    const char* label;
    const char* value;  // the variable's value when the block is constructed; null: absent
};

void PrintTo(const EnvironmentCase& c, std::ostream* os)
{
    *os << c.label;
}

class SharedBlockTest : public ::testing::TestWithParam<EnvironmentCase> {
protected:
    void SetUp() override
    {
        if (GetParam().value)
            setenv(m_name.c_str(), GetParam().value, 1);
        else
            unsetenv(m_name.c_str());
    }
    void TearDown() override { unsetenv(m_name.c_str()); }

    std::string m_name = BlockVariableName();
};

TEST_P(SharedBlockTest, AllocatesOwnsAndPublishesItsOwnBlock)
{
    CSharedBlock block;
    ASSERT_NE(block.m_pBlock, nullptr);
    EXPECT_TRUE(block.m_bOwner);
    EXPECT_EQ(block.m_nSize, 4096u);
    const char* published = getenv(m_name.c_str());
    ASSERT_NE(published, nullptr);
    EXPECT_EQ(published, AddressText(block.m_pBlock));
    // The whole block is this process's memory: writing its last slot is safe.
    block.m_pBlock[4096 / sizeof(void*) - 1] = &block;
}

TEST_P(SharedBlockTest, FreesItsBlockOnDestruction)
{
    CSharedBlock* block = new CSharedBlock;
    ASSERT_TRUE(block->m_bOwner);
    size_t inUse = HeapBytesInUse();
    delete block;
    EXPECT_GE(inUse - HeapBytesInUse(), 4096u);
}

const EnvironmentCase kEnvironmentCases[] = {
    {"Absent", nullptr},
    {"InheritedFromAnotherProcess", "7FFDDEADB000"},
    {"NotHexadecimal", "not an address"},
    {"Empty", ""},
};
INSTANTIATE_TEST_SUITE_P(Variable, SharedBlockTest, ::testing::ValuesIn(kEnvironmentCases),
                         [](const auto& info) { return std::string(info.param.label); });

}  // namespace
