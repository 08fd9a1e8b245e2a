// A test that starts with an empty clipboard nobody holds and checks that it leaves no global memory block
// behind but those the clipboard itself holds; and another thread that holds the clipboard for a while.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <future>
#include <thread>

#include "platform/platform.h"
#include "platform/posix/clipboard_standin.h"

namespace kt::test {

class CleanClipboard : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(platform::ClipboardOpen(nullptr));
        platform::ClipboardEmpty();
        ASSERT_TRUE(platform::ClipboardClose());
        liveBefore_ = platform::GlobalMemoryLiveBlocks();
    }
    void TearDown() override {
        platform::SetGlobalMemoryLimit(SIZE_MAX);
        ASSERT_TRUE(platform::ClipboardOpen(nullptr)) << "the clipboard was left open";
        platform::ClipboardEmpty();
        platform::ClipboardClose();
        EXPECT_EQ(platform::GlobalMemoryLiveBlocks(), liveBefore_) << "a block leaked";
    }

    size_t liveBefore_ = 0;
};

// Runs `holdWhile` while another thread holds the clipboard open.
template <class Action>
void WhileAnotherThreadHoldsTheClipboard(Action holdWhile) {
    std::promise<void> opened, done;
    std::thread holder([&] {
        ASSERT_TRUE(platform::ClipboardOpen(nullptr));
        opened.set_value();
        done.get_future().wait();
        platform::ClipboardClose();
    });
    opened.get_future().wait();
    holdWhile();
    done.set_value();
    holder.join();
}

}  // namespace kt::test
