// The width-generic cores of the path and URL operations. They build their results in standard strings
// (paths are short) except PercentEscape, which writes straight into the result's block.
#include "text/util/paths.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <string>
#include <string_view>

#include "text/util/utf8_reading.h"

namespace kt {

namespace {

template <class Char>
using Text = std::basic_string<Char>;
template <class Char>
using View = std::basic_string_view<Char>;

template <class Char>
constinit std::atomic<PathHandler<Char>*> installedHandler{nullptr};

// An ASCII literal in the width's units.
template <class Char>
Text<Char> Ascii(const char* text) {
    return Text<Char>(text, text + std::strlen(text));
}

template <class Char>
View<Char> ViewOf(const Char* text) {
    return text == nullptr ? View<Char>() : View<Char>(text);
}

template <class Char>
View<Char> WithoutLeadingWhitespace(View<Char> text) {
    size_t start = 0;
    while (start < text.size() && IsWhitespace(static_cast<uint32_t>(text[start]))) ++start;
    return text.substr(start);
}

// ASCII prefix test, with or without ASCII case folding.
template <class Char>
bool StartsWithAscii(View<Char> text, const char* prefix, bool ignoreCase) {
    const size_t length = std::strlen(prefix);
    if (text.size() < length) return false;
    for (size_t i = 0; i < length; ++i) {
        uint32_t c = static_cast<uint32_t>(text[i]);
        if (ignoreCase && c >= 'A' && c <= 'Z') c += 'a' - 'A';
        if (c != static_cast<unsigned char>(prefix[i])) return false;
    }
    return true;
}

template <class Char>
size_t FindLastSeparator(View<Char> text) {
    for (size_t i = text.size(); i-- > 0;)
        if (ops::IsSeparator(text[i])) return i;
    return View<Char>::npos;
}

template <class Char>
KTString<Char> ToKT(const Text<Char>& text) {
    return KTString<Char>(text.data(), static_cast<int32_t>(text.size()));
}

// A URL: without a handler a text holding "://", with one a text it does not call a local path.
template <class Char>
bool IsUrl(const Text<Char>& text) {
    if (PathHandler<Char>* handler = CurrentPathHandler<Char>()) return !handler->IsLocalPath(text.c_str());
    return text.find(Ascii<Char>("://")) != Text<Char>::npos;
}

template <class Char>
Text<Char> Unescaped(const Text<Char>& text) {
    KTString<Char> work(text.c_str());
    PercentUnescape(work);
    return Text<Char>(work.ToView());
}

template <class Char>
void ReplaceUnits(Text<Char>& text, Char from, Char to) {
    for (Char& c : text)
        if (c == from) c = to;
}

// Bits of the escape table: escaped in every mode, from mode 1 on, in mode 2 only.
constexpr uint8_t EscapeAlways = 1, EscapeReserved = 2, EscapeBackslash = 4;

constexpr std::array<uint8_t, 256> BuildEscapeTable() {
    std::array<uint8_t, 256> table{};
    for (int b = 0; b < 256; ++b)
        if (b < 33 || b > 126) table[b] = EscapeAlways;
    for (char c : std::string_view("\"%<>^`{|}")) table[static_cast<unsigned char>(c)] = EscapeAlways;
    for (char c : std::string_view("#;/?:@&=+$,")) table[static_cast<unsigned char>(c)] = EscapeReserved;
    table['\\'] = EscapeBackslash;
    return table;
}

// What escaping writes for each byte in each mode (0, 1, 2): three units in the low three bytes, "%XX" or
// the byte itself followed by two that the next byte writes over, and in the top byte how many of them
// count (3 or 1).
using EscapeCodeTable = std::array<uint32_t, 256>;
constexpr std::array<EscapeCodeTable, 3> BuildEscapeCodes() {
    constexpr std::array<uint8_t, 256> table = BuildEscapeTable();
    constexpr uint8_t masks[] = {EscapeAlways, EscapeAlways | EscapeReserved,
                                 EscapeAlways | EscapeReserved | EscapeBackslash};
    constexpr char hex[] = "0123456789ABCDEF";
    std::array<EscapeCodeTable, 3> codes{};
    for (int mode = 0; mode < 3; ++mode)
        for (uint32_t b = 0; b < 256; ++b) {
            const bool escape = (table[b] & masks[mode]) != 0;
            const auto high = static_cast<uint32_t>(hex[b >> 4]), low = static_cast<uint32_t>(hex[b & 15]);
            const uint32_t tail = high << 8 | low << 16;
            codes[static_cast<size_t>(mode)][b] =
                escape ? uint32_t{'%'} | tail | 3u << 24 : b | tail | 1u << 24;
        }
    return codes;
}
constexpr std::array<EscapeCodeTable, 3> EscapeCodes = BuildEscapeCodes();

// The codes of a mode: 1 and 2 as they are, any other value as 0.
const EscapeCodeTable& EscapeCodesOf(int mode) {
    return EscapeCodes[mode == 1 || mode == 2 ? static_cast<size_t>(mode) : 0];
}

template <class Char>
bool NeedsEscape(Char unit, const EscapeCodeTable& codes) {
    const auto value = static_cast<uint32_t>(static_cast<std::make_unsigned_t<Char>>(unit));
    return value > 0xFF || codes[value] >> 24 != 1;
}

constexpr int HexValue(uint32_t c) {
    return c >= '0' && c <= '9'   ? static_cast<int>(c - '0')
           : c >= 'a' && c <= 'f' ? static_cast<int>(c - 'a' + 10)
           : c >= 'A' && c <= 'F' ? static_cast<int>(c - 'A' + 10)
                                  : -1;
}

template <class Char>
uint32_t UnitValue(Char c) {
    return static_cast<std::make_unsigned_t<Char>>(c);
}

// Lower-cases ASCII letters and turns "\" into "/": the form in which MakeRelativePath compares.
template <class Char>
Text<Char> ComparisonForm(View<Char> text) {
    Text<Char> out(text);
    for (Char& c : out) {
        if (c >= Char('A') && c <= Char('Z'))
            c = static_cast<Char>(c + ('a' - 'A'));
        else if (c == Char('\\'))
            c = Char('/');
    }
    return out;
}

template <class Char>
void EnsureTrailingSeparatorOf(Text<Char>& text) {
    int32_t length = 0;
    const Char separator = ops::TrailingSeparatorNeeded(text.c_str(), length);
    text.resize(static_cast<size_t>(length));
    if (separator != 0) text.push_back(separator);
}

}  // namespace

template <class Char>
PathHandler<Char>* SetPathHandler(PathHandler<Char>* handler) {
    installedHandler<Char>.store(handler, std::memory_order_release);
    return handler;
}

template <class Char>
PathHandler<Char>* CurrentPathHandler() {
    return installedHandler<Char>.load(std::memory_order_acquire);
}

template <class Char>
bool IsRelativePath(KTTextPiece<Char> text) {
    const View<Char> view = text.View();
    if (view.empty() || view.find(Char(':')) != View<Char>::npos) return false;
    return !(view.size() >= 2 && ops::IsSeparator(view[0]) && ops::IsSeparator(view[1]));
}

template <class Char>
const Char* InvalidFileNameCharacters() {
    static const std::array<Char, 12> set = [] {
        std::array<Char, 12> characters{};
        const std::string_view base = "\\/:*?\"<>|";
        size_t at = 0;
        for (char c : base) characters[at++] = static_cast<Char>(c);
        characters[at++] = Char('\r');  // the nine of the file system, and the line breaks
        characters[at] = Char('\n');
        return characters;
    }();
    return set.data();
}

template <class Char>
bool IsValidFileName(const Char* name) {
    if (name == nullptr || name[0] == 0) return false;
    const Char* invalid = InvalidFileNameCharacters<Char>();
    int32_t characters = 0;
    int32_t firstDot = -1;
    bool onlyDots = true;
    for (const Char* p = name; *p != 0; ++characters) {
        if (characters == 260) return false;
        // A malformed sequence must not hide a "/" or ":" after it.
        const uint32_t c = ops::NextCharacterSparingAscii(p);
        if (c == '.') {
            if (firstDot < 0) firstDot = characters;
            continue;
        }
        onlyDots = false;
        if (c < 0x80 && std::char_traits<Char>::find(invalid, 11, static_cast<Char>(c)) != nullptr)
            return false;
    }
    if (onlyDots) return false;
    const int32_t baseLength = firstDot >= 1 ? firstDot : characters;
    // Device names are ASCII, so a base of that many characters matches only when its units are ASCII.
    auto baseIs = [&](const char* device, int32_t length) {
        for (int32_t i = 0; i < length; ++i) {
            uint32_t c = UnitValue(name[i]);
            if (c >= 'a' && c <= 'z') c -= 'a' - 'A';
            if (c != static_cast<unsigned char>(device[i])) return false;
        }
        return true;
    };
    switch (baseLength) {
        case 3:
            return !(baseIs("CON", 3) || baseIs("PRN", 3) || baseIs("NUL", 3) || baseIs("AUX", 3));
        case 4:
            return !(name[3] >= Char('1') && name[3] <= Char('9') && (baseIs("COM", 3) || baseIs("LPT", 3)));
        case 6:
            return !baseIs("CLOCK$", 6);
        default:
            return true;
    }
}

template <class Char>
int32_t CollapsePathSegments(Char* buffer, bool removeDotSegments, bool resolveParentSegments) {
    if (buffer == nullptr) return 0;
    int32_t length = static_cast<int32_t>(std::char_traits<Char>::length(buffer));
    int32_t start = 0;
    bool prefixed = false;
    if (const Char* colon = std::char_traits<Char>::find(buffer, static_cast<size_t>(length), Char(':'))) {
        start = static_cast<int32_t>(colon - buffer) + 1;
        prefixed = true;
    }
    bool rooted = false;
    if (start < length && ops::IsSeparator(buffer[start])) {
        rooted = true;
        if (start + 1 < length && ops::IsSeparator(buffer[start + 1])) start += 2;  // UNC or authority
    }
    if (!prefixed && !rooted) {  // ".\" steps at the start say nothing
        int32_t skip = 0;
        while (skip + 1 < length && buffer[skip] == Char('.') && ops::IsSeparator(buffer[skip + 1])) {
            skip += 2;
            // A run of separators after the step goes with it: ".\\x" must not become the rooted "\x".
            while (skip < length && ops::IsSeparator(buffer[skip])) ++skip;
        }
        if (skip > 0) {
            std::memmove(buffer, buffer + skip, (static_cast<size_t>(length - skip) + 1) * sizeof(Char));
            length -= skip;
        }
    }
    int32_t floor = start;  // the first name (drive root, server, host, first segment) is kept
    while (floor < length && !ops::IsSeparator(buffer[floor])) ++floor;
    if (floor >= length) return length;

    auto isDot = [&](int32_t at, int32_t count) {
        return (count == 1 && buffer[at] == Char('.')) ||
               (count == 2 && buffer[at] == Char('.') && buffer[at + 1] == Char('.'));
    };
    int32_t write = floor;
    for (int32_t read = floor; read < length;) {  // `read` is always at a separator
        if (read + 1 < length && ops::IsSeparator(buffer[read + 1])) {
            ++read;  // a run of separators keeps its last one
            continue;
        }
        int32_t end = read + 1;
        while (end < length && !ops::IsSeparator(buffer[end])) ++end;
        const int32_t nameLength = end - read - 1;
        if (removeDotSegments && nameLength == 1 && buffer[read + 1] == Char('.')) {
            read = end;
            continue;
        }
        if (resolveParentSegments && nameLength == 2 && isDot(read + 1, 2)) {
            if (write > floor) {
                int32_t last = write - 1;
                while (!ops::IsSeparator(buffer[last]))
                    --last;  // stops at the floor's separator at the latest
                if (!isDot(last + 1, write - last - 1)) {
                    write = last;
                    read = end;
                    continue;
                }
            } else if (rooted) {
                read = end;
                continue;
            }
        }
        std::memmove(buffer + write, buffer + read, static_cast<size_t>(end - read) * sizeof(Char));
        write += end - read;
        read = end;
    }
    if (write == floor) write = floor + 1;  // the root itself stays: D:\.. gives D:\ .
    buffer[write] = 0;
    return write;
}

namespace ops {

template <class Char>
bool PercentEscape(const Char* text, int mode, KTString<Char>& out) {
    const EscapeCodeTable& codes = EscapeCodesOf(mode);
    const View<Char> view = ViewOf(text);
    size_t first = 0;
    while (first < view.size() && !NeedsEscape(view[first], codes)) ++first;
    if (first == view.size()) return false;  // any unit above 126 needs escaping, so no bytes to look at

    const char* bytes;
    int32_t count;
    KTUtf8Buffer utf8(nullptr);
    if constexpr (std::is_same_v<Char, char>) {
        bytes = view.data();
        count = static_cast<int32_t>(view.size());
    } else {
        utf8 = KTUtf8Buffer(text);
        bytes = utf8.Data();
        count = utf8.Size() > 0 ? utf8.Size() - 1 : 0;
    }
    // The result is measured first and allocated at its exact size: reserving three units for each byte up
    // front, the simplest bound, costs a large block to fetch and fill for text with few escapes. The bytes
    // before `first` (8-bit) need no escape.
    const int32_t plain = std::is_same_v<Char, char> ? static_cast<int32_t>(first) : 0;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes) + plain;
    const auto* end = reinterpret_cast<const unsigned char*>(bytes) + count;
    int64_t length = plain;
    for (const unsigned char* q = p; q < end; ++q) length += codes[*q] >> 24;
    if (length > ToEnd) detail::ThrowTooLong();
    out.Reserve(static_cast<int32_t>(length), 0);
    Char* write = std::copy(bytes, bytes + plain, out.Data());
    // Without a branch on the byte, whose outcome in text is as good as random: every byte writes its three
    // units and moves on by the count of them. Before any but the last byte at least two units of the
    // result (or the terminator's) lie ahead; the last one writes only what counts.
    const auto writeCode = [&write](uint32_t code, uint32_t units) {
        for (uint32_t i = 0; i < units; ++i) write[i] = static_cast<Char>((code >> (8 * i)) & 0xFF);
        write += code >> 24;
    };
    if (p < end) {
        for (; p < end - 1; ++p) writeCode(codes[*p], 3);
        writeCode(codes[*p], codes[*p] >> 24);
    }
    out._SetStringEnd(static_cast<int32_t>(write - out.Data()));
    return true;
}

template <class Char>
int32_t PercentUnescapeBytes(const Char* text, int32_t count, char* out) {
    int32_t write = 0;
    for (int32_t read = 0; read < count;) {
        const uint32_t c = UnitValue(text[read]);
        if (c != '%') {
            ++read;
            if (c < 0x100) out[write++] = static_cast<char>(c);  // 16-bit: only what fits a byte
            continue;
        }
        if (read + 1 == count) {  // a "%" at the very end
            out[write++] = '%';
            break;
        }
        const uint32_t next = UnitValue(text[read + 1]);
        if (next == '%') {
            out[write++] = '%';
            read += 2;
            continue;
        }
        const int high = HexValue(next);
        if (high < 0) {
            read += 2;  // "%" and the non-digit
            continue;
        }
        if (read + 2 == count) break;  // "%" and one digit at the end
        const int low = HexValue(UnitValue(text[read + 2]));
        if (low >= 0) out[write++] = static_cast<char>(high * 16 + low);
        read += 3;
    }
    return write;
}

template <class Char>
KTString<Char> PathToFileUrl(const Char* text) {
    const View<Char> trimmed = WithoutLeadingWhitespace(ViewOf(text));
    if (trimmed.empty()) return KTString<Char>();
    Text<Char> url(trimmed);
    if (IsRelativePath(KTTextPiece<Char>(trimmed)) || IsUrl(url) || StartsWithAscii(trimmed, "file:", true)) {
        url = Unescaped(url);  // escapes already present are not escaped twice
    } else if (trimmed.size() >= 2 && trimmed[0] == Char('\\') && trimmed[1] == Char('\\')) {
        url = Ascii<Char>("file://").append(trimmed.substr(2));
        bool separatorFollows = false;
        for (size_t i = 7; i < url.size(); ++i) separatorFollows = separatorFollows || IsSeparator(url[i]);
        if (!separatorFollows) url.push_back(Char('/'));  // \\server alone names the server's root
    } else {
        url = Ascii<Char>("file:///").append(trimmed);
    }
    KTString<Char> escaped;
    if (!PercentEscape(url.c_str(), 0, escaped)) escaped = ToKT(url);
    Char* data = escaped.Data();
    for (int32_t i = 0, n = escaped.Length(); i < n; ++i)
        if (data[i] == Char('\\')) data[i] = Char('/');
    return escaped;
}

template <class Char>
KTString<Char> FileUrlToPath(const Char* text) {
    const View<Char> url = WithoutLeadingWhitespace(ViewOf(text));
    if (!StartsWithAscii(url, "file:", false)) return ToKT(Text<Char>(url));
    size_t cut = 5;
    if (url.size() > 7 && url[5] == Char('/') && url[6] == Char('/')) {
        size_t afterHost = 7;
        if constexpr (std::is_same_v<Char, char>)
            afterHost += static_cast<size_t>(detail::CharacterUnits(url.data() + 7));
        else
            afterHost += 1;
        if (url[7] == Char('/'))
            cut = 8;  // file:///D:/x
        else if (afterHost < url.size() && url[afterHost] == Char(':'))
            cut = 7;  // file://D:/x
        else if (url[7] == Char('\\'))
            cut = url.size() > 8 && url[8] == Char('\\') ? 7 : 8;
    }
    Text<Char> path = Unescaped(Text<Char>(url.substr(cut)));
    ReplaceUnits(path, Char('/'), Char('\\'));
    return ToKT(path);
}

template <class Char>
int32_t FindExtensionUnits(const Char* text, int32_t count) {
    for (int32_t i = count; i-- > 0;) {
        const Char c = text[i];
        if (c == Char('.')) return i;
        if (c == Char(' ') || c == Char('#') || c == Char('%') || c == Char(';') || IsSeparator(c)) return -1;
    }
    return -1;
}

template <class Char>
bool MakeAbsolutePath(KTTextPiece<Char> path, KTTextPiece<Char> base, KTTextPiece<Char> fallbackBase,
                      bool removeDotSegments, bool resolveParentSegments, KTString<Char>& out) {
    const View<Char> relative = path.View();
    if (!IsRelativePath(path)) return false;
    Text<Char> directory(base.View());
    if (PathHandler<Char>* handler = CurrentPathHandler<Char>()) {
        KTString<Char> adjusted = ToKT(directory);
        handler->AdjustBase(adjusted);
        directory.assign(adjusted.ToView());
    }
    if (directory.empty()) {
        directory.assign(fallbackBase.View());
        if (directory.empty() || !IsSeparator(directory.back())) directory.push_back(Char('\\'));
    } else if (const size_t last = FindLastSeparator(View<Char>(directory)); last != View<Char>::npos) {
        // "scheme://host" has no path to cut back to: it becomes "scheme://host/".
        if (directory[last] == Char('/') && last >= 2 && directory[last - 1] == Char('/') &&
            directory[last - 2] == Char(':'))
            directory.push_back(Char('/'));
        else
            directory.resize(last + 1);
    }  // a base without any separator is used whole

    Text<Char> result;
    if (IsSeparator(relative[0])) {
        if (const size_t scheme = directory.find(Ascii<Char>("://")); scheme != Text<Char>::npos) {
            const size_t pathStart = directory.find(Char('/'), scheme + 3);
            if (pathStart != Text<Char>::npos)
                result = directory.substr(0, pathStart).append(relative);
            else
                result = directory.append(relative.substr(1));
            ReplaceUnits(result, Char('\\'), Char('/'));
        } else if (const size_t colon = directory.find(Char(':')); colon != Text<Char>::npos) {
            result = directory.substr(0, colon + 1).append(relative);
        } else {
            result.assign(relative);
        }
    } else {
        result = directory.append(relative);
    }
    if (removeDotSegments || resolveParentSegments)
        result.resize(static_cast<size_t>(
            CollapsePathSegments(result.data(), removeDotSegments, resolveParentSegments)));
    out = ToKT(result);
    return true;
}

template <class Char>
bool MakeRelativePath(KTTextPiece<Char> path, KTTextPiece<Char> base, KTTextPiece<Char> fallbackBase,
                      bool allowParentSteps, bool pathIsDirectory, KTString<Char>& out) {
    const View<Char> original = path.View();
    Text<Char> directory;
    if (base.IsEmpty()) {
        directory.assign(fallbackBase.View());
        EnsureTrailingSeparatorOf(directory);
    } else if (const size_t last = FindLastSeparator(base.View()); last != View<Char>::npos) {
        directory.assign(base.View().substr(0, last + 1));
    }
    Text<Char> target(original);
    if (pathIsDirectory) EnsureTrailingSeparatorOf(target);
    const Text<Char> baseForm = ComparisonForm(View<Char>(directory));
    const Text<Char> pathForm = ComparisonForm(View<Char>(target));

    if (pathForm.starts_with(baseForm)) {
        if (pathIsDirectory && pathForm.size() <= baseForm.size()) {
            out = ToKT(Ascii<Char>("."));
            return true;
        }
        if (directory.empty()) return false;
        out = ToKT(Text<Char>(original.substr(std::min(directory.size(), original.size()))));
        return true;
    }
    if (!allowParentSteps) return false;
    bool drive = false;
    size_t commonSeparator = Text<Char>::npos;
    for (size_t i = 0; i < baseForm.size() && i < pathForm.size() && baseForm[i] == pathForm[i]; ++i) {
        if (baseForm[i] == Char(':')) {
            if (i != 1) return false;  // a scheme, not a drive
            drive = true;
        } else if (drive && baseForm[i] == Char('/')) {
            commonSeparator = i;
        }
    }
    if (commonSeparator == Text<Char>::npos) return false;
    Text<Char> result;
    for (size_t i = commonSeparator + 1; i < baseForm.size(); ++i)
        if (baseForm[i] == Char('/')) result.append(Ascii<Char>("..\\"));
    result.append(original.substr(std::min(commonSeparator + 1, original.size())));
    out = ToKT(result);
    return true;
}

template <class Char>
Char TrailingSeparatorNeeded(const Char* text, int32_t& length) {
    const View<Char> view = ViewOf(text);
    size_t end = view.size();
    while (end > 0 && IsWhitespace(static_cast<uint32_t>(view[end - 1]))) --end;
    length = static_cast<int32_t>(end);
    if (end == 0 || IsSeparator(view[end - 1])) return 0;
    return view.substr(0, end).find(Char('\\')) != View<Char>::npos ? Char('\\') : Char('/');
}

}  // namespace ops

#define KT_INSTANTIATE(Char)                                                                                 \
    template PathHandler<Char>* SetPathHandler(PathHandler<Char>*);                                          \
    template PathHandler<Char>* CurrentPathHandler();                                                        \
    template bool IsRelativePath(KTTextPiece<Char>);                                                         \
    template const Char* InvalidFileNameCharacters();                                                        \
    template bool IsValidFileName(const Char*);                                                              \
    template int32_t CollapsePathSegments(Char*, bool, bool);                                                \
    template bool ops::PercentEscape(const Char*, int, KTString<Char>&);                                     \
    template int32_t ops::PercentUnescapeBytes(const Char*, int32_t, char*);                                 \
    template KTString<Char> ops::PathToFileUrl(const Char*);                                                 \
    template KTString<Char> ops::FileUrlToPath(const Char*);                                                 \
    template int32_t ops::FindExtensionUnits(const Char*, int32_t);                                          \
    template bool ops::MakeAbsolutePath(KTTextPiece<Char>, KTTextPiece<Char>, KTTextPiece<Char>, bool, bool, \
                                        KTString<Char>&);                                                    \
    template bool ops::MakeRelativePath(KTTextPiece<Char>, KTTextPiece<Char>, KTTextPiece<Char>, bool, bool, \
                                        KTString<Char>&);                                                    \
    template Char ops::TrailingSeparatorNeeded(const Char*, int32_t&);
KT_INSTANTIATE(char)
KT_INSTANTIATE(char16_t)
#undef KT_INSTANTIATE

}  // namespace kt
