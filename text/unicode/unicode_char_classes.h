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
    [[nodiscard]] const RangeSet& Category(size_t index) const { return categories_[index]; }
    [[nodiscard]] const RangeSet& Category(UnicodeCategory category) const {
        return categories_[static_cast<size_t>(category)];
    }

    [[nodiscard]] const RangeSet& AnyChar() const noexcept { return anyChar_; }            // .
    [[nodiscard]] const RangeSet& Space() const noexcept { return space_; }                // \s
    [[nodiscard]] const RangeSet& NotSpace() const noexcept { return notSpace_; }          // \S
    [[nodiscard]] const RangeSet& NameStart() const noexcept { return nameStart_; }        // \i
    [[nodiscard]] const RangeSet& NotNameStart() const noexcept { return notNameStart_; }  // \I
    [[nodiscard]] const RangeSet& NameChar() const noexcept { return nameChar_; }          // \c
    [[nodiscard]] const RangeSet& NotNameChar() const noexcept { return notNameChar_; }    // \C
    [[nodiscard]] const RangeSet& Digit() const noexcept { return digit_; }                // \d
    [[nodiscard]] const RangeSet& NotDigit() const noexcept { return notDigit_; }          // \D
    [[nodiscard]] const RangeSet& Word() const noexcept { return word_; }                  // \w
    [[nodiscard]] const RangeSet& NotWord() const noexcept { return notWord_; }            // \W
    [[nodiscard]] const RangeSet& AsciiDigit() const noexcept { return asciiDigit_; }
    [[nodiscard]] const RangeSet& NotAsciiDigit() const noexcept { return notAsciiDigit_; }
    [[nodiscard]] const RangeSet& AsciiWord() const noexcept { return asciiWord_; }
    [[nodiscard]] const RangeSet& NotAsciiWord() const noexcept { return notAsciiWord_; }
    // Letters, numbers, punctuation, separators and symbols.
    [[nodiscard]] const RangeSet& Printable() const noexcept { return printable_; }
    // The characters XML allows in a document.
    [[nodiscard]] const RangeSet& XmlChar() const noexcept { return xmlChar_; }

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
