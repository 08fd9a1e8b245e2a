#include "tools/ktcat/po_layout.h"

#include <cstdint>
#include <vector>

#include "tools/ktcat/escape.h"

namespace kt::ktcat {

namespace {

// The line-breaking classes of Unicode's line-breaking algorithm (UAX #14) that decide where gettext may
// wrap a string. Characters outside the ranges below are taken as letters (AL).
enum Class : uint8_t {
    WJ,
    GL,
    B2,
    BA,
    BB,
    HY,
    CL,
    CP,
    EX,
    IN,
    NS,
    OP,
    QU,
    IS,
    NU,
    PO,
    PR,
    SY,
    AL,
    ID,
    SP,
    CM,
    ZW
};

// What the pair table says of a break between a character of one class and a following one: D breaks, I
// breaks only when spaces stand between them, P never breaks. A quotation mark holds to an opening
// bracket after it, also across spaces. Numbers ("64-Bit", "1.5", "(5)", "5%") hold
// together by the table, as in the gettext releases this layout matches (0.21 with libunistring 1.0).
constexpr const char* PairTable[] = {
    // after: WJ GL B2 BA BB HY CL CP EX IN NS OP QU IS NU PO PR SY AL ID
    "PIIIIIPPPIIIIPIIIPII",  // WJ
    "PIIIIIPPPIIIIPIIIPII",  // GL
    "PIPIDIPPPIIDIPDDDPDD",  // B2
    "PDDIDIPPPIIDIPDDDPDD",  // BA
    "PIIIIIPPPIIIIPIIIPII",  // BB
    "PDDIDIPPPIIDIPIDDPDD",  // HY
    "PIDIDIPPPIPDIPDIIPDD",  // CL
    "PIDIDIPPPIIDIPIIIPID",  // CP
    "PIDIDIPPPIIDIPDDDPDD",  // EX
    "PIDIDIPPPIIDIPDDDPDD",  // IN
    "PIDIDIPPPIIDIPDDDPDD",  // NS
    "PPPPPPPPPPPPPPPPPPPP",  // OP
    "PIIIIIPPPIIPIPIIIPII",  // QU
    "PIDIDIPPPIIDIPIDDPDD",  // IS
    "PIDIDIPPPIIIIPIIIPID",  // NU
    "PIDIDIPPPIIIIPIDDPID",  // PO
    "PIDIDIPPPIIIIPIDDPII",  // PR
    "PIDIDIPPPIIDIPIDDPDD",  // SY
    "PIDIDIPPPIIIIPIIIPID",  // AL
    "PIDIDIPPPIIDIPDIDPDD",  // ID
};

struct Range {
    uint32_t first, last;
    Class type;
};

// Classes of characters beyond ASCII (sorted).
constexpr Range NonAscii[] = {
    {0xA0, 0xA0, GL},       {0xA1, 0xA1, OP},     {0xA2, 0xA2, PO},       {0xA3, 0xA5, PR},
    {0xAB, 0xAB, QU},       {0xAD, 0xAD, BA},     {0xB0, 0xB0, PO},       {0xB1, 0xB1, PR},
    {0xB4, 0xB4, BB},       {0xBB, 0xBB, QU},     {0xBF, 0xBF, OP},       {0x300, 0x36F, CM},
    {0x1100, 0x115F, ID},   {0x200B, 0x200B, ZW}, {0x200C, 0x200F, CM},   {0x2010, 0x2010, BA},
    {0x2011, 0x2011, GL},   {0x2012, 0x2013, BA}, {0x2014, 0x2014, B2},   {0x2018, 0x2019, QU},
    {0x201A, 0x201A, OP},   {0x201B, 0x201D, QU}, {0x201E, 0x201E, OP},   {0x201F, 0x201F, QU},
    {0x2024, 0x2026, IN},   {0x202A, 0x202E, CM}, {0x2030, 0x2037, PO},   {0x2039, 0x203A, QU},
    {0x2060, 0x2060, WJ},   {0x2066, 0x2069, CM}, {0x20AC, 0x20AC, PR},   {0x2E80, 0xA4CF, ID},
    {0xAC00, 0xD7A3, ID},   {0xF900, 0xFAFF, ID}, {0xFE30, 0xFE4F, ID},   {0xFEFF, 0xFEFF, WJ},
    {0xFF01, 0xFF60, ID},   {0xFFE0, 0xFFE6, ID}, {0x1F300, 0x1F64F, ID}, {0x1F900, 0x1F9FF, ID},
    {0x20000, 0x3FFFD, ID},
};

Class ClassOf(uint32_t c) {
    switch (c) {
        case ' ':
            return SP;
        case '!':
        case '?':
            return EX;
        case '"':
        case '\'':
            return QU;
        case '$':
        case '+':
        case '\\':
            return PR;
        case '%':
            return PO;
        case '(':
        case '[':
        case '{':
            return OP;
        case ')':
        case ']':
            return CP;
        case '}':
            return CL;
        case ',':
        case '.':
        case ':':
        case ';':
            return IS;
        case '-':
            return HY;
        case '/':
            return SY;
        case '|':
            return BA;
        default:
            if (c >= '0' && c <= '9') return NU;
            if (c < 0x80) return AL;
    }
    for (const Range& range : NonAscii)
        if (c >= range.first && c <= range.last) return range.type;
    return AL;
}

// Columns, as gettext counts them: none for marks and format characters, two for wide ones.
int Width(Class type) {
    return type == CM || type == ZW || type == WJ ? 0 : type == ID ? 2 : 1;
}

uint32_t Decode(std::string_view text, size_t& at) {
    const auto lead = static_cast<unsigned char>(text[at++]);
    const int more = lead < 0xC0 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
    uint32_t c = more == 0 ? lead : lead & (0x3F >> more);
    for (int i = 0; i < more && at < text.size(); ++i)
        c = (c << 6) | (static_cast<unsigned char>(text[at++]) & 0x3F);
    return c;
}

// A character of a piece of a string as gettext wraps it: the escaped text, character by character, each
// escape as its characters ("\\n" is '\\' and 'n').
struct Character {
    std::string text;
    Class type;
    bool inEscape;  // after the backslash of an escape: never cut
    bool mayBreakBefore = false;
};

std::vector<Character> Characters(std::string_view utf8) {
    std::vector<Character> characters;
    for (const std::string& escaped : EscapedCharacters(utf8, CEscapes)) {
        for (size_t at = 0; at < escaped.size();) {
            const size_t start = at;
            const Class type = ClassOf(Decode(escaped, at));
            characters.push_back({escaped.substr(start, at - start), type, start > 0});
        }
    }
    return characters;
}

// Where a line may break before each character: the pair table, with spaces and marks as UAX #14 treats
// them; never inside an escape, nor before the "\n" that ends a piece.
void MarkBreaks(std::vector<Character>& piece) {
    Class last = WJ;
    bool started = false, space = false;  // started: a character other than a space was seen
    for (Character& character : piece) {
        if (character.type == SP) {
            space = true;
            continue;
        }
        if (character.type == CM) {
            // A mark goes with what it follows; after a space it starts a letter of its own.
            character.mayBreakBefore = started && (space || last == ZW);
            if (!started || space || last == ZW) last = AL;
        } else {
            if (started && character.type != ZW) {
                const char rule = last == ZW ? 'D' : PairTable[last][character.type];
                character.mayBreakBefore = rule == 'D' || (rule == 'I' && space);
                // gettext wants a break before the '<' of "</P>" after a full stop.
                if (last == IS && character.text == "<") character.mayBreakBefore = true;
            }
            last = character.type;
        }
        started = true;
        space = false;
        if (character.inEscape) character.mayBreakBefore = false;
    }
    if (piece.size() >= 2 && piece.back().text == "n" && piece.back().inEscape)
        piece[piece.size() - 2].mayBreakBefore = false;
}

}  // namespace

std::string PoString(std::string_view keyword, std::string_view utf8, size_t width) {
    // The pieces: each ends after a line feed; an empty string is one empty piece.
    std::vector<std::string_view> pieces;
    for (size_t start = 0; start < utf8.size();) {
        const size_t end = std::min(utf8.find('\n', start), utf8.size() - 1) + 1;
        pieces.push_back(utf8.substr(start, end - start));
        start = end;
    }
    if (pieces.empty()) pieces.emplace_back();
    // Room for the content of a line between its quotes; a wrapped piece starts at column 0 of it.
    const int64_t room = width == 0 ? INT64_MAX / 2 : static_cast<int64_t>(width) - 2;
    std::string out(keyword);
    bool firstLine = true;
    for (size_t p = 0; p < pieces.size(); ++p) {
        std::vector<Character> piece = Characters(pieces[p]);
        MarkBreaks(piece);
        // Where breaks are taken: at the last opportunity before a line would overflow.
        auto layout = [&piece, room](int64_t startColumn) {
            std::vector<bool> breaks(piece.size());
            int64_t column = startColumn, pieceWidth = 0;
            size_t lastOpportunity = piece.size();
            for (size_t i = 0; i < piece.size(); ++i) {
                if (piece[i].mayBreakBefore) {
                    if (lastOpportunity < piece.size() && column + pieceWidth > room) {
                        breaks[lastOpportunity] = true;
                        column = 0;
                    }
                    lastOpportunity = i;
                    column += pieceWidth;
                    pieceWidth = 0;
                }
                pieceWidth += Width(piece[i].type);
            }
            if (lastOpportunity < piece.size() && column + pieceWidth > room) breaks[lastOpportunity] = true;
            return breaks;
        };
        std::vector<bool> breaks = layout(firstLine ? static_cast<int64_t>(keyword.size()) + 1 : 0);
        bool anyBreak = false;
        for (bool taken : breaks) anyBreak = anyBreak || taken;
        if (firstLine && (p + 1 < pieces.size() || anyBreak)) {
            out += " \"\"\n";
            firstLine = false;
            breaks = layout(0);
        }
        out += firstLine ? " \"" : "\"";
        firstLine = false;
        for (size_t i = 0; i < piece.size(); ++i) {
            if (breaks[i]) out += "\"\n\"";
            out += piece[i].text;
        }
        out += "\"\n";
    }
    return out;
}

}  // namespace kt::ktcat
