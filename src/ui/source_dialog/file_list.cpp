#include "ui/source_dialog/file_list.h"

#include <QDir>
#include <algorithm>

#include "ui/source_dialog/natural_order.h"

namespace morvane {

FileList::FileList(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
}

void FileList::setPath(const QString& path) {
    m_path = QDir::cleanPath(path);
    clear();
    // QDir::System adds FIFOs, sockets, devices and dangling links to the regular files.
    QStringList names =
        QDir(m_path).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort);
    std::sort(names.begin(), names.end(), NaturalLess);
    addItems(names);
}

QItemSelectionModel::SelectionFlags FileList::selectionCommand(const QModelIndex& index,
                                                               const QEvent* event) const {
    // A click on the empty area below the last file selects nothing and keeps the selection.
    if (!index.isValid()) {
        return QItemSelectionModel::NoUpdate;
    }
    const auto command = QListWidget::selectionCommand(index, event);
    if (command & (QItemSelectionModel::Deselect | QItemSelectionModel::Toggle)) {
        return QItemSelectionModel::NoUpdate;
    }
    return command;
}

QString FileList::selectedName() const {
    const QList<QListWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? QString() : selected.front()->text();
}

}  // namespace morvane
