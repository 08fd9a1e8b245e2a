// `ktcat export`: the catalogues as JSON, as a gettext PO file or template, or as a resource-string XML file.
// Every writer produces UTF-8, keeps the catalogues and their entries in the order given, and writes the
// same bytes for the same catalogues (no date unless one is given).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/ktcat/catalogue_view.h"

namespace kt::ktcat {

enum class ExportFormat { Json, Po, Pot, Xml };

// "json", "po", "pot" or "xml"; nothing for any other word.
std::optional<ExportFormat> ParseExportFormat(std::string_view word);

// The writers throw std::invalid_argument when an entry has no key or no text, and ExportXml also for a
// character that XML 1.0 cannot carry (a control character other than tab, line feed and carriage return,
// U+FFFE, U+FFFF).

// One object per catalogue, named by it, mapping key to text.
std::string ExportJson(const std::vector<Catalogue>& catalogues);

// The date of a PO header, "YYYY-MM-DD HH:MM+0000", from the value of SOURCE_DATE_EPOCH: seconds since
// 1970-01-01 00:00 UTC as decimal digits. Throws std::invalid_argument for anything else and for a time
// past 9999-12-31 23:59:59.
std::string HeaderDate(std::string_view sourceDateEpoch);

// How a PO file or template is written.
struct PoOptions {
    std::optional<std::string> date;  // "YYYY-MM-DD HH:MM+0000" for the header, or none
    std::string version;              // ktcatalogue's, for Project-Id-Version and X-Generator
    size_t width = 79;                // lines are wrapped as gettext wraps them at this width; 0: not wrapped
};

// A PO file: a header with the fields msginit writes (German, UTF-8, German plural forms; POT-Creation-Date
// and PO-Revision-Date when a date is given), then one message per entry with the catalogue as msgctxt,
// the key as msgid and the text as msgstr. Each message has the comments "#. placeholders: {a}, {b}" (its
// placeholders in order of first use; left out when it has none) and "#: CATALOGUE:INDEX". Throws
// std::invalid_argument also for U+0004, which gettext reserves.
std::string ExportPo(const std::vector<Catalogue>& catalogues, const PoOptions& options);

// A PO template: the PO file's messages and comments with empty texts, under a template's header as
// xgettext writes it (POT-Creation-Date when a date is given).
std::string ExportPot(const std::vector<Catalogue>& catalogues, const PoOptions& options);

// A resource-string file: root element "resources", one "module" element per catalogue and one "string"
// element per entry, each with a "name" attribute. Markup characters are escaped; a line feed is written
// as the two characters '\' and 'n', so a backslash before 'n', a backslash or a line feed is doubled;
// a carriage return is written as a character reference.
std::string ExportXml(const std::vector<Catalogue>& catalogues);

}  // namespace kt::ktcat
