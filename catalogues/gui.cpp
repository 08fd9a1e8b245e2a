// Catalogue "gui": the names of the sixteen basic colours.
#include "catalogues/catalogues.h"

namespace kt {

struct GuiCatalogueDefinition {
    static constexpr const char16_t* name = u"gui";
    static constexpr auto entries = std::to_array<CatalogueEntry>({
        {u"GuiColorAqua", u"Aquamarin"},
        {u"GuiColorBlack", u"Schwarz"},
        {u"GuiColorBlue", u"Blau"},
        {u"GuiColorFuchsia", u"Magenta"},
        {u"GuiColorGray", u"Grau"},
        {u"GuiColorGreen", u"Grün"},
        {u"GuiColorLime", u"Gelbgrün"},
        {u"GuiColorMaroon", u"Kastanienbraun"},
        {u"GuiColorNavy", u"Dunkelblau"},
        {u"GuiColorOlive", u"Olivgrün"},
        {u"GuiColorPurple", u"Violett"},
        {u"GuiColorRed", u"Rot"},
        {u"GuiColorSilver", u"Silber"},
        {u"GuiColorTeal", u"Blaugrün"},
        {u"GuiColorYellow", u"Gelb"},
        {u"GuiColorWhite", u"Weiß"},
    });
};

template class Catalogue<GuiCatalogueDefinition>;

}  // namespace kt
