// Catalogue "res": errors in resource-string source files and format strings, loading of a language module.
#include "catalogues/catalogues.h"

namespace kt {

struct ResCatalogueDefinition {
    static constexpr const char16_t* name = u"res";
    static constexpr auto entries = std::to_array<CatalogueEntry>({
        {u"FailedWritingToFile", u"Fehler beim Schreiben in die Datei {name}."},
        {u"FailedOpeningFile", u"Fehler beim Öffnen der Datei {name}."},
        {u"InvalidResourceString",
         u"{file}({line}): Fehler: Der Ressourcen-String '{name}' ist nicht gültig."},
        {u"NoResourcesElement",
         u"{name}: Fehler: Die Datei ist keine gültige Ressourcen-String XML-Datei. Sie hat kein 'resources' "
         u"Root-Element."},
        {u"NoResourcesNameAttribute",
         u"{name}({line}): Fehler: Fehlendes 'name' Attribut in 'module' Element."},
        {u"NoNameAttribute", u"{name}({line}): Fehler: Fehlendes 'name' Attribut in 'string' Element."},
        {u"NewlineInResourceString",
         u"{file}({line}): Fehler: Newline-Zeichen in Ressourcen-String '{name}' gefunden - bitte durch eine "
         u"\\n Sequenz ersetzen."},
        {u"NoClosingBracket",
         u"Fehlende schließende Klammer in Ressourcen-String in String '{string}' an Position {pos}"},
        {u"NoOpeningBracket",
         u"Fehlende öffnende Klammer in Ressourcen-String in String '{string}' an Position {pos}"},
        {u"NestedOpeningBracket",
         u"Fehlende öffnende Klammer in Ressourcen-String in String '{string}' an Position {pos}"},
        {u"UnknownLibraryInFile",
         u"Unbekannter Bibliotheksname '{module}' in der Ressourcen-Datei '{file}'."},
        {u"UnknownResourceInFile",
         u"Unbekannter Ressourcen-String '{name}' in der in der Ressourcen-Datei '{file}' in Zeile {line} "
         u"verwendeten Bibliothek '{module}'."},
        {u"MissingParameterInFormatString",
         u"Der Parameter '{param}' fehlt im Ressourcen-String '{name}' in der Bibliothek '{module}' in Zeile "
         u"{line} der Ressourcen-Datei '{file}'."},
        {u"UnknownParameterInFormatString",
         u"Nicht erwarteter Parameter '{param}' im Ressourcen-String '{name}' in der Bibliothek '{module}' "
         u"in Zeile {line} der Ressourcen-Datei '{file}'."},
        {u"MissingStringsInLibrary",
         u"Die folgenden String-Definitionen fehlen in der Bibliothek '{module}' in der Ressourcen-Datei "
         u"'{file}': {missing}."},
        {u"EmptyResourceString",
         u"{file}({line}): Warnung: Der Ressourcen-String '{name}' ist offenbar leer."},
        {u"ModuleRedefinition", u"{file}: Fehler: Das Modul '{module}' wurde bereits definiert."},
        {u"StringRedefinition",
         u"{file}({line}): Fehler: Der Ressourcen-String '{name}' aus dem Modul '{module}' ist bereits "
         u"definiert."},
        {u"InvalidResourceName", u"{file}({line}): Fehler: Der Ressourcenname '{name}' ist ungültig."},
        {u"IncludeMissingFileAttribute",
         u"{file}({line}): Fehler: Dem Include-Element fehlt das Attribut 'file'."},
        {u"UnknownMetaAttribute",
         u"{file}({line}): Fehler: Im Ressourcen-String  '{name}' des Moduls '{module}' wurde das unbekannte "
         u"Meta-Attribut '{meta}' gefunden."},
        {u"UnsupportedLanguageForDump",
         u"Die Sprache '{lang}' kann nicht in die XML-Datei exportiert werden, da sie nicht direkt "
         u"unterstützt wird."},
        {u"CannotLoadResourceDll",
         u"Sprachbibliothek ({lang}) für die Applikation kann nicht geladen werden."},
    });
};

template class Catalogue<ResCatalogueDefinition>;

}  // namespace kt
