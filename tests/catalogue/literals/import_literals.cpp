// Half of a differential test of `ktcat import`: hostile texts go through a PO file (ktcat's own writer and
// reader) and the import's checks; the entry lines written for those it accepts become a C++ program that
// compares each literal with the text's UTF-16 units, given as numbers that no escaping can alter. The test
// (check_ktcat_files.cmake, case import_literals) compiles that program with warnings as errors and runs it.
//
// usage: ktcat_import_literals OUTPUT.cpp
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "host/host.h"
#include "tools/ktcat/catalogue_export.h"
#include "tools/ktcat/catalogue_files.h"
#include "tools/ktcat/catalogue_import.h"

namespace {

using namespace kt::ktcat;

// Trigraphs (all nine, across a literal's cut too), bidirectional controls paired and unpaired, escapes
// next to digits, quotes and backslashes, and a NUL before a placeholder (refused).
const std::u16string Hostile[] = {
    u"a\?\?/b",
    u"\?\?=\?\?(\?\?)\?\?<\?\?>\?\?!\?\?'\?\?-\?\?/",
    u"\?\?\?/ \?\?\?\?= ?",
    u"ends in \?\?",
    u"\u202Eevil\u202C \u2066x\u2069 \u2067\u2068\u202A\u202B\u202D \u200E\u200F\u061C",
    u"\x01"
    u"7 \a\b\f\v\x1B[0m \x7F"
    u"0",
    u"\"q\" \\ \\\\n \\ \\u0041 \\x41 \\101 */ // \\",
    u"\u00fc \U0001F600 e\u0301 \uFFFD \uFFFF",
    std::u16string(96, u'x') + u"\?\?/\?\?/ \?\?=" + std::u16string(100, u'y') + u"\?\?-",
    std::u16string(98, u'z') + u"\u202E\u202E\u202E \u2069" + std::u16string(30, u'w'),
    std::u16string(u"before\0{local}", 14),
};

std::string Numbers(const std::u16string& text) {
    std::string out;
    for (char16_t unit : text) out += std::to_string(static_cast<unsigned>(unit)) + ", ";
    return out + "0";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: ktcat_import_literals OUTPUT.cpp\n");
        return 2;
    }
    std::vector<std::u16string> keys;
    keys.reserve(std::size(Hostile));  // the catalogue points into them
    Catalogue exported{u"c", {}};
    TextCatalogue current{"c", {}};
    for (const std::u16string& text : Hostile) {
        keys.push_back(u"k" + std::u16string(1, static_cast<char16_t>(u'a' + keys.size())));
        exported.entries.push_back({keys.back().c_str(), text.c_str()});
        current.entries.push_back({kt::host::ToUtf8(keys.back()), "{local}", 0});
    }
    // (The Catalogue view stops at a NUL; the file carries the whole text.)
    std::string po = ExportPo({exported}, PoOptions{std::nullopt, "0"});
    const std::string cut = "msgstr \"before\"";
    po.replace(po.find(cut), cut.size(), "msgstr \"before\\000{local}\"");
    std::vector<FileFormatError> unreadable;
    const std::vector<TextCatalogue> read = CataloguesFromPo(ReadPo(po), unreadable);
    if (!unreadable.empty() || read.size() != 1) {
        std::fprintf(stderr, "the PO file does not read back\n");
        return 1;
    }
    // Placeholders aside (the current text has {local} where the hostile one has), only the NUL and the
    // control characters (which `ktcat check` reports) may be refused.
    std::vector<TextEntry> accepted;
    std::string compare;
    size_t refused = 0;
    for (const TextEntry& entry : read[0].entries) {
        TextCatalogue one{"c", {entry}};
        TextCatalogue now{"c",
                          {{entry.key, entry.text.find("{local}") != std::string::npos ? "{local}" : "x"}}};
        const std::vector<std::string> problems =
            ImportProblems(one, now, "hostile.po", FindingMessages(ReportLanguage::English, nullptr));
        for (const std::string& problem : problems) std::printf("refused: %s\n", problem.c_str());
        if (!problems.empty()) {
            const bool expected =
                problems.size() == 1 && (problems[0].find("holds a NUL") != std::string::npos ||
                                         problems[0].find("[ControlInResourceString") != std::string::npos);
            refused += expected ? 1 : 100;
            continue;
        }
        std::u16string units;
        if (!kt::host::FromUtf8(entry.text, units)) return 1;
        compare += "    failures += Differs(entries[" + std::to_string(accepted.size()) +
                   "].text, std::initializer_list<char16_t>{" + Numbers(units) + "});\n";
        accepted.push_back(entry);
    }
    std::ofstream out(argv[1], std::ios::binary);
    out << "#include <cstdio>\n#include <initializer_list>\n#include <string_view>\n\n"
           "struct CatalogueEntry {\n    const char16_t* key;\n    const char16_t* text;\n};\n\n"
           "const CatalogueEntry entries[] = {\n"
        << CatalogueEntryLines(accepted)
        << "};\n\n"
           "static int Differs(std::u16string_view literal, std::initializer_list<char16_t> units) {\n"
           "    // The units end with a 0 of their own.\n"
           "    return literal != std::u16string_view(units.begin(), units.size() - 1);\n}\n\n"
           "int main() {\n    int failures = 0;\n"
        << compare << "    std::printf(\"%d of " << accepted.size() << " literals differ\\n\", failures);\n"
        << "    return failures;\n}\n";
    out.close();
    std::printf("%zu texts accepted, %zu refused\n", accepted.size(), refused);
    return out && refused == 2 && accepted.size() + refused == std::size(Hostile) ? 0 : 1;
}
