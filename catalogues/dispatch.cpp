// Catalogue "dispatch": jobs that a dispatcher runs on behalf of the user.
#include "catalogues/catalogues.h"

namespace kt {

struct DispatchCatalogueDefinition {
    static constexpr const char16_t* name = u"dispatch";
    static constexpr auto entries = std::to_array<CatalogueEntry>({
        {u"job_canceled", u"Auftrag wurde vom Benutzer abgebrochen."},
        {u"out_of_memory",
         u"Es ist nicht genügend Arbeitsspeicher vorhanden. Wechseln Sie eventuell zur 64-Bit-Version."},
        {u"parsing_msg_result_failed",
         u"Die Ergebnisse für den Auftrag {jobid} konnten nicht geparst werden: {detail}"},
        {u"receiving_msg_result_failed",
         u"Die Ergebnisse für den Auftrag {jobid} konnten nicht abgerufen werden."},
        {u"download_failed", u"{remote} konnte nicht auf {local} heruntergeladen werden."},
        {u"executing_with", u"{cmd} wird mit den Optionen {opts} ausgeführt"},
    });
};

template class Catalogue<DispatchCatalogueDefinition>;

}  // namespace kt
