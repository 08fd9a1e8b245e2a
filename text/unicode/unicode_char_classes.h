// The character classes a pattern can name without listing characters: the Unicode 6.0 general
// categories and the sets behind the XML Schema escapes, the wildcard and a few ASCII classes.
#pragma once

#include "text/unicode/generated/unicode_constants.h"
#include "text/unicode/range_set.h"

#include <array>
#include <cstddef>

namespace kt {

// All classes are built by the constructor and never change afterwards, so an instance may be read from
// any number of threads. Complements are taken over 0..0x10FFFF.
class UnicodeCharClasses {
  public:
    // Throws std::bad_alloc when memory runs out; the sets built so far are released.
    UnicodeCharClasses();

    // The category sets, by index 0..UnicodeCategoryCount-1 (see UnicodeCategoryNames).
    const RangeSet& Category(std::size_t index) const { return categories_[index]; }
    const RangeSet& Category(UnicodeCategory category) const {
        return categories_[static_cast<std::size_t>(category)];
    }

    const RangeSet& AnyChar() const noexcept { return anyChar_; }            // .
    const RangeSet& Space() const noexcept { return space_; }                // \s
    const RangeSet& NotSpace() const noexcept { return notSpace_; }          // \S
    const RangeSet& NameStart() const noexcept { return nameStart_; }        // \i
    const RangeSet& NotNameStart() const noexcept { return notNameStart_; }  // \I
    const RangeSet& NameChar() const noexcept { return nameChar_; }          // \c
    const RangeSet& NotNameChar() const noexcept { return notNameChar_; }    // \C
    const RangeSet& Digit() const noexcept { return digit_; }                // \d
    const RangeSet& NotDigit() const noexcept { return notDigit_; }          // \D
    const RangeSet& Word() const noexcept { return word_; }                  // \w
    const RangeSet& NotWord() const noexcept { return notWord_; }            // \W
    const RangeSet& AsciiDigit() const noexcept { return asciiDigit_; }
    const RangeSet& NotAsciiDigit() const noexcept { return notAsciiDigit_; }
    const RangeSet& AsciiWord() const noexcept { return asciiWord_; }
    const RangeSet& NotAsciiWord() const noexcept { return notAsciiWord_; }
    // Letters, numbers, punctuation, separators and symbols.
    const RangeSet& Printable() const noexcept { return printable_; }
    // The characters XML allows in a document.
    const RangeSet& XmlChar() const noexcept { return xmlChar_; }

  private:
    std::array<RangeSet, UnicodeCategoryCount> categories_;
    RangeSet anyChar_;
    RangeSet space_;
    RangeSet notSpace_;
    RangeSet nameStart_;
    RangeSet notNameStart_;
    RangeSet nameChar_;
    RangeSet notNameChar_;
    RangeSet digit_;
    RangeSet notDigit_;
    RangeSet word_;
    RangeSet notWord_;
    RangeSet asciiDigit_;
    RangeSet notAsciiDigit_;
    RangeSet asciiWord_;
    RangeSet notAsciiWord_;
    RangeSet printable_;
    RangeSet xmlChar_;
};

}  // namespace kt
