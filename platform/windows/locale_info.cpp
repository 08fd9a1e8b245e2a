// Locale items from the system (GetLocaleInfoW), limited to the items the platform layer declares: other
// item numbers, and the flags that change what the system writes, are unknown items here.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/platform.h"

namespace kt::platform {

namespace {
bool IsDeclaredItem(uint32_t item) {
    switch (item) {
        case LocaleLanguageName:
        case LocaleNativeLanguageName:
        case LocaleCountryName:
        case LocaleNativeCountryName:
        case LocaleDecimalSeparator:
        case LocaleThousandsSeparator:
        case LocaleCurrencySymbol:
        case LocaleIntlCurrencySymbol:
        case LocaleMonetaryDecimal:
        case LocaleMonetaryThousands:
        case LocalePositiveSign:
        case LocaleNegativeSign:
        case LocaleIsoLanguageName:
        case LocaleIsoCountryName:
        case LocaleEnglishLanguageName:
        case LocaleEnglishCountryName:
            return true;
        default:
            return false;
    }
}
}  // namespace

// The platform layer's identifiers and item numbers are the system's own.
static_assert(LocaleUserDefault == LOCALE_USER_DEFAULT && LocaleSystemDefault == LOCALE_SYSTEM_DEFAULT &&
              LocaleInvariant == LOCALE_INVARIANT);
static_assert(LocaleDecimalSeparator == LOCALE_SDECIMAL && LocaleEnglishCountryName == LOCALE_SENGCOUNTRY &&
              LocaleIsoCountryName == LOCALE_SISO3166CTRYNAME);

int32_t LocaleItemText(uint32_t locale, uint32_t item, char16_t* out, int32_t outCapacity) noexcept {
    if (!IsDeclaredItem(item) || outCapacity < 0) return 0;
    const bool sizeQuery = out == nullptr || outCapacity == 0;
    return GetLocaleInfoW(locale, item, sizeQuery ? nullptr : reinterpret_cast<wchar_t*>(out),
                          sizeQuery ? 0 : outCapacity);
}

}  // namespace kt::platform
