#pragma once
#include "rek2/XmlElement.h"

#include <QString>

// Typed views over the elements of the REK-2 e-filing document: the common envelope
// (Envelope, Header, Signatures, body) around the return (REK with REK_2, OPDDP,
// AnalyticalData, Attachment). Each accessor is named after its element. Reading a simple
// child returns its value, setX writes it; a child that is not there yet is appended at the
// end of its parent, in the parent's namespace and prefix, on first access (reading as well
// as writing), so children appear in the order they are first touched. Integer readers throw
// rek2::Error on a value that is not a number, Boolean readers on one that is not
// true/false/1/0. Child-class accessors return the child wrapped in its class; repeated
// children come through a collection (Add, Insert, Items, Count, Clear, Delete, Remove).

#define REK2_XML_TEXT(Name, Setter)                                                                \
    QString Name() const { return childText(#Name); }                                              \
    void Setter(const QString& value) const { setChildText(#Name, value); }
#define REK2_XML_INT(Name, Setter)                                                                 \
    int Name() const { return childInt(#Name); }                                                   \
    void Setter(int value) const { setChildInt(#Name, value); }
#define REK2_XML_BOOL(Name, Setter)                                                                \
    bool Name() const { return childBool(#Name); }                                                 \
    void Setter(bool value) const { setChildBool(#Name, value); }
#define REK2_XML_CHILD(Class, Name)                                                                \
    Class Name() const { return childAs<Class>(#Name); }

namespace rek2 {

// `taxpayer` of `Header`.
class TXMLTaxPayerType : public XmlElement {
public:
    using XmlElement::XmlElement;
    REK2_XML_INT(taxNumber, setTaxNumber)
    REK2_XML_TEXT(vatNumber, setVatNumber)
    REK2_XML_TEXT(taxpayerType, setTaxpayerType)
    REK2_XML_TEXT(name, setName)
    REK2_XML_TEXT(address1, setAddress1)
    REK2_XML_TEXT(address2, setAddress2)
    REK2_XML_TEXT(city, setCity)
    REK2_XML_TEXT(postNumber, setPostNumber)
    REK2_XML_TEXT(postName, setPostName)
    REK2_XML_TEXT(birthDate, setBirthDate)
    REK2_XML_TEXT(maticnaStevilka, setMaticnaStevilka)
    REK2_XML_BOOL(invalidskoPodjetje, setInvalidskoPodjetje)
    REK2_XML_BOOL(resident, setResident)
    REK2_XML_TEXT(activityCode, setActivityCode)
    REK2_XML_TEXT(activityName, setActivityName)
    REK2_XML_TEXT(countryID, setCountryID)
};

class TXMLHeader : public XmlElement {
public:
    using XmlElement::XmlElement;
    REK2_XML_CHILD(TXMLTaxPayerType, taxpayer)
    REK2_XML_TEXT(responseTo, setResponseTo)
    REK2_XML_TEXT(domain, setDomain)
};

// `Preparer` and `Depositor`.
class TXMLSignerType : public XmlElement {
public:
    using XmlElement::XmlElement;
    REK2_XML_TEXT(timestamp, setTimestamp)
    REK2_XML_TEXT(name, setName)
};

// `receipt` of `ServerSignature` and `NonEDP`.
class TXMLReceiptType : public XmlElement {
public:
    using XmlElement::XmlElement;
    REK2_XML_TEXT(timestamp, setTimestamp)
    REK2_XML_TEXT(documentNumber, setDocumentNumber)
    REK2_XML_TEXT(name, setName)
};

class TXMLPreparerSignature : public XmlElement {
public:
    using XmlElement::XmlElement;
    REK2_XML_CHILD(TXMLSignerType, Preparer)
};

class TXMLDepositorSignature : public XmlElement {
public:
    using XmlElement::XmlElement;
    REK2_XML_CHILD(TXMLSignerType, Depositor)
};

class TXMLServerSignature : public XmlElement {
public:
    using XmlElement::XmlElement;
    REK2_XML_CHILD(TXMLReceiptType, receipt)
};

class TXMLNonEDP : public XmlElement {
public:
    using XmlElement::XmlElement;
    REK2_XML_CHILD(TXMLReceiptType, receipt)
};

class TXMLSignatures : public XmlElement {
public:
    using XmlElement::XmlElement;
    REK2_XML_CHILD(TXMLPreparerSignature, PreparerSignature)
    REK2_XML_CHILD(TXMLDepositorSignature, DepositorSignature)
    REK2_XML_CHILD(TXMLServerSignature, ServerSignature)
    REK2_XML_CHILD(TXMLNonEDP, NonEDP)
};

// The summary part of the return.
class TXMLREK_2 : public XmlElement {
public:
    using XmlElement::XmlElement;
    REK2_XML_TEXT(DocumentTypeID, setDocumentTypeID)
    REK2_XML_TEXT(DocumentTypeName, setDocumentTypeName)
    REK2_XML_TEXT(CorrectionForDocument, setCorrectionForDocument)
    REK2_XML_TEXT(CorrectionForAnaliticalData, setCorrectionForAnaliticalData)
    REK2_XML_TEXT(AnalyticalDataNotIncluded, setAnalyticalDataNotIncluded)
    REK2_XML_TEXT(F005_Name, setF005_Name)
    REK2_XML_TEXT(F006_Address, setF006_Address)
    REK2_XML_INT(F007_TaxPayerID, setF007_TaxPayerID)
    REK2_XML_TEXT(F008_ResponsiblePerson, setF008_ResponsiblePerson)
    REK2_XML_TEXT(F009_PhoneNumber, setF009_PhoneNumber)
    REK2_XML_TEXT(F10_IncomeType, setF10_IncomeType)
    REK2_XML_BOOL(F10a_AvgType, setF10a_AvgType)
    REK2_XML_TEXT(F11_MonthYearStart, setF11_MonthYearStart)
    REK2_XML_TEXT(F11_MonthYearEnd, setF11_MonthYearEnd)
    REK2_XML_TEXT(F12_PaymentDate, setF12_PaymentDate)
    REK2_XML_TEXT(F12a_TaxPaymentDate, setF12a_TaxPaymentDate)
    REK2_XML_INT(F12b_PaymentNumber, setF12b_PaymentNumber)
    REK2_XML_INT(F13_EmployeesResident, setF13_EmployeesResident)
    REK2_XML_INT(F14_EmployeesNonResident, setF14_EmployeesNonResident)
    REK2_XML_INT(F15a_InsureesZZ, setF15a_InsureesZZ)
    REK2_XML_INT(F15b_InsureesPIZ, setF15b_InsureesPIZ)
    REK2_XML_TEXT(F16_NetPayment, setF16_NetPayment)
    REK2_XML_TEXT(F101, setF101)
    REK2_XML_TEXT(F102, setF102)
    REK2_XML_TEXT(F103, setF103)
    REK2_XML_TEXT(F104, setF104)
    REK2_XML_TEXT(F105, setF105)
    REK2_XML_TEXT(F106, setF106)
    REK2_XML_TEXT(F106_NO, setF106_NO)
    REK2_XML_TEXT(F107, setF107)
    REK2_XML_TEXT(F107_DO, setF107_DO)
    REK2_XML_TEXT(F108, setF108)
    REK2_XML_TEXT(F109, setF109)
    REK2_XML_TEXT(F110, setF110)
    REK2_XML_TEXT(F201S, setF201S)
    REK2_XML_TEXT(F201Z, setF201Z)
    REK2_XML_TEXT(F202Z, setF202Z)
    REK2_XML_TEXT(F203Z, setF203Z)
    REK2_XML_TEXT(F204Z, setF204Z)
    REK2_XML_TEXT(F205Z, setF205Z)
    REK2_XML_TEXT(F205R, setF205R)
    REK2_XML_TEXT(F221O, setF221O)
    REK2_XML_TEXT(F221S, setF221S)
    REK2_XML_TEXT(F221SZ, setF221SZ)
    REK2_XML_BOOL(F221SF, setF221SF)
    REK2_XML_TEXT(F221R, setF221R)
    REK2_XML_TEXT(F221Z, setF221Z)
    REK2_XML_TEXT(F222O, setF222O)
    REK2_XML_TEXT(F222S, setF222S)
    REK2_XML_TEXT(F222SZ, setF222SZ)
    REK2_XML_BOOL(F222SF, setF222SF)
    REK2_XML_TEXT(F222R, setF222R)
    REK2_XML_TEXT(F222Z, setF222Z)
    REK2_XML_TEXT(CustodianNotes, setCustodianNotes)
    REK2_XML_TEXT(SubmitDate, setSubmitDate)
};

class TXMLOPDDP : public XmlElement {
public:
    using XmlElement::XmlElement;
    REK2_XML_TEXT(PaymentDate, setPaymentDate)
    REK2_XML_INT(Employees, setEmployees)
    REK2_XML_TEXT(F1O, setF1O)
    REK2_XML_TEXT(F1S, setF1S)
    REK2_XML_TEXT(F1D, setF1D)
};

// The `OPDDP` items of a `REK` (the view is over the `REK` element).
class TXMLOPDDPList : public XmlNodeCollection<TXMLOPDDP> {
public:
    TXMLOPDDPList() = default;
    explicit TXMLOPDDPList(xmlNodePtr rek) : XmlNodeCollection(rek, "OPDDP") {}
};

class TXMLIncomeTax : public XmlElement {
public:
    using XmlElement::XmlElement;
    REK2_XML_TEXT(A051, setA051)
    REK2_XML_TEXT(A052, setA052)
    REK2_XML_TEXT(A053, setA053)
};

// The `IncomeTax` items of an analytic item (the view is over the `AnalyticalDataItem`).
class TXMLIncomeTaxList : public XmlNodeCollection<TXMLIncomeTax> {
public:
    TXMLIncomeTaxList() = default;
    explicit TXMLIncomeTaxList(xmlNodePtr item) : XmlNodeCollection(item, "IncomeTax") {}
};

class TXMLContributions : public XmlElement {
public:
    using XmlElement::XmlElement;
    REK2_XML_TEXT(A061, setA061)
    REK2_XML_TEXT(A062, setA062)
};

// The `Contributions` items of an analytic item (the view is over the `AnalyticalDataItem`).
class TXMLContributionsList : public XmlNodeCollection<TXMLContributions> {
public:
    TXMLContributionsList() = default;
    explicit TXMLContributionsList(xmlNodePtr item) : XmlNodeCollection(item, "Contributions") {}
};

// One recipient line of the return.
class TXMLAnalyticalDataItem : public XmlElement {
public:
    using XmlElement::XmlElement;
    REK2_XML_INT(A001, setA001)
    REK2_XML_TEXT(A002, setA002)
    REK2_XML_TEXT(A003, setA003)
    REK2_XML_TEXT(A003i, setA003i)
    REK2_XML_TEXT(A003p, setA003p)
    REK2_XML_TEXT(A004, setA004)
    REK2_XML_TEXT(A004a, setA004a)
    REK2_XML_TEXT(A005, setA005)
    REK2_XML_BOOL(A011, setA011)
    REK2_XML_BOOL(A012, setA012)
    REK2_XML_BOOL(A013, setA013)
    REK2_XML_BOOL(A014, setA014)
    REK2_XML_BOOL(A015, setA015)
    REK2_XML_BOOL(A016, setA016)
    TXMLIncomeTaxList IncomeTax() const { return TXMLIncomeTaxList(checkedNode()); }
    TXMLContributionsList Contributions() const { return TXMLContributionsList(checkedNode()); }
    REK2_XML_TEXT(A071S, setA071S)
    REK2_XML_TEXT(A071SZ, setA071SZ)
    REK2_XML_BOOL(A071SF, setA071SF)
    REK2_XML_TEXT(A071O, setA071O)
    REK2_XML_TEXT(A071P, setA071P)
    REK2_XML_TEXT(A072S, setA072S)
    REK2_XML_TEXT(A072SZ, setA072SZ)
    REK2_XML_BOOL(A072SF, setA072SF)
    REK2_XML_TEXT(A072O, setA072O)
    REK2_XML_TEXT(A072P, setA072P)
    REK2_XML_TEXT(A073S, setA073S)
    REK2_XML_TEXT(A073O, setA073O)
    REK2_XML_TEXT(A073P, setA073P)
    REK2_XML_TEXT(A074S, setA074S)
    REK2_XML_TEXT(A074O, setA074O)
    REK2_XML_TEXT(A074P, setA074P)
    REK2_XML_TEXT(A075O, setA075O)
    REK2_XML_TEXT(A075P, setA075P)
    REK2_XML_TEXT(A081S1, setA081S1)
    REK2_XML_TEXT(A081S2, setA081S2)
    REK2_XML_TEXT(A081O, setA081O)
    REK2_XML_TEXT(A081P, setA081P)
    REK2_XML_TEXT(A082S1, setA082S1)
    REK2_XML_TEXT(A082S2, setA082S2)
    REK2_XML_TEXT(A082O, setA082O)
    REK2_XML_TEXT(A082P, setA082P)
    REK2_XML_TEXT(A083S, setA083S)
    REK2_XML_TEXT(A083O, setA083O)
    REK2_XML_TEXT(A083P, setA083P)
    REK2_XML_TEXT(A084S, setA084S)
    REK2_XML_TEXT(A084O, setA084O)
    REK2_XML_TEXT(A084P, setA084P)
    REK2_XML_TEXT(A085S, setA085S)
    REK2_XML_TEXT(A085O, setA085O)
    REK2_XML_TEXT(A085P, setA085P)
    REK2_XML_TEXT(A086O, setA086O)
    REK2_XML_TEXT(A086P, setA086P)
    REK2_XML_TEXT(A091O, setA091O)
    REK2_XML_TEXT(A091P, setA091P)
    REK2_XML_TEXT(A091S1, setA091S1)
    REK2_XML_TEXT(A091S2, setA091S2)
    REK2_XML_TEXT(A092O, setA092O)
    REK2_XML_TEXT(A101S, setA101S)
    REK2_XML_INT(A101TP, setA101TP)
    REK2_XML_TEXT(A101OP, setA101OP)
    REK2_XML_TEXT(A101O, setA101O)
    REK2_XML_TEXT(A101P, setA101P)
};

// `AnalyticalData`: an element and the collection of its `AnalyticalDataItem` children.
class TXMLAnalyticalData : public XmlNodeCollection<TXMLAnalyticalDataItem> {
public:
    TXMLAnalyticalData() = default;
    explicit TXMLAnalyticalData(xmlNodePtr node) : XmlNodeCollection(node, "AnalyticalDataItem") {}
};

class TXMLAttachment : public XmlElement {
public:
    using XmlElement::XmlElement;
    REK2_XML_TEXT(Hash, setHash)
};

class TXMLREK : public XmlElement {
public:
    using XmlElement::XmlElement;
    REK2_XML_CHILD(TXMLREK_2, REK_2)
    TXMLOPDDPList OPDDP() const { return TXMLOPDDPList(checkedNode()); }
    REK2_XML_CHILD(TXMLAnalyticalData, AnalyticalData)
    REK2_XML_CHILD(TXMLAttachment, Attachment)
};

// `body`. Its `bodyContent` child has no class: it is added with addChild in the common
// e-filing namespace.
class TXMLBody : public XmlElement {
public:
    using XmlElement::XmlElement;
    REK2_XML_CHILD(TXMLREK, REK)
};

// The document element.
class TXMLEnvelope : public XmlElement {
public:
    using XmlElement::XmlElement;
    REK2_XML_CHILD(TXMLHeader, Header)
    REK2_XML_CHILD(TXMLSignatures, Signatures)
    REK2_XML_CHILD(TXMLBody, body)
};

} // namespace rek2

#undef REK2_XML_TEXT
#undef REK2_XML_INT
#undef REK2_XML_BOOL
#undef REK2_XML_CHILD
