// The Properties tree: one root per open equation document, in opening order, showing its
// path, with the results node and the lines of its solution settings beneath it.
#pragma once

#include <QHash>
#include <QStringList>
#include <QTreeWidget>

namespace varnel {

class EquationDocument;

class PropertiesTree : public QTreeWidget {
    Q_OBJECT
public:
    explicit PropertiesTree(QWidget* parent = nullptr);

    /// Adds the document's node at the end. `results` (may be null) are the "name=value"
    /// lines of a solution, shown under the results node.
    void addDocument(const EquationDocument* document, const QString& text,
                     const QStringList* results = nullptr);
    /// Replaces the document's node where it stands (a node that was first moves to the end)
    /// and selects the new root; expands it when results are given.
    void rebuildDocument(const EquationDocument* document, const QString& text,
                         const QStringList* results = nullptr);
    /// Removes the document's node.
    void removeDocument(const EquationDocument* document);
    /// Selects the document's root.
    void selectDocument(const EquationDocument* document);

    QTreeWidgetItem* nodeOf(const EquationDocument* document) const;

private:
    QTreeWidgetItem* buildNode(const EquationDocument* document, const QString& text,
                               const QStringList* results);

    QHash<const EquationDocument*, QTreeWidgetItem*> m_nodes;
};

} // namespace varnel
