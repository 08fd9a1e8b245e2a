// The UTF-8 code-page converter pair: the block walks of utf8_codepage.h.
#include "platform/posix/utf8_codepage.h"

#include "platform/platform.h"

namespace kt::platform {

int32_t Utf8ToUtf16(const char* text, int32_t count, char16_t* out, int32_t outCapacity) noexcept {
    return utf8_codepage::Utf8ToUtf16<utf8_codepage::Walk::Blocks>(text, count, out, outCapacity);
}

int32_t Utf16ToUtf8(const char16_t* text, int32_t count, char* out, int32_t outCapacity) noexcept {
    return utf8_codepage::Utf16ToUtf8<utf8_codepage::Walk::Blocks>(text, count, out, outCapacity);
}

}  // namespace kt::platform
