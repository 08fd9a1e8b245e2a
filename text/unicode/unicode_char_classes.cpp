#include "text/unicode/unicode_char_classes.h"

#include "text/unicode/generated/unicode_data.h"

#include <initializer_list>

namespace kt {

namespace {

void InsertRanges(RangeSet& set, std::initializer_list<CodePointRange> ranges) {
    for (const CodePointRange& range : ranges) set.Insert(range);
}

RangeSet ComplementOf(const RangeSet& set) {
    RangeSet complement(set);
    complement.Complement();
    return complement;
}

const RangeSet& CategorySet(const std::array<RangeSet, UnicodeCategoryCount>& categories,
                            UnicodeCategory category) {
    return categories[static_cast<size_t>(category)];
}

}  // namespace

// The members start empty (no allocation) and are filled here in a fixed order, so that the derived
// classes can be made from the ones before them; a throw releases every member through its destructor.
UnicodeCharClasses::UnicodeCharClasses() {
    for (size_t i = 0; i < UnicodeCategoryCount; ++i) {
        const UnicodeCategorySource& source = UnicodeCategorySources[i];
        categories_[i].Reserve(source.count);
        categories_[i].AssignTable(source.ranges, source.count);
    }

    InsertRanges(anyChar_, {{0x000A, 0x000A}, {0x000D, 0x000D}});
    anyChar_.Complement();

    InsertRanges(space_, {{0x0020, 0x0020}, {0x000A, 0x000A}, {0x000D, 0x000D}, {0x0009, 0x0009}});
    notSpace_ = ComplementOf(space_);

    InsertRanges(nameStart_, {{0x003A, 0x003A},
                              {0x0041, 0x005A},
                              {0x005F, 0x005F},
                              {0x0061, 0x007A},
                              {0x00C0, 0x00D6},
                              {0x00D8, 0x00F6},
                              {0x00F8, 0x02FF},
                              {0x0370, 0x037D},
                              {0x037F, 0x1FFF},
                              {0x200C, 0x200D},
                              {0x2070, 0x218F},
                              {0x2C00, 0x2FEF},
                              {0x3001, 0xD7FF},
                              {0xF900, 0xFDCF},
                              {0xFDF0, 0xFFFD},
                              {0x10000, 0xEFFFF}});
    notNameStart_ = ComplementOf(nameStart_);

    nameChar_ = nameStart_;
    InsertRanges(nameChar_, {{0x002D, 0x002D},
                             {0x002E, 0x002E},
                             {0x0030, 0x0039},
                             {0x00B7, 0x00B7},
                             {0x0300, 0x036F},
                             {0x203F, 0x2040}});
    notNameChar_ = ComplementOf(nameChar_);

    digit_ = CategorySet(categories_, UnicodeCategory::Nd);
    notDigit_ = ComplementOf(digit_);

    for (UnicodeCategory group : {UnicodeCategory::P, UnicodeCategory::Z, UnicodeCategory::C}) {
        notWord_.InsertAll(CategorySet(categories_, group));
    }
    word_ = ComplementOf(notWord_);

    asciiDigit_.InsertRange(0x0030, 0x0039);
    notAsciiDigit_ = ComplementOf(asciiDigit_);

    InsertRanges(asciiWord_, {{0x005F, 0x005F}, {0x0030, 0x0039}, {0x0041, 0x005A}, {0x0061, 0x007A}});
    notAsciiWord_ = ComplementOf(asciiWord_);

    for (UnicodeCategory group : {UnicodeCategory::L, UnicodeCategory::N, UnicodeCategory::P,
                                  UnicodeCategory::Z, UnicodeCategory::S}) {
        printable_.InsertAll(CategorySet(categories_, group));
    }

    InsertRanges(xmlChar_, {{0x0009, 0x0009},
                            {0x000A, 0x000A},
                            {0x000D, 0x000D},
                            {0x0020, 0xD7FF},
                            {0xE000, 0xFFFD},
                            {0x10000, 0x10FFFF}});
}

}  // namespace kt
