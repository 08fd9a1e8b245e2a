// ktcat: loads the catalogue module the way a host does and prints its catalogues as UTF-8.
#include <charconv>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/host.h"

namespace {

using kt::host::ResourceStringRecord;

constexpr int ExitNotFound = 1;
constexpr int ExitUsage = 2;
constexpr int ExitNoModule = 3;

constexpr const char* Usage =
    "usage: ktcat [--module PATH] list\n"
    "       ktcat [--module PATH] show CATALOGUE [KEY|INDEX]\n"
    "\n"
    "  list                      name and entry count of every catalogue, in chain order\n"
    "  show CATALOGUE            index, key and text of every entry; in texts a line feed is shown\n"
    "                            as \\n, a carriage return as \\r and a backslash as \\\\\n"
    "  show CATALOGUE KEY|INDEX  one entry: its index and key, then its text exactly as it is\n"
    "  --module PATH             the module to load (default: ../lib/libktcatalogue_de.so beside\n"
    "                            the directory of ktcat)\n";

void Print(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
}

int Fail(int code, const std::string& message) {
    std::fprintf(stderr, "ktcat: %s\n", message.c_str());
    return code;
}

// One line per entry: control characters and backslashes escaped so the line stays one line.
std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\\':
                out += "\\\\";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string EntryLine(ResourceStringRecord* record, int32_t index) {
    return std::to_string(index) + "\t" + kt::host::ToUtf8(record->keyAt(record, index)) + "\t" +
           Escaped(kt::host::ToUtf8(record->textAt(record, index))) + "\n";
}

std::u16string FromAscii(std::string_view text) {
    return std::u16string(text.begin(), text.end());
}

bool IsIndex(std::string_view argument, int32_t& index) {
    const char* end = argument.data() + argument.size();
    auto [stop, error] = std::from_chars(argument.data(), end, index);
    return error == std::errc() && stop == end;
}

int List(ResourceStringRecord* first) {
    for (ResourceStringRecord* record = first; record != nullptr; record = record->next)
        Print(kt::host::ToUtf8(record->name) + "\t" + std::to_string(record->count) + "\n");
    return 0;
}

int Show(ResourceStringRecord* first, const std::string& name, const std::string* entry) {
    for (unsigned char c : name)
        if (c >= 0x80) return Fail(ExitNotFound, "no catalogue named '" + name + "' (see 'ktcat list')");
    ResourceStringRecord* record = kt::host::FindRecord(first, FromAscii(name).c_str());
    if (record == nullptr) return Fail(ExitNotFound, "no catalogue named '" + name + "' (see 'ktcat list')");
    if (entry == nullptr) {
        for (int32_t index = 0; index < record->count; ++index) Print(EntryLine(record, index));
        return 0;
    }
    int32_t index = -1;
    if (IsIndex(*entry, index)) {
        if (index < 0 || index >= record->count)
            return Fail(ExitNotFound, "catalogue '" + name + "' has no entry " + *entry +
                                          " (its indexes are 0 to " + std::to_string(record->count - 1) +
                                          ")");
    } else {
        std::u16string key = FromAscii(*entry);
        index = -1;
        for (int32_t i = 0; i < record->count && index < 0; ++i)
            if (const char16_t* candidate = record->keyAt(record, i); candidate && key == candidate)
                index = i;
        if (index < 0) return Fail(ExitNotFound, "catalogue '" + name + "' has no key '" + *entry + "'");
    }
    Print(std::to_string(index) + "\t" + kt::host::ToUtf8(record->keyAt(record, index)) + "\n");
    Print(kt::host::ToUtf8(record->textAt(record, index)) + "\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    std::string modulePath;
    std::vector<std::string> words;
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--help" || arguments[i] == "-h") {
            Print(Usage);
            return 0;
        }
        if (arguments[i] == "--module") {
            if (i + 1 == arguments.size())
                return Fail(ExitUsage, "--module needs a path\n" + std::string(Usage));
            modulePath = arguments[++i];
        } else {
            words.push_back(arguments[i]);
        }
    }
    bool isList = words.size() == 1 && words[0] == "list";
    bool isShow = (words.size() == 2 || words.size() == 3) && words[0] == "show";
    if (!isList && !isShow) {
        std::fputs(Usage, stderr);
        return ExitUsage;
    }

    kt::host::CatalogueModule module;
    if (modulePath.empty()) modulePath = kt::host::CatalogueModule::DefaultPath();
    if (!module.Load(modulePath))
        return Fail(ExitNoModule, "cannot load the catalogue module: " + module.Error());

    int result = isList ? List(module.First())
                        : Show(module.First(), words[1], words.size() == 3 ? &words[2] : nullptr);
    std::fflush(stdout);
    return result;
}
