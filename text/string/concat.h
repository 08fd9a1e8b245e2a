// Concatenation expressions: `a + b + c` over strings and texts does not concatenate at once. Each `+`
// records its right operand in a node, links it behind the left expression's nodes, and the string made
// from the expression measures all nodes and renders them into one allocation of exactly the total.
//
// Operands: strings of any storage mode, terminated texts, 8-bit characters (as Latin-1) and code points,
// integers, floats ("%10.2f") and pointers ("0x" and hexadecimal), as number appends write them.
//
// An expression refers to its operands and to the nodes of the expressions to its left, which are
// temporaries: use it within the full expression that creates it (construct, assign or append a string,
// or pass it where a text is read). Do not keep one in a variable beyond that.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <string_view>
#include <type_traits>

#include "text/string/kt_string.h"
#include "text/string/number_format.h"

namespace kt {

// One piece of an expression. `value` is the text pointer (kind 1), the code point (2), the float's bits (3)
// or the integer (4 to 6); `size` is the number of units the piece renders to.
struct KTConcatNode {
    uint32_t size;
    KTConcatNode* next;
    PieceKind kind;
    uint64_t value;
};

template <class Char>
class KTConcat {
  public:
    // Two pieces of its own, linked.
    KTConcat(const KTConcatNode& left, const KTConcatNode& right) : own_{left, right} {
        own_[0].next = &own_[1];
        own_[1].next = nullptr;
        first_ = &own_[0];
        last_ = &own_[1];
    }
    // The left expression's pieces and one more of its own, linked behind them.
    KTConcat(const KTConcat& left, const KTConcatNode& right) : own_{right, {}} {
        own_[0].next = nullptr;
        left.last_->next = &own_[0];
        first_ = left.first_;
        last_ = &own_[0];
    }
    // The nodes' addresses are linked from later expressions: an expression never moves.
    KTConcat(KTConcat&&) = delete;
    KTConcat& operator=(const KTConcat&) = delete;
    KTConcat& operator=(KTConcat&&) = delete;

    // Units of the whole expression.
    [[nodiscard]] uint64_t TotalSize() const {
        uint64_t total = 0;
        for (const KTConcatNode* node = first_;; node = node->next) {
            if (Renders(*node)) total += node->size;
            if (node == last_) break;
        }
        return total;
    }

    // Materialises the expression into its result string, once, and hands the text out: what searches
    // take as their pattern. An empty result still gets a small block of its own, which tells a filled
    // cache from one never filled.
    const KTString<Char>& Result() const {
        if (!cache_.IsNull()) return cache_;
        const int32_t total = CheckedTotal();
        cache_.EnsureCapacity(total, false);
        if (total > 0) {
            Render(cache_.Data());
            cache_._SetStringEnd(total);
        }
        if (cache_.IsNull()) cache_.Reserve(std::is_same_v<Char, char> ? 4 : 1, Terminate);
        return cache_;
    }
    [[nodiscard]] const Char* Data() const { return Result().Data(); }
    [[nodiscard]] int32_t Length() const { return Result().Length(); }
    [[nodiscard]] std::basic_string_view<Char> ToView() const { return Result().ToView(); }

    // The string operations behind construction from, assignment of and appending of an expression.
    template <class Storage>
    void MaterializeInto(KTStringT<Char, Storage>& target) const {
        if (!cache_.IsNull()) {
            target.Assign(cache_.Data(), cache_.Length());
            return;
        }
        const int32_t total = CheckedTotal();
        if (total < 1) return;
        target.EnsureCapacity(total, false);
        Render(target.Data());
        target._SetStringEnd(total);
    }

    template <class Storage>
    void AssignTo(KTStringT<Char, Storage>& target) const {
        if (ReadsFrom(target)) {  // rendering in place would overwrite operands still to be read
            KTStringT<Char, Storage> result(*this);
            target = std::move(result);
            return;
        }
        const int32_t total = CheckedTotal();
        target.EnsureCapacity(total, false);
        if (target.IsNull()) return;
        Render(target.Data());
        target._SetStringEnd(total);
    }

    template <class Storage>
    void AppendTo(KTStringT<Char, Storage>& target) const {
        const uint64_t total = TotalSize();
        if (total == 0) return;
        const int32_t length = target.Length();
        if (length + total > static_cast<uint64_t>(ToEnd)) detail::ThrowTooLong();
        const auto needed = static_cast<int32_t>(length + total);
        if (needed > target.Capacity()) {
            if (ReadsFrom(target)) {  // growing frees the block the operands point into
                KTString<Char> result(*this);
                target += result;
                return;
            }
            target.Reserve(needed, Preserve);
        } else {
            target.MakeWritable();
        }
        Render(target.Data() + length);
        target._SetStringEnd(needed);
    }

  private:
    static bool Renders(const KTConcatNode& node) {
        return node.size != 0 && node.kind >= PieceKind::Text && node.kind <= PieceKind::Hex;
    }

    int32_t CheckedTotal() const {
        const uint64_t total = TotalSize();
        if (total > static_cast<uint64_t>(ToEnd)) detail::ThrowTooLong();
        return static_cast<int32_t>(total);
    }

    // Writes every piece in order, then the terminator; `out` has room for the total plus one.
    void Render(Char* out) const {
        for (const KTConcatNode* node = first_;; node = node->next) {
            if (Renders(*node)) {
                if (node->kind == PieceKind::Text)
                    std::memcpy(out, TextOf(*node), node->size * sizeof(Char));
                else if (node->kind == PieceKind::CodePoint)
                    detail::EncodeCodePoint(out, static_cast<uint32_t>(node->value));
                else
                    FormatNumber(out, static_cast<int32_t>(node->size) + 1,
                                 NumberPiece{node->kind, node->value});
                out += node->size;
            }
            if (node == last_) break;
        }
        *out = 0;
    }

    static const Char* TextOf(const KTConcatNode& node) {
        return reinterpret_cast<const Char*>(static_cast<uintptr_t>(node.value));
    }

    template <class Storage>
    bool ReadsFrom(const KTStringT<Char, Storage>& target) const {
        if (target.IsNull()) return false;
        const Char* begin = target.Data();
        const Char* end = begin + target.Capacity();
        for (const KTConcatNode* node = first_;; node = node->next) {
            if (node->kind == PieceKind::Text && node->size != 0 &&
                std::less_equal<const Char*>()(begin, TextOf(*node)) &&
                std::less_equal<const Char*>()(TextOf(*node), end))
                return true;
            if (node == last_) break;
        }
        return false;
    }

    KTConcatNode* first_;
    KTConcatNode* last_;
    mutable KTConcatNode own_[2];  // a later expression links its node behind ours
    mutable KTString<Char> cache_;
};

// --- the pieces an operand makes ---------------------------------------------------------------------------
namespace detail {

inline uint32_t PieceSize(size_t units) {
    if (units > static_cast<size_t>(ToEnd)) ThrowTooLong();
    return static_cast<uint32_t>(units);
}

template <class Char>
KTConcatNode TextPiece(const Char* text, size_t units) {
    return {PieceSize(units), nullptr, PieceKind::Text,
            static_cast<uint64_t>(reinterpret_cast<uintptr_t>(text))};
}
template <class Char>
KTConcatNode TextPiece(const Char* text) {
    return TextPiece(text, text == nullptr ? 0 : TextLength(text));
}
template <class Char, class Storage>
KTConcatNode TextPiece(const KTStringT<Char, Storage>& text) {
    return TextPiece(text.Data(), static_cast<size_t>(text.Length()));
}

// A refused code point (a surrogate, above U+10FFFF) and U+0000 render nothing.
template <class Char>
KTConcatNode CodePointPiece(uint32_t codePoint) {
    Char units[4];
    uint32_t size = codePoint == 0 ? 0 : static_cast<uint32_t>(EncodeCodePoint(units, codePoint));
    return {size, nullptr, PieceKind::CodePoint, codePoint};
}

template <class Char>
KTConcatNode NumberNode(const NumberPiece& piece) {
    return {static_cast<uint32_t>(MeasureNumber<Char>(piece)), nullptr, piece.kind, piece.value};
}

}  // namespace detail

// string + string, string + text, text + string
template <class Char, class S1, class S2>
[[nodiscard]] KTConcat<Char> operator+(const KTStringT<Char, S1>& left, const KTStringT<Char, S2>& right) {
    return KTConcat<Char>(detail::TextPiece(left), detail::TextPiece(right));
}
template <class Char, class Storage>
[[nodiscard]] KTConcat<Char> operator+(const KTStringT<Char, Storage>& left, const Char* right) {
    return KTConcat<Char>(detail::TextPiece(left), detail::TextPiece(right));
}
template <class Char, class Storage>
[[nodiscard]] KTConcat<Char> operator+(const Char* left, const KTStringT<Char, Storage>& right) {
    return KTConcat<Char>(detail::TextPiece(left), detail::TextPiece(right));
}

// string + character (8-bit: Latin-1), code point (a 16-bit unit counts as one), number or pointer
template <class Char, class Storage>
[[nodiscard]] KTConcat<Char> operator+(const KTStringT<Char, Storage>& left, char right) {
    return KTConcat<Char>(detail::TextPiece(left),
                          detail::CodePointPiece<Char>(static_cast<unsigned char>(right)));
}
template <class Char, class Storage>
[[nodiscard]] KTConcat<Char> operator+(const KTStringT<Char, Storage>& left, char16_t right) {
    return KTConcat<Char>(detail::TextPiece(left), detail::CodePointPiece<Char>(right));
}
template <class Char, class Storage>
[[nodiscard]] KTConcat<Char> operator+(const KTStringT<Char, Storage>& left, char32_t right) {
    return KTConcat<Char>(detail::TextPiece(left), detail::CodePointPiece<Char>(right));
}
template <class Char, class Storage, KTNumber Number>
[[nodiscard]] KTConcat<Char> operator+(const KTStringT<Char, Storage>& left, Number right) {
    return KTConcat<Char>(detail::TextPiece(left), detail::NumberNode<Char>(MakeNumberPiece(right)));
}
template <class Char, class Storage, class Void>
requires std::is_void_v<Void> KTConcat<Char>
operator+(const KTStringT<Char, Storage>& left, Void* right) {
    return KTConcat<Char>(detail::TextPiece(left), detail::NumberNode<Char>(MakeNumberPiece(right)));
}

// expression + any of the above
template <class Char>
[[nodiscard]] KTConcat<Char> operator+(const KTConcat<Char>& left, const Char* right) {
    return KTConcat<Char>(left, detail::TextPiece(right));
}
template <class Char, class Storage>
[[nodiscard]] KTConcat<Char> operator+(const KTConcat<Char>& left, const KTStringT<Char, Storage>& right) {
    return KTConcat<Char>(left, detail::TextPiece(right));
}
template <class Char>
[[nodiscard]] KTConcat<Char> operator+(const KTConcat<Char>& left, char right) {
    return KTConcat<Char>(left, detail::CodePointPiece<Char>(static_cast<unsigned char>(right)));
}
template <class Char>
[[nodiscard]] KTConcat<Char> operator+(const KTConcat<Char>& left, char16_t right) {
    return KTConcat<Char>(left, detail::CodePointPiece<Char>(right));
}
template <class Char>
[[nodiscard]] KTConcat<Char> operator+(const KTConcat<Char>& left, char32_t right) {
    return KTConcat<Char>(left, detail::CodePointPiece<Char>(right));
}
template <class Char, KTNumber Number>
[[nodiscard]] KTConcat<Char> operator+(const KTConcat<Char>& left, Number right) {
    return KTConcat<Char>(left, detail::NumberNode<Char>(MakeNumberPiece(right)));
}
template <class Char, class Void>
requires std::is_void_v<Void> KTConcat<Char>
operator+(const KTConcat<Char>& left, Void* right) {
    return KTConcat<Char>(left, detail::NumberNode<Char>(MakeNumberPiece(right)));
}

}  // namespace kt
