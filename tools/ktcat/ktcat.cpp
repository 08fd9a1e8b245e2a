// ktcat: loads the catalogue module the way a host does and lists, shows, fills, checks, exports and imports
// its catalogues. Everything it prints is UTF-8, written as bytes, whatever the locale; every write is
// checked.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "host/host.h"
#include "host/host_format.h"
#include "tools/ktcat/catalogue_check.h"
#include "tools/ktcat/catalogue_export.h"
#include "tools/ktcat/catalogue_files.h"
#include "tools/ktcat/catalogue_import.h"
#include "tools/ktcat/escape.h"
#include "tools/ktcat/output.h"

namespace {

using kt::host::ResourceStringRecord;
namespace ktcat = kt::ktcat;

constexpr int ExitNotFound = 1;
constexpr int ExitUsage = 2;
constexpr int ExitNoModule = 3;
constexpr int ExitFindings = 4;
constexpr int ExitFile = 5;

// --- the command line -----------------------------------------------------------------------------------

struct Option {
    std::string_view name;
    const char* value;  // the value's name in the help, or null for an option without one
    const char* help;
};

const Option Options[] = {
    {"--module", "PATH",
     "the module to load (default: ../lib/libktcatalogue_de.so beside the folder of\n"
     "                    ktcat); a PATH that names an existing file is that file"},
    {"--output", "FILE",
     "writes to FILE instead of standard output; a regular FILE is replaced only once it\n"
     "                    is complete (keeping its mode), a FIFO or device is written to"},
    {"--format", "FORMAT", nullptr},  // described by each command that takes it
    {"--lang", "en|de",
     "the language of the report: en (default) or de, which uses the module's own\n"
     "                    \"res\" texts where one fits"},
    {"--against", "REFERENCE",
     "also compares the catalogues with REFERENCE, a JSON export or PO file of an\n"
     "                    earlier build"},
    {"--width", "N", "PO lines are wrapped at N columns, as gettext wraps them (default: 79)"},
    {"--no-wrap", nullptr, "PO strings are cut only after line feeds, as with gettext's --no-wrap"},
    {"--check", nullptr, "checks the file as the import would, and writes nothing"},
    {"--sources", "DIR", "the folder of the catalogue sources (default: catalogues)"},
    {"--output-dir", "DIR", "where the sources are written (default: the --sources folder)"},
    {"--help", nullptr, "prints the help and ends (also -h)"},
    {"--version", nullptr, "prints ktcat's version and ends"},
};

const Option* FindOption(std::string_view name) {
    if (name == "-h") name = "--help";
    for (const Option& option : Options)
        if (option.name == name) return &option;
    return nullptr;
}

struct Command {
    std::string_view name;
    const char* arguments;  // after the command's name in its usage line
    const char* summary;
    const char* help;
    std::vector<std::string_view> options;  // besides --module, --help and --version
    size_t minArguments;
    size_t maxArguments;
};

constexpr size_t Unlimited = static_cast<size_t>(-1);

const Command Commands[] = {
    {"list",
     "[--output FILE]",
     "name and entry count of every catalogue",
     "Prints name and entry count of every catalogue, in chain order (newest first).\n",
     {"--output"},
     0,
     0},
    {"show",
     "CATALOGUE [KEY|INDEX] [--output FILE]",
     "the entries of a catalogue, or one entry",
     "  show CATALOGUE            index, key and text of every entry; in texts a line feed is shown\n"
     "                            as \\n, a carriage return as \\r, a tab as \\t and a backslash as \\\\\n"
     "  show CATALOGUE KEY|INDEX  one entry: its index and key, then its text exactly as it is\n"
     "An INDEX is written in decimal digits without a sign; a word of digits alone is always an index.\n",
     {"--output"},
     1,
     2},
    {"format",
     "CATALOGUE KEY|INDEX [NAME=VALUE ...] [--lang en|de] [--output FILE]",
     "one entry's text with its placeholders filled",
     "Prints the entry's text with every placeholder {NAME} replaced by its VALUE. A placeholder\n"
     "without a value stays visible as {NAME}; it, a value the text does not use and any brace\n"
     "problem of the text are reported on stderr, and the exit code is then 4.\n",
     {"--output", "--lang"},
     2,
     Unlimited},
    {"check",
     "[--against REFERENCE] [--lang en|de] [--output FILE]",
     "checks every catalogue, and compares it with an earlier export",
     "Checks every catalogue: keys are unique ASCII identifiers; texts are not empty, hold no tab or\n"
     "other control character and end in no line break; braces are balanced or escaped with a backslash; "
     "placeholder names are\n"
     "made of ASCII letters, digits, '_' and '.'. With --against it also reports catalogues and keys\n"
     "that are missing or added, keys at another index, and placeholders lost, added or renamed; a text\n"
     "that changed with the same placeholders is shown as a note, old and new, and is no finding; so\n"
     "is an entry a PO reference marks fuzzy. A PO file's entries stand at the index their \"#:\"\n"
     "reference gives.\n"
     "Each line ends with the finding's kind in brackets (positions count UTF-16 units from 0). The\n"
     "exit code is 4 when there is any finding.\n",
     {"--output", "--lang", "--against"},
     0,
     0},
    {"export",
     "--format json|po|pot|xml [CATALOGUE ...] [--width N | --no-wrap] [--output FILE]",
     "catalogues as JSON, gettext PO or POT, or resource-string XML",
     "Writes the named catalogues (default: all, in chain order):\n"
     "  json  an object per catalogue, mapping key to text in index order\n"
     "  po    a gettext PO file: msgctxt is the catalogue, msgid the key, msgstr the text; each entry\n"
     "        has the comments \"#. placeholders: ...\" and \"#: CATALOGUE:INDEX\"\n"
     "  pot   the same as a template, with empty texts\n"
     "  xml   a resource-string file: <resources>, <module name=...>, <string name=...>; a line\n"
     "        feed is written \\n (a backslash before n, a backslash or a line feed is doubled)\n"
     "PO lines are wrapped as gettext's tools wrap them, so that msgcat and msgmerge leave the file\n"
     "as it is. PO and POT headers carry a date only when SOURCE_DATE_EPOCH is set (seconds since\n"
     "1970, UTC), so that two runs give the same bytes. A text a format cannot carry (U+0004 in PO,\n"
     "control characters and U+FFFE/U+FFFF in XML) is refused with exit code 4.\n",
     {"--output", "--format", "--width", "--no-wrap"},
     0,
     Unlimited},
    {"import",
     "--format po FILE.po [--check] [--sources DIR] [--output-dir DIR]",
     "catalogue sources from a translated PO file",
     "Writes the source of every catalogue in FILE.po (DIR/NAME.cpp, NAME in lower case) with the\n"
     "texts of the file, in the module's order and in the layout the project keeps. The file's header\n"
     "must declare the module's language (de). Nothing is written when any entry is refused: a key\n"
     "the catalogue does not have or a key it has that the file lacks, an entry marked fuzzy or not\n"
     "translated, plural forms, placeholders other than the current text's, or a text that 'ktcat\n"
     "check' would report. The exit code is then 4. A source whose contents stay the same is left\n"
     "alone. A line on standard error counts the translated, fuzzy and untranslated entries, as\n"
     "'msgfmt --statistics' does.\n",
     {"--format", "--check", "--sources", "--output-dir"},
     1,
     1},
    {"help",
     "[COMMAND]",
     "this help, or a command's",
     "Prints the help of COMMAND, or of ktcat.\n",
     {},
     0,
     1},
};

constexpr const char* Trailer =
    "\n"
    "Output is UTF-8 whatever the locale. Exit codes: 0 success, 1 unknown catalogue, key or index,\n"
    "2 wrong usage, 3 the module cannot be loaded, 4 findings or refused entries, 5 a file cannot be\n"
    "read, parsed or written.\n";

const Command* FindCommand(std::string_view name) {
    for (const Command& command : Commands)
        if (command.name == name) return &command;
    return nullptr;
}

std::string OptionLine(const Option& option, const char* help) {
    std::string line =
        "  " + std::string(option.name) + (option.value ? std::string(" ") + option.value : "");
    // The help starts in column 20, on a line of its own after a long option.
    line += line.size() < 20 ? std::string(20 - line.size(), ' ') : "\n" + std::string(20, ' ');
    return line + help + "\n";
}

std::string Usage(const Command& command) {
    return "usage: ktcat [--module PATH] " + std::string(command.name) + " " + command.arguments + "\n";
}

std::string GeneralUsage() {
    return "usage: ktcat [--module PATH] COMMAND [ARGUMENTS] [OPTIONS]\n"
           "       ktcat --help | --version | help [COMMAND]\n";
}

std::string GeneralHelp() {
    std::string help =
        "ktcat: lists, shows, fills, checks, exports and imports the catalogues of the catalogue "
        "module.\n\n" +
        GeneralUsage() + "\nCommands:\n";
    for (const Command& command : Commands) {
        std::string line = "  " + std::string(command.name);
        line.resize(11, ' ');
        help += line + command.summary + "\n";
    }
    help += "\nOptions:\n";
    for (std::string_view name : {"--module", "--help", "--version"})
        help += OptionLine(*FindOption(name), FindOption(name)->help);
    help += "  --                ends the options: every word after it is an argument\n";
    return help + "\nOptions may stand anywhere; 'ktcat help COMMAND' tells a command's.\n" + Trailer;
}

std::string CommandHelp(const Command& command) {
    std::string help = Usage(command) + "\n" + command.help + "\nOptions:\n";
    for (std::string_view name : command.options) {
        const Option* option = FindOption(name);
        if (option->help != nullptr) {
            help += OptionLine(*option, option->help);
        } else if (command.name == "import") {
            help += OptionLine(*option, "po: the file is a gettext PO file (the one format read)");
        } else {
            help += OptionLine(*option, "json, po, pot or xml (see above)");
        }
    }
    for (std::string_view name : {"--module", "--help"})
        help += OptionLine(*FindOption(name), FindOption(name)->help);
    return help + Trailer;
}

struct CommandLine {
    std::map<std::string_view, std::string> options;  // by the option's full name
    std::vector<std::string> words;                   // the command and its arguments
};

// Why the command line cannot be read, or nothing.
std::optional<std::string> ParseCommandLine(const std::vector<std::string>& arguments, CommandLine& line) {
    bool optionsEnded = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        // "-" alone and negative numbers are arguments, so that they are reported as such.
        const bool isOption = !optionsEnded && argument.size() > 1 && argument[0] == '-' &&
                              !(argument[1] >= '0' && argument[1] <= '9');
        if (!isOption) {
            line.words.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        const size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        const Option* option = FindOption(name);
        if (option == nullptr) return "unknown option '" + name + "'";
        std::string value;
        if (option->value == nullptr) {
            if (equals != std::string::npos) return std::string(option->name) + " takes no value";
        } else if (equals != std::string::npos) {
            value = argument.substr(equals + 1);
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        } else {
            return std::string(option->name) + " needs a value";
        }
        if (option->value != nullptr && value.empty())
            return std::string(option->name) + " needs a value, not ''";
        if (!line.options.emplace(option->name, value).second)
            return std::string(option->name) + " is given twice";
    }
    return std::nullopt;
}

// --- messages and files ---------------------------------------------------------------------------------

int Fail(int code, const std::string& message) {
    std::fprintf(stderr, "ktcat: %s\n", message.c_str());
    return code;
}

int UsageError(const std::string& message, const Command* command) {
    return Fail(ExitUsage, message + "\n" + (command ? Usage(*command) : GeneralUsage()) +
                               "(see 'ktcat help" + (command ? " " + std::string(command->name) : "") + "')");
}

bool FileExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(ktcat::PathFromUtf8(path), error);
}

// The whole file at `path`, or nothing after reporting why not.
std::optional<std::string> ReadFile(const std::string& path) {
    std::error_code error;
    if (std::filesystem::is_directory(ktcat::PathFromUtf8(path), error)) {
        Fail(ExitFile, "cannot read '" + path + "': it is a folder");
        return std::nullopt;
    }
    errno = 0;
    std::ifstream file(ktcat::PathFromUtf8(path), std::ios::binary);
    std::ostringstream contents;
    if (file && contents << file.rdbuf() && !file.bad()) return contents.str();
    // An empty file sets failbit on the copy, but is a file.
    if (file && !file.bad() && file.peek() == std::ifstream::traits_type::eof()) return std::string();
    Fail(ExitFile, "cannot read '" + path + "': " + std::generic_category().message(errno));
    return std::nullopt;
}

std::u16string Ascii16(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

// --- the commands ---------------------------------------------------------------------------------------

struct Context {
    ResourceStringRecord* first;
    std::string modulePath;
    const CommandLine& line;
    std::vector<std::string> arguments;  // the command's, without its name
    ktcat::Output& out;

    const std::string* OptionValue(std::string_view name) const {
        auto found = line.options.find(name);
        return found == line.options.end() ? nullptr : &found->second;
    }
    ktcat::FindingMessages Messages() const {
        const std::string* lang = OptionValue("--lang");
        return ktcat::FindingMessages(
            lang && *lang == "de" ? ktcat::ReportLanguage::German : ktcat::ReportLanguage::English,
            kt::host::FindRecord(first, u"res"));
    }
};

// The catalogue named `name`, or null after reporting it unknown.
ResourceStringRecord* FindCatalogue(ResourceStringRecord* first, const std::string& name) {
    std::u16string name16;
    ResourceStringRecord* record =
        kt::host::FromUtf8(name, name16) ? kt::host::FindRecord(first, name16.c_str()) : nullptr;
    if (record == nullptr) Fail(ExitNotFound, "no catalogue named '" + name + "' (see 'ktcat list')");
    return record;
}

// The index of the entry a KEY or INDEX argument names, or -1 after reporting it unknown. A word of ASCII
// digits alone is an index (decimal, leading zeros allowed, however large); any other word is a key, since
// no key starts with a digit.
int32_t FindEntryIndex(ResourceStringRecord* record, const std::string& catalogue, const std::string& entry) {
    const bool isIndex = !entry.empty() &&
                         std::all_of(entry.begin(), entry.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (isIndex) {
        const std::string digits = entry.substr(std::min(entry.find_first_not_of('0'), entry.size() - 1));
        const int64_t index = digits.size() > 10 ? INT64_MAX : std::stoll(digits);
        if (index < record->count) return static_cast<int32_t>(index);
        Fail(ExitNotFound,
             "catalogue '" + catalogue + "' has no entry " + entry + " (" +
                 (record->count > 0 ? "its indexes are 0 to " + std::to_string(record->count - 1)
                                    : std::string("it has no entries")) +
                 ")");
        return -1;
    }
    std::u16string key;
    const int32_t index = kt::host::FromUtf8(entry, key) ? kt::host::FindEntry(record, key) : -1;
    if (index >= 0) return index;
    const bool signedNumber =
        entry.size() > 1 && (entry[0] == '-' || entry[0] == '+') &&
        std::all_of(entry.begin() + 1, entry.end(), [](char c) { return c >= '0' && c <= '9'; });
    Fail(ExitNotFound, "catalogue '" + catalogue + "' has no key '" + entry + "'" +
                           (signedNumber ? " (an index is written in decimal digits, without a sign)" : ""));
    return -1;
}

int List(Context& context) {
    for (ResourceStringRecord* record = context.first; record != nullptr; record = record->next)
        context.out.Write(kt::host::ToUtf8(record->name) + "\t" + std::to_string(record->count) + "\n");
    return 0;
}

int Show(Context& context) {
    const std::vector<std::string>& words = context.arguments;
    ResourceStringRecord* record = FindCatalogue(context.first, words[0]);
    if (record == nullptr) return ExitNotFound;
    auto key = [record](int32_t index) { return kt::host::ToUtf8(record->keyAt(record, index)); };
    if (words.size() == 1) {
        for (int32_t index = 0; index < record->count; ++index)
            context.out.Write(
                std::to_string(index) + "\t" + ktcat::Escaped(key(index), ktcat::DisplayEscapes) + "\t" +
                ktcat::Escaped(kt::host::ToUtf8(record->textAt(record, index)), ktcat::DisplayEscapes) +
                "\n");
        return 0;
    }
    const int32_t index = FindEntryIndex(record, words[0], words[1]);
    if (index < 0) return ExitNotFound;
    context.out.Write(std::to_string(index) + "\t" + key(index) + "\n" +
                      kt::host::ToUtf8(record->textAt(record, index)) + "\n");
    return 0;
}

int Format(Context& context) {
    const std::vector<std::string>& words = context.arguments;
    const Command* command = FindCommand("format");
    kt::host::FormatArguments arguments;
    for (size_t i = 2; i < words.size(); ++i) {
        const size_t equals = words[i].find('=');
        std::u16string name, value;
        if (equals == 0 || equals == std::string::npos)
            return UsageError("'" + words[i] + "' is not NAME=VALUE", command);
        if (!kt::host::FromUtf8(std::string_view(words[i]).substr(0, equals), name) ||
            !kt::host::FromUtf8(std::string_view(words[i]).substr(equals + 1), value))
            return UsageError("'" + words[i] + "' is not valid UTF-8", command);
        if (!arguments.emplace(std::move(name), std::move(value)).second)
            return UsageError("'" + words[i].substr(0, equals) + "' is given twice", command);
    }
    ResourceStringRecord* record = FindCatalogue(context.first, words[0]);
    if (record == nullptr) return ExitNotFound;
    const int32_t index = FindEntryIndex(record, words[0], words[1]);
    if (index < 0) return ExitNotFound;

    const ktcat::Entry entry{record->keyAt(record, index), record->textAt(record, index)};
    const kt::host::FormattedText formatted =
        kt::host::FormatText(entry.text != nullptr ? entry.text : u"", arguments);
    context.out.Write(kt::host::ToUtf8(formatted.text) + "\n");
    context.out.Flush();
    // The text's own problems in the words of `ktcat check`, then the arguments'.
    const ktcat::FindingMessages messages = context.Messages();
    bool found = false;
    for (const ktcat::Finding& finding : ktcat::CheckEntry(record->name, index, entry, messages)) {
        Fail(ExitFindings, finding.message);
        found = true;
    }
    for (const kt::host::TextFinding& finding : formatted.findings) {
        if (finding.issue == kt::host::TextIssue::MissingArgument ||
            finding.issue == kt::host::TextIssue::UnusedArgument) {
            const bool missing = finding.issue == kt::host::TextIssue::MissingArgument;
            Fail(ExitFindings, messages.Format(missing ? "MissingArgument" : "UnusedArgument",
                                               {{u"name", finding.name},
                                                {u"pos", Ascii16(std::to_string(finding.position))}}));
            found = true;
        }
    }
    return found ? ExitFindings : 0;
}

std::string FileName(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::vector<ktcat::TextCatalogue> ModuleCatalogues(ResourceStringRecord* first) {
    std::vector<ktcat::TextCatalogue> catalogues;
    for (ResourceStringRecord* record = first; record != nullptr; record = record->next)
        catalogues.push_back(ktcat::ToText(ktcat::ReadCatalogue(record)));
    return catalogues;
}

int Check(Context& context) {
    const ktcat::FindingMessages messages = context.Messages();
    std::vector<ktcat::Finding> findings =
        ktcat::CheckChain(context.first, FileName(context.modulePath), messages);
    if (const std::string* against = context.OptionValue("--against")) {
        const std::optional<std::string> contents = ReadFile(*against);
        if (!contents) return ExitFile;
        std::vector<ktcat::TextCatalogue> reference;
        try {
            reference = ktcat::ReadCatalogueFile(*contents);
        } catch (const ktcat::FileFormatError& error) {
            return Fail(ExitFile, *against + ":" + error.what());
        }
        std::vector<ktcat::Finding> compared =
            ktcat::CompareCatalogues(ModuleCatalogues(context.first), reference, *against, messages);
        // Findings first, then the notes on changed texts.
        std::stable_partition(compared.begin(), compared.end(),
                              [](const ktcat::Finding& finding) { return !finding.informational; });
        std::move(compared.begin(), compared.end(), std::back_inserter(findings));
    }
    for (const ktcat::Finding& finding : findings) context.out.Write(finding.message + "\n");
    size_t catalogues = 0, entries = 0;
    for (ResourceStringRecord* record = context.first; record != nullptr; record = record->next, ++catalogues)
        entries += record->count > 0 ? static_cast<size_t>(record->count) : 0;
    context.out.Write(ktcat::CheckSummary(catalogues, entries, findings, messages) + "\n");
    const bool faults = std::any_of(findings.begin(), findings.end(),
                                    [](const ktcat::Finding& finding) { return !finding.informational; });
    return faults ? ExitFindings : 0;
}

// The PO header's date from SOURCE_DATE_EPOCH, none when it is unset; false after reporting a bad value.
bool HeaderDate(std::optional<std::string>& date) {
    const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
    if (epoch == nullptr) return true;
    try {
        date = ktcat::HeaderDate(epoch);
        return true;
    } catch (const std::invalid_argument& error) {
        Fail(ExitUsage, error.what());
        return false;
    }
}

int Export(Context& context) {
    const ktcat::ExportFormat format = *ktcat::ParseExportFormat(*context.OptionValue("--format"));
    std::vector<ktcat::Catalogue> catalogues;
    if (context.arguments.empty()) {
        for (ResourceStringRecord* record = context.first; record != nullptr; record = record->next)
            catalogues.push_back(ktcat::ReadCatalogue(record));
    }
    for (const std::string& name : context.arguments) {
        ResourceStringRecord* record = FindCatalogue(context.first, name);
        if (record == nullptr) return ExitNotFound;
        ktcat::Catalogue catalogue = ktcat::ReadCatalogue(record);
        const bool listed = std::any_of(
            catalogues.begin(), catalogues.end(),
            [&catalogue](const ktcat::Catalogue& earlier) { return earlier.name == catalogue.name; });
        if (!listed) catalogues.push_back(std::move(catalogue));
    }
    ktcat::PoOptions po{std::nullopt, KTCAT_VERSION};
    if ((format == ktcat::ExportFormat::Po || format == ktcat::ExportFormat::Pot) && !HeaderDate(po.date))
        return ExitUsage;
    if (context.line.options.contains("--no-wrap")) po.width = 0;
    if (const std::string* width = context.OptionValue("--width")) po.width = std::stoul(*width);
    try {
        switch (format) {
            case ktcat::ExportFormat::Json:
                context.out.Write(ktcat::ExportJson(catalogues));
                break;
            case ktcat::ExportFormat::Po:
                context.out.Write(ktcat::ExportPo(catalogues, po));
                break;
            case ktcat::ExportFormat::Pot:
                context.out.Write(ktcat::ExportPot(catalogues, po));
                break;
            case ktcat::ExportFormat::Xml:
                context.out.Write(ktcat::ExportXml(catalogues));
                break;
        }
    } catch (const std::invalid_argument& error) {
        context.out.Discard();
        return Fail(ExitFindings, std::string("cannot export: ") + error.what());
    }
    return 0;
}

struct RewrittenSource {
    std::string path;
    std::string contents;
    size_t changedTexts;
};

int WriteSources(const std::vector<RewrittenSource>& rewritten, ktcat::Output& out);

// The language of the module's texts, which a PO file to import must declare.
constexpr std::string_view ModuleLanguage = "de";

// Why the header of a PO file does not fit the module, or nothing. Like msgfmt, a file without a header is
// refused; its Language must be the module's (a regional variant such as de_AT is one).
std::optional<std::string> HeaderProblem(const std::vector<ktcat::PoMessage>& messages) {
    const auto header = std::find_if(messages.begin(), messages.end(), [](const ktcat::PoMessage& message) {
        return !message.hasContext && message.id.empty();
    });
    if (header == messages.end())
        return "1: the file has no header entry (msgid \"\"), which names its language";
    const std::string where = std::to_string(header->line) + ": ";
    const size_t field = ("\n" + header->text).find("\nLanguage:");
    if (field == std::string::npos) return where + "the header has no Language field";
    const size_t start = field + 9, end = std::min(header->text.find('\n', start), header->text.size());
    std::string language = header->text.substr(start, end - start);
    language.erase(0, language.find_first_not_of(' '));
    language.erase(language.find_last_not_of(' ') + 1);
    const bool fits = language.starts_with(ModuleLanguage) &&
                      (language.size() == ModuleLanguage.size() || language[ModuleLanguage.size()] == '_' ||
                       language[ModuleLanguage.size()] == '@');
    if (!fits)
        return where + "the file's language is '" + language + "', the module's is '" +
               std::string(ModuleLanguage) + "'";
    return std::nullopt;
}

// The statistics of the file's entries, as 'msgfmt --statistics' words them.
std::string Statistics(const std::vector<ktcat::PoMessage>& messages) {
    size_t translated = 0, fuzzy = 0, untranslated = 0;
    for (const ktcat::PoMessage& message : messages) {
        if (!message.hasContext && message.id.empty()) continue;  // the header
        if (message.text.empty())
            ++untranslated;
        else if (message.fuzzy)
            ++fuzzy;
        else
            ++translated;
    }
    auto count = [](size_t n, const char* one, const char* more) {
        return std::to_string(n) + (n == 1 ? one : more);
    };
    std::string line = count(translated, " translated message", " translated messages");
    if (fuzzy > 0) line += ", " + count(fuzzy, " fuzzy translation", " fuzzy translations");
    if (untranslated > 0)
        line += ", " + count(untranslated, " untranslated message", " untranslated messages");
    return line + ".";
}

// Reads the PO file and checks every entry first; writes the sources only when nothing is refused.
int Import(Context& context) {
    const std::string& poPath = context.arguments[0];
    const std::optional<std::string> contents = ReadFile(poPath);
    if (!contents) return ExitFile;
    std::vector<ktcat::PoMessage> messages;
    try {
        messages = ktcat::ReadPo(*contents);
    } catch (const ktcat::FileFormatError& error) {
        return Fail(ExitFile, poPath + ":" + error.what());
    }
    // Refusals name the file as it was given.
    const std::string& poName = poPath;
    context.out.Flush();
    Fail(0, poPath + ": " + Statistics(messages));  // a note on standard error, as msgfmt gives it
    if (std::optional<std::string> problem = HeaderProblem(messages)) {
        Fail(ExitFindings, poName + ":" + *problem);
        return Fail(ExitFindings, "nothing imported: 1 problem");
    }
    std::vector<ktcat::FileFormatError> unreadable;
    const std::vector<ktcat::TextCatalogue> translated = ktcat::CataloguesFromPo(messages, unreadable);
    std::vector<std::string> problems;
    for (const ktcat::FileFormatError& problem : unreadable)
        problems.push_back(poName + ":" + problem.what());

    const std::string* sourcesOption = context.OptionValue("--sources");
    const std::string* outputOption = context.OptionValue("--output-dir");
    const std::string sources = sourcesOption ? *sourcesOption : "catalogues";
    const std::string destination = outputOption ? *outputOption : sources;
    std::vector<RewrittenSource> rewritten;
    for (const ktcat::TextCatalogue& catalogue : translated) {
        std::u16string name16;
        ResourceStringRecord* record = kt::host::FromUtf8(catalogue.name, name16)
                                           ? kt::host::FindRecord(context.first, name16.c_str())
                                           : nullptr;
        if (record == nullptr) {
            problems.push_back(poName + ":" + std::to_string(catalogue.entries.front().line) +
                               ": the module has no catalogue named '" + catalogue.name + "'");
            continue;
        }
        const ktcat::TextCatalogue current = ktcat::ToText(ktcat::ReadCatalogue(record));
        const std::vector<std::string> refused =
            ktcat::ImportProblems(catalogue, current, poName, context.Messages());
        problems.insert(problems.end(), refused.begin(), refused.end());
        if (!refused.empty()) continue;
        // The texts in the module's order.
        ktcat::TextCatalogue texts = current;
        size_t changed = 0;
        for (ktcat::TextEntry& entry : texts.entries) {
            const auto given = std::find_if(
                catalogue.entries.begin(), catalogue.entries.end(),
                [&entry](const ktcat::TextEntry& candidate) { return candidate.key == entry.key; });
            changed += given->text != entry.text;
            entry.text = given->text;
        }
        const std::string file = ktcat::CatalogueSourceName(catalogue.name);
        const std::string sourcePath = sources + "/" + file;
        const std::optional<std::string> source = ReadFile(sourcePath);
        if (!source) return ExitFile;
        try {
            rewritten.push_back({destination + "/" + file,
                                 ktcat::RewriteCatalogueSource(*source, catalogue.name, texts.entries),
                                 changed});
        } catch (const std::invalid_argument& error) {
            problems.push_back(sourcePath + ": " + error.what());
        }
    }
    if (!problems.empty()) {
        for (const std::string& problem : problems) Fail(ExitFindings, problem);
        return Fail(ExitFindings, "nothing imported: " + std::to_string(problems.size()) +
                                      (problems.size() == 1 ? " problem" : " problems"));
    }
    if (context.line.options.contains("--check")) {
        for (const RewrittenSource& file : rewritten)
            context.out.Write(file.path + ": " + std::to_string(file.changedTexts) +
                              (file.changedTexts == 1 ? " text would change\n" : " texts would change\n"));
        return 0;
    }
    return WriteSources(rewritten, context.out);
}

// Replaces each source whose contents change, each as a whole.
int WriteSources(const std::vector<RewrittenSource>& rewritten, ktcat::Output& out) {
    for (const RewrittenSource& file : rewritten) {
        const bool exists = FileExists(file.path);
        if (exists) {
            const std::optional<std::string> old = ReadFile(file.path);
            if (!old) return ExitFile;
            if (*old == file.contents) {
                out.Write(file.path + ": unchanged\n");
                continue;
            }
        }
        ktcat::Output source;
        if (!source.OpenFile(file.path)) return Fail(ExitFile, source.Error());
        source.Write(file.contents);
        if (!source.Finish()) return Fail(ExitFile, source.Error());
        out.Write(file.path + ": written, " + std::to_string(file.changedTexts) +
                  (file.changedTexts == 1 ? " text changed\n" : " texts changed\n"));
    }
    return 0;
}

// The module named by --module, or the default one.
std::string ModulePath(const CommandLine& line) {
    auto found = line.options.find("--module");
    if (found == line.options.end()) return kt::host::CatalogueModule::DefaultPath();
    const std::string& path = found->second;
    // A bare file name would send the system's loader to its search path; one that names a file here
    // means that file.
    if (path.find_first_of("/\\") == std::string::npos && FileExists(path)) return "./" + path;
    return path;
}

int Run(const std::vector<std::string>& arguments) {
    CommandLine line;
    if (std::optional<std::string> problem = ParseCommandLine(arguments, line)) {
        // The usage of the command the line names, if any.
        const Command* command = nullptr;
        for (auto word = arguments.begin(); word != arguments.end() && command == nullptr; ++word)
            command = FindCommand(*word);
        return UsageError(*problem, command);
    }

    ktcat::Output out;
    // Output is kept when the command ran to its end (with or without findings), and discarded otherwise.
    auto finish = [&out](int result) {
        if (result != 0 && result != ExitFindings) {
            out.Discard();
            return result;
        }
        return out.Finish() ? result : Fail(ExitFile, out.Error());
    };
    if (line.options.contains("--version")) {
        out.Write("ktcat (ktcatalogue) " KTCAT_VERSION "\n");
        return finish(0);
    }
    const Command* command = line.words.empty() ? nullptr : FindCommand(line.words[0]);
    if (!line.words.empty() && command == nullptr)
        return UsageError("unknown command '" + line.words[0] + "'", nullptr);
    for (const auto& [name, value] : line.options) {
        const bool everywhere = name == "--module" || name == "--help" || name == "--version";
        if (command != nullptr && !everywhere &&
            std::find(command->options.begin(), command->options.end(), name) == command->options.end())
            return UsageError(std::string(name) + " is not an option of " + std::string(command->name),
                              command);
    }
    if (line.options.contains("--help")) {
        out.Write(command ? CommandHelp(*command) : GeneralHelp());
        return finish(0);
    }
    if (command != nullptr && command->name == "help") {
        if (line.words.size() > 2) return UsageError("help takes one command at most", command);
        const Command* about = line.words.size() == 2 ? FindCommand(line.words[1]) : nullptr;
        if (line.words.size() == 2 && about == nullptr)
            return UsageError("unknown command '" + line.words[1] + "'", nullptr);
        out.Write(about ? CommandHelp(*about) : GeneralHelp());
        return finish(0);
    }
    if (command == nullptr) return UsageError("no command given", nullptr);

    const std::vector<std::string> words(line.words.begin() + 1, line.words.end());
    if (words.size() < command->minArguments || words.size() > command->maxArguments)
        return UsageError(words.size() < command->minArguments ? "too few arguments" : "too many arguments",
                          command);
    if (auto lang = line.options.find("--lang");
        lang != line.options.end() && lang->second != "en" && lang->second != "de")
        return UsageError("unknown language '" + lang->second + "' (en or de)", command);
    if (command->name == "export" || command->name == "import") {
        auto format = line.options.find("--format");
        if (format == line.options.end())
            return UsageError(std::string(command->name) + " needs --format", command);
        const auto parsed = ktcat::ParseExportFormat(format->second);
        if (!parsed || (command->name == "import" && *parsed != ktcat::ExportFormat::Po))
            return UsageError("unknown format '" + format->second + "'", command);
        const bool po = *parsed == ktcat::ExportFormat::Po || *parsed == ktcat::ExportFormat::Pot;
        for (std::string_view layout : {"--width", "--no-wrap"})
            if (line.options.contains(layout) && !po)
                return UsageError(std::string(layout) + " applies to the po and pot formats only", command);
        if (line.options.contains("--width") && line.options.contains("--no-wrap"))
            return UsageError("--width and --no-wrap exclude each other", command);
        if (auto width = line.options.find("--width"); width != line.options.end()) {
            const std::string& digits = width->second;
            if (digits.size() > 4 || digits.find_first_not_of("0123456789") != std::string::npos ||
                std::stoul(digits) < 20)
                return UsageError("--width takes a number of columns from 20 to 9999, not '" + digits + "'",
                                  command);
        }
    }

    const std::string modulePath = ModulePath(line);
    kt::host::CatalogueModule module;
    if (!line.options.contains("--module") && !FileExists(modulePath))
        return Fail(ExitNoModule, "the default module " + modulePath +
                                      " does not exist; name the module to load with --module PATH");
    // A damaged file can crash the system's loader: it is checked, then loaded once in a child process.
    std::string problem = modulePath.find_first_of("/\\") != std::string::npos
                              ? kt::host::CheckModuleFile(modulePath)
                              : std::string();
    if (problem.empty()) problem = kt::host::TrialLoad(modulePath);
    if (!problem.empty() || !module.Load(modulePath))
        return Fail(ExitNoModule,
                    "cannot load the catalogue module: " + (problem.empty() ? module.Error() : problem));
    if (auto output = line.options.find("--output");
        output != line.options.end() && !out.OpenFile(output->second))
        return Fail(ExitFile, out.Error());

    Context context{module.First(), modulePath, line, words, out};
    int result = 0;
    if (command->name == "list") result = List(context);
    if (command->name == "show") result = Show(context);
    if (command->name == "format") result = Format(context);
    if (command->name == "check") result = Check(context);
    if (command->name == "export") result = Export(context);
    if (command->name == "import") result = Import(context);
    return finish(result);
}

}  // namespace

int main(int argc, char** argv) {
    return Run(std::vector<std::string>(argv + 1, argv + argc));
}
