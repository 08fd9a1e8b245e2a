// Uses the installed text library through its umbrella header: strings, case mapping (the Unicode tables and
// the platform layer), a pattern match and a path conversion, so that a header or an object missing from the
// installed tree fails to compile or link.
#include <cstdio>

#include "text/text.h"

int main() {
    kt::KTString<char16_t> word(u"über");
    kt::MakeUpper(word);
    kt::CharSubstitution<char16_t> none;
    const bool matches = kt::MatchesRegex(word, u"ÜB.*R", none);
    const kt::KTString<char> url = kt::PathToFileUrl("C:\\a b");
    std::printf("%s %s %s\n", kt::ToUtf8(word).Data(), matches ? "matches" : "differs", url.Data());
}
