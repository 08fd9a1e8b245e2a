#include "text/util/clipboard.h"

#include <algorithm>

namespace kt {
namespace {

template <class Char>
platform::GlobalMemory WriteGlobalText(KTTextPiece<Char> text, int32_t count) {
    const int64_t units = count > 0 ? count : int64_t{text.Length()} + 1;
    const auto bytes = static_cast<size_t>(units) * sizeof(Char);
    const platform::GlobalMemory block = platform::GlobalMemoryAlloc(platform::GlobalShared, bytes);
    if (block == nullptr) return nullptr;
    void* contents = platform::GlobalMemoryLock(block);
    if (contents == nullptr) {
        platform::GlobalMemoryFree(block);
        return nullptr;
    }
    const auto copied = static_cast<size_t>(std::min<int64_t>(units, text.Length())) * sizeof(Char);
    std::memcpy(contents, text.Data(), copied);
    std::memset(static_cast<unsigned char*>(contents) + copied, 0, bytes - copied);
    platform::GlobalMemoryUnlock(block);
    return block;
}

// Hands a new block to the open clipboard; a refused block is freed here, an accepted one is the
// clipboard's.
template <class Char>
bool HandToClipboard(KTTextPiece<Char> text, uint32_t format, int32_t count) {
    const platform::GlobalMemory block = WriteGlobalText(text, count);
    if (block == nullptr) return false;
    if (platform::ClipboardSetData(format, block) != nullptr) return true;
    platform::GlobalMemoryFree(block);
    return false;
}

template <class Char>
bool CopyText(KTTextPiece<Char> text, uint32_t format) {
    if (!platform::ClipboardOpen(nullptr)) return false;
    platform::ClipboardEmpty();
    const bool accepted = HandToClipboard(text, format, 0);
    platform::ClipboardClose();
    return accepted;
}

}  // namespace

bool CopyToClipboard(KTTextPiece<char> text, uint32_t format) {
    return CopyText(text, format);
}
bool CopyToClipboard(KTTextPiece<char16_t> text, uint32_t format) {
    return CopyText(text, format);
}

bool SetClipboardText(KTTextPiece<char> text, uint32_t format, int32_t count) {
    return HandToClipboard(text, format, count);
}
bool SetClipboardText(KTTextPiece<char16_t> text, uint32_t format, int32_t count) {
    return HandToClipboard(text, format, count);
}

platform::GlobalMemory ToGlobalMemory(KTTextPiece<char> text, int32_t count) {
    return WriteGlobalText(text, count);
}
platform::GlobalMemory ToGlobalMemory(KTTextPiece<char16_t> text, int32_t count) {
    return WriteGlobalText(text, count);
}

}  // namespace kt
