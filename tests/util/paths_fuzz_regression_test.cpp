// Path cases found by fuzz/paths_fuzz.cpp.
#include <gtest/gtest.h>

#include <string>

#include "text/util/paths.h"

namespace {

template <class Char>
std::basic_string<Char> Collapse(const char* path, bool dots, bool parents) {
    std::basic_string<Char> buffer(path, path + std::char_traits<char>::length(path));
    buffer.resize(static_cast<size_t>(kt::CollapsePathSegments(buffer.data(), dots, parents)));
    return buffer;
}

template <class Char>
std::basic_string<Char> Text(const char* ascii) {
    return std::basic_string<Char>(ascii, ascii + std::char_traits<char>::length(ascii));
}

template <class Char>
class PathsFuzzRegression : public ::testing::Test {};
using Widths = ::testing::Types<char, char16_t>;
TYPED_TEST_SUITE(PathsFuzzRegression, Widths);

// A leading ".\" step followed by more separators once left a root behind: ".//./a" became the rooted "/a",
// and collapsing that again treated ".." at its start as rooted too.
TYPED_TEST(PathsFuzzRegression, LeadingDotStepWithSeparatorRunStaysRelative) {
    using Char = TypeParam;
    for (bool parents : {false, true}) {
        EXPECT_EQ(Collapse<Char>(".//./a", true, parents), Text<Char>("a"));
        EXPECT_EQ(Collapse<Char>(".\\\\\\x\\y", false, parents), Text<Char>("x\\y"));
        EXPECT_EQ(Collapse<Char>("./\\../b", true, parents), Text<Char>("../b"));
    }
    // The text the fuzzer reported: ".../" is a name and the first segment, the ".." behind it stay (the
    // path is not rooted, and the second follows a ".."), ".x." goes with the last "..". Collapsing it again
    // changes nothing.
    const auto once = Collapse<Char>(".//./././././.../../..//b.././.x./..", true, true);
    EXPECT_EQ(once, Text<Char>(".../../../b.."));
    EXPECT_EQ(Collapse<Char>(".../../../b..", true, true), once);
}

}  // namespace
