// The shared out-of-line copies of the number parsers: one per text width and integer kind (`long` and
// `unsigned long` use those of the 32-bit kind).
#include "text/util/number_parse.h"

namespace kt::detail {

template struct NumberParser<char, signed char>;
template struct NumberParser<char, unsigned char>;
template struct NumberParser<char, short>;
template struct NumberParser<char, unsigned short>;
template struct NumberParser<char, int>;
template struct NumberParser<char, unsigned int>;
template struct NumberParser<char, long long>;
template struct NumberParser<char, unsigned long long>;
template struct NumberParser<char16_t, signed char>;
template struct NumberParser<char16_t, unsigned char>;
template struct NumberParser<char16_t, short>;
template struct NumberParser<char16_t, unsigned short>;
template struct NumberParser<char16_t, int>;
template struct NumberParser<char16_t, unsigned int>;
template struct NumberParser<char16_t, long long>;
template struct NumberParser<char16_t, unsigned long long>;

}  // namespace kt::detail
