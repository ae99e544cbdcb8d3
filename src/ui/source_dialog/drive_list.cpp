#include "ui/source_dialog/drive_list.h"

#include <QSignalBlocker>

namespace morvane {

DriveList::DriveList(Source source, QWidget* parent)
    : QComboBox(parent), m_source(std::move(source)), m_catalog(m_source()) {
    fill();
    connect(this, &QComboBox::activated, this,
            [this](int index) { emit driveChosen(itemText(index)); });
}

void DriveList::showDriveOf(const QString& path) {
    m_shownPath = path;
    const QSignalBlocker quiet(this);
    setCurrentIndex(findText(m_catalog.driveOf(path), Qt::MatchExactly));
}

QString DriveList::driveOf(const QString& path) const {
    return m_catalog.driveOf(path);
}

void DriveList::showPopup() {
    m_catalog = m_source();
    fill();
    showDriveOf(m_shownPath);
    QComboBox::showPopup();
}

void DriveList::fill() {
    const QSignalBlocker quiet(this);
    clear();
    addItems(m_catalog.roots());
}

}  // namespace morvane
