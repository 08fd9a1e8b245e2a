// Catalogue "ktgui": tooltips of the border dialog of the widget library.
#include "catalogues/catalogues.h"

namespace kt {

struct KtguiCatalogueDefinition {
    static constexpr const char16_t* name = u"ktgui";
    static constexpr auto entries = std::to_array<CatalogueEntry>({
        {u"BorderDialog_MultipleLineSettings_Tooltip", u"mehrere unterschiedliche Zeileneinstellungen"},
        {u"BorderDialog_LineSettings_Tooltip", u"Breite: {Width}\nFarbe: {Color}\nStil: {Style}"},
    });
};

template class Catalogue<KtguiCatalogueDefinition>;

}  // namespace kt
