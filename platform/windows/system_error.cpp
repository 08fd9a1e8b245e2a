// System error texts from the system's message table (FormatMessageW, released with LocalFree), in the
// user's default language.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>
#include <memory>

#include "platform/platform.h"

namespace kt::platform {

namespace {
struct LocalRelease {
    void operator()(wchar_t* text) const { LocalFree(text); }
};
}  // namespace

int32_t SystemMessageText(uint32_t code, char16_t* out, int32_t outCapacity) noexcept {
    if (outCapacity < 0) return 0;
    wchar_t* allocated = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&allocated), 0, nullptr);
    std::unique_ptr<wchar_t, LocalRelease> message(allocated);
    if (length == 0 || message == nullptr || length > 0x7FFFFFF0) return 0;

    // System messages end with CR LF; the few that do not get one, so every text ends alike.
    const bool endsWithLine =
        length >= 2 && message.get()[length - 2] == L'\r' && message.get()[length - 1] == L'\n';
    const int32_t needed = static_cast<int32_t>(length) + (endsWithLine ? 0 : 2) + 1;
    if (out == nullptr || outCapacity == 0) return needed;
    if (outCapacity < needed) return 0;
    char16_t* end = std::copy_n(message.get(), length, out);
    if (!endsWithLine) {
        *end++ = u'\r';
        *end++ = u'\n';
    }
    *end = 0;
    return needed;
}

}  // namespace kt::platform
