// Catalogue "Scintilla": the find and replace bar of the text editor component.
#include "catalogues/catalogues.h"

namespace kt {

struct ScintillaCatalogueDefinition {
    static constexpr const char16_t* name = u"Scintilla";
    static constexpr auto entries = std::to_array<CatalogueEntry>({
        {u"ResultWndFindPos", u"{index} von {count}"},
        {u"ResultWndNoResults", u"Keine Ergebnisse"},
        {u"ResultWndSearching", u"Suche: {percentCompleted}"},
        {u"ResultWndPreparing", u"Vorbereitung: {percentCompleted} [Esc]"},
        {u"ResultWndAborted", u"Abgebrochen"},
        {u"ButtonSwitchFindReplace", u"Klicken, um zwischen Such- und Ersetzungsmodus zu wechseln"},
        {u"ButtonRegexBuilder", u"Regular Expression Builder"},
        {u"ButtonClose", u"Schließen"},
        {u"ButtonReplaceNext", u"Nächstes ersetzen"},
        {u"ButtonReplaceAll", u"Alle ersetzen"},
        {u"CheckBoxMatchCase", u"GROSS/klein beachten"},
        {u"CheckBoxMatchWord", u"Ganzes Wort"},
        {u"CheckBoxUseRegex", u"Regular Expressions verwenden"},
        {u"CheckBoxFindAnchor", u"Anker suchen"},
        {u"ButtonFilter", u"Ergebnisse filtern"},
        {u"ButtonFindSelection", u"In Auswahl suchen"},
        {u"ButtonPrevResult", u"Gehe zu vorherigem Ergebnis"},
        {u"ButtonNextResult", u"Gehe zu nächstem Ergebnis"},
        {u"ButtonSwitchToDialog", u"Zu Dialogfeld wechseln"},
        {u"FadeOutPassedStart", u"Dokumentanfang erreicht"},
        {u"FadeOutPassedEnd", u"Dokumentende erreicht"},
        {u"FilterElementNames", u"Elementnamen"},
        {u"FilterElementContents", u"Elementinhalt"},
        {u"FilterAttributeNames", u"Attributnamen"},
        {u"FilterAttributeContents", u"Attributinhalt"},
        {u"FilterComments", u"Kommentare"},
        {u"FilterCData", u"CData"},
        {u"FilterPI", u"Processing Instruction"},
        {u"FilterRest", u"Rest"},
        {u"FilterToggleAll", u"Alle ein/aus"},
        {u"MessageWaitForCompletion",
         u"Bitte haben Sie einen Moment Geduld, die Suche ist noch nicht abgeschlossen!"},
        {u"MessageNoMoreOccurrencesSearchAgain", u"Keine weiteren Treffer!\r\nErneut suchen?"},
    });
};

template class Catalogue<ScintillaCatalogueDefinition>;

}  // namespace kt
