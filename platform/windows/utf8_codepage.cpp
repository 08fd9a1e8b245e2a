// The UTF-8 code-page converter pair over the system's own converters with code page 65001 and no flags:
// ill-formed input becomes U+FFFD, as the declaration in platform/platform.h describes.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/platform.h"
#include "platform/windows/wide.h"

namespace kt::platform {

namespace {
// The shared contract of both directions: a negative count takes the terminator along (the system wants
// exactly -1), a null or zero-sized output asks for the size, and every failure is 0.
struct Request {
    int count;
    bool sizeQuery;
};
bool Prepare(const void* text, int32_t count, const void* out, int32_t outCapacity, Request& request) {
    if (text == nullptr || count == 0 || outCapacity < 0) return false;
    request = {count < 0 ? -1 : count, out == nullptr || outCapacity == 0};
    return true;
}
}  // namespace

int32_t Utf8ToUtf16(const char* text, int32_t count, char16_t* out, int32_t outCapacity) noexcept {
    Request request;
    if (!Prepare(text, count, out, outCapacity, request)) return 0;
    return MultiByteToWideChar(CP_UTF8, 0, text, request.count,
                               request.sizeQuery ? nullptr : reinterpret_cast<wchar_t*>(out),
                               request.sizeQuery ? 0 : outCapacity);
}

int32_t Utf16ToUtf8(const char16_t* text, int32_t count, char* out, int32_t outCapacity) noexcept {
    Request request;
    if (!Prepare(text, count, out, outCapacity, request)) return 0;
    return WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<const wchar_t*>(text), request.count,
                               request.sizeQuery ? nullptr : out, request.sizeQuery ? 0 : outCapacity,
                               nullptr, nullptr);
}

namespace windows {

std::wstring WideFromUtf8(const char* text) {
    if (text == nullptr || *text == 0) return {};
    const int units = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    if (units <= 0) return {};
    std::wstring wide(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), units);
    wide.resize(static_cast<size_t>(units) - 1);  // the terminator was converted too
    return wide;
}

std::string Utf8FromWide(const wchar_t* text, size_t length) {
    if (text == nullptr || length == 0 || length > 0x7FFFFFFF) return {};
    const int size = static_cast<int>(length);
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, size, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return {};
    std::string narrow(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, size, narrow.data(), bytes, nullptr, nullptr);
    return narrow;
}

std::string ErrorText(unsigned long code) {
    wchar_t* message = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    std::string text = Utf8FromWide(message, length);
    if (message != nullptr) LocalFree(message);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text.empty() ? "system error " + std::to_string(code) : text;
}

}  // namespace windows
}  // namespace kt::platform
