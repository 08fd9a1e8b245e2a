#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/allocation_probe.h"
#include "tests/support/text_literals.h"
#include "text/string/kt_string.h"
#include "text/string/string_statics.h"

using namespace kt;
using kt::test::Allocations;
using kt::test::Ascii;
using kt::test::ResetAllocations;

namespace {

template <class S>
bool NullDataIsZero() {
    using Char = typename S::CharType;
    const Char* b = TNullData<Char>::Block();
    for (size_t i = 0; i < TNullData<Char>::BlockUnits; ++i)
        if (b[i] != 0) return false;
    return true;
}

}  // namespace

// ---- behaviour shared by both widths and all four storage modes --------------------------------------

template <class S>
class StringModes : public kt::test::ModeTest<S> {};

TYPED_TEST_SUITE(StringModes, kt::test::AllModes);

TYPED_TEST(StringModes, EmptyFormsAllocateNothing) {
    using Char = typename TypeParam::CharType;
    ResetAllocations();
    {
        TypeParam a;
        TypeParam b(static_cast<const Char*>(nullptr));
        auto empty = this->T("");
        TypeParam c(empty.c_str());
        auto text = this->T("abc");
        TypeParam d(text.c_str(), -3);
        TypeParam e(text.c_str(), 0);
        TypeParam f(KTCapacity{0});
        TypeParam g(KTCapacity{-5}, true, true);
        TypeParam h(text.c_str(), text.c_str());
        TypeParam i(a);
        for (const TypeParam* s : {&a, &b, &c, &d, &e, &f, &g, &h, &i}) {
            EXPECT_EQ(s->Length(), 0);
            EXPECT_EQ(s->Data()[0], 0);
        }
        a.Empty();
        a.Clear();
        a += static_cast<const Char*>(nullptr);
        a.Append(text.c_str(), 0);
        EXPECT_EQ(a.Length(), 0);
    }
    EXPECT_EQ(Allocations().allocations, 0);
    EXPECT_TRUE(NullDataIsZero<TypeParam>());
}

TYPED_TEST(StringModes, ConstructAssignAppendKeepContents) {
    auto abc = this->T("abc");
    TypeParam s(abc.c_str());
    EXPECT_EQ(s.Length(), 3);
    EXPECT_TRUE(s == abc.c_str());

    s += this->T("defg").c_str();
    EXPECT_TRUE(s == this->T("abcdefg").c_str());
    EXPECT_EQ(s.Length(), 7);

    TypeParam copy(s);
    copy += 'x';
    EXPECT_TRUE(copy == this->T("abcdefgx").c_str());
    EXPECT_TRUE(s == this->T("abcdefg").c_str()) << "a write to a copy must not show in the original";

    s = this->T("zz").c_str();
    EXPECT_TRUE(s == this->T("zz").c_str());
    s.Assign(abc.c_str(), 2);
    EXPECT_TRUE(s == this->T("ab").c_str());
    s += s;  // the operand is the string itself, which may move when it grows
    EXPECT_TRUE(s == this->T("abab").c_str());
    s.Append(s.Data() + 1, 2);
    EXPECT_TRUE(s == this->T("ababba").c_str());
    s = KTString<typename TypeParam::CharType>(this->T("other mode").c_str());
    EXPECT_TRUE(s == this->T("other mode").c_str());
}

TYPED_TEST(StringModes, AppendGrowsExactly) {
    using Char = typename TypeParam::CharType;
    TypeParam s;
    auto piece = this->T("0123456789");
    for (int i = 1; i <= 4; ++i) {
        s += piece.c_str();
        EXPECT_EQ(s.Length(), 10 * i);
        if (s.Capacity() > 8) {
            EXPECT_EQ(s.Capacity(), 10 * i);  // past an inline buffer: no slack at all
        }
    }
    s += '\0';
    EXPECT_EQ(s.Length(), 40);
    s += U'\0';
    s += U'\x110000';  // refused by the encoder: nothing appended
    s += U'\xD800';
    EXPECT_EQ(s.Length(), 40);
    s.Append(static_cast<const Char*>(nullptr), 5);
    EXPECT_EQ(s.Length(), 40);
}

TYPED_TEST(StringModes, Latin1CharactersAndCodePoints) {
    using Char = typename TypeParam::CharType;
    TypeParam s('\xE9');
    TypeParam cp(U'\x20AC');
    TypeParam pair(U'\x1F600');
    if constexpr (std::is_same_v<Char, char>) {
        EXPECT_EQ(s.ToView(), "\xC3\xA9");
        EXPECT_EQ(cp.ToView(), "\xE2\x82\xAC");
        EXPECT_EQ(pair.ToView(), "\xF0\x9F\x98\x80");
    } else {
        EXPECT_EQ(s.ToView(), u"\u00E9");
        EXPECT_EQ(cp.ToView(), u"\u20AC");
        EXPECT_EQ(pair.ToView(), u"\U0001F600");
    }
    s = U'\xDFFF';
    EXPECT_EQ(s.Length(), 0);
    EXPECT_EQ(s.Data()[0], 0);
    s = U'A';
    s += '\xFF';
    EXPECT_EQ(s.Length(), (std::is_same_v<Char, char> ? 3 : 2));
    TypeParam nul('\0');
    EXPECT_EQ(nul.Length(), 0);
}

TYPED_TEST(StringModes, CountedConstructors) {
    using Char = typename TypeParam::CharType;
    auto text = this->T("hello");
    TypeParam piece(text.c_str(), 3);
    EXPECT_TRUE(piece == this->T("hel").c_str());
    TypeParam all(text.c_str(), ToEnd);
    EXPECT_EQ(all.Length(), 5);
    TypeParam range(text.c_str() + 1, text.c_str() + 4);
    EXPECT_TRUE(range == this->T("ell").c_str());
    // Units are copied as they are, embedded terminators included.
    Char withNul[] = {'a', 0, 'b', 0};
    TypeParam embedded(withNul, 3);
    EXPECT_EQ(embedded.Length(), 3);
    EXPECT_EQ(embedded.Data()[2], 'b');
}

TYPED_TEST(StringModes, CapacityConstructor) {
    TypeParam s(KTCapacity{20}, true, true);
    EXPECT_EQ(s.Length(), 0);
    EXPECT_GE(s.Capacity(), 20);
    for (int i = 0; i <= 20; ++i) EXPECT_EQ(s.Data()[i], 0);
}

TYPED_TEST(StringModes, SetStringEndOnEmptyValue) {
    using Char = typename TypeParam::CharType;
    TypeParam s;
    if (!IsNullData(s.Data())) GTEST_SKIP() << "inline strings start on their own buffer";
    s._SetStringEnd(0);
    s._SetStringEnd(-4);
    try {
        s._SetStringEnd(1);
        FAIL() << "expected std::logic_error";
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "KTString::_SetStringEnd attempt to write to a NULL string!");
    }
    EXPECT_TRUE(NullDataIsZero<TypeParam>());
    EXPECT_EQ(s.Data(), TNullData<Char>::Data());
}

TYPED_TEST(StringModes, LengthIsRescannedWhenNotCached) {
    auto text = this->T("abcdef");
    TypeParam s(text.c_str());
    s.EnsureCapacity(6, true);
    s.Data()[3] = 0;
    EXPECT_EQ(s.Length(), 6) << "the cache answers until it is forgotten";
    s._MarkLengthNotCached();
    EXPECT_EQ(s.Length(), 3);
    s._SetStringEnd(2);
    EXPECT_EQ(s.Length(), 2);
}

TYPED_TEST(StringModes, MoveLeavesSourceEmpty) {
    auto text = this->T("a text longer than eight units");
    TypeParam source(text.c_str());
    TypeParam target(std::move(source));
    EXPECT_TRUE(target == text.c_str());
    // Inline strings copy (their heap blocks belong with their inline buffer); the others take the block.
    // NOLINTNEXTLINE(bugprone-use-after-move): the moved-from state is part of the contract
    EXPECT_EQ(source.Length(), TypeParam::MoveTakesBlock ? 0 : target.Length());
    TypeParam other;
    other = std::move(target);
    EXPECT_TRUE(other == text.c_str());
}

TYPED_TEST(StringModes, ClearKeepsBlockEmptyDropsIt) {
    auto text = this->T("some text that is long");
    TypeParam s(text.c_str());
    s.Clear();
    EXPECT_EQ(s.Length(), 0);
    EXPECT_FALSE(IsNullData(s.Data()));
    s.Empty();
    EXPECT_EQ(s.Length(), 0);
    EXPECT_EQ(s.Capacity() == 0, IsNullData(s.Data()));
}

// Every way to a block of one's own ends, when the allocation fails, in the string type's own error, and
// the string keeps what it had (a shared string its hold, a borrowed one its foreign characters).
TYPED_TEST(StringModes, FailedAllocationRaisesTheStringErrorAndKeepsTheString) {
    using Char = typename TypeParam::CharType;
    constexpr bool borrowed = std::is_same_v<TypeParam, KTStringBorrowed<Char>>;
    constexpr bool shared = std::is_same_v<TypeParam, KTStringShared<Char>>;
    const auto text = this->T("abc");
    const auto longer = this->T("a longer text that needs a new block");
    using Path = std::pair<const char*, std::function<void(TypeParam&)>>;
    std::vector<Path> paths = {
        {"append", [&](TypeParam& s) { s += longer.c_str(); }},
        {"assign", [&](TypeParam& s) { s = longer.c_str(); }},
        {"reserve keeping", [](TypeParam& s) { s.Reserve(100, Preserve); }},
        {"ensure capacity", [](TypeParam& s) { s.EnsureCapacity(100, false); }},
        {"construct", [&](TypeParam&) { TypeParam fresh(longer.c_str()); }},
        {"reserving constructor", [](TypeParam&) { TypeParam fresh(KTCapacity{100}); }},
        {"_AllocateStorage", [](TypeParam&) { KTString<Char>()._AllocateStorage(1); }},
        {"copy into a unique string", [](TypeParam& s) { KTString<Char> copy(s); }},
    };
    if (shared || borrowed) paths.push_back({"first write", [](TypeParam& s) { s.MakeWritable(); }});
    for (const auto& [name, path] : paths) {
        auto foreign = text;
        TypeParam s(text.c_str());
        if constexpr (borrowed) s = TypeParam(Borrow, foreign.c_str());
        std::conditional_t<shared, TypeParam, int> holder{};  // a second holder, which a write must unshare
        if constexpr (shared) holder = s;
        const Char* before = s.Data();
        std::string error = "no error";
        kt::test::FailNextAllocations(true);
        try {
            path(s);
        } catch (const std::runtime_error& e) {
            error = e.what();
        } catch (const std::exception& e) {
            error = std::string("not a std::runtime_error: ") + e.what();
        }
        kt::test::FailNextAllocations(false);
        EXPECT_EQ(error, "KTString::_AllocateStorage out of memory!") << name;
        EXPECT_EQ(s.Data(), before) << name;
        EXPECT_TRUE(s == text.c_str()) << name;
        if constexpr (shared) {
            EXPECT_EQ(s.Holders(), 1) << name;
        }
    }
}

// ---- the block header, byte for byte -----------------------------------------------------------------

template <class Char>
class Header : public ::testing::Test {};
TYPED_TEST_SUITE(Header, kt::test::Widths);

TYPED_TEST(Header, ShortAndLongForms) {
    using Char = TypeParam;
    KTString<Char> small;
    ResetAllocations();
    small._AllocateStorage(32767);
    EXPECT_EQ(Allocations().lastSize, 6 + 32768 * sizeof(Char));
    EXPECT_EQ(block::Word(small.Data(), 4), 32767);
    EXPECT_EQ(block::Word(small.Data(), 6), LengthNotCached);
    EXPECT_EQ(block::Word(small.Data(), 2), 0);
    small._SetStringEnd(0);
    EXPECT_EQ(block::Word(small.Data(), 6), 0);

    KTString<Char> large;
    large._AllocateStorage(32768);
    EXPECT_EQ(Allocations().lastSize, 10 + 32769 * sizeof(Char));
    EXPECT_EQ(block::Word(large.Data(), 4), 0xFFFF);  // -32768 = 0xFFFF8000: high word
    EXPECT_EQ(block::Word(large.Data(), 8), 0x8000);  // low word
    EXPECT_EQ(large.Capacity(), 32768);
    EXPECT_EQ(block::Word(large.Data(), 2), 0);
    large._SetStringEnd(0);
    EXPECT_EQ(block::Word(large.Data(), 6), 0);
    EXPECT_EQ(block::Word(large.Data(), 10), 0);
    large.Data()[0] = 'x';
    large._SetStringEnd(1);
    EXPECT_EQ(block::Word(large.Data(), 6), 0xFFFF);
    EXPECT_EQ(block::Word(large.Data(), 10), 0xFFFF);
    large._SetStringEnd(5);
    EXPECT_EQ(block::Word(large.Data(), 10), 0xFFFB);
    EXPECT_EQ(large.Length(), 5);
    // Raw little-endian bytes: the capacity's high word sits 4 bytes before the data.
    const auto* bytes = reinterpret_cast<const unsigned char*>(large.Data());
    EXPECT_EQ(bytes[-4], 0xFF);
    EXPECT_EQ(bytes[-3], 0xFF);
    EXPECT_EQ(bytes[-8], 0x00);
    EXPECT_EQ(bytes[-7], 0x80);
    large.Reserve(100000, Preserve);
    EXPECT_EQ(large.Capacity(), 100000);
    EXPECT_EQ(large.Length(), 5);
}

TYPED_TEST(Header, AllocationSizes) {
    using Char = TypeParam;
    ResetAllocations();
    KTString<Char> s(KTCapacity{10});
    EXPECT_EQ(Allocations().lastSize, (std::is_same_v<Char, char> ? 17u : 28u));
    s.Reserve(40000, 0);
    EXPECT_EQ(Allocations().lastSize, 10 + 40001 * sizeof(Char));
    EXPECT_EQ(Allocations().releases, 1);
    // Where the size saturates (16-bit units on a 32-bit system), the allocation is not even tried.
    if (block::AllocationSize<Char>(ToEnd) == std::numeric_limits<size_t>::max()) {
        EXPECT_THROW(s.Reserve(ToEnd, 0), std::bad_array_new_length);
        EXPECT_EQ(s.Capacity(), 40000);
    }
}

TYPED_TEST(Header, FreshBlockScansThenCaches) {
    using Char = TypeParam;
    KTString<Char> s;
    s._AllocateStorage(10);
    s.Data()[0] = 'a';
    s.Data()[1] = 'b';
    s.Data()[2] = 0;
    EXPECT_EQ(s.Length(), 2);
    EXPECT_EQ(block::Word(s.Data(), 6), 2);  // the scan stored its result
    s.Data()[2] = 'c';
    s._SetStringEnd(3);
    EXPECT_EQ(s.Length(), 3);
    s.Data()[1] = 0;
    block::SetWord(s.Data(), 6, LengthNotCached);
    EXPECT_EQ(s.Length(), 1);
}

TYPED_TEST(Header, ReserveRules) {
    using Char = TypeParam;
    KTString<Char> s(KTCapacity{10});
    const Char four[] = {'a', 'b', 'c', 'd', 0};
    s = four;
    const Char* block = s.Data();
    s.Reserve(5, 0);
    EXPECT_EQ(s.Data(), block);
    EXPECT_EQ(s.Capacity(), 10);
    s.Reserve(5, Exact | Preserve);
    EXPECT_NE(s.Data(), nullptr);
    EXPECT_EQ(s.Capacity(), 5);
    EXPECT_EQ(block::Word(s.Data(), 6), 4) << "the cached length is carried over without a rescan";
    EXPECT_TRUE(s == four);
    s.Reserve(0, Terminate);
    EXPECT_EQ(s.Length(), 0);
    EXPECT_EQ(s.Capacity(), 5);
    s.Reserve(0, Exact);
    EXPECT_TRUE(IsNullData(s.Data()));
    s.Reserve(3, Terminate);
    EXPECT_EQ(s.Length(), 0);
    EXPECT_EQ(s.Capacity(), 3);
}

TYPED_TEST(Header, VerifyNullData) {
    using Char = TypeParam;
    EXPECT_NO_THROW(VerifyNullData<Char>());
    EXPECT_NO_THROW(InitializeStringStatics<Char>());
    Char dirty[TNullData<Char>::BlockUnits] = {};
    dirty[TNullData<Char>::BlockUnits - 1] = 1;  // only the terminator unit is off
    try {
        InitializeStringStatics<Char>(dirty);
        FAIL() << "expected std::logic_error";
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "KTString::TNullData has not been zero initialized!");
    }
    EXPECT_EQ(sizeof(TNullData8), 7u);
    EXPECT_EQ(sizeof(TNullData16), 8u);
}

// ---- mode-specific transitions -------------------------------------------------------------------------

TEST(InlineMode, MovesBetweenInlineBufferAndHeap) {
    KTStringInline<char, 8> s("short");
    const char* inlineChars = s.Data();
    EXPECT_EQ(block::Flags(s.Data()), InlineCapable | NotOwned);
    EXPECT_EQ(s.Capacity(), 8);
    ResetAllocations();
    s += " and now long";
    EXPECT_NE(s.Data(), inlineChars);
    EXPECT_EQ(block::Flags(s.Data()), InlineCapable);
    EXPECT_EQ(s.ToView(), "short and now long");
    EXPECT_EQ(Allocations().allocations, 1);
    s.Reserve(0, Exact);
    EXPECT_EQ(s.Data(), inlineChars) << "an exact reserve to 0 frees the heap block";
    EXPECT_EQ(s.Length(), 0);
    EXPECT_EQ(Allocations().releases, 1);

    s += "0123456789";
    s._SetStringEnd(4);  // shrinking to fit follows a length that fits
    s.Reserve(4, Exact | Preserve);
    EXPECT_EQ(s.Data(), inlineChars);
    EXPECT_EQ(s.ToView(), "0123");
    s += "x";
    s.Empty();
    EXPECT_EQ(s.Data(), inlineChars);
    EXPECT_EQ(s.Length(), 0);
}

TEST(InlineMode, MovingOutOfAnInlineCapableBlockCopies) {
    KTStringInline<char16_t, 4> source(u"longer than four");
    const char16_t* heap = source.Data();
    KTStringInline<char16_t, 4> target(std::move(source));
    EXPECT_NE(target.Data(), heap);
    EXPECT_EQ(target.ToView(), u"longer than four");
    EXPECT_EQ(source.Data(), heap) << "the source keeps its block";

    KTString<char16_t> plain(u"plain");
    const char16_t* block = plain.Data();
    KTString<char16_t> stolen(std::move(plain));
    EXPECT_EQ(stolen.Data(), block);
    EXPECT_TRUE(IsNullData(plain.Data()));  // NOLINT(bugprone-use-after-move)
}

// The inline buffer is found behind the data pointer: a layout with a gap there must fail the check that
// every KTStringInline's constructor asserts.
struct GapBeforeInlineHeader {
    char* data_;
    uint32_t gap;
    unsigned char inlineHeader_[ShortHeaderSize];
    char inlineChars_[9];
};
struct HeaderAfterCharacters {
    char* data_;
    char inlineChars_[9];
    unsigned char inlineHeader_[ShortHeaderSize];
};
TEST(InlineMode, MemberPlacementIsVerified) {
    EXPECT_FALSE(TVerifyMemberPlacement<GapBeforeInlineHeader>::value);
    EXPECT_FALSE(TVerifyMemberPlacement<HeaderAfterCharacters>::value);
    EXPECT_TRUE((TVerifyMemberPlacement<InlineStorage<char, 1>>::value));
    EXPECT_TRUE((TVerifyMemberPlacement<InlineStorage<char, 8>>::value));
    EXPECT_TRUE((TVerifyMemberPlacement<InlineStorage<char16_t, 3>>::value));
    EXPECT_TRUE((TVerifyMemberPlacement<InlineStorage<char16_t, MaxShortCapacity>>::value));
}

TEST(InlineMode, CopyFitsInline) {
    KTStringInline<char, 16> a("abc");
    KTStringInline<char, 16> b(a);
    EXPECT_NE(a.Data(), b.Data());
    EXPECT_EQ(block::Flags(b.Data()), InlineCapable | NotOwned);
    EXPECT_EQ(b.ToView(), "abc");
}

TEST(SharedMode, CopiesShareAndWritersUnshare) {
    ResetAllocations();
    KTStringShared<char> a("shared text");
    {
        KTStringShared<char> b(a);
        KTStringShared<char> c;
        c = b;
        EXPECT_EQ(a.Data(), b.Data());
        EXPECT_EQ(a.Data(), c.Data());
        EXPECT_EQ(a.Holders(), 2);
        EXPECT_EQ(Allocations().allocations, 1);
        c += "!";
        EXPECT_NE(c.Data(), a.Data());
        EXPECT_EQ(a.Holders(), 1);
        EXPECT_EQ(a.ToView(), "shared text");
        EXPECT_EQ(c.ToView(), "shared text!");
        b.Clear();  // a block with further holders is dropped, not cleared
        EXPECT_TRUE(IsNullData(b.Data()));
        EXPECT_EQ(a.ToView(), "shared text");
        EXPECT_EQ(a.Holders(), 0);
    }
    EXPECT_EQ(Allocations().releases, 1);  // c's own block
}

TEST(SharedMode, CopiesBeyondTheFullHolderCountTakeBlocksOfTheirOwn) {
    KTStringShared<char16_t> first(u"shared");
    {
        std::vector<KTStringShared<char16_t>> holders(SharedStorage<char16_t>::MaxHolders, first);
        EXPECT_EQ(first.Holders(), 0xFFFF);
        KTStringShared<char16_t> copied(first);
        KTStringShared<char16_t> assigned(u"other");
        assigned = holders.back();
        for (const auto* extra : {&copied, &assigned}) {
            EXPECT_NE(extra->Data(), first.Data());
            EXPECT_EQ(extra->ToView(), u"shared");
            EXPECT_EQ(extra->Holders(), 0);
        }
        EXPECT_EQ(first.Holders(), 0xFFFF);
    }  // every holder lets go; the block must outlive them all
    EXPECT_EQ(first.Holders(), 0);
    EXPECT_EQ(first.ToView(), u"shared");
}

TEST(SharedMode, ReleaseWithTwoHoldersDecrements) {
    auto* a = new KTStringShared<char16_t>(u"abc");
    KTStringShared<char16_t> b(*a);
    KTStringShared<char16_t> c(*a);
    EXPECT_EQ(b.Holders(), 2);
    ResetAllocations();
    delete a;
    EXPECT_EQ(Allocations().releases, 0);
    EXPECT_EQ(b.Holders(), 1);
    EXPECT_EQ(c.ToView(), u"abc");
}

TEST(SharedMode, ReserveWithHoldersUnsharesKeepingLength) {
    KTStringShared<char> a("abcdef");
    KTStringShared<char> b(a);
    b.Reserve(3, Preserve);  // no growth needed, but the block has another holder
    EXPECT_NE(a.Data(), b.Data());
    EXPECT_EQ(b.ToView(), "abcdef");
    EXPECT_EQ(a.Holders(), 0);
    b.EnsureCapacity(40, true);
    EXPECT_EQ(b.ToView(), "abcdef");
    EXPECT_EQ(b.Capacity(), 40);
}

TEST(BorrowedMode, ReadsInPlaceThenOwnsOnFirstWrite) {
    char foreign[] = "abc";
    ResetAllocations();
    {
        KTStringBorrowed<char> s(Borrow, foreign);
        EXPECT_EQ(s.Length(), 3);
        EXPECT_EQ(s.Data(), foreign);
        EXPECT_FALSE(s.Owned());
        EXPECT_EQ(Allocations().allocations, 0);
        s._SetStringEnd(2);  // needs no capacity: acts on the foreign characters
        EXPECT_EQ(foreign[2], 0);
        EXPECT_EQ(s.Length(), 2);
        s += "x";
        EXPECT_TRUE(s.Owned());
        EXPECT_NE(s.Data(), foreign);
        EXPECT_EQ(s.ToView(), "abx");
        EXPECT_EQ(Allocations().allocations, 2);  // the own copy, then the exact growth
    }
    EXPECT_EQ(Allocations().releases, 2);
    EXPECT_STREQ(foreign, "ab");
}

TEST(BorrowedMode, EmptyForeignTextAndNull) {
    KTStringBorrowed<char16_t> n(Borrow, nullptr);
    EXPECT_TRUE(IsNullData(n.Data()));
    const char16_t empty[] = u"";
    KTStringBorrowed<char16_t> e(Borrow, empty);
    EXPECT_EQ(e.Length(), 0);
    e.Clear();  // taking ownership of nothing gives the empty value
    EXPECT_TRUE(IsNullData(e.Data()));
    EXPECT_TRUE(e.Owned());
}

TEST(StaticValues, HoldTheirTexts) {
    EXPECT_EQ(StringStatics<char>::Whitespace().ToView(), " \t\r\n");
    EXPECT_EQ(StringStatics<char>::WhitespaceNoBreak().ToView(), " \t\r\n\xC2\xA0");
    EXPECT_EQ(StringStatics<char16_t>::WhitespaceNoBreak().ToView(), u" \t\r\n\u00A0");
    EXPECT_EQ(StringStatics<char16_t>::LineBreak().ToView(), u"\r\n");
}
