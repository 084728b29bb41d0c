#pragma once
#include <QString>

// Namespace URIs of the REK-2 e-filing document. The hosts live here and nowhere else:
// the tax authority publishes the schemas of the return and its common parts; the two
// data-set namespaces declared on `taxpayer` have no real home and use a placeholder host.
namespace rek2::ns {

inline constexpr char TaxAuthorityHost[] = "http://edavki.durs.si";
inline constexpr char PlaceholderHost[] = "http://tempuri.org";

// The return itself: `Envelope`, `body`, `REK`, `REK_2` (target namespace of the model).
inline QString rek2() { return QString::fromLatin1(TaxAuthorityHost) + QStringLiteral("/Documents/Schemas/REK_2_3.xsd"); }
// Common e-filing types: `Header`, `Signatures`, `bodyContent` (prefix edp).
inline QString edpCommon() { return QString::fromLatin1(TaxAuthorityHost) + QStringLiteral("/Documents/Schemas/EDP-Common-1.xsd"); }
// Common analytic types: `AnalyticalData` and its items (prefix podo).
inline QString podoCommon() { return QString::fromLatin1(TaxAuthorityHost) + QStringLiteral("/Documents/Schemas/PODO-Common-1.xsd"); }
// Data-set namespaces declared on `taxpayer` (prefixes ner and ds_odip).
inline QString ner() { return QString::fromLatin1(PlaceholderHost) + QStringLiteral("/Ds_NER_1.xsd"); }
inline QString odip() { return QString::fromLatin1(PlaceholderHost) + QStringLiteral("/Ds_ODIP_1.xsd"); }

} // namespace rek2::ns
