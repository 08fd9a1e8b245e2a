// `ktcat check`: the conventions every catalogue follows, and the messages that report a breach.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "catalogue/host.h"
#include "catalogue/host_format.h"
#include "tools/ktcat/catalogue_view.h"

namespace kt::ktcat {

// The texts findings are reported in: the module's own (the "res" catalogue's entry of the same key)
// where it has one, an English text with the same placeholders otherwise. Kinds of finding the module
// has no text for are always English.
class FindingMessages {
  public:
    // `res` is the module's "res" catalogue, or null for English texts only.
    explicit FindingMessages(host::ResourceStringRecord* res) : res_(res) {}

    // The message `key` filled with `arguments`, as UTF-8.
    std::string Format(std::string_view key, const host::FormatArguments& arguments) const;

  private:
    host::ResourceStringRecord* res_;
};

struct Finding {
    std::string_view kind;  // the message key, e.g. "NoClosingBracket"
    std::string message;    // one report, UTF-8
};

// Keys: non-empty ASCII letters, digits and '_', not starting with a digit.
bool IsKeyName(std::u16string_view key);

// The findings of entry `index` of `catalogue` on its own: a missing key or text, an invalid key, an
// empty text, tabs, a trailing line break, unbalanced braces and malformed placeholder names.
std::vector<Finding> CheckEntry(std::u16string_view catalogue, int32_t index, const Entry& entry,
                                const FindingMessages& messages);

// The findings of one catalogue's entries: missing keys or texts, invalid and repeated keys, empty texts,
// tabs, trailing line breaks, unbalanced braces and malformed placeholder names. Reports name an entry
// as "CATALOGUE(INDEX)"; bracket positions count UTF-16 units of the text from 0.
std::vector<Finding> CheckCatalogue(const Catalogue& catalogue, const FindingMessages& messages);

// The findings of a whole chain: every record's accessor contract (a non-negative count, nothing at
// index -1 or count), its name (present, not repeated; `moduleName` stands in the report), then its
// entries as CheckCatalogue says.
std::vector<Finding> CheckChain(host::ResourceStringRecord* first, std::string_view moduleName,
                                const FindingMessages& messages);

}  // namespace kt::ktcat
