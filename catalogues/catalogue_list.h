// The thirteen catalogues of the module, in start-up order: KT_CATALOGUES(X) expands X(Type, "name") for
// each. The declarations, the module's start-up and the tests all come from this one list; the chain
// lists the catalogues the other way round (newest first).
#pragma once

#define KT_CATALOGUES(X)                     \
    X(KtguiCatalogue, "ktgui")               \
    X(ScintillaCatalogue, "Scintilla")       \
    X(CoreCatalogue, "core")                 \
    X(CryptographyCatalogue, "cryptography") \
    X(DispatchCatalogue, "dispatch")         \
    X(DrawCatalogue, "draw")                 \
    X(GuiCatalogue, "gui")                   \
    X(MsgCatalogue, "msg")                   \
    X(OsCatalogue, "os")                     \
    X(RegexCatalogue, "regex")               \
    X(ResCatalogue, "res")                   \
    X(XmlCatalogue, "xml")                   \
    X(XsdtCatalogue, "xsdt")

// The number of catalogues on the list, for code that only counts them (a host checking the chain).
#define KT_CATALOGUE_COUNT_ONE(Type, name) +1
#define KT_CATALOGUE_COUNT (0 KT_CATALOGUES(KT_CATALOGUE_COUNT_ONE))
