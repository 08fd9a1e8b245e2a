#include "text/util/clipboard.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "tests/support/clean_clipboard.h"
#include "tests/support/text_literals.h"

using namespace kt;
using kt::test::Ascii;
using kt::test::Units;
using kt::test::WhileAnotherThreadHoldsTheClipboard;
namespace pf = kt::platform;

namespace {

template <class Char>
constexpr uint32_t FormatFor = sizeof(Char) == 1 ? ClipboardFormatText : ClipboardFormatUnicodeText;

class ClipboardTest : public kt::test::CleanClipboard {
  protected:
    // The block the clipboard holds for `format` and its size (0 when none).
    static size_t ClipboardBlockSize(uint32_t format) {
        if (!pf::ClipboardOpen(nullptr)) return 0;
        const size_t size = pf::GlobalMemorySize(pf::ClipboardGetData(format));
        pf::ClipboardClose();
        return size;
    }
};

}  // namespace

template <class S>
class ClipboardText : public ClipboardTest {
  protected:
    using Char = typename S::CharType;
    static S Make(std::string_view ascii) { return S(Ascii<Char>(ascii).c_str()); }
};
TYPED_TEST_SUITE(ClipboardText, kt::test::AllModes);

TYPED_TEST(ClipboardText, CopyAndPasteRoundTrip) {
    using Char = typename TestFixture::Char;
    const auto text = this->Make("line one\r\nline two, long enough to leave any inline buffer");
    ASSERT_TRUE(CopyToClipboard(text, FormatFor<Char>));
    EXPECT_EQ(this->ClipboardBlockSize(FormatFor<Char>),
              (static_cast<size_t>(text.Length()) + 1) * sizeof(Char))
        << "the text and its terminator";
    auto pasted = this->Make("old");
    ASSERT_TRUE(PasteFromClipboard(pasted, FormatFor<Char>));
    EXPECT_EQ(Units(pasted), Units(text));
    EXPECT_EQ(pasted.Length(), text.Length());

    ASSERT_TRUE(CopyToClipboard(this->Make(""), FormatFor<Char>));
    EXPECT_EQ(this->ClipboardBlockSize(FormatFor<Char>), sizeof(Char)) << "an empty text is its terminator";
    ASSERT_TRUE(PasteFromClipboard(pasted, FormatFor<Char>));
    EXPECT_EQ(pasted.Length(), 0);
}

TYPED_TEST(ClipboardText, PasteWithoutDataLeavesTheStringUnchanged) {
    using Char = typename TestFixture::Char;
    ASSERT_TRUE(CopyToClipboard(this->Make("other format"), FormatFor<Char> + 100));
    auto s = this->Make("unchanged");
    EXPECT_FALSE(PasteFromClipboard(s, FormatFor<Char>));
    EXPECT_EQ(Units(s), Ascii<Char>("unchanged"));
    EXPECT_TRUE(pf::ClipboardOpen(nullptr)) << "closed again after the failure";
    pf::ClipboardClose();
}

TYPED_TEST(ClipboardText, BusyClipboardFailsBothWays) {
    using Char = typename TestFixture::Char;
    ASSERT_TRUE(CopyToClipboard(this->Make("before"), FormatFor<Char>));
    auto s = this->Make("unchanged");
    WhileAnotherThreadHoldsTheClipboard([&] {
        EXPECT_FALSE(CopyToClipboard(this->Make("new"), FormatFor<Char>));
        EXPECT_FALSE(PasteFromClipboard(s, FormatFor<Char>));
    });
    EXPECT_EQ(Units(s), Ascii<Char>("unchanged"));
    ASSERT_TRUE(PasteFromClipboard(s, FormatFor<Char>));
    EXPECT_EQ(Units(s), Ascii<Char>("before")) << "the failed copy changed nothing";
    // Another owner on this thread counts as another holder too.
    int window = 0;
    ASSERT_TRUE(pf::ClipboardOpen(&window));
    EXPECT_FALSE(CopyToClipboard(this->Make("new"), FormatFor<Char>));
    pf::ClipboardClose();
}

TYPED_TEST(ClipboardText, GlobalMemoryRoundTrip) {
    using Char = typename TestFixture::Char;
    const auto text = this->Make("through a block");
    const pf::GlobalMemory block = ToGlobalMemory(text);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(pf::GlobalMemorySize(block), (static_cast<size_t>(text.Length()) + 1) * sizeof(Char));
    EXPECT_FALSE(pf::GlobalMemoryUnlock(block)) << "handed over unlocked";
    auto s = this->Make("x");
    ASSERT_TRUE(FromGlobalMemory(s, block));
    EXPECT_EQ(Units(s), Units(text));
    EXPECT_EQ(pf::GlobalMemoryFree(block), nullptr) << "the caller owns it";
    EXPECT_FALSE(FromGlobalMemory(s, block)) << "a freed handle";
    EXPECT_FALSE(FromGlobalMemory(s, nullptr));
    EXPECT_EQ(Units(s), Units(text));
}

TYPED_TEST(ClipboardText, BlockContentsDecideTheText) {
    using Char = typename TestFixture::Char;
    auto blockOf = [](const void* bytes, size_t size) {
        const pf::GlobalMemory block = pf::GlobalMemoryAlloc(pf::GlobalShared, size);
        std::memcpy(pf::GlobalMemoryLock(block), bytes, size);
        pf::GlobalMemoryUnlock(block);
        return block;
    };
    const auto withZero = Ascii<Char>(std::string_view("ab\0cd", 5));
    const pf::GlobalMemory early = blockOf(withZero.data(), withZero.size() * sizeof(Char));
    const auto unterminated = Ascii<Char>("xyz");
    const pf::GlobalMemory full = blockOf(unterminated.data(), unterminated.size() * sizeof(Char));
    auto s = this->Make("");
    ASSERT_TRUE(FromGlobalMemory(s, early));
    EXPECT_EQ(Units(s), Ascii<Char>("ab")) << "the text ends at the first zero";
    ASSERT_TRUE(FromGlobalMemory(s, full));
    EXPECT_EQ(Units(s), Ascii<Char>("xyz")) << "or at the end of the block";
    if constexpr (sizeof(Char) == 1) {
        EXPECT_GE(s.Capacity(), 4 * 3 + 4) << "four bytes per block byte plus four";
    } else {
        const unsigned char odd[] = {'a', 0, 'b', 0, 'c'};  // the last unit has only its low byte
        const pf::GlobalMemory oddBlock = blockOf(odd, sizeof odd);
        ASSERT_TRUE(FromGlobalMemory(s, oddBlock));
        EXPECT_EQ(Units(s), u"abc");
        pf::GlobalMemoryFree(oddBlock);
    }
    pf::GlobalMemoryFree(early);
    pf::GlobalMemoryFree(full);
}

TEST_F(ClipboardTest, PastingLeavesOtherHoldersAndForeignCharactersAlone) {
    ASSERT_TRUE(CopyToClipboard(u"pasted", ClipboardFormatUnicodeText));
    KTStringShared<char16_t> first(u"shared");
    KTStringShared<char16_t> second = first;
    ASSERT_TRUE(PasteFromClipboard(second, ClipboardFormatUnicodeText));
    EXPECT_EQ(Units(first), u"shared");
    EXPECT_EQ(Units(second), u"pasted");
    const std::u16string foreign = u"foreign";
    KTStringBorrowed<char16_t> borrowed(Borrow, foreign.c_str());
    ASSERT_TRUE(PasteFromClipboard(borrowed, ClipboardFormatUnicodeText));
    EXPECT_EQ(foreign, u"foreign");
    EXPECT_EQ(Units(borrowed), u"pasted");
}

TEST_F(ClipboardTest, SetClipboardTextNeedsTheClipboardOpen) {
    EXPECT_FALSE(SetClipboardText("closed", ClipboardFormatText)) << "refused, and its block freed";
    ASSERT_TRUE(pf::ClipboardOpen(nullptr));
    EXPECT_TRUE(SetClipboardText("whole", ClipboardFormatText));
    EXPECT_TRUE(SetClipboardText(u"abcdef", ClipboardFormatUnicodeText, 3));
    EXPECT_EQ(pf::GlobalMemorySize(pf::ClipboardGetData(ClipboardFormatText)), 6u);
    EXPECT_EQ(pf::GlobalMemorySize(pf::ClipboardGetData(ClipboardFormatUnicodeText)), 6u)
        << "three units, no terminator";
    pf::ClipboardClose();
    KTString<char16_t> s;
    ASSERT_TRUE(PasteFromClipboard(s, ClipboardFormatUnicodeText));
    EXPECT_EQ(Units(s), u"abc");
}

TEST_F(ClipboardTest, NullTextsAreEmptyTexts) {
    ASSERT_TRUE(CopyToClipboard(static_cast<const char16_t*>(nullptr), ClipboardFormatUnicodeText));
    EXPECT_EQ(ClipboardBlockSize(ClipboardFormatUnicodeText), 2u);
    KTString<char16_t> pasted(u"old");
    ASSERT_TRUE(PasteFromClipboard(pasted, ClipboardFormatUnicodeText));
    EXPECT_EQ(pasted.Length(), 0);
    const pf::GlobalMemory block = ToGlobalMemory(static_cast<const char*>(nullptr));
    EXPECT_EQ(pf::GlobalMemorySize(block), 1u);
    KTString<char> fromBlock;  // the shared empty value: reading into it must allocate
    ASSERT_TRUE(FromGlobalMemory(fromBlock, block));
    EXPECT_EQ(fromBlock.Length(), 0);
    EXPECT_FALSE(fromBlock.IsNull());
    pf::GlobalMemoryFree(block);
}

TEST_F(ClipboardTest, CountsBeyondTheTextAreZeroFilled) {
    const pf::GlobalMemory block = ToGlobalMemory("ab", 6);
    ASSERT_NE(block, nullptr);
    ASSERT_EQ(pf::GlobalMemorySize(block), 6u);
    const auto* bytes = static_cast<const char*>(pf::GlobalMemoryLock(block));
    EXPECT_EQ(std::string(bytes, 6), std::string("ab\0\0\0\0", 6));
    pf::GlobalMemoryUnlock(block);
    pf::GlobalMemoryFree(block);
    const pf::GlobalMemory negative = ToGlobalMemory(u"ab", -5);
    EXPECT_EQ(pf::GlobalMemorySize(negative), 6u) << "a negative count is the whole text";
    pf::GlobalMemoryFree(negative);
}

TEST_F(ClipboardTest, RefusedOrUnallocatedBlocksLeakNothing) {
    ASSERT_TRUE(CopyToClipboard("kept", ClipboardFormatText));
    const size_t live = pf::GlobalMemoryLiveBlocks();
    EXPECT_FALSE(CopyToClipboard("refused", 0)) << "format 0 is no clipboard format";
    EXPECT_EQ(pf::GlobalMemoryLiveBlocks(), live - 1) << "the refused block is freed, the old data emptied";

    pf::SetGlobalMemoryLimit(0);
    EXPECT_FALSE(CopyToClipboard("no memory", ClipboardFormatText));
    EXPECT_EQ(ToGlobalMemory(u"no memory"), nullptr);
    ASSERT_TRUE(pf::ClipboardOpen(nullptr)) << "closed after the failed allocation";
    EXPECT_FALSE(SetClipboardText("no memory", ClipboardFormatText));
    pf::ClipboardClose();
}
