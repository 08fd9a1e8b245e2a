// The in-process clipboard and global memory keep the Windows contract the text library relies on.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>

#include "platform/platform.h"
#include "platform/posix/clipboard_standin.h"
#include "tests/support/clean_clipboard.h"

using namespace kt::platform;

namespace {

// (The clean-up checks that the clipboard is not left open and that no block leaks.)
using ClipboardStandIn = kt::test::CleanClipboard;

}  // namespace

TEST_F(ClipboardStandIn, BlocksReportTheirSizeAndLocksNest) {
    EXPECT_EQ(GlobalMemoryAlloc(GlobalShared, 0), nullptr);
    const GlobalMemory block = GlobalMemoryAlloc(GlobalShared, 13);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(GlobalMemorySize(block), 13u);
    void* first = GlobalMemoryLock(block);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GlobalMemoryLock(block), first) << "the block does not move while locked";
    std::memset(first, 'x', 13);
    EXPECT_TRUE(GlobalMemoryUnlock(block));
    EXPECT_TRUE(GlobalMemoryUnlock(block));
    EXPECT_FALSE(GlobalMemoryUnlock(block)) << "more unlocks than locks";
    EXPECT_EQ(GlobalMemoryFree(block), nullptr);
}

TEST_F(ClipboardStandIn, StaleHandlesAreRefusedNotFollowed) {
    const GlobalMemory block = GlobalMemoryAlloc(GlobalShared, 4);
    ASSERT_EQ(GlobalMemoryFree(block), nullptr);
    EXPECT_EQ(GlobalMemoryFree(block), block) << "no second free";
    EXPECT_EQ(GlobalMemoryLock(block), nullptr);
    EXPECT_FALSE(GlobalMemoryUnlock(block));
    EXPECT_EQ(GlobalMemorySize(block), 0u);
    EXPECT_EQ(GlobalMemoryFree(nullptr), nullptr);
    ASSERT_TRUE(ClipboardOpen(nullptr));
    EXPECT_EQ(ClipboardSetData(1, block), nullptr);
    EXPECT_EQ(ClipboardSetData(1, nullptr), nullptr);
    ClipboardClose();
}

TEST_F(ClipboardStandIn, TheClipboardOwnsABlockOnlyAfterASuccessfulSet) {
    const GlobalMemory refused = GlobalMemoryAlloc(GlobalShared, 4);
    const GlobalMemory accepted = GlobalMemoryAlloc(GlobalShared, 8);
    EXPECT_EQ(ClipboardSetData(1, refused), nullptr) << "not open";
    ASSERT_TRUE(ClipboardOpen(nullptr));
    EXPECT_EQ(ClipboardSetData(0, refused), nullptr) << "format 0";
    EXPECT_EQ(GlobalMemoryFree(refused), nullptr) << "a refused block is still the caller's";
    ASSERT_EQ(ClipboardSetData(7, accepted), accepted);
    EXPECT_EQ(ClipboardSetData(7, accepted), accepted) << "setting it again changes nothing";
    EXPECT_EQ(ClipboardSetData(8, accepted), nullptr) << "one block is the data of one format";
    EXPECT_EQ(GlobalMemoryFree(accepted), accepted) << "the clipboard's now";
    EXPECT_EQ(ClipboardGetData(7), accepted);
    EXPECT_EQ(ClipboardGetData(8), nullptr);
    EXPECT_TRUE(ClipboardClose());
    EXPECT_EQ(ClipboardGetData(7), nullptr) << "reading needs the clipboard open";

    ASSERT_TRUE(ClipboardOpen(nullptr));
    EXPECT_EQ(ClipboardGetData(7), accepted) << "data outlives the close";
    const size_t live = GlobalMemoryLiveBlocks();
    const GlobalMemory replacement = GlobalMemoryAlloc(GlobalShared, 2);
    ASSERT_EQ(ClipboardSetData(7, replacement), replacement);
    EXPECT_EQ(GlobalMemoryLiveBlocks(), live) << "the block it replaced is freed";
    EXPECT_TRUE(ClipboardEmpty());
    EXPECT_EQ(GlobalMemoryLiveBlocks(), live - 1);
    EXPECT_EQ(GlobalMemorySize(replacement), 0u);
    ClipboardClose();
}

TEST_F(ClipboardStandIn, OneHolderAtATime) {
    EXPECT_FALSE(ClipboardEmpty());
    EXPECT_FALSE(ClipboardClose());
    int window = 0, otherWindow = 0;
    ASSERT_TRUE(ClipboardOpen(&window));
    EXPECT_TRUE(ClipboardOpen(&window)) << "the holder may open again";
    EXPECT_FALSE(ClipboardOpen(&otherWindow));
    EXPECT_FALSE(ClipboardOpen(nullptr));
    std::thread other([&] {
        EXPECT_FALSE(ClipboardOpen(&window)) << "the same window on another thread";
        EXPECT_FALSE(ClipboardClose());
        EXPECT_FALSE(ClipboardEmpty());
    });
    other.join();
    EXPECT_TRUE(ClipboardClose());
    EXPECT_FALSE(ClipboardClose()) << "one close ends both opens";

    kt::test::WhileAnotherThreadHoldsTheClipboard([] { EXPECT_FALSE(ClipboardOpen(nullptr)); });
    EXPECT_TRUE(ClipboardOpen(nullptr));
    ClipboardClose();
}

TEST_F(ClipboardStandIn, TheLimitMakesAllocationsFail) {
    const GlobalMemory block = GlobalMemoryAlloc(GlobalShared, 10);
    SetGlobalMemoryLimit(15);
    EXPECT_EQ(GlobalMemoryAlloc(GlobalShared, 6), nullptr);
    const GlobalMemory fits = GlobalMemoryAlloc(GlobalShared, 5);
    EXPECT_NE(fits, nullptr);
    SetGlobalMemoryLimit(SIZE_MAX);
    GlobalMemoryFree(block);
    GlobalMemoryFree(fits);
}

TEST(SystemMessage, KnownCodesEndWithCrLf) {
    const std::string expected = std::string(std::strerror(ENOENT)) + "\r\n";
    const int32_t needed = SystemMessageText(ENOENT, nullptr, 0);
    ASSERT_EQ(needed, static_cast<int32_t>(expected.size()) + 1);
    char16_t out[128];
    ASSERT_EQ(SystemMessageText(ENOENT, out, 128), needed);
    EXPECT_EQ(std::u16string(out), std::u16string(expected.begin(), expected.end()));
    EXPECT_EQ(SystemMessageText(ENOENT, out, needed - 1), 0) << "too small";
    EXPECT_EQ(SystemMessageText(ENOENT, out, 0), needed) << "a capacity of 0 asks for the size";
}

TEST(SystemMessage, UnknownCodesHaveNone) {
    char16_t out[128];
    for (uint32_t code : {0xdeadbeefu, 0x80000000u, 4000u, 0xFFFFFFFFu}) {
        EXPECT_EQ(SystemMessageText(code, nullptr, 0), 0) << code;
        EXPECT_EQ(SystemMessageText(code, out, 128), 0) << code;
    }
}
