#include "catalogue/host.h"

#include <utility>

#include "platform/platform.h"
#include "text/string/utf8.h"

namespace kt::host {

CatalogueModule::CatalogueModule(CatalogueModule&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)),
      first_(std::exchange(other.first_, nullptr)),
      error_(std::move(other.error_)) {}

CatalogueModule& CatalogueModule::operator=(CatalogueModule&& other) noexcept {
    if (this != &other) {
        Unload();
        handle_ = std::exchange(other.handle_, nullptr);
        first_ = std::exchange(other.first_, nullptr);
        error_ = std::move(other.error_);
    }
    return *this;
}

CatalogueModule::~CatalogueModule() {
    Unload();
}

bool CatalogueModule::Load(const std::string& path) {
    Unload();
    error_.clear();
    handle_ = platform::LoadModule(path.c_str(), &error_);
    if (handle_ == nullptr) return false;
    first_ = reinterpret_cast<GetFirstResourceStringLibraryFunction>(
        platform::ModuleSymbol(handle_, FirstRecordExport));
    if (first_ == nullptr) {
        error_ = path + ": the module does not export " + FirstRecordExport;
        Unload();
        return false;
    }
    return true;
}

bool CatalogueModule::Unload() {
    first_ = nullptr;
    void* handle = std::exchange(handle_, nullptr);
    return platform::UnloadModule(handle, &error_);
}

std::string CatalogueModule::DefaultPath() {
    std::string directory = platform::ExecutableDirectory();
    return (directory.empty() ? std::string(".") : directory) + "/../lib/" + ModuleFileName;
}

ResourceStringRecord* FindRecord(ResourceStringRecord* first, const char16_t* name) {
    if (name == nullptr) return nullptr;
    for (ResourceStringRecord* record = first; record != nullptr; record = record->next)
        if (std::u16string_view(record->name) == name) return record;
    return nullptr;
}

int32_t FindEntry(ResourceStringRecord* record, std::u16string_view key) {
    if (record == nullptr) return -1;
    for (int32_t index = 0; index < record->count; ++index)
        if (const char16_t* candidate = record->keyAt(record, index);
            candidate != nullptr && key == candidate)
            return index;
    return -1;
}

std::string ToUtf8(const char16_t* text) {
    return text == nullptr ? std::string() : ToUtf8(std::u16string_view(text));
}

std::string ToUtf8(std::u16string_view text) {
    std::string utf8;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t codePoint = text[i];
        if (codePoint >= 0xD800 && codePoint <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if (codePoint >= 0xD800 && codePoint <= 0xDFFF) {
            codePoint = 0xFFFD;
        }
        char bytes[4];
        char* end = bytes;
        EncodeUtf8(end, codePoint);
        utf8.append(bytes, end);
    }
    return utf8;
}

bool FromUtf8(std::string_view text, std::u16string& out) {
    out.clear();
    if (text.empty()) return true;
    if (text.size() > 0x7FFFFFFF) return false;
    const auto count = static_cast<int32_t>(text.size());
    // The converter turns ill-formed input into U+FFFD; a text that does not come back unchanged was not
    // well-formed.
    out.resize(static_cast<size_t>(platform::Utf8ToUtf16(text.data(), count, nullptr, 0)));
    if (out.empty() ||
        platform::Utf8ToUtf16(text.data(), count, out.data(), static_cast<int32_t>(out.size())) == 0)
        return false;
    return ToUtf8(std::u16string_view(out)) == text;
}

}  // namespace kt::host
