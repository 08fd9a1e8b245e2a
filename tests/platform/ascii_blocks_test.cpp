// The block helpers the converters take ASCII runs from, in both forms: the machine-word one that other
// CPUs build and the SSE2 one x86 builds, each held to a unit-by-unit reading of the same block.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>

#include "platform/common/ascii_blocks.h"

namespace {

using kt::platform::AsciiBlockUnits;

// What each helper must answer for a block, unit by unit.
struct Expected {
    uint32_t nonAscii = 0;
    int asciiPrefix = AsciiBlockUnits;
    int utf8Length = 0;  // -1 with a surrogate
};

template <class Unit>
Expected Read(const Unit* block) {
    Expected expected;
    for (int i = 0; i < AsciiBlockUnits; ++i) {
        const uint32_t unit = block[i];
        if (unit >= 0x80) {
            expected.nonAscii |= 1u << i;
            expected.asciiPrefix = std::min(expected.asciiPrefix, i);
        }
        if (unit >= 0xD800 && unit <= 0xDFFF)
            expected.utf8Length = -1;
        else if (expected.utf8Length >= 0)
            expected.utf8Length += unit < 0x80 ? 1 : unit < 0x800 ? 2 : 3;
    }
    return expected;
}

// Blocks mostly ASCII with a few units from every range, surrogates among them, read from one unit into a
// buffer so that no load is aligned.
template <class Helpers, class Unit>
void CheckForm(const char* form) {
    SCOPED_TRACE(form);
    std::mt19937 random(20261207);
    constexpr uint32_t Picks[] = {0x00,  0x41,   0x7F,   0x80,   0xC3,   0xFF,   0x100,  0x7FF,
                                  0x800, 0xD7FF, 0xD800, 0xDBFF, 0xDC00, 0xDFFF, 0xE000, 0xFFFF};
    std::array<Unit, AsciiBlockUnits + 1> buffer{};
    const Unit* const block = buffer.data() + 1;
    for (int round = 0; round < 20000; ++round) {
        for (size_t i = 1; i <= AsciiBlockUnits; ++i) {
            uint32_t unit = random() % 0x80;
            if (random() % 8 == 0) unit = Picks[random() % std::size(Picks)];
            if (round % 4 == 0) unit = random() % 0x10000;  // anything
            buffer[i] = static_cast<Unit>(unit);
        }
        const Expected expected = Read(block);
        ASSERT_EQ(Helpers::IsAsciiBlock(block), expected.nonAscii == 0);
        ASSERT_EQ(Helpers::NonAsciiMask(block), expected.nonAscii);
        ASSERT_EQ(Helpers::AsciiPrefix(block), expected.asciiPrefix);
        if constexpr (sizeof(Unit) == 2) {
            ASSERT_EQ(Helpers::Utf8LengthOfBlock(block), expected.utf8Length);
            std::array<char, AsciiBlockUnits> narrow{};
            Helpers::NarrowBlock(block, narrow.data());
            for (int i = 0; i < expected.asciiPrefix; ++i) ASSERT_EQ(narrow[size_t(i)], block[i]);
        } else {
            std::array<char16_t, AsciiBlockUnits> wide{};
            Helpers::WidenBlock(block, wide.data());
            for (int i = 0; i < AsciiBlockUnits; ++i) ASSERT_EQ(wide[size_t(i)], block[i]);
        }
    }
}

TEST(AsciiBlocks, PortableFormReadsBlocksUnitByUnit) {
    CheckForm<kt::platform::PortableAsciiBlocks, uint8_t>("portable, bytes");
    CheckForm<kt::platform::PortableAsciiBlocks, char16_t>("portable, UTF-16 units");
}

TEST(AsciiBlocks, BuiltFormReadsBlocksUnitByUnit) {
    CheckForm<kt::platform::AsciiBlocks, uint8_t>("built, bytes");
    CheckForm<kt::platform::AsciiBlocks, char16_t>("built, UTF-16 units");
}

}  // namespace
