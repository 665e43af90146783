#pragma once

#include <QHash>
#include <QString>
#include <QVector>

class QTreeWidget;
class QTreeWidgetItem;

namespace lookup {

// The nodes of a tree control found by key and in the order they were added, as the tree
// lookup addresses them: keys are unique, a child names its parent by key, and a node's place
// in that order (from 1) is its index. Adding raises the tree control's errors: 35602 for a key
// already there, 35601 for a parent key that names no node.
class TreeNodes
{
public:
    explicit TreeNodes(QTreeWidget &tree);

    void clear();
    // A node at the top level of the tree.
    QTreeWidgetItem *addTop(const QString &key, const QString &text);
    QTreeWidgetItem *addChild(const QString &parentKey, const QString &key, const QString &text);

    int count() const { return int(m_order.size()); }
    // The node at an index from 1 to count().
    QTreeWidgetItem *at(int index) const { return m_order.at(index - 1); }
    QTreeWidgetItem *byKey(const QString &key) const { return m_byKey.value(key); }
    // The node whose key is the longest that begins the given key, letter case ignored; among
    // keys of equal length the first added. nullptr when no key begins it.
    QTreeWidgetItem *longestKeyBeginning(const QString &key) const;

    static QString keyOf(const QTreeWidgetItem &node);

    // Check boxes on every node, present and future, or on none.
    void setCheckBoxes(bool shown);

private:
    QTreeWidgetItem *add(QTreeWidgetItem *parent, const QString &key, const QString &text);

    QTreeWidget &m_tree;
    bool m_checkBoxes = false;
    QVector<QTreeWidgetItem *> m_order;
    QHash<QString, QTreeWidgetItem *> m_byKey;
    // First node added for each key folded to one letter case, so a prefix is found by
    // looking up its folded text instead of comparing it with every node.
    QHash<QString, QTreeWidgetItem *> m_firstByFoldedKey;
};

} // namespace lookup
