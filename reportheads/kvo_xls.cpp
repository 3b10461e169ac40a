// Kvo_xls.so: the fixed heads and trailers of the spreadsheet reports, handed out one line per
// call. Every text is a Windows-1251 constant built while compiling; nothing runs at load time.
#include "carriers_template.h"
#include "error_journal_template.h"
#include "external_lines_template.h"
#include "phone_book_template.h"
#include "search_template.h"
#include "subscribers_template.h"
#include "tariff_zones_template.h"
#include "tariffication_template.h"

#include <cstdint>

namespace {
using kvo::xls::compile;
constexpr auto kSearch = compile<kvo::xls::kSearchLines>();
constexpr auto kTariffication = compile<kvo::xls::kTarifficationLines>();
constexpr auto kTariffZones = compile<kvo::xls::kTariffZoneLines>();
constexpr auto kExternalLines = compile<kvo::xls::kExternalLineLines>();
constexpr auto kSubscribers = compile<kvo::xls::kSubscriberLines>();
constexpr auto kPhoneBook = compile<kvo::xls::kPhoneBookLines>();
constexpr auto kCarriers = compile<kvo::xls::kCarrierLines>();
constexpr auto kErrorJournal = compile<kvo::xls::kErrorJournalLines>();
} // namespace

// The library is built with hidden visibility: these eight are its only exports.
#define KVO_XLS_EXPORT extern "C" __attribute__((visibility("default")))

KVO_XLS_EXPORT const char *StrCaption(std::int32_t line) {
    return kSearch.line(line);
}
KVO_XLS_EXPORT const char *StrCaptionA(std::int32_t line) {
    return kTariffication.line(line);
}
KVO_XLS_EXPORT const char *StrCaptionST(std::int32_t line) {
    return kTariffZones.line(line);
}
KVO_XLS_EXPORT const char *StrCaptionSV(std::int32_t line) {
    return kExternalLines.line(line);
}
KVO_XLS_EXPORT const char *StrCaptionSA(std::int32_t line) {
    return kSubscribers.line(line);
}
KVO_XLS_EXPORT const char *StrCaptionSZK(std::int32_t line) {
    return kPhoneBook.line(line);
}
KVO_XLS_EXPORT const char *StrCaptionSOS(std::int32_t line) {
    return kCarriers.line(line);
}
KVO_XLS_EXPORT const char *StrCaptionBO(std::int32_t line) {
    return kErrorJournal.line(line);
}
