// System error texts from the C library: the message of each error number it knows, in the process's
// message language, ending with CR LF as system message tables write them.
#include <climits>
#include <cstring>

#include "platform/platform.h"

namespace kt::platform {

int32_t SystemMessageText(uint32_t code, char16_t* out, int32_t outCapacity) noexcept {
    // strerrordesc_np answers null for numbers without a message, where strerror_r would make one up.
    if (code > static_cast<uint32_t>(INT_MAX) || strerrordesc_np(static_cast<int>(code)) == nullptr) return 0;
    char message[256];
    const char* text = strerror_r(static_cast<int>(code), message, sizeof message);
    const size_t length = std::strlen(text);
    char line[sizeof message + 2];
    if (length + 2 >= sizeof line) return 0;
    std::memcpy(line, text, length);
    std::memcpy(line + length, "\r\n", 3);
    // The message is in the locale's character set; UTF-8 is assumed, as everywhere in this library.
    const int32_t needed = Utf8ToUtf16(line, -1, nullptr, 0);
    if (needed <= 0 || out == nullptr || outCapacity == 0) return needed;
    return Utf8ToUtf16(line, -1, out, outCapacity);
}

}  // namespace kt::platform
