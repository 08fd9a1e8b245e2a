#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/support/allocation_probe.h"
#include "tests/support/text_literals.h"
#include "text/string/concat.h"
#include "text/string/kt_string.h"

using namespace kt;
using kt::test::Allocations;
using kt::test::ResetAllocations;

namespace {

template <class S>
class Concat : public kt::test::ModeTest<S> {
  protected:
    using Char = typename S::CharType;
    // Allocations a string of `units` costs in this mode.
    static long AllocationsFor(int32_t units) {
        if constexpr (std::is_same_v<S, KTStringInline<Char, 8>>) return units > 8 ? 1 : 0;
        return units > 0 ? 1 : 0;
    }
};

TYPED_TEST_SUITE(Concat, kt::test::AllModes);

// Extends `left` and materialises both: the extension must not change what `left` renders.
template <class S, class Char>
std::pair<S, S> LeftAndExtended(const KTConcat<Char>& left, const Char* more) {
    S extended = left + more;
    S alone = left;
    return {std::move(alone), std::move(extended)};
}

}  // namespace

TYPED_TEST(Concat, PiecesMaterialiseWithOneAllocation) {
    auto a = this->T("alpha "), b = this->T("beta "), c = this->T("gamma "), d = this->T("delta");
    TypeParam first(a.c_str()), third(c.c_str());
    KTStringShared<typename TypeParam::CharType> second(b.c_str());

    ResetAllocations();
    TypeParam two = first + third;
    EXPECT_EQ(Allocations().allocations, this->AllocationsFor(12));
    EXPECT_TRUE(two == this->T("alpha gamma ").c_str());

    ResetAllocations();
    TypeParam five = first + second + third + d.c_str() + first;
    EXPECT_EQ(Allocations().allocations, this->AllocationsFor(28));
    EXPECT_TRUE(five == this->T("alpha beta gamma deltaalpha ").c_str());
    EXPECT_EQ(five.Length(), 28);
    if (!std::is_same_v<TypeParam, KTStringInline<typename TypeParam::CharType, 8>>) {
        EXPECT_EQ(five.Capacity(), 28) << "exactly the total";
    }

    TypeParam empty;
    TypeParam a1(this->T("a").c_str());
    ResetAllocations();
    TypeParam abcdef = a1 + this->T("bc").c_str() + this->T("def").c_str();
    EXPECT_TRUE(abcdef == this->T("abcdef").c_str());
    EXPECT_EQ(Allocations().allocations, this->AllocationsFor(6));
    TypeParam none = empty + this->T("").c_str();
    EXPECT_EQ(none.Length(), 0);
    EXPECT_EQ(Allocations().allocations, this->AllocationsFor(6));
}

TYPED_TEST(Concat, NumbersAndCodePointsRenderAsAppendsWriteThem) {
    auto expectSame = [this](auto... values) {
        const TypeParam left(this->T("n=").c_str());
        ResetAllocations();
        const TypeParam joined = (left + ... + values);
        EXPECT_EQ(Allocations().allocations, 1);
        TypeParam appended(left);
        (appended += ... += values);
        EXPECT_TRUE(joined == appended);
        EXPECT_EQ(joined.Length(), appended.Length());
    };
    expectSame(42, ' ', -7LL, U'\x20AC', 3.14159f, reinterpret_cast<const void*>(255), '\xE9',
               18446744073709551615ull, U'\xD800', static_cast<short>(-5));
}

TYPED_TEST(Concat, ExtendingAnExpressionLeavesItAsItWas) {
    using Char = typename TypeParam::CharType;
    TypeParam a(this->T("a").c_str()), b(this->T("b").c_str());
    auto more = this->T("c");
    auto [alone, extended] = LeftAndExtended<TypeParam, Char>(a + b, more.c_str());
    EXPECT_TRUE(alone == this->T("ab").c_str());
    EXPECT_TRUE(extended == this->T("abc").c_str());
}

TYPED_TEST(Concat, AssignAndAppendAnExpression) {
    TypeParam s(this->T("start").c_str()), t(this->T("-tail").c_str());
    s = t + this->T("!").c_str();
    EXPECT_TRUE(s == this->T("-tail!").c_str());
    // Operands inside the target itself: read before they are overwritten or moved.
    s = s + t + s;
    EXPECT_TRUE(s == this->T("-tail!-tail-tail!").c_str());
    s = t + s;
    EXPECT_TRUE(s == this->T("-tail-tail!-tail-tail!").c_str());
    TypeParam u(this->T("x").c_str());
    u += t + this->T("y").c_str();
    EXPECT_TRUE(u == this->T("x-taily").c_str());
    u += u + u;
    EXPECT_TRUE(u == this->T("x-tailyx-tailyx-taily").c_str());
    TypeParam empty;
    u = empty + this->T("").c_str();
    EXPECT_EQ(u.Length(), 0);
    u += empty + empty;
    EXPECT_EQ(u.Length(), 0);

    ResetAllocations();
    TypeParam target;
    target += t + t;  // appending to an empty string: one block of exactly the total
    EXPECT_EQ(Allocations().allocations, this->AllocationsFor(10));
    EXPECT_TRUE(target == this->T("-tail-tail").c_str());
}

TYPED_TEST(Concat, ResultCacheIsFilledOnceAndToldFromEmpty) {
    using Char = typename TypeParam::CharType;
    TypeParam a(this->T("ab").c_str()), empty;
    auto check = [&](const KTConcat<Char>& expression, const char* expected) {
        ResetAllocations();
        const KTString<Char>& result = expression.Result();
        EXPECT_FALSE(result.IsNull());
        EXPECT_TRUE(expression.ToView() == this->T(expected));
        EXPECT_EQ(expression.Length(), static_cast<int32_t>(std::strlen(expected)));
        EXPECT_EQ(expression.Data(), result.Data()) << "materialised once";
        EXPECT_EQ(Allocations().allocations, 1);
        TypeParam copy(expression);  // a string made afterwards copies the cache
        EXPECT_TRUE(copy == this->T(expected).c_str());
        return result.Capacity();
    };
    check(a + this->T("cd").c_str(), "abcd");
    // An empty result gets a small block of its own.
    const int32_t smallBlock = std::is_same_v<Char, char> ? 4 : 1;
    EXPECT_EQ(check(empty + this->T("").c_str(), ""), smallBlock);
}

TEST(ConcatWidths, CodePointsEncodePerWidth) {
    KTString<char> narrow("x");
    KTString<char16_t> wide(u"x");
    KTString<char> n = narrow + U'\x1F600' + U'\xE9';
    KTString<char16_t> w = wide + U'\x1F600' + '\xE9' + u'\x20AC';
    EXPECT_EQ(n.ToView(), "x\xF0\x9F\x98\x80\xC3\xA9");
    EXPECT_TRUE(w.ToView() == u"x\U0001F600\u00E9\u20AC");
}
