#include "text/string/string_statics.h"

namespace kt {
namespace {
template <class Char>
constexpr Char WhitespaceNoBreakUnits[] = {' ', '\t', '\r', '\n', 0x00A0, 0};
template <>
constexpr char WhitespaceNoBreakUnits<char>[] = " \t\r\n\xC2\xA0";
template <class Char>
constexpr Char LineBreakUnits[] = {'\r', '\n', 0};
}  // namespace

template <class Char>
const KTString<Char>& StringStatics<Char>::Whitespace() {
    static const KTString<Char> value(WhitespaceNoBreakUnits<Char>, 4);
    return value;
}
template <class Char>
const KTString<Char>& StringStatics<Char>::WhitespaceNoBreak() {
    static const KTString<Char> value(WhitespaceNoBreakUnits<Char>);
    return value;
}
template <class Char>
const KTString<Char>& StringStatics<Char>::LineBreak() {
    static const KTString<Char> value(LineBreakUnits<Char>);
    return value;
}

template <class Char>
void InitializeStringStatics(const Char* nullBlock) {
    VerifyNullData<Char>(nullBlock, TNullData<Char>::BlockUnits);
    StringStatics<Char>::Whitespace();
    StringStatics<Char>::WhitespaceNoBreak();
    StringStatics<Char>::LineBreak();
}

template struct StringStatics<char>;
template struct StringStatics<char16_t>;
template void InitializeStringStatics<char>(const char*);
template void InitializeStringStatics<char16_t>(const char16_t*);

}  // namespace kt
