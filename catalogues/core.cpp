// Catalogue "core": text encodings and byte order marks, JSON syntax errors, error limits and severities.
#include "catalogues/catalogues.h"

namespace kt {

struct CoreCatalogueDefinition {
    static constexpr const char16_t* name = u"core";
    static constexpr auto entries = std::to_array<CatalogueEntry>({
        {u"no_encoding_specified", u"Für die Datei {uri} ist keine Kodierung definiert."},
        {u"bom_encoding_mismatch",
         u"Die Bytefolge-Markierung {BOM} der Datei {uri} stimmt nicht mit der angegebenen Kodierung "
         u"{encoding} überein. Fallback auf die Kodierung {BOM}."},
        {u"unsupported_input_encoding", u"Die Kodierung {encoding} der Datei {uri} wird nicht unterstützt."},
        {u"unsupported_encoding_from_to_input",
         u"{from}-codierter Text der Datei {uri} kann nicht in {to}-codierten Text transformiert werden."},
        {u"unsupported_encoding_from_to_output",
         u"{from}-codierter Text kann nicht in {to}-codierten Text für Datei {uri} transformiert werden."},
        {u"decoding_error", u"Die Datei {uri} hat keine gültige {encoding}-Kodierung."},
        {u"encoding_error",
         u"Fehler beim Schreiben der Datei {uri} mit {to}-Codierung. Der {from}-codierte Input Stream "
         u"enthält Zeichen, die nicht in {to} konvertiert werden können."},
        {u"output_encoding_bom_mismatch",
         u"Datei {uri} mit der Kodierung {encoding} und Bytefolge-Markierung {BOM} kann nicht geschrieben "
         u"werden."},
        {u"JSON_SyntaxError_CharUnexpected", u"Das Zeichen {data} wird grammatikalisch nicht erwartet."},
        {u"JSON_SyntaxError_NumberUnexpected", u"Die Zahl {data} wird grammatikalisch nicht erwartet."},
        {u"JSON_SyntaxError_StringUnexpected", u"Der String {data} wird grammatikalisch nicht erwartet."},
        {u"JSON_SyntaxError_KeywordUnexpected",
         u"Das Schlüsselwort {data} wird grammatikalisch nicht erwartet."},
        {u"JSON_SyntaxError_NumberMalformed", u"Der Wert {data} ist keine wohlgeformte Zahl."},
        {u"JSON_SyntaxError_NumberTooLong", u"Die Zahl {data} übersteigt das interne Längenlimit."},
        {u"JSON_SyntaxError_CharMissing", u"Grammatikalisch sind mehr Zeichen erforderlich."},
        {u"JSON_SyntaxError_Reason", u"erwartet wird eines der folgenden"},
        {u"JSON_SyntaxError_ExtraContent", u"Zusätzlicher Inhalt nach JSON-Wert auf oberster Ebene."},
        {u"JSON_SyntaxError_MalformedNumber", u"Es wurde eine fehlerhafte Zahl gefunden."},
        {u"JSON_SyntaxError_UnexpectedKeyword", u"Unerwartetes Schlüsselwort."},
        {u"JSON_SyntaxError_Other", u"JSON-Syntaxfehler."},
        {u"JSON_number", u"Zahl"},
        {u"JSON_string", u"String"},
        {u"ErrorHandler_ErrorLimitReached",
         u"Die Verarbeitung wurde nach Ausgabe von {limit} Fehler(n) abgebrochen. Erhöhen Sie bitte das "
         u"Fehler-Limit, damit weitere Fehler ausgegeben werden können."},
        {u"ErrorHandler_LimitExceeded",
         u"Weitere Meldungen des Schweregrads {severity} wurden ignoriert, da das Limit von {limit} "
         u"Meldung(e) überschritten wurde."},
        {u"ErrorSeverity_fatal", u"Schwerwiegender Fehler"},
        {u"ErrorSeverity_error", u"Fehler"},
        {u"ErrorSeverity_inconsistency", u"Inkonsistenz"},
        {u"ErrorSeverity_warning", u"Warnung"},
        {u"ErrorSeverity_info", u"Info"},
        {u"ErrorSeverity_unknown", u"Anderes"},
    });
};

template class Catalogue<CoreCatalogueDefinition>;

}  // namespace kt
