// The clipboard and global memory over the system's own (OpenClipboard ... CloseClipboard, GlobalAlloc ...
// GlobalFree). A block handle is the system's HGLOBAL, checked by the system before use; the system does
// not know which blocks the clipboard holds, so freeing one of them is the caller's error there.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/platform.h"

namespace kt::platform {

namespace {
HGLOBAL Handle(GlobalMemory block) {
    return static_cast<HGLOBAL>(static_cast<void*>(block));
}
GlobalMemory Block(HANDLE handle) {
    return static_cast<GlobalMemory>(static_cast<void*>(handle));
}
}  // namespace

static_assert(GlobalShared == GMEM_SHARE);

GlobalMemory GlobalMemoryAlloc(uint32_t flags, size_t bytes) noexcept {
    if (bytes == 0) return nullptr;
    // Movable, as the clipboard requires; a fixed block's handle would be its address.
    return Block(GlobalAlloc((flags & ~GMEM_FIXED) | GMEM_MOVEABLE, bytes));
}

void* GlobalMemoryLock(GlobalMemory block) noexcept {
    return block == nullptr ? nullptr : GlobalLock(Handle(block));
}

bool GlobalMemoryUnlock(GlobalMemory block) noexcept {
    if (block == nullptr) return false;
    // GlobalUnlock answers FALSE both for the last unlock and for a failure; only the error tells them apart.
    SetLastError(NO_ERROR);
    return GlobalUnlock(Handle(block)) != FALSE || GetLastError() == NO_ERROR;
}

size_t GlobalMemorySize(GlobalMemory block) noexcept {
    return block == nullptr ? 0 : GlobalSize(Handle(block));
}

GlobalMemory GlobalMemoryFree(GlobalMemory block) noexcept {
    return block == nullptr ? nullptr : Block(GlobalFree(Handle(block)));
}

bool ClipboardOpen(const void* owner) noexcept {
    return OpenClipboard(static_cast<HWND>(const_cast<void*>(owner))) != FALSE;
}

bool ClipboardEmpty() noexcept {
    return EmptyClipboard() != FALSE;
}

GlobalMemory ClipboardSetData(uint32_t format, GlobalMemory block) noexcept {
    if (format == 0 || block == nullptr) return nullptr;
    return Block(SetClipboardData(format, Handle(block)));
}

GlobalMemory ClipboardGetData(uint32_t format) noexcept {
    return Block(GetClipboardData(format));
}

bool ClipboardClose() noexcept {
    return CloseClipboard() != FALSE;
}

}  // namespace kt::platform
