// Catalogue "draw": errors of the drawing layer.
#include "catalogues/catalogues.h"

namespace kt {

struct DrawCatalogueDefinition {
    static constexpr const char16_t* name = u"draw";
    static constexpr auto entries = std::to_array<CatalogueEntry>({
        {u"Error_OutOfMemory", u"Fehler: Kein freier Arbeitsspeicher!"},
        {u"Error_FileNotFound", u"Fehler: Datei nicht gefunden!"},
        {u"Error_UnknowImageFormat", u"Fehler: Unbekanntes Bildformat!"},
        {u"Error_InvalidParameter", u"Fehler: Ungültiger Parameter!"},
        {u"Error_NotImplemented", u"Fehler: Nicht implementiert!"},
        {u"Error_FontNotFound", u"Fehler: Schriftart nicht gefunden!"},
        {u"Error_OtherError", u"Fehler {errorno} aufgetreten!"},
    });
};

template class Catalogue<DrawCatalogueDefinition>;

}  // namespace kt
