#include "tools/ktcat/catalogue_view.h"

namespace kt::ktcat {

Catalogue ReadCatalogue(host::ResourceStringRecord* record) {
    Catalogue catalogue;
    if (record->name != nullptr) catalogue.name = record->name;
    for (int32_t index = 0; index < record->count; ++index)
        catalogue.entries.push_back({record->keyAt(record, index), record->textAt(record, index)});
    return catalogue;
}

}  // namespace kt::ktcat
