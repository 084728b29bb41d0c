#pragma once
#include <QList>
#include <QPair>
#include <QString>

#include <libxml/tree.h>

namespace rek2 {

// Options of a document that the views honour; the document class keeps them in
// xmlDoc::_private. A document without them creates missing elements on access.
struct XmlDocumentOptions {
    bool createOnAccess = true;
};

// A thin view over one element of a libxml2 document: a node pointer and nothing else. The
// document owns the node; views are copied and dropped freely and must not outlive it.
//
// Namespaces follow the rules of a DOM with namespace fix-up on output:
// - an element keeps the namespace it was created in;
// - an explicit declaration (setAttribute("xmlns" / "xmlns:p", uri)) is written exactly as
//   given and does not move the element it is set on into that namespace;
// - an element whose namespace is not the one its prefix means at its place in the written
//   text gets a declaration of its own, placed before any explicit ones.
class XmlElement {
public:
    XmlElement() = default;
    explicit XmlElement(xmlNodePtr node) : m_node(node) {}

    xmlNodePtr node() const { return m_node; }
    bool isNull() const { return m_node == nullptr; }
    bool operator==(const XmlElement& other) const { return m_node == other.m_node; }

    QString localName() const;
    QString namespaceUri() const; // the namespace the element was created in
    QString prefix() const;

    // Text content (of all descendants); writing replaces the content by one text node.
    QString text() const;
    void setText(const QString& value) const;

    // Attributes, including the namespace declarations "xmlns" and "xmlns:prefix". A
    // declaration that the element already has is changed in place.
    void setAttribute(const QString& name, const QString& value) const;
    // Null QString when the element has no such attribute.
    QString attribute(const QString& name) const;
    bool hasAttribute(const QString& name) const;
    // In written order: namespace declarations first, then the other attributes.
    QList<QPair<QString, QString>> attributes() const;
    // Removes every attribute and every namespace declaration of this element. Elements
    // that still need a removed declaration get one of their own.
    void removeAllAttributes() const;

    // New child element `name` in namespace `namespaceUri` (empty: none), without a prefix,
    // before the element child at `position` (-1: after the last child).
    XmlElement addChild(const QString& name, const QString& namespaceUri, int position = -1) const;

    // Child elements named `name` in this element's namespace.
    bool hasChild(const QString& name) const;
    // The first such child; missing, it is created at the end (see `createOnAccess`).
    XmlElement child(const QString& name) const;
    QList<XmlElement> childElements() const;
    int childElementCount() const;

    // Gives every element of the subtree that needs one the declaration of its own namespace
    // (the fix-up that saving runs).
    void declareMissingNamespaces() const;

protected:
    xmlNodePtr checkedNode() const;
    xmlNodePtr findChild(const char* name) const;
    // The child, created at the end in this element's namespace and prefix when missing and
    // the document creates on access; otherwise an Error.
    xmlNodePtr childNode(const char* name) const;
    xmlNodePtr createChild(const char* name, xmlNodePtr before) const;

    QString childText(const char* name) const;
    void setChildText(const char* name, const QString& value) const;
    int childInt(const char* name) const;
    void setChildInt(const char* name, int value) const;
    bool childBool(const char* name) const;
    void setChildBool(const char* name, bool value) const;
    template <class T>
    T childAs(const char* name) const
    {
        return T(childNode(name));
    }

    xmlNodePtr m_node = nullptr;
};

// The repeated children named by one item tag among the children of an element, in the
// namespace of that element. The view is over the owning element, so the generic element
// operations act on it.
class XmlNodeList : public XmlElement {
public:
    XmlNodeList() = default;
    XmlNodeList(xmlNodePtr owner, const char* itemTag) : XmlElement(owner), m_itemTag(itemTag) {}

    QString itemTag() const { return QString::fromLatin1(m_itemTag ? m_itemTag : ""); }
    int Count() const;
    void Clear() const;
    void Delete(int index) const;

protected:
    QList<xmlNodePtr> itemNodes() const;
    xmlNodePtr itemNode(int index) const;
    xmlNodePtr addItem() const;
    xmlNodePtr insertItem(int index) const;
    int removeItem(xmlNodePtr item) const;

    const char* m_itemTag = nullptr;
};

template <class Item>
class XmlNodeCollection : public XmlNodeList {
public:
    using XmlNodeList::XmlNodeList;

    // Appends a new item after the last child of the owning element.
    Item Add() const { return Item(addItem()); }
    // A new item before the item now at `index` (index == Count(): after the last item).
    Item Insert(int index) const { return Item(insertItem(index)); }
    // Item by 0-based index; an Error when out of range.
    Item Items(int index) const { return Item(itemNode(index)); }
    Item operator[](int index) const { return Items(index); }
    // Removes the given item; its former index, or -1 when it is not an item of this list.
    int Remove(const Item& item) const { return removeItem(item.node()); }
};

} // namespace rek2
