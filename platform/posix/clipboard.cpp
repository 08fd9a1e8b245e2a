// The clipboard and global memory as an in-process stand-in with the Windows contract. Blocks live in a
// registry keyed by their handle, so a stale or foreign handle is refused instead of read through; one
// mutex guards everything, since the clipboard is shared by every thread.
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <thread>
#include <unordered_map>

#include "platform/platform.h"
#include "platform/posix/clipboard_standin.h"

namespace kt::platform {

struct GlobalBlock {
    std::unique_ptr<unsigned char[]> bytes;
    size_t size = 0;
    uint32_t flags = 0;
    uint32_t locks = 0;
    bool ownedByClipboard = false;
};

namespace {

struct State {
    std::mutex mutex;
    std::unordered_map<GlobalBlock*, std::unique_ptr<GlobalBlock>> blocks;
    size_t liveBytes = 0;
    size_t limit = SIZE_MAX;

    bool open = false;
    const void* owner = nullptr;
    std::thread::id holder;
    std::map<uint32_t, GlobalBlock*> data;

    GlobalBlock* Find(GlobalMemory handle) {
        auto found = blocks.find(handle);
        return found == blocks.end() ? nullptr : found->second.get();
    }
    void Free(GlobalBlock* block) {
        liveBytes -= block->size;
        blocks.erase(block);
    }
    bool HeldByCaller() const { return open && holder == std::this_thread::get_id(); }
};

State& TheState() {
    static State state;
    return state;
}

}  // namespace

GlobalMemory GlobalMemoryAlloc(uint32_t flags, size_t bytes) noexcept {
    if (bytes == 0) return nullptr;
    State& state = TheState();
    std::lock_guard lock(state.mutex);
    if (bytes > state.limit || state.liveBytes > state.limit - bytes) return nullptr;
    try {
        auto block = std::make_unique<GlobalBlock>();
        block->bytes.reset(new unsigned char[bytes]);
        block->size = bytes;
        block->flags = flags;
        GlobalBlock* handle = block.get();
        state.blocks.emplace(handle, std::move(block));
        state.liveBytes += bytes;
        return handle;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void* GlobalMemoryLock(GlobalMemory handle) noexcept {
    State& state = TheState();
    std::lock_guard lock(state.mutex);
    GlobalBlock* block = state.Find(handle);
    if (block == nullptr) return nullptr;
    ++block->locks;
    return block->bytes.get();
}

bool GlobalMemoryUnlock(GlobalMemory handle) noexcept {
    State& state = TheState();
    std::lock_guard lock(state.mutex);
    GlobalBlock* block = state.Find(handle);
    if (block == nullptr || block->locks == 0) return false;
    --block->locks;
    return true;
}

size_t GlobalMemorySize(GlobalMemory handle) noexcept {
    State& state = TheState();
    std::lock_guard lock(state.mutex);
    GlobalBlock* block = state.Find(handle);
    return block == nullptr ? 0 : block->size;
}

GlobalMemory GlobalMemoryFree(GlobalMemory handle) noexcept {
    State& state = TheState();
    std::lock_guard lock(state.mutex);
    GlobalBlock* block = state.Find(handle);
    if (block == nullptr || block->ownedByClipboard) return handle;
    state.Free(block);
    return nullptr;
}

bool ClipboardOpen(const void* owner) noexcept {
    State& state = TheState();
    std::lock_guard lock(state.mutex);
    if (state.open) return state.HeldByCaller() && state.owner == owner;
    state.open = true;
    state.owner = owner;
    state.holder = std::this_thread::get_id();
    return true;
}

bool ClipboardEmpty() noexcept {
    State& state = TheState();
    std::lock_guard lock(state.mutex);
    if (!state.HeldByCaller()) return false;
    for (auto& [format, block] : state.data) state.Free(block);
    state.data.clear();
    return true;
}

GlobalMemory ClipboardSetData(uint32_t format, GlobalMemory handle) noexcept {
    State& state = TheState();
    std::lock_guard lock(state.mutex);
    GlobalBlock* block = state.Find(handle);
    if (!state.HeldByCaller() || format == 0 || block == nullptr) return nullptr;
    auto held = state.data.find(format);
    if (held != state.data.end() && held->second == block) return handle;
    if (block->ownedByClipboard) return nullptr;  // already the data of another format
    try {
        if (held == state.data.end()) held = state.data.emplace(format, nullptr).first;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    if (held->second != nullptr) state.Free(held->second);
    held->second = block;
    block->ownedByClipboard = true;
    return handle;
}

GlobalMemory ClipboardGetData(uint32_t format) noexcept {
    State& state = TheState();
    std::lock_guard lock(state.mutex);
    if (!state.HeldByCaller()) return nullptr;
    auto held = state.data.find(format);
    return held == state.data.end() ? nullptr : held->second;
}

bool ClipboardClose() noexcept {
    State& state = TheState();
    std::lock_guard lock(state.mutex);
    if (!state.HeldByCaller()) return false;
    state.open = false;
    state.owner = nullptr;
    state.holder = std::thread::id();
    return true;
}

size_t GlobalMemoryLiveBlocks() noexcept {
    State& state = TheState();
    std::lock_guard lock(state.mutex);
    return state.blocks.size();
}

void SetGlobalMemoryLimit(size_t bytes) noexcept {
    State& state = TheState();
    std::lock_guard lock(state.mutex);
    state.limit = bytes;
}

}  // namespace kt::platform
