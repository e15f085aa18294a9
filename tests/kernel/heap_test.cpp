// The process heap and its allocation fault.
#include <gtest/gtest.h>

#include "host/host_seams.h"

namespace {

TEST(Heap, AllocateZeroAndFree) {
    HANDLE heap = GetProcessHeap();
    const long live = HostLiveAllocations();
    unsigned char* block = static_cast<unsigned char*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, 64));
    ASSERT_NE(block, nullptr);
    for (int i = 0; i < 64; ++i) EXPECT_EQ(block[i], 0);
    void* empty = HeapAlloc(heap, 0, 0);
    EXPECT_NE(empty, nullptr);
    EXPECT_EQ(HostLiveAllocations(), live + 2);
    EXPECT_TRUE(HeapFree(heap, 0, block));
    EXPECT_TRUE(HeapFree(heap, 0, empty));
    EXPECT_EQ(HostLiveAllocations(), live);
    EXPECT_TRUE(HeapFree(heap, 0, nullptr));

    int onStack = 0;
    EXPECT_FALSE(HeapFree(heap, 0, &onStack)) << "not a block of the heap";
    EXPECT_EQ(HeapAlloc(reinterpret_cast<HANDLE>(0x1234), 0, 8), nullptr);
}

TEST(Heap, TheArmedAllocationFailsOnce) {
    HANDLE heap = GetProcessHeap();
    const long count = HostAllocCount();
    HostFailAlloc(2);
    void* first = HeapAlloc(heap, 0, 8);
    void* second = HeapAlloc(heap, 0, 8);
    void* third = HeapAlloc(heap, 0, 8);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(second, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_NE(third, nullptr);
    EXPECT_EQ(HostAllocCount(), count + 3);
    HeapFree(heap, 0, first);
    HeapFree(heap, 0, third);

    HostFailAlloc(1);
    HostFailAlloc(0);
    void* disarmed = HeapAlloc(heap, 0, 8);
    EXPECT_NE(disarmed, nullptr);
    HeapFree(heap, 0, disarmed);
}

}  // namespace
