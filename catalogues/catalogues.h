// The thirteen catalogues of the module. Each is defined in its own source of this folder; elsewhere
// only these declarations are seen, so each catalogue's code and tables exist once.
#pragma once

#include "catalogues/catalogue_table.h"

namespace kt {

struct KtguiCatalogueDefinition;
struct ScintillaCatalogueDefinition;
struct CoreCatalogueDefinition;
struct CryptographyCatalogueDefinition;
struct DispatchCatalogueDefinition;
struct DrawCatalogueDefinition;
struct GuiCatalogueDefinition;
struct MsgCatalogueDefinition;
struct OsCatalogueDefinition;
struct RegexCatalogueDefinition;
struct ResCatalogueDefinition;
struct XmlCatalogueDefinition;
struct XsdtCatalogueDefinition;

using KtguiCatalogue = Catalogue<KtguiCatalogueDefinition>;
using ScintillaCatalogue = Catalogue<ScintillaCatalogueDefinition>;
using CoreCatalogue = Catalogue<CoreCatalogueDefinition>;
using CryptographyCatalogue = Catalogue<CryptographyCatalogueDefinition>;
using DispatchCatalogue = Catalogue<DispatchCatalogueDefinition>;
using DrawCatalogue = Catalogue<DrawCatalogueDefinition>;
using GuiCatalogue = Catalogue<GuiCatalogueDefinition>;
using MsgCatalogue = Catalogue<MsgCatalogueDefinition>;
using OsCatalogue = Catalogue<OsCatalogueDefinition>;
using RegexCatalogue = Catalogue<RegexCatalogueDefinition>;
using ResCatalogue = Catalogue<ResCatalogueDefinition>;
using XmlCatalogue = Catalogue<XmlCatalogueDefinition>;
using XsdtCatalogue = Catalogue<XsdtCatalogueDefinition>;

extern template class Catalogue<KtguiCatalogueDefinition>;
extern template class Catalogue<ScintillaCatalogueDefinition>;
extern template class Catalogue<CoreCatalogueDefinition>;
extern template class Catalogue<CryptographyCatalogueDefinition>;
extern template class Catalogue<DispatchCatalogueDefinition>;
extern template class Catalogue<DrawCatalogueDefinition>;
extern template class Catalogue<GuiCatalogueDefinition>;
extern template class Catalogue<MsgCatalogueDefinition>;
extern template class Catalogue<OsCatalogueDefinition>;
extern template class Catalogue<RegexCatalogueDefinition>;
extern template class Catalogue<ResCatalogueDefinition>;
extern template class Catalogue<XmlCatalogueDefinition>;
extern template class Catalogue<XsdtCatalogueDefinition>;

}  // namespace kt
