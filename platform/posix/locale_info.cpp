// Locale items from the C library's locale data (nl_langinfo_l), in the shape GetLocaleInfoW answers them.
#include <langinfo.h>
#include <locale.h>

#include <cstring>
#include <string>

#include "platform/platform.h"

namespace kt::platform {
namespace {

struct LocaleName {
    uint32_t id;
    const char* name;
};

// Windows language identifiers of the locales a C library commonly ships.
constexpr LocaleName KnownLocales[] = {
    {0x0404, "zh_TW"}, {0x0405, "cs_CZ"}, {0x0406, "da_DK"}, {0x0407, "de_DE"}, {0x0408, "el_GR"},
    {0x0409, "en_US"}, {0x040B, "fi_FI"}, {0x040C, "fr_FR"}, {0x040E, "hu_HU"}, {0x0410, "it_IT"},
    {0x0411, "ja_JP"}, {0x0412, "ko_KR"}, {0x0413, "nl_NL"}, {0x0414, "nb_NO"}, {0x0415, "pl_PL"},
    {0x0416, "pt_BR"}, {0x0419, "ru_RU"}, {0x041D, "sv_SE"}, {0x041F, "tr_TR"}, {0x0804, "zh_CN"},
    {0x0807, "de_CH"}, {0x0809, "en_GB"}, {0x080A, "es_MX"}, {0x080C, "fr_BE"}, {0x0816, "pt_PT"},
    {0x0C07, "de_AT"}, {0x0C0A, "es_ES"}, {0x0C0C, "fr_CA"}, {0x100C, "fr_CH"},
};

// Owns a locale_t for the duration of one query.
class ScopedLocale {
  public:
    explicit ScopedLocale(uint32_t id) {
        if (id == LocaleUserDefault || id == LocaleSystemDefault) {
            handle_ = newlocale(LC_ALL_MASK, "", locale_t{});
        } else if (id == LocaleInvariant) {
            handle_ = newlocale(LC_ALL_MASK, "C", locale_t{});
        } else {
            for (const LocaleName& known : KnownLocales) {
                if (known.id != id) continue;
                for (const char* suffix : {".UTF-8", ".utf8", ""}) {
                    std::string name = std::string(known.name) + suffix;
                    handle_ = newlocale(LC_ALL_MASK, name.c_str(), locale_t{});
                    if (handle_ != locale_t{}) break;
                }
                break;
            }
        }
    }
    ~ScopedLocale() {
        if (handle_ != locale_t{}) freelocale(handle_);
    }
    ScopedLocale(const ScopedLocale&) = delete;
    ScopedLocale& operator=(const ScopedLocale&) = delete;

    locale_t Handle() const { return handle_; }

  private:
    locale_t handle_{};
};

// The C library item behind a locale item, and what the C locale (which names no language, and "ISO" as
// its territory) answers instead.
struct ItemSource {
    nl_item item;
    const char* invariant;  // null: the C library's own text for the C locale
};

bool FindSource(uint32_t item, ItemSource& source) {
    switch (item) {
        case LocaleLanguageName:
        case LocaleEnglishLanguageName:
        case LocaleNativeLanguageName:
            source = {item == LocaleNativeLanguageName ? _NL_ADDRESS_LANG_NAME : _NL_IDENTIFICATION_LANGUAGE,
                      "Invariant Language"};
            return true;
        case LocaleCountryName:
        case LocaleEnglishCountryName:
        case LocaleNativeCountryName:
            source = {
                item == LocaleNativeCountryName ? _NL_ADDRESS_COUNTRY_NAME : _NL_IDENTIFICATION_TERRITORY,
                "Invariant Country"};
            return true;
        case LocaleIsoLanguageName:
            source = {_NL_ADDRESS_LANG_AB, "iv"};
            return true;
        case LocaleIsoCountryName:
            source = {_NL_ADDRESS_COUNTRY_AB2, "IV"};
            return true;
        case LocaleDecimalSeparator:
            source = {RADIXCHAR, nullptr};
            return true;
        case LocaleThousandsSeparator:
            source = {THOUSEP, nullptr};
            return true;
        case LocaleCurrencySymbol:
            source = {CURRENCY_SYMBOL, nullptr};
            return true;
        case LocaleIntlCurrencySymbol:
            source = {INT_CURR_SYMBOL, nullptr};
            return true;
        case LocaleMonetaryDecimal:
            source = {MON_DECIMAL_POINT, nullptr};
            return true;
        case LocaleMonetaryThousands:
            source = {MON_THOUSANDS_SEP, nullptr};
            return true;
        case LocalePositiveSign:
            source = {POSITIVE_SIGN, nullptr};
            return true;
        case LocaleNegativeSign:
            source = {NEGATIVE_SIGN, nullptr};
            return true;
        default:
            return false;
    }
}

}  // namespace

int32_t LocaleItemText(uint32_t locale, uint32_t item, char16_t* out, int32_t outCapacity) noexcept {
    ItemSource source;
    if (!FindSource(item, source)) return 0;
    ScopedLocale scoped(locale);
    if (scoped.Handle() == locale_t{}) return 0;

    const char* text = nl_langinfo_l(source.item, scoped.Handle());
    if (text == nullptr) text = "";
    // The C locale names no language; it stands for the invariant locale.
    if (source.invariant != nullptr && nl_langinfo_l(_NL_IDENTIFICATION_LANGUAGE, scoped.Handle())[0] == 0)
        text = source.invariant;

    // The C library's international symbol carries its separator ("EUR "); the item is the code alone.
    std::string trimmed;
    if (item == LocaleIntlCurrencySymbol) {
        trimmed = text;
        while (!trimmed.empty() && trimmed.back() == ' ') trimmed.pop_back();
        text = trimmed.c_str();
    }

    const char* codeset = nl_langinfo_l(CODESET, scoped.Handle());
    if (codeset != nullptr && (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0))
        return Utf8ToUtf16(text, -1, out, outCapacity);

    // Other code sets are taken as Latin-1, byte by byte.
    size_t length = std::strlen(text);
    if (length >= 0x7FFFFFFF) return 0;
    auto needed = static_cast<int32_t>(length + 1);
    if (out == nullptr || outCapacity == 0) return needed;
    if (outCapacity < needed) return 0;
    for (int32_t i = 0; i < needed; ++i) out[i] = static_cast<unsigned char>(text[i]);
    return needed;
}

}  // namespace kt::platform
