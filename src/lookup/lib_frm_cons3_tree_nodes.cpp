#include "lookup/lib_frm_cons3_tree_nodes.h"

#include "platform/error.h"
#include "platform/runtime.h"

#include <QTreeWidget>

namespace lookup {

namespace {

constexpr int KeyRole = Qt::UserRole;
constexpr std::int32_t ElementNotFound = 35601;
constexpr std::int32_t KeyNotUnique = 35602;

[[noreturn]] void raise(std::int32_t number, const QString &description)
{
    throw platform::Error(number, description, platform::programName());
}

} // namespace

TreeNodes::TreeNodes(QTreeWidget &tree) : m_tree(tree) { }

void TreeNodes::clear()
{
    m_tree.clear();
    m_order.clear();
    m_byKey.clear();
    m_firstByFoldedKey.clear();
}

QTreeWidgetItem *TreeNodes::addTop(const QString &key, const QString &text)
{
    return add(nullptr, key, text);
}

QTreeWidgetItem *TreeNodes::addChild(const QString &parentKey, const QString &key,
                                     const QString &text)
{
    QTreeWidgetItem *parent = byKey(parentKey);
    if (!parent)
        raise(ElementNotFound, QStringLiteral("No se encontró el elemento"));
    return add(parent, key, text);
}

QTreeWidgetItem *TreeNodes::add(QTreeWidgetItem *parent, const QString &key, const QString &text)
{
    if (m_byKey.contains(key))
        raise(KeyNotUnique, QStringLiteral("La clave no es única en la colección"));
    auto *node = new QTreeWidgetItem({text});
    node->setData(0, KeyRole, key);
    if (m_checkBoxes)
        node->setCheckState(0, Qt::Unchecked);
    if (parent)
        parent->addChild(node);
    else
        m_tree.addTopLevelItem(node);
    m_order.append(node);
    m_byKey.insert(key, node);
    const QString folded = key.toCaseFolded();
    if (!m_firstByFoldedKey.contains(folded))
        m_firstByFoldedKey.insert(folded, node);
    return node;
}

QTreeWidgetItem *TreeNodes::longestKeyBeginning(const QString &key) const
{
    const QString folded = key.toCaseFolded();
    for (qsizetype length = folded.size(); length > 0; --length) {
        if (QTreeWidgetItem *node = m_firstByFoldedKey.value(folded.left(length)))
            return node;
    }
    return nullptr;
}

QString TreeNodes::keyOf(const QTreeWidgetItem &node)
{
    return node.data(0, KeyRole).toString();
}

void TreeNodes::setCheckBoxes(bool shown)
{
    m_checkBoxes = shown;
    for (QTreeWidgetItem *node : std::as_const(m_order)) {
        if (shown)
            node->setCheckState(0, Qt::Unchecked);
        else
            node->setData(0, Qt::CheckStateRole, QVariant());
    }
}

} // namespace lookup
