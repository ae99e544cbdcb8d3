#include "ui/source_dialog/directory_list.h"

#include <QDir>
#include <QKeyEvent>
#include <algorithm>

#include "ui/source_dialog/natural_order.h"

namespace morvane {

namespace {

// The path and each of its ancestors, the file system's root first.
QStringList AncestorsOf(const QString& path) {
    QStringList chain;
    QString current = path;
    while (true) {
        chain.prepend(current);
        const QString parent = QDir::cleanPath(current + QStringLiteral("/.."));
        if (parent == current || QDir(current).isRoot()) {
            break;
        }
        current = parent;
    }
    return chain;
}

QTreeWidgetItem* MakeEntry(const QString& path, const QString& text, const QIcon& icon) {
    auto* item = new QTreeWidgetItem(QStringList{text});
    item->setIcon(0, icon);
    item->setData(0, Qt::UserRole, path);
    item->setToolTip(0, path);
    return item;
}

}  // namespace

DirectoryList::DirectoryList(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setUniformRowHeights(true);
    setIndentation(12);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        emit directoryRequested(item->data(0, Qt::UserRole).toString());
    });
}

void DirectoryList::setPath(const QString& path) {
    m_path = QDir::cleanPath(path);
    clear();

    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);

    QTreeWidgetItem* parentEntry = nullptr;
    for (const QString& ancestor : AncestorsOf(m_path)) {
        const QString name = QDir(ancestor).isRoot() ? ancestor : QDir(ancestor).dirName();
        QTreeWidgetItem* entry = MakeEntry(ancestor, name, open);
        if (parentEntry == nullptr) {
            addTopLevelItem(entry);
        } else {
            parentEntry->addChild(entry);
        }
        parentEntry = entry;
    }

    QStringList children =
        QDir(m_path).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::NoSort);
    std::sort(children.begin(), children.end(), NaturalLess);
    for (const QString& child : children) {
        parentEntry->addChild(MakeEntry(QDir(m_path).filePath(child), child, closed));
    }

    expandAll();
    setCurrentItem(parentEntry);
    scrollToItem(parentEntry);
}

void DirectoryList::drawBranches(QPainter*, const QRect&, const QModelIndex&) const {}

void DirectoryList::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        currentItem() != nullptr) {
        emit directoryRequested(currentItem()->data(0, Qt::UserRole).toString());
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

}  // namespace morvane
