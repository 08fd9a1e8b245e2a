// The thirteen catalogues of the module. Each is defined in its own source of this folder; elsewhere
// only these declarations are seen, so each catalogue's code and tables exist once.
#pragma once

#include "catalogues/catalogue_list.h"
#include "catalogues/catalogue_table.h"

namespace kt {

// For each catalogue Name: struct NameDefinition; using Name = Catalogue<NameDefinition>; and the
// explicit instantiation its source provides.
#define KT_DECLARE_CATALOGUE(Type, name)      \
    struct Type##Definition;                  \
    using Type = Catalogue<Type##Definition>; \
    extern template class Catalogue<Type##Definition>;
KT_CATALOGUES(KT_DECLARE_CATALOGUE)
#undef KT_DECLARE_CATALOGUE

// The catalogues' names in start-up order.
inline constexpr const char16_t* CatalogueNames[] = {
#define KT_CATALOGUE_NAME(Type, name) u"" name,
    KT_CATALOGUES(KT_CATALOGUE_NAME)
#undef KT_CATALOGUE_NAME
};

}  // namespace kt
