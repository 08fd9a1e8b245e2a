#include "tools/ktcat/catalogue_view.h"

#include "host/host_format.h"

namespace kt::ktcat {

Catalogue ReadCatalogue(host::ResourceStringRecord* record) {
    Catalogue catalogue;
    if (record->name != nullptr) catalogue.name = record->name;
    for (int32_t index = 0; index < record->count; ++index)
        catalogue.entries.push_back({record->keyAt(record, index), record->textAt(record, index)});
    return catalogue;
}

TextCatalogue ToText(const Catalogue& catalogue) {
    TextCatalogue text{host::ToUtf8(catalogue.name), {}};
    for (const Entry& entry : catalogue.entries)
        text.entries.push_back({host::ToUtf8(entry.key), host::ToUtf8(entry.text)});
    return text;
}

std::set<std::string> PlaceholderNames(std::string_view text) {
    std::u16string text16;
    std::set<std::string> names;
    if (!host::FromUtf8(text, text16)) return names;
    for (const host::TextPiece& piece : host::ParseText(text16).pieces)
        if (piece.isPlaceholder) names.insert(host::ToUtf8(piece.text));
    return names;
}

}  // namespace kt::ktcat
