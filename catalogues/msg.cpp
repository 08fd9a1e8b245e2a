// Catalogue "msg": headings and labels of messages.
#include "catalogues/catalogues.h"

namespace kt {

struct MsgCatalogueDefinition {
    static constexpr const char16_t* name = u"msg";
    static constexpr auto entries = std::to_array<CatalogueEntry>({
        {u"FatalError", u"Schwerwiegender Fehler"},
        {u"Error", u"Fehler"},
        {u"Inconsistency", u"Inkonsistenz"},
        {u"Warning", u"Warnung"},
        {u"Info", u"Info"},
        {u"Details", u"Details"},
        {u"Reason", u"Grund"},
        {u"CustomMessage", u"Benutzerdefinierte Meldung"},
        {u"Hint", u"Tipp"},
        {u"Line", u"Zeile "},
    });
};

template class Catalogue<MsgCatalogueDefinition>;

}  // namespace kt
