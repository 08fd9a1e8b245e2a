// `ktcat check`: the conventions every catalogue follows, the comparison with a reference export, and the
// messages that report a breach, in English or in German.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/host.h"
#include "host/host_format.h"
#include "tools/ktcat/catalogue_view.h"

namespace kt::ktcat {

enum class ReportLanguage { English, German };

// The texts findings are reported in. English texts are ktcat's own. A German report takes the module's
// own text (the "res" catalogue's entry of the same key) where it has one, and ktcat's German text for the
// rest, so that one report is in one language.
class FindingMessages {
  public:
    // `res` is the module's "res" catalogue, or null.
    FindingMessages(ReportLanguage language, host::ResourceStringRecord* res)
        : language_(language), res_(res) {}

    // The message `kind` filled with `arguments`, as UTF-8; the kind itself for an unknown kind.
    std::string Format(std::string_view kind, const host::FormatArguments& arguments) const;

    // What a report line ends with: "[KIND]", or for a finding at a position in a text
    // "[KIND: what is found at position N]", true whatever the module's text for the kind says.
    std::string Tag(std::string_view kind, size_t position) const;

  private:
    ReportLanguage language_;
    host::ResourceStringRecord* res_;
};

struct Finding {
    std::string_view kind;       // the message key, e.g. "NoClosingBracket"
    std::string message;         // one report line (a changed text adds its old and new text below), UTF-8
    bool informational = false;  // a note that is no fault: a changed text
};

// Keys: non-empty ASCII letters, digits and '_', not starting with a digit.
bool IsKeyName(std::u16string_view key);

// The findings of entry `index` of `catalogue` on its own: a missing key or text, an invalid key, an
// empty text, tabs, a trailing line break, unbalanced braces and malformed placeholder names.
std::vector<Finding> CheckEntry(std::u16string_view catalogue, int32_t index, const Entry& entry,
                                const FindingMessages& messages);

// The findings of one catalogue's entries: missing keys or texts, invalid and repeated keys, empty texts,
// tabs, trailing line breaks, unbalanced braces and malformed placeholder names. Reports name an entry
// as "CATALOGUE(INDEX)"; positions in a text count UTF-16 units from 0.
std::vector<Finding> CheckCatalogue(const Catalogue& catalogue, const FindingMessages& messages);

// The findings of a whole chain: every record's accessor contract (a non-negative count, nothing at
// index -1 or count), its name (present, not repeated; `moduleName` stands in the report), then its
// entries as CheckCatalogue says.
std::vector<Finding> CheckChain(host::ResourceStringRecord* first, std::string_view moduleName,
                                const FindingMessages& messages);

// The module's catalogues (`current`) against an earlier export (`reference`, named `referenceName` in
// reports): catalogues and keys missing or added, keys at another index, and per key placeholders lost,
// added or renamed (one lost and one added). A text that changed while its placeholders did not is an
// informational finding showing both texts. A reference entry with an empty text (a template's) is
// compared by its key alone.
std::vector<Finding> CompareCatalogues(const std::vector<TextCatalogue>& current,
                                       const std::vector<TextCatalogue>& reference,
                                       std::string_view referenceName, const FindingMessages& messages);

// The summary line of a check: catalogues, entries, findings, and changed texts when a reference was given.
std::string CheckSummary(size_t catalogues, size_t entries, const std::vector<Finding>& findings,
                         const FindingMessages& messages);

}  // namespace kt::ktcat
