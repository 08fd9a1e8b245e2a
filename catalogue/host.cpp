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

std::string ToUtf8(const char16_t* text) {
    std::string utf8;
    if (text == nullptr) return utf8;
    for (const char16_t* unit = text; *unit != 0; ++unit) {
        char32_t codePoint = *unit;
        if (codePoint >= 0xD800 && codePoint <= 0xDBFF && unit[1] >= 0xDC00 && unit[1] <= 0xDFFF) {
            codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (*++unit - 0xDC00);
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

}  // namespace kt::host
