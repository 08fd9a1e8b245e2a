// ktcat: loads the catalogue module the way a host does and lists, shows, fills, checks and exports its
// catalogues. Everything it prints is UTF-8, written as bytes, whatever the locale.
#include <charconv>
#include <chrono>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/host.h"
#include "catalogue/host_format.h"
#include "tools/ktcat/catalogue_check.h"
#include "tools/ktcat/catalogue_export.h"

namespace {

using kt::host::ResourceStringRecord;

constexpr int ExitNotFound = 1;
constexpr int ExitUsage = 2;
constexpr int ExitNoModule = 3;
constexpr int ExitFindings = 4;

constexpr const char* ModuleOption =
    "  --module PATH   the module to load (default: ../lib/libktcatalogue_de.so beside the\n"
    "                  directory of ktcat)\n";

struct Command {
    std::string_view name;
    const char* usage;  // the command's usage line(s)
    const char* help;   // what it does
};

const Command Commands[] = {
    {"list", "usage: ktcat [--module PATH] list\n",
     "Prints name and entry count of every catalogue, in chain order (newest first).\n"},
    {"show", "usage: ktcat [--module PATH] show CATALOGUE [KEY|INDEX]\n",
     "  show CATALOGUE            index, key and text of every entry; in texts a line feed is shown\n"
     "                            as \\n, a carriage return as \\r and a backslash as \\\\\n"
     "  show CATALOGUE KEY|INDEX  one entry: its index and key, then its text exactly as it is\n"},
    {"format", "usage: ktcat [--module PATH] format CATALOGUE KEY|INDEX [NAME=VALUE ...]\n",
     "Prints the entry's text with every placeholder {NAME} replaced by its VALUE. A placeholder\n"
     "without a value stays visible as {NAME}; it, a value the text does not use and any brace\n"
     "problem of the text are reported on stderr, and the exit code is then 4.\n"},
    {"check", "usage: ktcat [--module PATH] check\n",
     "Checks every catalogue: keys are unique ASCII identifiers; texts are not empty, hold no tab and\n"
     "end in no line break; braces are balanced or escaped with a backslash; placeholder names are\n"
     "made of ASCII letters, digits, '_' and '.'. Findings are printed in the module's own texts\n"
     "where its \"res\" catalogue has one (bracket positions count UTF-16 units from 0); the exit\n"
     "code is 4 when there is any.\n"},
    {"export", "usage: ktcat [--module PATH] export --format json|po|xml [CATALOGUE ...]\n",
     "Writes the named catalogues (default: all, in chain order) to stdout:\n"
     "  json  an object per catalogue, mapping key to text in index order\n"
     "  po    a gettext PO file: msgctxt is the catalogue, msgid the key, msgstr the text\n"
     "  xml   a resource-string file: <resources>, <module name=...>, <string name=...>; a line\n"
     "        feed is written \\n (a backslash before n or a backslash is doubled)\n"},
};

constexpr const char* GeneralHelp =
    "\n"
    "  list     name and entry count of every catalogue\n"
    "  show     the entries of a catalogue, or one entry\n"
    "  format   one entry's text with its placeholders filled\n"
    "  check    checks every catalogue against the catalogue conventions\n"
    "  export   catalogues as JSON, gettext PO or resource-string XML\n";

constexpr const char* ExitCodes =
    "\n"
    "'ktcat COMMAND --help' tells more. Output is UTF-8 whatever the locale. Exit codes: 0 success,\n"
    "1 unknown catalogue, key or index, 2 wrong usage, 3 the module cannot be loaded, 4 findings.\n";

const Command* FindCommand(std::string_view name) {
    for (const Command& command : Commands)
        if (command.name == name) return &command;
    return nullptr;
}

std::string GeneralUsage() {
    std::string usage;
    for (const Command& command : Commands)
        usage += usage.empty() ? command.usage : "       " + std::string(command.usage).substr(7);
    return usage + "       ktcat [COMMAND] --help\n" + GeneralHelp + ModuleOption + ExitCodes;
}

std::string CommandHelp(const Command& command) {
    return std::string(command.usage) + "\n" + command.help + "\n" + ModuleOption;
}

void Print(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
}

int Fail(int code, const std::string& message) {
    std::fprintf(stderr, "ktcat: %s\n", message.c_str());
    return code;
}

int UsageError(const std::string& message, const Command* command) {
    return Fail(ExitUsage, message + "\n" + (command ? std::string(command->usage) : GeneralUsage()));
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

bool IsIndex(std::string_view argument, int32_t& index) {
    const char* end = argument.data() + argument.size();
    auto [stop, error] = std::from_chars(argument.data(), end, index);
    return error == std::errc() && stop == end;
}

// The catalogue named `name`, or null after reporting it unknown.
ResourceStringRecord* FindCatalogue(ResourceStringRecord* first, const std::string& name) {
    std::u16string name16;
    ResourceStringRecord* record =
        kt::host::FromUtf8(name, name16) ? kt::host::FindRecord(first, name16.c_str()) : nullptr;
    if (record == nullptr) Fail(ExitNotFound, "no catalogue named '" + name + "' (see 'ktcat list')");
    return record;
}

// The index of the entry a KEY or INDEX argument names, or -1 after reporting it unknown.
int32_t FindEntryIndex(ResourceStringRecord* record, const std::string& catalogue, const std::string& entry) {
    int32_t index = -1;
    if (IsIndex(entry, index)) {
        if (index >= 0 && index < record->count) return index;
        Fail(ExitNotFound, "catalogue '" + catalogue + "' has no entry " + entry + " (its indexes are 0 to " +
                               std::to_string(record->count - 1) + ")");
        return -1;
    }
    std::u16string key;
    if (kt::host::FromUtf8(entry, key)) index = kt::host::FindEntry(record, key);
    if (index < 0) Fail(ExitNotFound, "catalogue '" + catalogue + "' has no key '" + entry + "'");
    return index;
}

int List(ResourceStringRecord* first, const std::vector<std::string>&) {
    for (ResourceStringRecord* record = first; record != nullptr; record = record->next)
        Print(kt::host::ToUtf8(record->name) + "\t" + std::to_string(record->count) + "\n");
    return 0;
}

int Show(ResourceStringRecord* first, const std::vector<std::string>& words) {
    ResourceStringRecord* record = FindCatalogue(first, words[0]);
    if (record == nullptr) return ExitNotFound;
    if (words.size() == 1) {
        for (int32_t index = 0; index < record->count; ++index) Print(EntryLine(record, index));
        return 0;
    }
    const int32_t index = FindEntryIndex(record, words[0], words[1]);
    if (index < 0) return ExitNotFound;
    Print(std::to_string(index) + "\t" + kt::host::ToUtf8(record->keyAt(record, index)) + "\n");
    Print(kt::host::ToUtf8(record->textAt(record, index)) + "\n");
    return 0;
}

std::string DescribeArgumentFinding(const kt::host::TextFinding& finding) {
    const std::string name = kt::host::ToUtf8(finding.name);
    if (finding.issue == kt::host::TextIssue::MissingArgument)
        return "no value for {" + name + "} (first at position " + std::to_string(finding.position) +
               "); it stays in the text";
    return "the text does not use '" + name + "'";
}

int Format(ResourceStringRecord* first, const std::vector<std::string>& words) {
    kt::host::FormatArguments arguments;
    for (size_t i = 2; i < words.size(); ++i) {
        const size_t equals = words[i].find('=');
        std::u16string name, value;
        if (equals == 0 || equals == std::string::npos)
            return UsageError("'" + words[i] + "' is not NAME=VALUE", FindCommand("format"));
        if (!kt::host::FromUtf8(std::string_view(words[i]).substr(0, equals), name) ||
            !kt::host::FromUtf8(std::string_view(words[i]).substr(equals + 1), value))
            return UsageError("'" + words[i] + "' is not valid UTF-8", FindCommand("format"));
        if (!arguments.emplace(std::move(name), std::move(value)).second)
            return UsageError("'" + words[i].substr(0, equals) + "' is given twice", FindCommand("format"));
    }
    ResourceStringRecord* record = FindCatalogue(first, words[0]);
    if (record == nullptr) return ExitNotFound;
    const int32_t index = FindEntryIndex(record, words[0], words[1]);
    if (index < 0) return ExitNotFound;

    const kt::ktcat::Entry entry{record->keyAt(record, index), record->textAt(record, index)};
    const kt::host::FormattedText formatted =
        kt::host::FormatText(entry.text != nullptr ? entry.text : u"", arguments);
    Print(kt::host::ToUtf8(formatted.text) + "\n");
    std::fflush(stdout);
    // The text's own problems in the words of `ktcat check`, then the arguments'.
    const kt::ktcat::FindingMessages messages(kt::host::FindRecord(first, u"res"));
    bool found = false;
    for (const kt::ktcat::Finding& finding : kt::ktcat::CheckEntry(record->name, index, entry, messages)) {
        Fail(ExitFindings, finding.message);
        found = true;
    }
    for (const kt::host::TextFinding& finding : formatted.findings) {
        if (finding.issue == kt::host::TextIssue::MissingArgument ||
            finding.issue == kt::host::TextIssue::UnusedArgument) {
            Fail(ExitFindings, DescribeArgumentFinding(finding));
            found = true;
        }
    }
    return found ? ExitFindings : 0;
}

std::string FileName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

int Check(ResourceStringRecord* first, const std::string& modulePath) {
    const kt::ktcat::FindingMessages messages(kt::host::FindRecord(first, u"res"));
    const std::vector<kt::ktcat::Finding> findings =
        kt::ktcat::CheckChain(first, FileName(modulePath), messages);
    for (const kt::ktcat::Finding& finding : findings) Print(finding.message + "\n");
    size_t catalogues = 0, entries = 0;
    for (ResourceStringRecord* record = first; record != nullptr; record = record->next, ++catalogues)
        entries += record->count > 0 ? static_cast<size_t>(record->count) : 0;
    Print("ktcat check: " + std::to_string(catalogues) + " catalogues, " + std::to_string(entries) +
          " entries, " + (findings.empty() ? "no" : std::to_string(findings.size())) +
          (findings.size() == 1 ? " finding\n" : " findings\n"));
    return findings.empty() ? 0 : ExitFindings;
}

// The current UTC time as a PO header writes it.
std::string RevisionDate() {
    using namespace std::chrono;
    const auto now = floor<minutes>(system_clock::now());
    const auto day = floor<days>(now);
    const year_month_day date(day);
    const hh_mm_ss time(now - day);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u %02ld:%02ld+0000", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<long>(time.hours().count()), static_cast<long>(time.minutes().count()));
    return text;
}

int Export(ResourceStringRecord* first, kt::ktcat::ExportFormat format,
           const std::vector<std::string>& names) {
    std::vector<kt::ktcat::Catalogue> catalogues;
    if (names.empty()) {
        for (ResourceStringRecord* record = first; record != nullptr; record = record->next)
            catalogues.push_back(kt::ktcat::ReadCatalogue(record));
    }
    for (const std::string& name : names) {
        ResourceStringRecord* record = FindCatalogue(first, name);
        if (record == nullptr) return ExitNotFound;
        kt::ktcat::Catalogue catalogue = kt::ktcat::ReadCatalogue(record);
        bool listed = false;
        for (const kt::ktcat::Catalogue& earlier : catalogues)
            listed = listed || earlier.name == catalogue.name;
        if (!listed) catalogues.push_back(std::move(catalogue));
    }
    try {
        switch (format) {
            case kt::ktcat::ExportFormat::Json:
                Print(kt::ktcat::ExportJson(catalogues));
                break;
            case kt::ktcat::ExportFormat::Po:
                Print(kt::ktcat::ExportPo(catalogues, RevisionDate()));
                break;
            case kt::ktcat::ExportFormat::Xml:
                Print(kt::ktcat::ExportXml(catalogues));
                break;
        }
    } catch (const std::invalid_argument& error) {
        return Fail(ExitFindings, std::string("cannot export: ") + error.what());
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    std::string modulePath;
    std::optional<std::string> formatWord;
    bool help = false;
    std::vector<std::string> words;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            help = true;
        } else if (argument == "--module" || argument == "--format") {
            if (i + 1 == arguments.size()) return UsageError(argument + " needs a value", nullptr);
            (argument == "--module" ? modulePath : formatWord.emplace()) = arguments[++i];
        } else if (argument.starts_with("--module=")) {
            modulePath = argument.substr(9);
        } else if (argument.starts_with("--format=")) {
            formatWord = argument.substr(9);
        } else {
            words.push_back(argument);
        }
    }

    const Command* command = words.empty() ? nullptr : FindCommand(words[0]);
    if (help && (words.empty() || command != nullptr)) {
        Print(command ? CommandHelp(*command)
                      : "ktcat: lists, shows, fills, checks and exports the catalogues "
                        "of the catalogue module.\n\n" +
                            GeneralUsage());
        return 0;
    }
    if (command == nullptr)
        return UsageError(words.empty() ? "no command given" : "unknown command '" + words[0] + "'", nullptr);
    words.erase(words.begin());

    const std::string_view name = command->name;
    std::optional<kt::ktcat::ExportFormat> format;
    if (formatWord && name != "export") return UsageError("--format belongs to export", command);
    if (name == "export") {
        if (!formatWord) return UsageError("export needs --format json|po|xml", command);
        format = kt::ktcat::ParseExportFormat(*formatWord);
        if (!format) return UsageError("unknown format '" + *formatWord + "'", command);
    }
    const bool countFits = name == "list" || name == "check" ? words.empty()
                           : name == "show"                  ? words.size() == 1 || words.size() == 2
                           : name == "format"                ? words.size() >= 2
                                                             : true;
    if (!countFits) return UsageError("wrong number of arguments", command);

    kt::host::CatalogueModule module;
    if (modulePath.empty()) modulePath = kt::host::CatalogueModule::DefaultPath();
    if (!module.Load(modulePath))
        return Fail(ExitNoModule, "cannot load the catalogue module: " + module.Error());

    ResourceStringRecord* first = module.First();
    int result = 0;
    if (name == "list") result = List(first, words);
    if (name == "show") result = Show(first, words);
    if (name == "format") result = Format(first, words);
    if (name == "check") result = Check(first, modulePath);
    if (name == "export") result = Export(first, *format, words);
    std::fflush(stdout);
    return result;
}
