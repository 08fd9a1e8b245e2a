#include "text/string/kt_string.h"

#include <stdexcept>

namespace kt {

// Zero-initialised at load, before any code runs; never written afterwards.
char TNullData8[ShortHeaderSize + 1];
char16_t TNullData16[ShortHeaderSize / 2 + 1];

template <class Char>
void VerifyNullData(const Char* block, size_t units) {
    for (size_t i = 0; i < units; ++i)
        if (block[i] != 0) throw std::logic_error("KTString::TNullData has not been zero initialized!");
}
template void VerifyNullData<char>(const char*, size_t);
template void VerifyNullData<char16_t>(const char16_t*, size_t);

namespace detail {
void ThrowWriteToNull() {
    throw std::logic_error("KTString::_SetStringEnd attempt to write to a NULL string!");
}
void ThrowTooLong() {
    throw std::length_error("KTString: length exceeds 0x7FFFFFFF units");
}
}  // namespace detail

}  // namespace kt
