#include "rek2/RekXmlDocument.h"

#include "app/Error.h"
#include "rek2/Namespaces.h"

#include <QFile>

#include <libxml/parser.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlsave.h>

namespace rek2 {

namespace {

const xmlChar* x(const char* s) { return reinterpret_cast<const xmlChar*>(s); }

void ignoreMessage(void*, const char*, ...) {}

// libxml2 prints I/O failures to stderr; the caller gets them as an Error instead.
class QuietLibxml {
public:
    QuietLibxml() : m_handler(xmlGenericError), m_context(xmlGenericErrorContext)
    {
        xmlSetGenericErrorFunc(nullptr, ignoreMessage);
    }
    ~QuietLibxml() { xmlSetGenericErrorFunc(m_context, m_handler); }

private:
    xmlGenericErrorFunc m_handler;
    void* m_context;
};

} // namespace

RekXmlDocument::RekXmlDocument() : m_options(std::make_unique<XmlDocumentOptions>())
{
    xmlInitParser();
    m_doc = xmlNewDoc(x("1.0"));
    m_doc->encoding = xmlStrdup(x("utf-8"));
    m_doc->_private = m_options.get();
}

RekXmlDocument::~RekXmlDocument()
{
    if (m_doc)
        xmlFreeDoc(m_doc);
}

RekXmlDocument::RekXmlDocument(RekXmlDocument&& other) noexcept
    : m_doc(std::exchange(other.m_doc, nullptr)), m_options(std::move(other.m_options))
{
}

RekXmlDocument& RekXmlDocument::operator=(RekXmlDocument&& other) noexcept
{
    if (this != &other) {
        if (m_doc)
            xmlFreeDoc(m_doc);
        m_doc = std::exchange(other.m_doc, nullptr);
        m_options = std::move(other.m_options);
    }
    return *this;
}

RekXmlDocument RekXmlDocument::fromByteArray(const QByteArray& xml)
{
    xmlInitParser();
    xmlDocPtr parsed = xmlReadMemory(xml.constData(), int(xml.size()), nullptr, nullptr,
                                     XML_PARSE_NONET | XML_PARSE_NOBLANKS | XML_PARSE_NOERROR |
                                         XML_PARSE_NOWARNING);
    if (!parsed)
        throw Error(QStringLiteral("Dokument XML ni pravilno oblikovan."));
    RekXmlDocument result;
    xmlFreeDoc(result.m_doc);
    result.m_doc = parsed;
    result.m_doc->_private = result.m_options.get();
    return result;
}

bool RekXmlDocument::hasDocumentElement() const { return xmlDocGetRootElement(m_doc) != nullptr; }

TXMLEnvelope RekXmlDocument::envelope()
{
    if (xmlNodePtr root = xmlDocGetRootElement(m_doc)) {
        if (!xmlStrEqual(root->name, x("Envelope")))
            throw Error(QStringLiteral("Korenski element dokumenta ni Envelope."));
        return TXMLEnvelope(root);
    }
    xmlNodePtr root = xmlNewDocNode(m_doc, nullptr, x("Envelope"), nullptr);
    const QByteArray href = ns::rek2().toUtf8();
    root->ns = xmlNewNs(root, x(href.constData()), nullptr);
    xmlDocSetRootElement(m_doc, root);
    return TXMLEnvelope(root);
}

void RekXmlDocument::prepareOutput() const
{
    if (xmlNodePtr root = xmlDocGetRootElement(m_doc))
        XmlElement(root).declareMissingNamespaces();
}

QByteArray RekXmlDocument::toByteArray() const
{
    prepareOutput();
    xmlIndentTreeOutput = 1;
    xmlChar* mem = nullptr;
    int size = 0;
    xmlDocDumpFormatMemoryEnc(m_doc, &mem, &size, "utf-8", 1);
    if (!mem)
        throw Error(QStringLiteral("Dokumenta XML ni mogoče zapisati."));
    QByteArray result(reinterpret_cast<const char*>(mem), size);
    xmlFree(mem);
    return result;
}

void RekXmlDocument::save(const QString& fileName) const
{
    prepareOutput();
    xmlIndentTreeOutput = 1;
    const QByteArray path = QFile::encodeName(fileName);
    QuietLibxml quiet;
    if (xmlSaveFormatFileEnc(path.constData(), m_doc, "utf-8", 1) < 0)
        throw Error(QStringLiteral("Datoteke %1 ni mogoče zapisati.").arg(fileName));
}

} // namespace rek2
