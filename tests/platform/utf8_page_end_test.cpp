// The converters' block walks read 16 units at a time: a text that ends right before a page that cannot be
// read must convert without touching it, and give what the scalar walk gives, in the size query and in the
// conversion, into an output that also ends right before such a page.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "platform/platform.h"
#include "platform/posix/utf8_codepage.h"
#include "text/string/convert.h"

namespace {

using kt::platform::utf8_codepage::Walk;

// One readable page followed by one that faults on any access.
class PageBeforeGuard {
  public:
    PageBeforeGuard() : size_(static_cast<size_t>(sysconf(_SC_PAGESIZE))) {
        void* pages = mmap(nullptr, 2 * size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (pages == MAP_FAILED) return;
        pages_ = static_cast<char*>(pages);
        if (mprotect(pages_ + size_, size_, PROT_NONE) != 0) {
            munmap(pages_, 2 * size_);
            pages_ = nullptr;
        }
    }
    ~PageBeforeGuard() {
        if (pages_ != nullptr) munmap(pages_, 2 * size_);
    }
    PageBeforeGuard(const PageBeforeGuard&) = delete;
    PageBeforeGuard& operator=(const PageBeforeGuard&) = delete;

    bool Ready() const { return pages_ != nullptr; }
    // Room for `count` units of type T whose last one is the page's last.
    template <class T>
    T* Last(size_t count) {
        return reinterpret_cast<T*>(pages_ + size_) - count;
    }

  private:
    size_t size_;
    char* pages_ = nullptr;
};

// Texts with ASCII runs longer than a block, letters beyond ASCII, and ill-formed endings, which the walks
// must cut where the page ends.
const char* const Utf8Texts[] = {
    "The quick brown fox jumps over the lazy dog, again and again and again.",
    "Gr\xC3\xB6\xC3\x9F"
    "ere Stra\xC3\x9F"
    "en f\xC3\xBChren \xC3\xBC"
    "ber Br\xC3\xBC"
    "cken; M\xC3\xA4"
    "dchen und Jungen \xE2\x82\xAC 5 \xF0\x9F\x98\x80!",
    "abcdefghijklmnopqrstuvwxyz0123456789\xC3",
    "abcdefghijklmnopqrstuvwxyz0123456789\xE2\x82",
    "abcdefghijklmnopqrstuvwxyz0123456789\xF0\x9F\x98",
    "abcdefghijklmnop\x80\xBF\xC0\xC1\xF5\xFF\xED\xA0\x80\xE0\x80\x80\xF4\x90\x80\x80qrstuvwxyz",
};

const std::u16string Utf16Texts[] = {
    u"The quick brown fox jumps over the lazy dog, again and again and again.",
    u"Gr\u00F6\u00DFere Stra\u00DFen f\u00FChren \u00FCber Br\u00FCcken \u20AC 5 \U0001F600!",
    u"abcdefghijklmnopqrstuvwxyz0123456789\xD83D",
    u"abcdefghijklmnop\xDC00\xD800xqrstuvwxyz\xDBFF\xDFFF",
};

template <class In, class Out, class Converter, class Scalar>
void CompareAtPageEnd(const std::basic_string<In>& input, Converter convert, Scalar scalar) {
    PageBeforeGuard in, out;
    ASSERT_TRUE(in.Ready() && out.Ready());
    // Every tail of the text, so that each unit in turn is the last one and blocks end at every offset.
    for (size_t start = 0; start < input.size(); ++start) {
        SCOPED_TRACE(start);
        const auto count = static_cast<int32_t>(input.size() - start);
        In* text = in.Last<In>(static_cast<size_t>(count));
        std::memcpy(text, input.data() + start, static_cast<size_t>(count) * sizeof(In));
        const int32_t needed = scalar(text, count, nullptr, 0);
        ASSERT_GT(needed, 0);
        EXPECT_EQ(convert(text, count, nullptr, 0), needed);
        std::basic_string<Out> expected(static_cast<size_t>(needed), Out(0));
        ASSERT_EQ(scalar(text, count, expected.data(), needed), needed);
        Out* converted = out.Last<Out>(static_cast<size_t>(needed));
        ASSERT_EQ(convert(text, count, converted, needed), needed);
        EXPECT_EQ(std::basic_string<Out>(converted, static_cast<size_t>(needed)), expected);
    }
}

TEST(Utf8PageEnd, BlockWalkStopsAtTheLastByteAndAgreesWithTheScalarWalk) {
    for (const char* text : Utf8Texts) {
        SCOPED_TRACE(text);
        CompareAtPageEnd<char, char16_t>(text, kt::platform::Utf8ToUtf16,
                                         kt::platform::utf8_codepage::Utf8ToUtf16<Walk::Scalar>);
    }
}

TEST(Utf8PageEnd, BlockWalkStopsAtTheLastUnitAndAgreesWithTheScalarWalk) {
    for (const std::u16string& text : Utf16Texts) {
        CompareAtPageEnd<char16_t, char>(text, kt::platform::Utf16ToUtf8,
                                         kt::platform::utf8_codepage::Utf16ToUtf8<Walk::Scalar>);
    }
}

// ToUtf8 counts and converts 16 units at a time; the counted form reads exactly its count.
TEST(Utf8PageEnd, ToUtf8ReadsNothingBehindItsCount) {
    PageBeforeGuard in;
    ASSERT_TRUE(in.Ready());
    const std::u16string text = Utf16Texts[1];
    for (size_t start = 0; start < text.size(); ++start) {
        const size_t count = text.size() - start;
        char16_t* units = in.Last<char16_t>(count);
        std::memcpy(units, text.data() + start, count * sizeof(char16_t));
        const kt::KTString<char> converted = kt::ToUtf8(units, static_cast<int32_t>(count));
        const kt::KTString<char> reference = kt::ToUtf8(text.substr(start).c_str());
        EXPECT_EQ(std::string(converted.Data(), converted.Length()),
                  std::string(reference.Data(), reference.Length()))
            << start;
    }
}

}  // namespace
