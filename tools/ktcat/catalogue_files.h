// Reading catalogues back from files: ktcat's JSON export and gettext PO files (ktcat's PO export, or one a
// translator has worked on).
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "tools/ktcat/catalogue_view.h"

namespace kt::ktcat {

// A file that is not what its format says; `line` counts from 1.
class FileFormatError : public std::runtime_error {
  public:
    FileFormatError(size_t line, const std::string& message)
        : std::runtime_error(std::to_string(line) + ": " + message), line_(line) {}
    size_t Line() const { return line_; }

  private:
    size_t line_;
};

// One message of a PO file. Obsolete messages ("#~") are not read.
struct PoMessage {
    std::string context;  // msgctxt
    std::string id;       // msgid
    std::string text;     // msgstr
    bool hasContext = false;
    bool fuzzy = false;                   // the "fuzzy" flag
    bool plural = false;                  // msgid_plural and msgstr[N]; `text` is then msgstr[0]
    size_t line = 0;                      // of its msgid
    std::vector<std::string> references;  // the words of its "#:" comments ("core:5")
};

// The messages of a PO file in file order, header included (the message with an empty msgid and no
// msgctxt). Strings are C-escaped and may continue over several quoted lines. Throws FileFormatError for
// a line that is none of these, an unknown escape, a text that is not UTF-8, or a header that declares
// another charset.
std::vector<PoMessage> ReadPo(std::string_view text);

// The catalogues of PO messages: msgctxt is the catalogue, msgid the key, msgstr the text; catalogues and
// entries in file order, the header left out; an entry's reference "#: CATALOGUE:INDEX" gives its index. A
// message without msgctxt or repeated is not taken: `problems` gets the reason for each. An entry with
// plural forms is taken and marked as such.
std::vector<TextCatalogue> CataloguesFromPo(const std::vector<PoMessage>& messages,
                                            std::vector<FileFormatError>& problems);

// An object of catalogues, each an object mapping key to text, in file order (ktcat's JSON export). Throws
// FileFormatError for anything else, for a repeated name and for text that is not UTF-8.
std::vector<TextCatalogue> ReadJsonCatalogues(std::string_view text);

// The catalogues of a JSON export or of a PO file, told apart by their first character ('{' for JSON).
// Throws FileFormatError as the readers do, for the problems CataloguesFromPo finds and for plural forms.
std::vector<TextCatalogue> ReadCatalogueFile(std::string_view text);

}  // namespace kt::ktcat
