#pragma once
#include "rek2/REK_2_2.h"

#include <QByteArray>
#include <QString>
#include <memory>

#include <libxml/tree.h>

namespace rek2 {

// Owns one libxml2 document of a REK-2 return: version "1.0", encoding "utf-8", missing
// elements created on access. Views (TXML...) over its elements live as long as it does.
class RekXmlDocument {
public:
    RekXmlDocument();
    ~RekXmlDocument();
    RekXmlDocument(RekXmlDocument&& other) noexcept;
    RekXmlDocument& operator=(RekXmlDocument&& other) noexcept;
    RekXmlDocument(const RekXmlDocument&) = delete;
    RekXmlDocument& operator=(const RekXmlDocument&) = delete;

    // Reads a written document back (an Error when it is not well-formed XML).
    static RekXmlDocument fromByteArray(const QByteArray& xml);

    xmlDocPtr doc() const { return m_doc; }

    // Off: reaching a missing element is an Error instead of creating it.
    void setCreateOnAccess(bool on) { m_options->createOnAccess = on; }
    bool createOnAccess() const { return m_options->createOnAccess; }

    bool hasDocumentElement() const;
    // The document element `Envelope`. On an empty document it is created in the REK-2
    // namespace, declared there as the default namespace. An Error when the document
    // element is something else.
    TXMLEnvelope envelope();

    // Indented output, one start tag per line, UTF-8 with the declaration
    // <?xml version="1.0" encoding="utf-8"?>. Elements whose namespace the written
    // declarations do not give get a declaration of their own first.
    QByteArray toByteArray() const;
    // Same bytes into a file; an Error when it cannot be written.
    void save(const QString& fileName) const;

private:
    void prepareOutput() const;

    xmlDocPtr m_doc = nullptr;
    std::unique_ptr<XmlDocumentOptions> m_options;
};

} // namespace rek2
