#include "rek2/XmlElement.h"

#include "app/Error.h"

#include <libxml/xmlstring.h>

namespace rek2 {

namespace {

QString fromXml(const xmlChar* s)
{
    return s ? QString::fromUtf8(reinterpret_cast<const char*>(s)) : QString();
}

const xmlChar* x(const char* s) { return reinterpret_cast<const xmlChar*>(s); }
const xmlChar* x(const QByteArray& s) { return reinterpret_cast<const xmlChar*>(s.constData()); }

bool isElement(xmlNodePtr n) { return n && n->type == XML_ELEMENT_NODE; }

const xmlChar* hrefOf(xmlNsPtr ns) { return ns ? ns->href : nullptr; }
bool sameHref(const xmlChar* a, const xmlChar* b)
{
    const bool emptyA = !a || !*a;
    const bool emptyB = !b || !*b;
    if (emptyA || emptyB)
        return emptyA == emptyB;
    return xmlStrEqual(a, b);
}

bool samePrefix(const xmlChar* a, const xmlChar* b)
{
    return (!a && !b) || (a && b && xmlStrEqual(a, b));
}

bool declaredOn(xmlNodePtr el, xmlNsPtr ns)
{
    for (xmlNsPtr d = el->nsDef; d; d = d->next)
        if (d == ns)
            return true;
    return false;
}

xmlNsPtr ownDeclaration(xmlNodePtr el, const xmlChar* prefix)
{
    for (xmlNsPtr d = el->nsDef; d; d = d->next)
        if (samePrefix(d->prefix, prefix))
            return d;
    return nullptr;
}

// A declaration of (href, prefix) on `el`, ahead of its explicit ones: the fix-up
// declaration of the element's own namespace is written first.
xmlNsPtr prependDeclaration(xmlNodePtr el, const xmlChar* href, const xmlChar* prefix)
{
    xmlNsPtr ns = xmlNewNs(nullptr, href ? href : x(""), prefix);
    if (!ns)
        throw Error(QStringLiteral("Imenskega prostora %1 ni mogoče deklarirati.").arg(fromXml(href)));
    ns->next = el->nsDef;
    el->nsDef = ns;
    return ns;
}

// The namespace object for an element or attribute of `el` in (href, prefix): the one in
// scope when it means that URI, else a new declaration on `el`.
xmlNsPtr resolveNamespace(xmlNodePtr el, const xmlChar* href, const xmlChar* prefix, bool prepend)
{
    if (!href || !*href) {
        // No namespace: an inherited default must be undeclared.
        xmlNsPtr d = xmlSearchNs(el->doc, el, nullptr);
        if (d && d->href && *d->href && !ownDeclaration(el, nullptr))
            prepend ? prependDeclaration(el, x(""), nullptr) : xmlNewNs(el, x(""), nullptr);
        return nullptr;
    }
    xmlNsPtr found = xmlSearchNs(el->doc, el, prefix);
    if (found && xmlStrEqual(found->href, href))
        return found;
    if (xmlNsPtr own = ownDeclaration(el, prefix))
        return own; // the element's explicit declaration of that prefix wins
    if (prepend)
        return prependDeclaration(el, href, prefix);
    xmlNsPtr ns = xmlNewNs(el, href, prefix);
    if (!ns)
        throw Error(QStringLiteral("Imenskega prostora %1 ni mogoče deklarirati.").arg(fromXml(href)));
    return ns;
}

template <class F>
void forEachElement(xmlNodePtr root, F&& f)
{
    if (!isElement(root))
        return;
    f(root);
    for (xmlNodePtr c = root->children; c; c = c->next)
        forEachElement(c, f);
}

bool isDeclarationName(const QString& name) { return name == u"xmlns" || name.startsWith(u"xmlns:"); }

QByteArray checkedName(const QString& name, bool qualified)
{
    const QByteArray utf8 = name.toUtf8();
    const int bad = qualified ? xmlValidateQName(x(utf8), 0) : xmlValidateNCName(x(utf8), 0);
    if (name.isEmpty() || bad != 0)
        throw Error(QStringLiteral("Neveljavno ime v XML: '%1'.").arg(name));
    return utf8;
}

bool createsOnAccess(xmlNodePtr node)
{
    const auto* options = node->doc ? static_cast<const XmlDocumentOptions*>(node->doc->_private) : nullptr;
    return !options || options->createOnAccess;
}

} // namespace

// ---- XmlElement ---------------------------------------------------------------------------

xmlNodePtr XmlElement::checkedNode() const
{
    if (!isElement(m_node))
        throw Error(QStringLiteral("XML element ne obstaja."));
    return m_node;
}

QString XmlElement::localName() const { return fromXml(checkedNode()->name); }
QString XmlElement::namespaceUri() const { return fromXml(hrefOf(checkedNode()->ns)); }
QString XmlElement::prefix() const
{
    xmlNodePtr n = checkedNode();
    return n->ns ? fromXml(n->ns->prefix) : QString();
}

QString XmlElement::text() const
{
    xmlChar* content = xmlNodeGetContent(checkedNode());
    const QString result = content ? QString::fromUtf8(reinterpret_cast<const char*>(content)) : QString(QStringLiteral(""));
    xmlFree(content);
    return result;
}

void XmlElement::setText(const QString& value) const
{
    xmlNodePtr n = checkedNode();
    // Setting content through xmlNodeSetContent would read "&..." as entity references;
    // a text node keeps the value as it is and is escaped on output.
    xmlNodeSetContent(n, nullptr);
    if (!value.isEmpty()) {
        const QByteArray utf8 = value.toUtf8();
        xmlAddChild(n, xmlNewDocTextLen(n->doc, x(utf8), int(utf8.size())));
    }
}

void XmlElement::setAttribute(const QString& name, const QString& value) const
{
    xmlNodePtr n = checkedNode();
    if (isDeclarationName(name)) {
        const bool isDefault = name == u"xmlns";
        const QByteArray prefix = isDefault ? QByteArray() : checkedName(name.mid(6), false);
        const xmlChar* p = isDefault ? nullptr : x(prefix);
        if (!isDefault && (value.isEmpty() || prefix == "xml" || prefix == "xmlns"))
            throw Error(QStringLiteral("Neveljavna deklaracija imenskega prostora %1=\"%2\".").arg(name, value));
        const QByteArray href = value.toUtf8();
        if (xmlNsPtr own = ownDeclaration(n, p)) {
            if (!xmlStrEqual(own->href, x(href))) {
                xmlFree(const_cast<xmlChar*>(own->href));
                own->href = xmlStrdup(x(href));
            }
            return;
        }
        if (!xmlNewNs(n, x(href), p))
            throw Error(QStringLiteral("Neveljavna deklaracija imenskega prostora %1=\"%2\".").arg(name, value));
        return;
    }
    const QByteArray qname = checkedName(name, true);
    const QByteArray v = value.toUtf8();
    // xmlSetProp binds a prefixed name to the prefix's namespace in scope.
    if (!xmlSetProp(n, x(qname), x(v)))
        throw Error(QStringLiteral("Atributa %1 ni mogoče nastaviti.").arg(name));
}

QString XmlElement::attribute(const QString& name) const
{
    for (const auto& [n, v] : attributes())
        if (n == name)
            return v;
    return QString();
}

bool XmlElement::hasAttribute(const QString& name) const
{
    for (const auto& a : attributes())
        if (a.first == name)
            return true;
    return false;
}

QList<QPair<QString, QString>> XmlElement::attributes() const
{
    xmlNodePtr n = checkedNode();
    QList<QPair<QString, QString>> result;
    for (xmlNsPtr d = n->nsDef; d; d = d->next)
        result.append({d->prefix ? QStringLiteral("xmlns:") + fromXml(d->prefix) : QStringLiteral("xmlns"), fromXml(d->href)});
    for (xmlAttrPtr a = n->properties; a; a = a->next) {
        QString qname = fromXml(a->name);
        if (a->ns && a->ns->prefix)
            qname = fromXml(a->ns->prefix) + u':' + qname;
        xmlChar* v = xmlNodeListGetString(n->doc, a->children, 1);
        result.append({qname, v ? fromXml(v) : QStringLiteral("")});
        xmlFree(v);
    }
    return result;
}

void XmlElement::removeAllAttributes() const
{
    xmlNodePtr n = checkedNode();
    while (n->properties)
        xmlRemoveProp(n->properties);
    xmlNsPtr removed = n->nsDef;
    n->nsDef = nullptr;
    if (!removed)
        return;
    auto wasRemoved = [removed](xmlNsPtr ns) {
        for (xmlNsPtr d = removed; d; d = d->next)
            if (d == ns)
                return true;
        return false;
    };
    // Whatever still lives in a removed namespace gets it from scope or declares it itself;
    // document order lets children reuse a declaration their parent just received.
    forEachElement(n, [&](xmlNodePtr el) {
        if (el->ns && wasRemoved(el->ns))
            el->ns = resolveNamespace(el, el->ns->href, el->ns->prefix, false);
        for (xmlAttrPtr a = el->properties; a; a = a->next)
            if (a->ns && wasRemoved(a->ns))
                a->ns = resolveNamespace(el, a->ns->href, a->ns->prefix, false);
    });
    xmlFreeNsList(removed);
}

XmlElement XmlElement::addChild(const QString& name, const QString& namespaceUri, int position) const
{
    xmlNodePtr n = checkedNode();
    const QByteArray local = checkedName(name, false);
    const QList<XmlElement> children = childElements();
    if (position < -1 || position > children.size())
        throw Error(QStringLiteral("Položaj %1 je izven meja (0..%2).").arg(position).arg(children.size()));
    xmlNodePtr before = (position == -1 || position == children.size()) ? nullptr : children.at(position).node();
    xmlNodePtr child = xmlNewDocNode(n->doc, nullptr, x(local), nullptr);
    if (before)
        xmlAddPrevSibling(before, child);
    else
        xmlAddChild(n, child);
    const QByteArray href = namespaceUri.toUtf8();
    child->ns = resolveNamespace(child, namespaceUri.isEmpty() ? nullptr : x(href), nullptr, false);
    return XmlElement(child);
}

bool XmlElement::hasChild(const QString& name) const { return findChild(name.toUtf8().constData()) != nullptr; }

XmlElement XmlElement::child(const QString& name) const
{
    return XmlElement(childNode(checkedName(name, false).constData()));
}

QList<XmlElement> XmlElement::childElements() const
{
    QList<XmlElement> result;
    for (xmlNodePtr c = checkedNode()->children; c; c = c->next)
        if (isElement(c))
            result.append(XmlElement(c));
    return result;
}

int XmlElement::childElementCount() const { return int(childElements().size()); }

void XmlElement::declareMissingNamespaces() const
{
    forEachElement(checkedNode(), [](xmlNodePtr el) {
        if (!el->ns) {
            xmlNsPtr d = xmlSearchNs(el->doc, el, nullptr);
            if (d && d->href && *d->href && !ownDeclaration(el, nullptr))
                prependDeclaration(el, x(""), nullptr);
        } else {
            xmlNsPtr nearest = xmlSearchNs(el->doc, el, el->ns->prefix);
            if (nearest != el->ns) {
                if (nearest && sameHref(nearest->href, el->ns->href))
                    el->ns = nearest;
                else if (!(nearest && declaredOn(el, nearest))) // an explicit declaration wins
                    el->ns = prependDeclaration(el, el->ns->href, el->ns->prefix);
            }
        }
        for (xmlAttrPtr a = el->properties; a; a = a->next) {
            if (!a->ns)
                continue;
            xmlNsPtr nearest = xmlSearchNs(el->doc, el, a->ns->prefix);
            if (nearest == a->ns)
                continue;
            if (nearest && sameHref(nearest->href, a->ns->href))
                a->ns = nearest;
            else if (!(nearest && declaredOn(el, nearest)))
                a->ns = xmlNewNs(el, a->ns->href, a->ns->prefix);
        }
    });
}

xmlNodePtr XmlElement::findChild(const char* name) const
{
    xmlNodePtr n = checkedNode();
    const xmlChar* href = hrefOf(n->ns);
    for (xmlNodePtr c = n->children; c; c = c->next)
        if (isElement(c) && xmlStrEqual(c->name, x(name)) && sameHref(hrefOf(c->ns), href))
            return c;
    return nullptr;
}

xmlNodePtr XmlElement::childNode(const char* name) const
{
    if (xmlNodePtr found = findChild(name))
        return found;
    if (!createsOnAccess(m_node))
        throw Error(QStringLiteral("Element %1 ne obstaja v elementu %2.")
                        .arg(QString::fromUtf8(name), localName()));
    return createChild(name, nullptr);
}

xmlNodePtr XmlElement::createChild(const char* name, xmlNodePtr before) const
{
    xmlNodePtr n = checkedNode();
    xmlNodePtr child = xmlNewDocNode(n->doc, nullptr, x(name), nullptr);
    if (before)
        xmlAddPrevSibling(before, child);
    else
        xmlAddChild(n, child);
    child->ns = resolveNamespace(child, hrefOf(n->ns), n->ns ? n->ns->prefix : nullptr, false);
    return child;
}

QString XmlElement::childText(const char* name) const { return XmlElement(childNode(name)).text(); }

void XmlElement::setChildText(const char* name, const QString& value) const
{
    XmlElement(childNode(name)).setText(value);
}

int XmlElement::childInt(const char* name) const
{
    const QString value = childText(name);
    bool ok = false;
    const int result = value.trimmed().toInt(&ok, 10);
    if (!ok)
        throw Error(QStringLiteral("'%1' ni veljavno celo število (%2).").arg(value, QString::fromUtf8(name)));
    return result;
}

void XmlElement::setChildInt(const char* name, int value) const { setChildText(name, QString::number(value)); }

bool XmlElement::childBool(const char* name) const
{
    const QString value = childText(name).trimmed();
    if (value == u"true" || value == u"1")
        return true;
    if (value == u"false" || value == u"0")
        return false;
    throw Error(QStringLiteral("'%1' ni veljavna logična vrednost (%2).").arg(value, QString::fromUtf8(name)));
}

void XmlElement::setChildBool(const char* name, bool value) const
{
    setChildText(name, value ? QStringLiteral("true") : QStringLiteral("false"));
}

// ---- XmlNodeList ----------------------------------------------------------------------------

QList<xmlNodePtr> XmlNodeList::itemNodes() const
{
    xmlNodePtr n = checkedNode();
    QList<xmlNodePtr> result;
    if (!m_itemTag)
        return result;
    const xmlChar* href = hrefOf(n->ns);
    for (xmlNodePtr c = n->children; c; c = c->next)
        if (isElement(c) && xmlStrEqual(c->name, x(m_itemTag)) && sameHref(hrefOf(c->ns), href))
            result.append(c);
    return result;
}

int XmlNodeList::Count() const { return int(itemNodes().size()); }

xmlNodePtr XmlNodeList::itemNode(int index) const
{
    const QList<xmlNodePtr> items = itemNodes();
    if (index < 0 || index >= items.size())
        throw Error(QStringLiteral("Indeks %1 je izven meja seznama %2 (elementov: %3).")
                        .arg(index)
                        .arg(itemTag())
                        .arg(items.size()));
    return items.at(index);
}

xmlNodePtr XmlNodeList::addItem() const
{
    if (!m_itemTag)
        throw Error(QStringLiteral("Seznam brez oznake elementov ne more dodati elementa."));
    return createChild(m_itemTag, nullptr);
}

xmlNodePtr XmlNodeList::insertItem(int index) const
{
    if (!m_itemTag)
        throw Error(QStringLiteral("Seznam brez oznake elementov ne more dodati elementa."));
    const QList<xmlNodePtr> items = itemNodes();
    if (index == items.size())
        return items.isEmpty() ? createChild(m_itemTag, nullptr) : [&] {
            // After the last item, not after whatever follows the list.
            xmlNodePtr last = items.last();
            xmlNodePtr next = last->next;
            while (next && !isElement(next))
                next = next->next;
            return createChild(m_itemTag, next);
        }();
    return createChild(m_itemTag, itemNode(index));
}

void XmlNodeList::Clear() const
{
    for (xmlNodePtr item : itemNodes()) {
        xmlUnlinkNode(item);
        xmlFreeNode(item);
    }
}

void XmlNodeList::Delete(int index) const
{
    xmlNodePtr item = itemNode(index);
    xmlUnlinkNode(item);
    xmlFreeNode(item);
}

int XmlNodeList::removeItem(xmlNodePtr item) const
{
    const int index = int(itemNodes().indexOf(item));
    if (index >= 0) {
        xmlUnlinkNode(item);
        xmlFreeNode(item);
    }
    return index;
}

} // namespace rek2
