// Catalogue "regex": syntax errors of regular expressions. No text has a placeholder: every brace follows a
// backslash.
#include "catalogues/catalogues.h"

namespace kt {

struct RegexCatalogueDefinition {
    static constexpr const char16_t* name = u"regex";
    static constexpr auto entries = std::to_array<CatalogueEntry>({
        {u"unresolved_backreference",
         u"Der angegebene Rückverweis bezieht sich nur auf die Erfassung von Unterausdrücken, die vor dem "
         u"Rückverweis kommen."},
        {u"unescaped_hyphen_in_charRange",
         u"Ein nicht mit Escape versehener Bindestrich \"-\" ist im Zeichenbereich nicht zulässig."},
        {u"unexpected_metaChar",
         u"Die Metazeichen \".\", \"\\\", \"?\", \"*\", \"+\", \"\\{\", \"\\}\", \"(\", \")\", \"|\", \"[\" "
         u"und \"]\" dürfen an dieser Stelle nicht ohne vorangestelltes Escape stehen."},
        {u"unexpected_opening_square_bracket",
         u"Eine öffnende eckige Klammer \"[\" ist an dieser Stelle nicht zulässig."},
        {u"expected_opening_curly_bracket",
         u"An dieser Stelle wurde eine öffnende geschweifte Klammer \"\\{\" erwartet."},
        {u"expected_closing_curly_bracket",
         u"An dieser Stelle wurde eine schließende geschweifte Klammer \"\\}\" erwartet."},
        {u"expected_charClassExpr",
         u"An dieser Stelle wurde ein Zeichenklassenausdruck (öffnende eckige Klammer \"[\") erwartet."},
        {u"expected_closing_square_bracket",
         u"An dieser Stelle wurde eine schließende eckige Klammer \"]\" erwartet."},
        {u"expected_closing_parenthesis", u"An dieser Stelle wurde eine schließende Klammer \")\" erwartet."},
        {u"expected_category_or_block",
         u"An dieser Stelle wurde ein gültiger Unicode Zeicheneigenschaftscode erwartet."},
        {u"expected_escape",
         u"An dieser Stelle wurde ein Escape-Zeichen für ein einzelnes Zeichen oder eine Zeichenklasse "
         u"erwartet."},
        {u"expected_colon", u"An dieser Stelle wurde ein Doppelpunkt \".\" erwartet."},
        {u"expected_non_capturing_group_or_lookahead",
         u"An dieser Stelle wurde eine nicht erfassende Gruppe oder ein Lookahead erwartet."},
        {u"expected_block", u"An dieser Stelle wurde ein Name für einen gültigen Unicode-Block erwartet."},
        {u"expected_singleChar",
         u"An dieser Stelle wurde ein mit Escape versehenes Zeichen oder ein Zeichen mit aufgehobenem Escape "
         u"erwartet."},
        {u"expected_charGroupPart",
         u"An dieser Stelle wurde ein einzelnes mit Escape oder mit aufgehobenem Escape versehenes Zeichen "
         u"oder ein mit Escape versehener Zeichenbereich bzw. eine Zeichenklasse erwartet."},
        {u"unknown_block",
         u"Beim angegebenen Namen handelt es sich nicht um eine anerkannte Unicode Block Definition."},
        {u"invalid_escape", u"Das angegebene Escape-Zeichen wurde nicht erkannt."},
        {u"expected_quantity",
         u"Im Anschluss an die öffnende geschweifte Klammer \"\\{\" muss eine gültige Menge stehen."},
        {u"max_quantity_less_than_min",
         u"Die max. Menge innerhalb eines Quantifier muss größer oder gleich der min. Menge sein."},
        {u"empty_charRange", u"Die Auswertung des angegebenen Zeichenbereichs ergibt einen leeren Bereich."},
    });
};

template class Catalogue<RegexCatalogueDefinition>;

}  // namespace kt
