// Helpers shared by the catalogue tests.
#pragma once

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>
#include <vector>

#include "tests/catalogue/expected_catalogues.h"

namespace kt::test {

// The placeholder names of a catalogue text: a name of ASCII letters, digits, '_' and '.' between
// braces; a brace with a backslash before it belongs to the text.
inline std::set<std::u16string> Placeholders(const char16_t* text) {
    std::set<std::u16string> names;
    auto isNameUnit = [](char16_t c) {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
               c == u'_' || c == u'.';
    };
    for (const char16_t* p = text; *p != 0; ++p) {
        if (*p != u'{' || (p != text && p[-1] == u'\\')) continue;
        const char16_t* end = p + 1;
        while (isNameUnit(*end)) ++end;
        if (*end == u'}' && end > p + 1) names.emplace(p + 1, end);
    }
    return names;
}

// The set written as u"{a}{b}" in the expected contents.
inline std::set<std::u16string> PlaceholderList(const char16_t* list) {
    return Placeholders(list);
}

inline std::string Narrow(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}
inline std::string Narrow(const char16_t* text) {
    return text ? Narrow(std::u16string(text)) : "(null)";
}

}  // namespace kt::test

namespace kt::test {

// Checks one catalogue record (the module's object or the host's view of it) against its expected
// contents: count, every key, every fixed text, the placeholders of every free text, the text
// conventions, and the sentinel for indexes outside 0..N-1.
template <class Record>
void ExpectCatalogue(Record* record, const ExpectedCatalogue& expected) {
    SCOPED_TRACE(Narrow(expected.name));
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(std::u16string(record->name), expected.name);
    const auto count = static_cast<int32_t>(expected.entries.size());
    ASSERT_EQ(record->count, count);
    EXPECT_EQ(record->version, 2u);
    for (int32_t index = 0; index < count; ++index) {
        const ExpectedEntry& entry = expected.entries[static_cast<size_t>(index)];
        SCOPED_TRACE(Narrow(entry.key));
        const char16_t* key = record->keyAt(record, index);
        const char16_t* text = record->textAt(record, index);
        ASSERT_TRUE(key != nullptr && text != nullptr) << "index " << index;
        EXPECT_EQ(std::u16string(key), entry.key) << "index " << index;
        std::u16string body(text);
        if (entry.text != nullptr) {
            EXPECT_EQ(body, entry.text) << "index " << index;
        } else {
            EXPECT_EQ(Placeholders(text), PlaceholderList(entry.placeholders)) << "index " << index;
            EXPECT_FALSE(body.empty());
            EXPECT_EQ(body.find_first_of(u"\r\n"), std::u16string::npos) << "free texts are one line";
        }
        EXPECT_EQ(body.find(u'\t'), std::u16string::npos);
        EXPECT_FALSE(!body.empty() && (body.back() == u'\n' || body.back() == u'\r'));
    }
    for (int32_t index : {-1, count, count + 100, INT32_MIN, INT32_MAX}) {
        EXPECT_EQ(record->keyAt(record, index), nullptr) << "index " << index;
        EXPECT_EQ(record->textAt(record, index), nullptr) << "index " << index;
    }
}

// Checks the whole chain: thirteen records in the reverse of the start-up order, each as expected, and
// no key index built yet.
template <class Record>
void ExpectChain(Record* first) {
    std::vector<Record*> chain;
    for (Record* record = first; record != nullptr && chain.size() < 100; record = record->next)
        chain.push_back(record);
    ASSERT_EQ(chain.size(), ExpectedCatalogues.size());
    for (size_t i = 0; i < chain.size(); ++i) {
        ExpectCatalogue(chain[i], ExpectedCatalogues[ExpectedCatalogues.size() - 1 - i]);
        EXPECT_FALSE(chain[i]->keyIndexReady.load()) << "no index is built during start-up";
        EXPECT_EQ(chain[i]->keyIndex.count, 0u);
        EXPECT_FALSE(chain[i]->altIndexReady.load());
    }
}

}  // namespace kt::test
