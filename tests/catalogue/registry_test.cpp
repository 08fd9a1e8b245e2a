// The registry: language settings, the chain, lookup by name and the hooks.
#include <gtest/gtest.h>

#include <algorithm>
#include <exception>
#include <iterator>
#include <string>
#include <vector>

#include "catalogue/resource_string_registry.h"
#include "catalogues/catalogues.h"
#include "tests/catalogue/catalogue_test_support.h"
#include "tests/support/allocation_probe.h"
#include "tests/support/platform_expectations.h"

namespace kt {
namespace {

std::u16string Language(ResourceStringRegistry& registry, bool lowerCase) {
    KTString<char16_t> result;
    registry.GetLanguage(result, lowerCase);
    return std::u16string(result.ToView());
}

std::u16string LanguageFor(ResourceStringRegistry& registry, bool lowerCase, uint32_t id) {
    KTString<char16_t> result(u"left over");
    registry.GetLanguageFor(result, lowerCase, id);
    return std::u16string(result.ToView());
}

bool NullDataIsZero() {
    const char16_t* block = TNullData<char16_t>::Block();
    return std::all_of(block, block + TNullData<char16_t>::BlockUnits,
                       [](char16_t unit) { return unit == 0; });
}

const char16_t* NoEntry(ResourceStringLibrary*, int32_t) noexcept {
    return nullptr;
}

TEST(ResourceStringRegistry, StartsWithEnglishAndAnEmptyChainAndIgnoresEmptyLanguages) {
    ResourceStringRegistry registry;
    registry.SetLanguage(u"");
    registry.SetLanguage(nullptr);
    EXPECT_EQ(registry.languageIndex.load(), 0);
    EXPECT_EQ(Language(registry, false), u"en");
    EXPECT_EQ(Language(registry, true), u"en");
    EXPECT_TRUE(registry.languageName.IsNull()) << "reading the default must not store it";
    EXPECT_EQ(registry.First(), nullptr);
    EXPECT_EQ(registry.FindLibrary(u"core"), nullptr);

    registry.SetLanguage(u"fr");
    registry.SetLanguage(u"");
    registry.SetLanguage(nullptr);
    EXPECT_EQ(registry.languageIndex.load(), 5);
    EXPECT_EQ(Language(registry, false), u"fr");
}

TEST(ResourceStringRegistry, LanguageIndexIgnoresCaseAndKnowsSixCodes) {
    // The codes of each index, the last NoLanguage: a prefix ("zh") or a longer text ("zh-CHS ") is no match.
    const std::vector<const char16_t*> codes[] = {{u"en"},
                                                  {u"DE", u"De"},
                                                  {u"ja"},
                                                  {u"zh-chs", u"ZH-CHS"},
                                                  {u"Es"},
                                                  {u"fR"},
                                                  {u"pt", u"zh", u"zh-CHS ", u"", nullptr}};
    static_assert(std::size(codes) == NoLanguage + 1);
    for (int32_t index = 0; index <= NoLanguage; ++index)
        for (const char16_t* code : codes[index])
            EXPECT_EQ(ResourceStringRegistry::LanguageIndex(code), index)
                << (code ? test::Narrow(code) : "null");
}

TEST(ResourceStringRegistry, SetLanguageKeepsTheNameAsGivenAndLowerCasesOnRequest) {
    ResourceStringRegistry registry;
    registry.SetLanguage(u"zh-CHS");
    EXPECT_EQ(registry.languageIndex.load(), 3);
    EXPECT_EQ(Language(registry, false), u"zh-CHS");
    EXPECT_EQ(Language(registry, true), u"zh-chs");
    EXPECT_EQ(std::u16string(registry.languageName.ToView()), u"zh-CHS") << "lower-casing works on the copy";

    registry.SetLanguage(u"DE");
    EXPECT_EQ(registry.languageIndex.load(), 1);
    EXPECT_EQ(Language(registry, false), u"DE");
    EXPECT_EQ(Language(registry, true), u"de");

    registry.SetLanguage(u"pt");
    EXPECT_EQ(registry.languageIndex.load(), NoLanguage);
    EXPECT_EQ(Language(registry, false), u"pt");

    // Code points beyond ASCII and surrogate pairs are lower-cased too (U+00C4, U+10400 DESERET) where
    // the platform's case mapping reaches them.
    registry.SetLanguage(u"\u00C4X\U00010400");
    EXPECT_EQ(Language(registry, true),
              test::CaseMapsBeyondAscii ? u"\u00E4x\U00010428" : u"\u00C4x\U00010400");
}

TEST(ResourceStringRegistry, LanguagePerIdentifier) {
    ResourceStringRegistry registry;
    registry.SetLanguage(u"ja");
    EXPECT_EQ(LanguageFor(registry, false, 5), u"") << "no fallback to the current language";
    EXPECT_EQ(LanguageFor(registry, true, 5), u"");
    EXPECT_TRUE(NullDataIsZero());

    registry.SetLanguageFor(u"fr", 5);
    registry.SetLanguageFor(u"Es", 0xFFFFFFFFu);
    EXPECT_EQ(LanguageFor(registry, false, 5), u"fr");
    EXPECT_EQ(LanguageFor(registry, false, 0xFFFFFFFFu), u"Es");
    EXPECT_EQ(LanguageFor(registry, true, 0xFFFFFFFFu), u"es");
    EXPECT_EQ(LanguageFor(registry, false, 6), u"");

    registry.SetLanguageFor(u"de", 5);  // replaces
    EXPECT_EQ(LanguageFor(registry, false, 5), u"de");
    EXPECT_EQ(registry.languagesById.size(), 2u);

    registry.SetLanguageFor(u"", 5);  // erases
    EXPECT_EQ(LanguageFor(registry, false, 5), u"");
    registry.SetLanguageFor(nullptr, 0xFFFFFFFFu);
    EXPECT_TRUE(registry.languagesById.empty());
    registry.SetLanguageFor(nullptr, 77);  // erasing what is not there is no error
    EXPECT_TRUE(registry.languagesById.empty());
    EXPECT_EQ(Language(registry, false), u"ja") << "the current language is a separate setting";
}

TEST(ResourceStringRegistry, LanguageForAddsAllOrNothingWhenMemoryRunsOut) {
    ResourceStringRegistry registry;
    registry.SetLanguageFor(u"fr", 5);
    // Fail the first allocation of the call, then the second, and so on, until one call gets through.
    size_t failed = 0;
    for (;; ++failed) {
        bool threw = false;
        test::FailingAllocation failing(failed);
        try {
            registry.SetLanguageFor(u"zh-CHS", 7);
        } catch (const std::exception&) {
            threw = true;
        }
        if (!failing.Triggered()) break;
        EXPECT_TRUE(threw) << "allocation " << failed;
        EXPECT_EQ(registry.languagesById.size(), 1u) << "allocation " << failed;
        EXPECT_EQ(registry.languagesById.count(7), 0u) << "no half-made entry after allocation " << failed;
    }
    EXPECT_GE(failed, 2u) << "both the map node and the name were made to fail";
    EXPECT_EQ(LanguageFor(registry, false, 7), u"zh-CHS");
    EXPECT_EQ(LanguageFor(registry, false, 5), u"fr");
}

TEST(ResourceStringRegistry, ChainIsNewestFirstAndUnlinksInAnyOrder) {
    ResourceStringRegistry& registry = ResourceStringRegistry::Instance();
    ResourceStringLibrary* before = registry.First();
    {
        ResourceStringLibrary first(u"first", &NoEntry, &NoEntry, 0, nullptr, nullptr, 0);
        ResourceStringLibrary second(u"second", &NoEntry, &NoEntry, 0, nullptr, nullptr, 0);
        ResourceStringLibrary third(u"third", &NoEntry, &NoEntry, 0, nullptr, nullptr, 0);
        EXPECT_EQ(GetFirstResourceStringLibrary(), &third);
        EXPECT_EQ(third.next, &second);
        EXPECT_EQ(second.next, &first);
        EXPECT_EQ(first.next, before);

        EXPECT_EQ(registry.FindLibrary(u"second"), &second);
        EXPECT_EQ(registry.FindLibrary(u"Second"), nullptr) << "names compare exactly";
        EXPECT_EQ(registry.FindLibrary(u"secon"), nullptr);
        EXPECT_EQ(registry.FindLibrary(u"second "), nullptr);
        EXPECT_EQ(registry.FindLibrary(nullptr), nullptr);
        EXPECT_EQ(ResourceStringRegistry::FindLibraryFrom(&second, u"third"), nullptr)
            << "searches onwards only";
        EXPECT_EQ(ResourceStringRegistry::FindLibraryFrom(&third, u"first"), &first);
        EXPECT_EQ(ResourceStringRegistry::FindLibraryFrom(nullptr, u"first"), nullptr);
        EXPECT_EQ(ResourceStringRegistry::FindLibraryFrom(&third, nullptr), nullptr);

        // Unlinking from the middle, then again, then an object that was never on the chain.
        registry.Unregister(&second);
        EXPECT_EQ(third.next, &first);
        registry.Unregister(&second);
        EXPECT_EQ(registry.First(), &third);
        EXPECT_EQ(third.next, &first);
        ResourceStringLibrary stranger(u"stranger", &NoEntry, &NoEntry, 0, nullptr, nullptr, 0);
        registry.Unregister(&stranger);
        ResourceStringLibrary* afterStranger = registry.First();
        EXPECT_EQ(afterStranger, &third);
        registry.Unregister(&stranger);  // foreign now: nothing changes
        registry.Unregister(nullptr);
        registry.Register(nullptr);
        EXPECT_EQ(registry.First(), &third);
        EXPECT_EQ(third.next, &first);
        EXPECT_EQ(first.next, before);
    }
    EXPECT_EQ(registry.First(), before) << "each destructor unlinked its object";
}

// A hook that shows what it was given: the values in the tag, the catalogue's name in the text.
ResourceStringLibrary* hookSawLibrary = nullptr;
StringResult& EchoHook(StringResult& result, ResourceStringLibrary* library, uint32_t first,
                       uint32_t second) {
    hookSawLibrary = library;
    result.text = library->name;
    result.tag = first * 1000 + second;
    return result;
}

TEST(CatalogueGet, DefaultHookGivesAnEmptyTextAndTagZero) {
    ResourceStringRegistry& registry = ResourceStringRegistry::Instance();
    ASSERT_EQ(registry.hook1, &ResourceStringRegistry::DefaultStringHook);
    StringResult result;
    result.text = u"stale";
    result.tag = 99;
    CoreCatalogue::Get(result, 3, 4);
    EXPECT_TRUE(result.text.IsNull());
    EXPECT_EQ(result.tag, 0u);
    XsdtCatalogue::Get(result, 0xFFFFFFFFu, 0);
    EXPECT_TRUE(result.text.IsNull());
    EXPECT_EQ(result.tag, 0u);
}

TEST(CatalogueGet, PassesTheCatalogueAndBothValuesToHook1) {
    ResourceStringRegistry& registry = ResourceStringRegistry::Instance();
    auto saved = registry.hook1;
    registry.hook1 = &EchoHook;
    StringResult result;
    OsCatalogue::Get(result, 7, 42);
    registry.hook1 = saved;
    EXPECT_EQ(hookSawLibrary, &OsCatalogue::Library());
    EXPECT_EQ(std::u16string(result.text.ToView()), u"os");
    EXPECT_EQ(result.tag, 7042u);
}

TEST(DefaultHooks, TextHooksEmptyTheirStringAndTheRestDoNothing) {
    ResourceStringRegistry registry;
    KTString<char16_t> text(u"something");
    EXPECT_EQ(&registry.hook3(text), &text);
    EXPECT_TRUE(text.IsNull());
    text = u"more";
    registry.hook4(text);
    EXPECT_TRUE(text.IsNull());
    registry.hook5();
    StringResult result;
    result.text = u"x";
    result.tag = 1;
    EXPECT_EQ(&registry.hook2(result, nullptr, 1, 2), &result);
    EXPECT_TRUE(result.text.IsNull());
    EXPECT_EQ(result.tag, 0u);
}

}  // namespace
}  // namespace kt
