#include "text/util/system_text.h"

namespace kt::detail {

int32_t FormatUnknownError(char16_t* out, uint32_t code) {
    const int written = platform::FormatBounded16(out, UnknownErrorCapacity, u"Unknown error 0x%08x", code);
    return written < 0 ? 0 : written;
}

}  // namespace kt::detail
