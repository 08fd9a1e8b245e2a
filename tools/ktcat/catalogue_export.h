// `ktcat export`: the catalogues as JSON, as a gettext PO file, or as a resource-string XML file.
// Every writer produces UTF-8 and keeps the catalogues and their entries in the order given.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/ktcat/catalogue_view.h"

namespace kt::ktcat {

enum class ExportFormat { Json, Po, Xml };

// "json", "po" or "xml"; nothing for any other word.
std::optional<ExportFormat> ParseExportFormat(std::string_view word);

// The writers throw std::invalid_argument when an entry has no key or no text, and ExportXml also for a
// character that XML 1.0 cannot carry (a control character other than tab, line feed and carriage return).

// One object per catalogue, named by it, mapping key to text.
std::string ExportJson(const std::vector<Catalogue>& catalogues);

// A PO file: a header (UTF-8, German, `revisionDate` as "YYYY-MM-DD HH:MM+0000"), then one message per
// entry with the catalogue as msgctxt, the key as msgid and the text as msgstr.
std::string ExportPo(const std::vector<Catalogue>& catalogues, std::string_view revisionDate);

// A resource-string file: root element "resources", one "module" element per catalogue and one "string"
// element per entry, each with a "name" attribute. Markup characters are escaped; a line feed is written
// as the two characters '\' and 'n', so a backslash before 'n' or before another backslash is doubled;
// a carriage return is written as a character reference.
std::string ExportXml(const std::vector<Catalogue>& catalogues);

}  // namespace kt::ktcat
