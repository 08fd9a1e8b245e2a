#include "host/host.h"

#include <bit>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "text/string/utf8.h"

namespace kt::host {

CatalogueModule::CatalogueModule(CatalogueModule&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)),
      first_(std::exchange(other.first_, nullptr)),
      error_(std::move(other.error_)) {}

CatalogueModule& CatalogueModule::operator=(CatalogueModule&& other) noexcept {
    if (this != &other) {
        UnloadQuietly();
        handle_ = std::exchange(other.handle_, nullptr);
        first_ = std::exchange(other.first_, nullptr);
        error_ = std::move(other.error_);
    }
    return *this;
}

CatalogueModule::~CatalogueModule() {
    UnloadQuietly();
}

bool CatalogueModule::Load(const std::string& path) {
    UnloadQuietly();
    error_.clear();
#ifdef _WIN32
    const bool hasDirectory = path.find_first_of("/\\:") != std::string::npos;
#else
    const bool hasDirectory = path.find('/') != std::string::npos;
#endif
    if (hasDirectory) {
        error_ = CheckModuleFile(path);
        if (!error_.empty()) return false;
    }
    handle_ = platform::LoadModule(path.c_str(), &error_);
    if (handle_ == nullptr) return false;
    first_ = reinterpret_cast<GetFirstResourceStringLibraryFunction>(
        platform::ModuleSymbol(handle_, FirstRecordExport));
    if (first_ == nullptr) {
        error_ = path + ": the module does not export " + FirstRecordExport;
        UnloadQuietly();
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

namespace {

// Whether bytes `offset` to `offset + length` lie inside a file of `size` bytes, without overflow.
bool Inside(uint64_t offset, uint64_t length, uint64_t size) {
    return offset <= size && length <= size - offset;
}

// Unsigned fields of a header read in the file's byte order.
class Fields {
  public:
    Fields(const unsigned char* bytes, bool littleEndian) : bytes_(bytes), little_(littleEndian) {}
    uint64_t Get(size_t at, size_t width) const {
        uint64_t value = 0;
        for (size_t i = 0; i < width; ++i)
            value |= static_cast<uint64_t>(bytes_[at + i]) << (8 * (little_ ? i : width - 1 - i));
        return value;
    }

  private:
    const unsigned char* bytes_;
    bool little_;
};

std::string Bytes(uint64_t from, uint64_t length) {
    return "bytes " + std::to_string(from) + " to " + std::to_string(from + length);
}

std::string PastTheEnd(const std::string& what, uint64_t from, uint64_t length, uint64_t size) {
    return what + " (" + Bytes(from, length) + ") reach past the end of the file (" + std::to_string(size) +
           " bytes)";
}

constexpr bool LittleEndianMachine = std::endian::native == std::endian::little;

// A segment: where it is loaded, where its bytes are in the file and how many there are.
struct Segment {
    uint64_t offset, address, fileSize;
};

// The file offset of `length` bytes at `address` when they lie in the file's part of a loaded segment.
std::optional<uint64_t> FileOffset(const std::vector<Segment>& loaded, uint64_t address, uint64_t length) {
    for (const Segment& segment : loaded)
        if (address >= segment.address && Inside(address - segment.address, length, segment.fileSize))
            return segment.offset + (address - segment.address);
    return std::nullopt;
}

// The system's loader reads the dynamic segment and the tables it names without checking them: they must
// lie where loading puts the file's bytes.
std::string CheckDynamicSegment(const ModuleFileReader& read, const Segment& dynamic,
                                const std::vector<Segment>& loaded, bool is64) {
    const size_t entrySize = is64 ? 16 : 8;
    if (!FileOffset(loaded, dynamic.address, dynamic.fileSize))
        return "its dynamic segment does not lie in a loaded segment";
    std::vector<unsigned char> bytes(dynamic.fileSize);
    if (!read(dynamic.offset, bytes.data(), bytes.size())) return "its dynamic segment cannot be read";
    std::map<uint64_t, uint64_t> values;  // by tag, the first of each
    bool terminated = false;
    for (size_t at = 0; at + entrySize <= bytes.size() && !terminated; at += entrySize) {
        const Fields entry(bytes.data() + at, LittleEndianMachine);
        const uint64_t tag = entry.Get(0, entrySize / 2), value = entry.Get(entrySize / 2, entrySize / 2);
        terminated = tag == 0;  // DT_NULL
        if (at == 0 && terminated) return "its dynamic segment is empty";
        values.emplace(tag, value);
    }
    if (!terminated) return "its dynamic segment has no terminating entry";
    // Tables with the tag of their size, or 0 where only their start is known.
    struct Table {
        uint64_t tag, sizeTag;
        const char* name;
    };
    static constexpr Table Tables[] = {
        {5, 10, "string table"},
        {6, 0, "symbol table"},
        {4, 0, "hash table"},
        {0x6FFFFEF5, 0, "GNU hash table"},
        {7, 8, "relocation table"},
        {17, 18, "relocation table"},
        {23, 2, "PLT relocation table"},
        {36, 35, "relative relocation table"},
        {25, 27, "initialiser table"},
        {26, 28, "finaliser table"},
        {0x6FFFFFF0, 0, "symbol version table"},
        {0x6FFFFFFC, 0, "version definitions"},
        {0x6FFFFFFE, 0, "version needs"},
    };
    for (const Table& table : Tables) {
        const auto start = values.find(table.tag);
        if (start == values.end()) continue;
        const auto length = table.sizeTag != 0 ? values.find(table.sizeTag) : values.end();
        const uint64_t bytesNeeded = length != values.end() ? length->second : 1;
        if (!FileOffset(loaded, start->second, bytesNeeded))
            return std::string("its ") + table.name + " (" + Bytes(start->second, bytesNeeded) +
                   " in memory) does not lie in a loaded segment";
    }
    if (!values.contains(5) || !values.contains(6))
        return "its dynamic segment names no string or symbol table";
    return {};
}

}  // namespace

std::string CheckElfSharedObject(const ModuleFileReader& read, uint64_t size, int elfClass,
                                 uint16_t machine) {
    const bool is64 = elfClass == 2;
    const size_t headerSize = is64 ? 64 : 52;
    unsigned char header[64] = {};
    if (size < headerSize || !read(0, header, headerSize))
        return "it is " + std::to_string(size) + " bytes long, too short for an ELF header";
    if (std::memcmp(header,
                    "\x7f"
                    "ELF",
                    4) != 0)
        return "it is not an ELF file";
    if (header[4] != elfClass)
        return std::string("it is ") +
               (header[4] == 1   ? "a 32-bit"
                : header[4] == 2 ? "a 64-bit"
                                 : "an unknown") +
               " ELF file; this program loads " + (is64 ? "64" : "32") + "-bit modules";
    if (header[5] != (LittleEndianMachine ? 1 : 2)) return "its byte order is not this machine's";
    if (header[6] != 1) return "its ELF version " + std::to_string(header[6]) + " is unknown";
    const Fields fields(header, LittleEndianMachine);
    if (const uint64_t type = fields.Get(16, 2); type != 3)
        return "it is no shared object (ELF type " + std::to_string(type) + ")";
    if (const uint64_t fileMachine = fields.Get(18, 2); machine != 0 && fileMachine != machine)
        return "it is built for ELF machine " + std::to_string(fileMachine) + ", not for this one (" +
               std::to_string(machine) + ")";
    const uint64_t tableOffset = is64 ? fields.Get(32, 8) : fields.Get(28, 4);
    const uint64_t entrySize = fields.Get(is64 ? 54 : 42, 2);
    const uint64_t count = fields.Get(is64 ? 56 : 44, 2);
    const size_t expectedEntrySize = is64 ? 56 : 32;
    if (entrySize != expectedEntrySize)
        return "its program headers are " + std::to_string(entrySize) + " bytes long, not " +
               std::to_string(expectedEntrySize);
    if (count == 0 || count == 0xFFFF) return "it has no program headers";  // 0xFFFF: count kept elsewhere
    if (!Inside(tableOffset, count * entrySize, size))
        return PastTheEnd("its program headers", tableOffset, count * entrySize, size);
    std::vector<unsigned char> table(count * entrySize);
    if (!read(tableOffset, table.data(), table.size()))
        return PastTheEnd("its program headers", tableOffset, table.size(), size);
    std::vector<Segment> loaded;
    std::optional<Segment> dynamic;
    for (uint64_t i = 0; i < count; ++i) {
        const Fields segment(table.data() + i * entrySize, LittleEndianMachine);
        const uint64_t type = segment.Get(0, 4);
        const Segment range{is64 ? segment.Get(8, 8) : segment.Get(4, 4),
                            is64 ? segment.Get(16, 8) : segment.Get(8, 4),
                            is64 ? segment.Get(32, 8) : segment.Get(16, 4)};
        const uint64_t memorySize = is64 ? segment.Get(40, 8) : segment.Get(20, 4);
        if (!Inside(range.offset, range.fileSize, size))
            return PastTheEnd("the contents of its segment " + std::to_string(i), range.offset,
                              range.fileSize, size);
        if (type == 1 && range.fileSize > memorySize)
            return "its segment " + std::to_string(i) + " has more bytes in the file than in memory";
        if (type == 1) loaded.push_back(range);  // PT_LOAD
        if (type == 2) dynamic = range;          // PT_DYNAMIC
    }
    if (loaded.empty()) return "it has no loadable segment";
    if (!dynamic) return "it has no dynamic segment";
    return CheckDynamicSegment(read, *dynamic, loaded, is64);
}

std::string CheckPeDll(const ModuleFileReader& read, uint64_t size, uint16_t machine) {
    unsigned char dos[64];
    if (size < sizeof dos || !read(0, dos, sizeof dos))
        return "it is " + std::to_string(size) + " bytes long, too short for an MZ header";
    if (dos[0] != 'M' || dos[1] != 'Z') return "it is not a Windows module (no MZ header)";
    const uint64_t peOffset = Fields(dos, true).Get(0x3C, 4);
    unsigned char pe[24];
    if (!Inside(peOffset, sizeof pe, size) || !read(peOffset, pe, sizeof pe))
        return PastTheEnd("its PE header", peOffset, sizeof pe, size);
    if (std::memcmp(pe, "PE\0\0", 4) != 0) return "it is not a PE file";
    const Fields coff(pe, true);
    if (const uint64_t fileMachine = coff.Get(4, 2); fileMachine != machine)
        return "it is built for machine " + std::to_string(fileMachine) + ", not for this one (" +
               std::to_string(machine) + ")";
    const uint64_t sectionCount = coff.Get(6, 2);
    const uint64_t optionalSize = coff.Get(20, 2);
    if ((coff.Get(22, 2) & 0x2000) == 0) return "it is no DLL";  // IMAGE_FILE_DLL
    unsigned char optional[64];
    const uint64_t optionalOffset = peOffset + sizeof pe;
    if (optionalSize < sizeof optional) return "its optional header is missing or too short";
    if (!Inside(optionalOffset, optionalSize, size) || !read(optionalOffset, optional, sizeof optional))
        return PastTheEnd("its optional header", optionalOffset, optionalSize, size);
    const Fields header(optional, true);
    const uint64_t magic = header.Get(0, 2), expectedMagic = machine == 0x14C ? 0x10B : 0x20B;
    if (magic != expectedMagic)
        return "its optional header is of kind " + std::to_string(magic) + ", not " +
               std::to_string(expectedMagic);
    if (const uint64_t headersSize = header.Get(60, 4); headersSize > size)
        return PastTheEnd("its headers", 0, headersSize, size);
    if (sectionCount == 0) return "it has no sections";
    const uint64_t tableOffset = optionalOffset + optionalSize;
    if (!Inside(tableOffset, sectionCount * 40, size))
        return PastTheEnd("its section table", tableOffset, sectionCount * 40, size);
    std::vector<unsigned char> table(sectionCount * 40);
    if (!read(tableOffset, table.data(), table.size()))
        return PastTheEnd("its section table", tableOffset, table.size(), size);
    for (uint64_t i = 0; i < sectionCount; ++i) {
        const Fields section(table.data() + i * 40, true);
        const uint64_t rawSize = section.Get(16, 4), rawOffset = section.Get(20, 4);
        if (!Inside(rawOffset, rawSize, size))
            return PastTheEnd("the contents of its section " + std::to_string(i), rawOffset, rawSize, size);
    }
    return {};
}

std::string CheckModuleFile(const std::string& path) {
    // The path is UTF-8 on every system.
    const std::filesystem::path file(std::u8string(path.begin(), path.end()));
    std::error_code error;
    const auto status = std::filesystem::status(file, error);
    if (error == std::errc::too_many_symbolic_link_levels) return path + ": a loop of symbolic links";
    if (!std::filesystem::exists(status)) return path + ": no such file";
    if (!std::filesystem::is_regular_file(status)) return path + ": not a regular file";
    const uint64_t size = std::filesystem::file_size(file, error);
    std::ifstream stream(file, std::ios::binary);
    if (error || !stream) return path + ": cannot be read";
    const ModuleFileReader read = [&stream](uint64_t offset, void* out, size_t count) {
        stream.clear();
        return static_cast<bool>(stream.seekg(static_cast<std::streamoff>(offset))) &&
               static_cast<bool>(stream.read(static_cast<char*>(out), static_cast<std::streamsize>(count)));
    };
#ifdef _WIN32
#if defined(_M_X64) || defined(__x86_64__)
    const std::string problem = CheckPeDll(read, size, 0x8664);
#elif defined(_M_ARM64) || defined(__aarch64__)
    const std::string problem = CheckPeDll(read, size, 0xAA64);
#else
    const std::string problem = CheckPeDll(read, size, 0x14C);
#endif
#else
    // This machine's ELF machine number where known; elsewhere any machine passes the check.
#if defined(__x86_64__)
    constexpr uint16_t machine = 62;
#elif defined(__i386__)
    constexpr uint16_t machine = 3;
#elif defined(__aarch64__)
    constexpr uint16_t machine = 183;
#elif defined(__arm__)
    constexpr uint16_t machine = 40;
#elif defined(__riscv)
    constexpr uint16_t machine = 243;
#else
    constexpr uint16_t machine = 0;
#endif
    const std::string problem = CheckElfSharedObject(read, size, sizeof(void*) == 8 ? 2 : 1, machine);
#endif
    return problem.empty() ? problem : path + ": damaged or not a module for this machine: " + problem;
}

namespace {

// What a host does with a loaded module: its export, and every catalogue's name, count, keys and texts.
void ReadEveryText(void* module) {
    auto first = reinterpret_cast<GetFirstResourceStringLibraryFunction>(
        platform::ModuleSymbol(module, FirstRecordExport));
    if (first == nullptr) return;
    size_t sum = 0;
    for (ResourceStringRecord* record = first(); record != nullptr; record = record->next) {
        if (record->name != nullptr) sum += std::char_traits<char16_t>::length(record->name);
        for (int32_t index = 0; index < record->count; ++index)
            for (const char16_t* text : {record->keyAt(record, index), record->textAt(record, index)})
                if (text != nullptr) sum += std::char_traits<char16_t>::length(text);
    }
    static volatile size_t total;
    total = total + sum;  // so that the reads are not left out
}

}  // namespace

std::string TrialLoad(const std::string& path) {
    const platform::TrialLoadResult result = platform::TrialLoadModule(path.c_str(), ReadEveryText);
    if (result.signal != 0)
        return path + ": the system loader crashed on this file (signal " + std::to_string(result.signal) +
               "); the file is damaged";
    if (result.exitCode != 0)
        return path + ": the system loader ended the process on this file (exit code " +
               std::to_string(result.exitCode) + "); the file is damaged";
    return {};
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

KeyIndex::KeyIndex(ResourceStringRecord* record) {
    if (record == nullptr || record->count <= 0) return;
    index_.Reserve(static_cast<size_t>(record->count));
    // Backwards, so that of equal keys the first entry's index is the one that stays, as FindEntry finds it.
    for (int32_t index = record->count - 1; index >= 0; --index)
        if (const char16_t* key = record->keyAt(record, index))
            index_.Set(key, std::char_traits<char16_t>::length(key), index);
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
