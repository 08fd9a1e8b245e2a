// Text exchange with the clipboard and with global memory blocks, through the platform layer. A block
// holds the text and its terminator (length + 1 units); the clipboard owns a block only once it has
// accepted it, and a block it refused is freed, so no path leaks or frees twice.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/platform.h"
#include "text/string/kt_string.h"
#include "text/string/text_piece.h"

namespace kt {

// The standard clipboard formats for 8-bit and UTF-16 text (which one to use is the caller's choice).
inline constexpr uint32_t ClipboardFormatText = 1;          // CF_TEXT
inline constexpr uint32_t ClipboardFormatUnicodeText = 13;  // CF_UNICODETEXT

// Opens the clipboard, empties it and puts `text` (with its terminator) there as `format`; false when the
// clipboard is held by someone else or refuses the data, or when no memory block can be had.
[[nodiscard]] bool CopyToClipboard(KTTextPiece<char> text, uint32_t format);
[[nodiscard]] bool CopyToClipboard(KTTextPiece<char16_t> text, uint32_t format);

// Puts `count` units of `text` (0 or less: the whole text and its terminator; units beyond the text are
// zeros) on the clipboard the caller holds open, as `format`; false when refused, the block then freed.
[[nodiscard]] bool SetClipboardText(KTTextPiece<char> text, uint32_t format, int32_t count = 0);
[[nodiscard]] bool SetClipboardText(KTTextPiece<char16_t> text, uint32_t format, int32_t count = 0);

// A new shared block holding `count` units of `text` as SetClipboardText counts them; the caller owns it
// (platform::GlobalMemoryFree). Null when it cannot be allocated or locked.
[[nodiscard]] platform::GlobalMemory ToGlobalMemory(KTTextPiece<char> text, int32_t count = 0);
[[nodiscard]] platform::GlobalMemory ToGlobalMemory(KTTextPiece<char16_t> text, int32_t count = 0);

namespace detail {

// Closes the clipboard when the reading ends, also by an exception.
struct ClipboardCloser {
    ClipboardCloser() = default;
    ClipboardCloser(const ClipboardCloser&) = delete;
    ClipboardCloser& operator=(const ClipboardCloser&) = delete;
    ~ClipboardCloser() { platform::ClipboardClose(); }
};

// Unlocks a block when the reading ends, also by an exception.
struct BlockUnlocker {
    explicit BlockUnlocker(platform::GlobalMemory locked) : block(locked) {}
    BlockUnlocker(const BlockUnlocker&) = delete;
    BlockUnlocker& operator=(const BlockUnlocker&) = delete;
    ~BlockUnlocker() { platform::GlobalMemoryUnlock(block); }
    platform::GlobalMemory block;
};

// The capacity a string takes for a block of `bytes` bytes: one 16-bit unit per two bytes (an odd last
// byte gets a unit of its own); four bytes per byte plus four in the 8-bit width.
template <class Char>
int64_t PasteCapacity(size_t bytes) {
    if constexpr (sizeof(Char) == 2)
        return static_cast<int64_t>((bytes + 1) / 2);
    else
        return bytes > static_cast<size_t>(ToEnd) ? int64_t{ToEnd} + 1 : 4 * static_cast<int64_t>(bytes) + 4;
}

// Replaces the contents of `text` with the text in `block`, which ends at its first zero unit or at the
// end of the block. False, the string unchanged, when the block has no size or cannot be locked.
template <class Char, class Storage>
bool ReadGlobalText(KTStringT<Char, Storage>& text, platform::GlobalMemory block) {
    const size_t bytes = platform::GlobalMemorySize(block);
    if (bytes == 0) return false;
    const void* contents = platform::GlobalMemoryLock(block);
    if (contents == nullptr) return false;
    const BlockUnlocker unlocker{block};
    const int64_t capacity = PasteCapacity<Char>(bytes);
    if (capacity > ToEnd) ThrowTooLong();
    const auto units = static_cast<int32_t>((bytes + sizeof(Char) - 1) / sizeof(Char));
    text.EnsureCapacity(static_cast<int32_t>(capacity), false);
    Char* out = text.Data();
    out[units - 1] = 0;  // the high half of a unit that an odd byte count fills only partly
    std::memcpy(out, contents, bytes);
    out[units] = 0;
    int32_t length = 0;
    while (length < units && out[length] != 0) ++length;
    text._SetStringEnd(length);
    return true;
}

}  // namespace detail

// Replaces the contents of `text` with the clipboard's text of `format`; false, the string unchanged,
// when the clipboard is held by someone else or has no data of that format.
template <class Char, class Storage>
[[nodiscard]] bool PasteFromClipboard(KTStringT<Char, Storage>& text, uint32_t format) {
    if (!platform::ClipboardOpen(nullptr)) return false;
    const detail::ClipboardCloser closer;
    const platform::GlobalMemory block = platform::ClipboardGetData(format);
    return block != nullptr && detail::ReadGlobalText(text, block);
}

// Replaces the contents of `text` with the text in `block`, which stays the caller's; false, the string
// unchanged, for a null or unknown handle.
template <class Char, class Storage>
[[nodiscard]] bool FromGlobalMemory(KTStringT<Char, Storage>& text, platform::GlobalMemory block) {
    return block != nullptr && detail::ReadGlobalText(text, block);
}

}  // namespace kt
