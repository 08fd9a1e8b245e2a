// The platform layer: every operating-system or C run-time service the text library and the
// catalogue module use, in the shape their callers need. platform/posix/ implements it here.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <string>

namespace kt::platform {

// Filled in as the library's areas come to need operating-system services.

// --- 16-bit case mapping (the C run-time's _wcsicmp and _wcslwr_s) ------------------------------------
// Both map each code point (a surrogate pair counts as one) with the Unicode 6.0 simple lower-case
// mapping; an unpaired surrogate stays as it is. Defined inline (platform/posix/case16.h), so that only
// their callers need the case table of the text library at link time. On Windows they are the C run-time's
// own (platform/windows/case16.h), which maps unit by unit in its current locale.

// Compares two zero-terminated UTF-16 texts ignoring case: negative, zero or positive as the lower-cased
// left text orders before, equal to or after the lower-cased right one, in code unit order.
inline int CompareNoCase16(const char16_t* left, const char16_t* right) noexcept;

// Lower-cases `text` in place: its first `count` units, or up to its terminator if that comes first.
inline void ToLower16(char16_t* text, size_t count) noexcept;
// Upper-cases `text` in place in the same way (the C run-time's _wcsupr_s).
inline void ToUpper16(char16_t* text, size_t count) noexcept;
// The simple upper-case mapping of one code unit (the C run-time's towupper); a unit whose mapping lies
// outside the Basic Multilingual Plane stays as it is.
inline char16_t ToUpperUnit16(char16_t unit) noexcept;

// --- loadable modules (dlopen, dlsym, dlclose) ---------------------------------------------------------

// Loads the module at `path` and runs its start-up; null with `*error` set (when given) on failure.
void* LoadModule(const char* path, std::string* error);
// The address of the module's exported symbol `name`, or null.
void* ModuleSymbol(void* module, const char* name);
// Drops one reference to the module; at the last one its exit list runs and it is unmapped.
bool UnloadModule(void* module, std::string* error);
// Whether the module at `path` is loaded in this process now, without loading it.
bool IsModuleLoaded(const char* path);
// How a trial load in a child process ended.
struct TrialLoadResult {
    bool tried = false;  // false where this system has no such processes (Windows), or none could start
    int signal = 0;      // the signal that ended the child, or 0
    int exitCode = 0;    // the code the child ended with (the loader ends a process whose file it rejects)
};
// Loads the module at `path` in a child process, runs `exercise` on it there (when given and the load
// worked), unloads it and ends the child normally (exit handlers run), so that a loader or a module that crashes on a damaged file takes
// down only the child. The child ends with code 0 when nothing crashed, whether or not the module loaded.
TrialLoadResult TrialLoadModule(const char* path, void (*exercise)(void* module));
// The directory of the running program, without a trailing separator; empty when unknown.
std::string ExecutableDirectory();

// --- bounded printf (the C run-time's _vsnprintf_s and _vsnwprintf_s, _vscprintf and _vscwprintf) -------
// Results besides a length: the output plus terminator does not fit the buffer (so a larger one helps), or
// the formatter rejects the format (no buffer helps): an invalid or incomplete conversion, a null format,
// or output the C library cannot make or that exceeds INT_MAX units.
inline constexpr int FormatTooSmall = -1;
inline constexpr int FormatInvalid = -2;

// `capacity` is the size of `buffer` in units, terminator included: at most `capacity` units are written,
// so the longest result that fits has capacity - 1 units. A string with room for n units plus its
// terminator, formatting at most n units, passes n + 1.
// Returns the number of units written without the terminator, FormatTooSmall or FormatInvalid; on failure
// the buffer is terminated at its start if capacity > 0. A null `buffer` asks for the size: the result is
// the number of units the output needs without the terminator (a number of more than 255 bytes counts a
// unit per byte, which is exact for the ASCII digits of every usual locale and never too few), or
// FormatInvalid.
// Conversions: d i u o x X c s p f F e E g G a A and %%, with the flags - + space # 0, width and precision
// (digits or *), and the length modifiers hh h l ll z j t L where C allows them (and h and l for c and s).
// Numbers are formatted by the C library (so in the current locale's conventions). %s and %ls take
// const char16_t*, %c and %lc a char16_t passed as int; %hs takes UTF-8 (const char*; an ill-formed
// sequence becomes U+FFFD) and %hc a char passed as int, read as Latin-1. A null string prints "(null)".
// Width and precision of a string count 16-bit units: %s stops after exactly `precision` units, %hs before
// the first character that would pass them. %n is not supported (FormatInvalid).
int FormatBounded16(char16_t* buffer, size_t capacity, const char16_t* format, ...);
// The same with the arguments in a va_list. It has its own name because an overload taking va_list would
// be chosen for a literal 0 among the variadic arguments (0 converts to the pointer va_list decays to).
int FormatBounded16V(char16_t* buffer, size_t capacity, const char16_t* format, va_list args);
// The 8-bit form, with the same results: the C library's vsnprintf, taking the same conversions as the
// 16-bit form (%s, %hs: const char*; %ls: const wchar_t*; %c, %hc: a char passed as int; %lc: a wint_t);
// every other format is FormatInvalid, as in the 16-bit form.
int FormatBounded8V(char* buffer, size_t capacity, const char* format, va_list args);

// --- the UTF-8 code-page converter pair (MultiByteToWideChar and WideCharToMultiByte, code page 65001,
// no flags) --------------------------------------------------------------------------------------------
// `count` is the length of `text` in its own units; a negative count takes the text up to and including
// its terminator (which is then converted and counted too). With a null `out` or an `outCapacity` of 0
// the result is the number of units the conversion needs; otherwise the text is converted into `out` and
// the result is the number of units written. The result is 0 on failure: a null text, a count of 0, a
// result that does not fit `outCapacity` (nothing useful is left in `out` then) or one above 0x7FFFFFFF.
// Ill-formed UTF-8 becomes one U+FFFD per maximal subpart (the longest start of a well-formed sequence,
// else a single byte); an unpaired surrogate becomes U+FFFD (EF BF BD). The conversion writes whole blocks
// of 16 units where room allows, so units of `out` behind the result (within `outCapacity`) may change.
int32_t Utf8ToUtf16(const char* text, int32_t count, char16_t* out, int32_t outCapacity) noexcept;
int32_t Utf16ToUtf8(const char16_t* text, int32_t count, char* out, int32_t outCapacity) noexcept;

// --- locale items (GetLocaleInfoW) ----------------------------------------------------------------------
// Locale identifiers: the user's default locale, and the invariant one (the C library's "C" locale). Other
// identifiers are Windows language identifiers such as 0x0407 (de-DE) or 0x0409 (en-US); those the C
// library has no locale for are unknown.
inline constexpr uint32_t LocaleUserDefault = 0x0400;
inline constexpr uint32_t LocaleSystemDefault = 0x0800;
inline constexpr uint32_t LocaleInvariant = 0x007F;

// The items answered, with the numbers callers of GetLocaleInfoW know them by. Language and country names
// are English; the invariant locale calls itself "Invariant Language" and "Invariant Country".
enum LocaleItem : uint32_t {
    LocaleLanguageName = 0x0002,         // LOCALE_SLANGUAGE
    LocaleNativeLanguageName = 0x0004,   // LOCALE_SNATIVELANGNAME
    LocaleCountryName = 0x0006,          // LOCALE_SCOUNTRY
    LocaleNativeCountryName = 0x0008,    // LOCALE_SNATIVECTRYNAME
    LocaleDecimalSeparator = 0x000E,     // LOCALE_SDECIMAL
    LocaleThousandsSeparator = 0x000F,   // LOCALE_STHOUSAND
    LocaleCurrencySymbol = 0x0014,       // LOCALE_SCURRENCY
    LocaleIntlCurrencySymbol = 0x0015,   // LOCALE_SINTLSYMBOL
    LocaleMonetaryDecimal = 0x0016,      // LOCALE_SMONDECIMALSEP
    LocaleMonetaryThousands = 0x0017,    // LOCALE_SMONTHOUSANDSEP
    LocalePositiveSign = 0x0050,         // LOCALE_SPOSITIVESIGN
    LocaleNegativeSign = 0x0051,         // LOCALE_SNEGATIVESIGN
    LocaleIsoLanguageName = 0x0059,      // LOCALE_SISO639LANGNAME
    LocaleIsoCountryName = 0x005A,       // LOCALE_SISO3166CTRYNAME
    LocaleEnglishLanguageName = 0x1001,  // LOCALE_SENGLANGUAGE
    LocaleEnglishCountryName = 0x1002,   // LOCALE_SENGCOUNTRY
};

// The text of a locale item as UTF-16, with the size-query convention of the converters: with a null
// `out` or an `outCapacity` of 0 the units needed including the terminator, otherwise the units written
// including the terminator; 0 for an unknown locale or item, or when `out` is too small.
int32_t LocaleItemText(uint32_t locale, uint32_t item, char16_t* out, int32_t outCapacity) noexcept;

// --- clipboard and global memory (OpenClipboard, EmptyClipboard, SetClipboardData, GetClipboardData,
// CloseClipboard; GlobalAlloc, GlobalLock, GlobalUnlock, GlobalSize, GlobalFree) ------------------------
// On POSIX the clipboard is an in-process stand-in with the Windows contract: one holder at a time, data
// per format, blocks that belong to the clipboard once a set has succeeded.

// A movable memory block. Handles are checked before use: an unknown or already freed handle makes every
// call fail, and no call reads through it.
struct GlobalBlock;
using GlobalMemory = GlobalBlock*;
inline constexpr uint32_t GlobalShared = 0x2000;  // GMEM_SHARE: memory meant for the clipboard

// A block of `bytes` bytes (at least 1), or null when it cannot be had.
GlobalMemory GlobalMemoryAlloc(uint32_t flags, size_t bytes) noexcept;
// Locks the block and returns its bytes; locks nest. Null for an unknown handle.
void* GlobalMemoryLock(GlobalMemory block) noexcept;
// Undoes one lock; false for an unknown handle or a block that is not locked.
bool GlobalMemoryUnlock(GlobalMemory block) noexcept;
// The allocated size in bytes; 0 for an unknown handle.
size_t GlobalMemorySize(GlobalMemory block) noexcept;
// Frees the block: null on success, the handle itself when it is unknown or belongs to the clipboard.
GlobalMemory GlobalMemoryFree(GlobalMemory block) noexcept;

// Opens the clipboard for `owner` (a window handle, or null for the calling thread); false while another
// holder has it open. Opening it again as its holder succeeds (one close ends both).
bool ClipboardOpen(const void* owner) noexcept;
// The calls below fail (false or null) unless the calling thread holds the clipboard open.
// Frees every block the clipboard holds.
bool ClipboardEmpty() noexcept;
// Hands `block` to the clipboard as the data of `format` (not 0); the block of that format it held before
// is freed. Returns the block, or null when refused, in which case the block still belongs to the caller.
GlobalMemory ClipboardSetData(uint32_t format, GlobalMemory block) noexcept;
// The block held for `format`, or null; it stays the clipboard's.
GlobalMemory ClipboardGetData(uint32_t format) noexcept;
bool ClipboardClose() noexcept;

// --- system error texts (FormatMessageW with the system table, user's default language) ----------------
// The message of `code` as UTF-16 ending with "\r\n", with the size-query convention of LocaleItemText:
// with a null `out` or an `outCapacity` of 0 the units needed including the terminator, otherwise the units
// written including the terminator; 0 for a code without a message, or when `out` is too small.
int32_t SystemMessageText(uint32_t code, char16_t* out, int32_t outCapacity) noexcept;

// --- the calling thread's stack (pthread_getattr_np; GetCurrentThreadStackLimits) ---------------------
// Stacks grow downwards on every target the library supports. `low` is the lowest address the thread may
// use (the guard page lies below it), `high` the address above its first frame. Both are 0 when the system
// cannot tell; so is a range that does not hold the caller's own frame (code running on a stack of its own
// making, such as a coroutine's).
struct StackRange {
    uintptr_t low;
    uintptr_t high;
};
StackRange CurrentThreadStack() noexcept;

}  // namespace kt::platform

#ifdef _WIN32
#include "platform/windows/case16.h"
#else
#include "platform/posix/case16.h"
#endif
