// Building and keeping the Properties tree's document nodes.
#include "PropertiesTree.h"

#include "EquationDocument.h"
#include "PropertyLines.h"

#include <QApplication>
#include <QHeaderView>
#include <QStyle>

namespace varnel {

PropertiesTree::PropertiesTree(QWidget* parent) : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(true);
    setUniformRowHeights(true);
}

QTreeWidgetItem* PropertiesTree::buildNode(const EquationDocument* document, const QString& text,
                                           const QStringList* results)
{
    const SolverOptions& options = document->options();
    QStyle* s = style();
    auto* root = new QTreeWidgetItem({text});
    root->setIcon(0, s->standardIcon(QStyle::SP_FileIcon));
    const bool found = options.resultsFound != 0;
    auto* resultsNode =
        new QTreeWidgetItem(root, {QString::fromStdString(resultsNodeText(options))});
    resultsNode->setIcon(
        0, s->standardIcon(found ? QStyle::SP_DialogApplyButton : QStyle::SP_MessageBoxWarning));
    if (results)
        for (const QString& line : *results) {
            auto* item = new QTreeWidgetItem(resultsNode, {line});
            item->setIcon(0, s->standardIcon(found ? QStyle::SP_DialogApplyButton
                                                   : QStyle::SP_MessageBoxWarning));
        }
    for (const std::string& line : optionLines(options)) {
        auto* item = new QTreeWidgetItem(root, {QString::fromStdString(line)});
        item->setIcon(0, s->standardIcon(QStyle::SP_FileDialogDetailedView));
    }
    return root;
}

void PropertiesTree::addDocument(const EquationDocument* document, const QString& text,
                                 const QStringList* results)
{
    removeDocument(document);
    QTreeWidgetItem* root = buildNode(document, text, results);
    addTopLevelItem(root);
    m_nodes.insert(document, root);
    setCurrentItem(root);
}

void PropertiesTree::rebuildDocument(const EquationDocument* document, const QString& text,
                                     const QStringList* results)
{
    QTreeWidgetItem* old = m_nodes.value(document);
    int at = old ? indexOfTopLevelItem(old) : -1;
    delete old;
    m_nodes.remove(document);
    QTreeWidgetItem* root = buildNode(document, text, results);
    // The node goes after the one that stood before it; the first node has none and goes last.
    if (at <= 0)
        addTopLevelItem(root);
    else
        insertTopLevelItem(at, root);
    m_nodes.insert(document, root);
    if (results) {
        root->setExpanded(true);
        root->child(0)->setExpanded(true);
    }
    setCurrentItem(root);
}

void PropertiesTree::removeDocument(const EquationDocument* document)
{
    delete m_nodes.take(document);
}

void PropertiesTree::selectDocument(const EquationDocument* document)
{
    if (QTreeWidgetItem* root = m_nodes.value(document))
        setCurrentItem(root);
}

QTreeWidgetItem* PropertiesTree::nodeOf(const EquationDocument* document) const
{
    return m_nodes.value(document);
}

} // namespace varnel
