// Catalogue "xsdt": reading formatted date, time and number values through a format pattern.
#include "catalogues/catalogues.h"

namespace kt {

struct XsdtCatalogueDefinition {
    static constexpr const char16_t* name = u"xsdt";
    static constexpr auto entries = std::to_array<CatalogueEntry>({
        {u"PrefixDoesNotMatch", u"Das Präfix '{prefix}' stimmt nicht überein."},
        {u"SuffixDoesNotMatch", u"Das Suffix '{suffix}' stimmt nicht überein."},
        {u"ValueIsNotANumber", u"Der Wert '{value}' ist keine Zahl."},
        {u"IncorrectFormatPattern", u"Das Format-Pattern '{pattern}' ist falsch."},
        {u"UnknownFormatModifier", u"Unbekannter Format-Modifier '{format}'"},
        {u"PatternDoesNotMatch", u"Das Pattern stimmt nicht überein! '{format}' kann nicht geparst werden."},
        {u"PatternComponentDoesNotMatch",
         u"Die Pattern-Komponente '{field}' stimmt nicht überein! '{format}' kann nicht geparst werden."},
        {u"PatternNotMatchingField",
         u"Das Muster stimmt nicht mit dem öffnenden Feld '{field}' überein. '{format}' kann nicht geparst "
         u"werden."},
        {u"PatternMinLengthDoesNotMatch",
         u"Die Pattern-Komponente '{component}' hat die Minimallänge {length}! '{format}' kann nicht geparst "
         u"werden."},
        {u"UnknownComponent", u"Unbekannter Komponenten-Specifier im Format-String '{component}'"},
        {u"DayOutOfRange", u"Tag nicht im Bereich: '{day}'."},
        {u"MonthOutOfRange", u"Monat nicht im Bereich: '{month}'."},
        {u"HourOutOfRange", u"Stunde nicht im Bereich: '{hour}'."},
        {u"MinuteOutOfRange", u"Minute nicht im Bereich: '{minute}'."},
        {u"SecondOutOfRange", u"Sekunde nicht im Bereich: '{second}'."},
    });
};

template class Catalogue<XsdtCatalogueDefinition>;

}  // namespace kt
