// The thirteen catalogues as the module's own code sees them, and the start-up list.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/resource_string_registry.h"
#include "catalogues/catalogues.h"
#include "module/module_startup.h"
#include "tests/catalogue/catalogue_test_support.h"
#include "text/unicode/unicode_blocks.h"

namespace kt {
namespace {

TEST(Catalogues, ContentsKeysAndSentinels) {
    RunModuleStartup();
    ResourceStringRegistry& registry = ResourceStringRegistry::Instance();
    for (const test::ExpectedCatalogue& expected : test::ExpectedCatalogues)
        test::ExpectCatalogue(registry.FindLibrary(expected.name), expected);
}

// Everything else takes names and order from the list; its length and its two ends are fixed.
TEST(Catalogues, TheListRunsFromKtguiToXsdt) {
    ASSERT_EQ(std::size(CatalogueNames), 13u);
    EXPECT_EQ(std::u16string(CatalogueNames[0]), u"ktgui");
    EXPECT_EQ(std::u16string(CatalogueNames[12]), u"xsdt");
}

TEST(Catalogues, KeysAreUniqueIdentifiersSoEachMapsToItsOwnIndex) {
    RunModuleStartup();
    for (const test::ExpectedCatalogue& expected : test::ExpectedCatalogues) {
        ResourceStringLibrary* library = ResourceStringRegistry::Instance().FindLibrary(expected.name);
        ASSERT_NE(library, nullptr);
        ResourceStringLibrary::BuildKeyIndex(library);
        ASSERT_EQ(library->keyIndex.map->size(), static_cast<size_t>(library->count))
            << test::Narrow(expected.name);
        for (const auto& [key, index] : *library->keyIndex.map) {
            EXPECT_EQ(library->keyAt(library, index), key) << "the index holds the table's own pointer";
            EXPECT_EQ(ResourceStringLibrary::FindKey(library, std::u16string(key)), index)
                << "the hash index agrees with the map";
            std::u16string name(key);
            EXPECT_TRUE(std::all_of(name.begin(), name.end(), [](char16_t c) {
                return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
                       c == u'_';
            })) << test::Narrow(name);
        }
    }
}

TEST(Catalogues, KeyAtClampsLikeTheAccessor) {
    EXPECT_EQ(std::u16string(KtguiCatalogue::KeyAt(1)), u"BorderDialog_LineSettings_Tooltip");
    EXPECT_EQ(KtguiCatalogue::KeyAt(2), nullptr);
    EXPECT_EQ(std::u16string(OsCatalogue::KeyAt(56)), u"NetworkProxyTestURLTimedOut");
    EXPECT_EQ(OsCatalogue::KeyAt(57), nullptr);
    EXPECT_EQ(std::u16string(XmlCatalogue::KeyAt(178)), u"verbose_finish_dtd_processing");
    EXPECT_EQ(XmlCatalogue::KeyAt(179), nullptr);
    EXPECT_EQ(XsdtCatalogue::KeyAt(-1), nullptr);
    EXPECT_EQ(std::u16string(XsdtCatalogue::KeyAt(0)), u"PrefixDoesNotMatch");
}

TEST(Catalogues, XmlCollectedVariantsEndWithAColon) {
    ResourceStringLibrary& xml = XmlCatalogue::Library();
    int collected = 0;
    for (int32_t index = 0; index < xml.count; ++index) {
        std::u16string key(xml.keyAt(&xml, index));
        std::u16string text(xml.textAt(&xml, index));
        if (!key.ends_with(u"_collected")) continue;
        ++collected;
        EXPECT_EQ(text.back(), index == 157 ? u'.' : u':') << test::Narrow(key);
    }
    EXPECT_EQ(collected, 17);
}

// The texts we word ourselves keep one term per concept, the one the fixed texts use or the usual German
// one; the retired forms crept in before and must not come back.
TEST(Catalogues, FreeTextsUseOneTermPerConcept) {
    const std::vector<std::u16string> retired = {
        u"Element-Content", u"Mixed-Content", u"Namespace URI",      u"Default-Namespace",
        u"Namens-Token",    u"Socket-",       u"Zeitüberschreitung",
        u"} Proxy-",  // a compound with a placeholder in front takes a hyphen: "{api}-Proxy-Einstellungen"
    };
    RunModuleStartup();
    int quickFixChanges = 0;
    for (const test::ExpectedCatalogue& expected : test::ExpectedCatalogues) {
        ResourceStringLibrary* library = ResourceStringRegistry::Instance().FindLibrary(expected.name);
        ASSERT_NE(library, nullptr);
        for (int32_t index = 0; index < library->count; ++index) {
            if (expected.entries[static_cast<size_t>(index)].text != nullptr) continue;
            std::u16string text(library->textAt(library, index));
            std::u16string key(library->keyAt(library, index));
            for (const std::u16string& term : retired)
                EXPECT_EQ(text.find(term), std::u16string::npos)
                    << test::Narrow(key) << ": " << test::Narrow(term);
            // A quick fix that changes a value names the new value with "auf", never "in".
            if (key.starts_with(u"quenvar_") &&
                (text.ends_with(u" ändern.") || text.ends_with(u" ändern:"))) {
                ++quickFixChanges;
                EXPECT_NE(text.find(u" auf "), std::u16string::npos) << test::Narrow(key);
                EXPECT_EQ(text.find(u" in "), std::u16string::npos) << test::Narrow(key);
            }
        }
    }
    EXPECT_EQ(quickFixChanges, 17);
}

TEST(Catalogues, RegexTextsHaveNoPlaceholders) {
    ResourceStringLibrary& regex = RegexCatalogue::Library();
    int escapedBraces = 0;
    for (int32_t index = 0; index < regex.count; ++index) {
        const char16_t* text = regex.textAt(&regex, index);
        EXPECT_TRUE(test::Placeholders(text).empty()) << index;
        for (const char16_t* p = text; *p; ++p)
            if (*p == u'{' || *p == u'}') {
                EXPECT_TRUE(p > text && p[-1] == u'\\') << index;
                ++escapedBraces;
            }
    }
    EXPECT_EQ(escapedBraces, 5);
}

// In this program earlier tests may already have built catalogues in an order of their own, so only the
// module test (which loads the real module) checks the registration order; here the chain must survive
// a second start-up link by link.
TEST(ModuleStartup, RunsAgainWithoutChangingTheChain) {
    RunModuleStartup();
    ResourceStringRegistry& registry = ResourceStringRegistry::Instance();
    std::vector<std::pair<ResourceStringLibrary*, ResourceStringLibrary*>> links;
    for (ResourceStringLibrary* library = registry.First(); library != nullptr; library = library->next)
        links.emplace_back(library, library->next);
    ASSERT_GE(links.size(), 13u);
    ResourceStringLibrary* xsdt = &XsdtCatalogue::Library();
    RunModuleStartup();
    EXPECT_EQ(&XsdtCatalogue::Library(), xsdt) << "Library gives the object it built the first time";
    EXPECT_EQ(registry.First(), links.front().first);
    for (const auto& [library, next] : links) EXPECT_EQ(library->next, next);
    EXPECT_EQ(UnicodeBlockTable().size(), static_cast<size_t>(UnicodeBlockCount));
}

// Stand-ins for the string type's empty blocks, so the real ones stay untouched.
TEST(ModuleStartup, AnEmptyValueThatIsNotZeroFailsTheStartUp) {
    char bad8[TNullData<char>::BlockUnits] = {};
    char16_t bad16[TNullData<char16_t>::BlockUnits] = {};
    bad8[TNullData<char>::BlockUnits - 1] = 'x';  // the terminator
    bad16[1] = 0x8000;                            // a header word
    const char* expected = "KTString::TNullData has not been zero initialized!";
    bool tableWasEmpty = UnicodeBlockTable().empty();
    for (int width : {8, 16}) {
        SCOPED_TRACE(width);
        try {
            if (width == 8)
                RunModuleStartup(bad8, TNullData<char16_t>::Block());
            else
                RunModuleStartup(TNullData<char>::Block(), bad16);
            ADD_FAILURE() << "start-up did not fail";
        } catch (const std::logic_error& error) {
            EXPECT_STREQ(error.what(), expected);
        }
        // The catalogues come before the checks; the block table after them.
        for (const test::ExpectedCatalogue& catalogue : test::ExpectedCatalogues)
            EXPECT_NE(ResourceStringRegistry::Instance().FindLibrary(catalogue.name), nullptr);
        if (tableWasEmpty) {
            EXPECT_TRUE(UnicodeBlockTable().empty());
        }
    }
}

}  // namespace
}  // namespace kt
