#pragma once

#include <QComboBox>
#include <functional>

#include "ui/source_dialog/drive_catalog.h"

namespace morvane {

// The drive list: a drop-down list of the drives of a DriveCatalog. It shows the drive of the
// directory the dialog is in, and reports when the user picks a drive, by mouse or keyboard.
// The catalog is read again each time the list drops down, so media mounted meanwhile appear.
class DriveList : public QComboBox {
    Q_OBJECT

public:
    using Source = std::function<DriveCatalog()>;

    explicit DriveList(Source source, QWidget* parent = nullptr);

    // Shows the drive that holds path, without reporting a choice.
    void showDriveOf(const QString& path);

    // The root of the drive that holds path.
    QString driveOf(const QString& path) const;

signals:
    void driveChosen(const QString& root);

protected:
    void showPopup() override;

private:
    void fill();

    Source m_source;
    DriveCatalog m_catalog;
    QString m_shownPath;
};

}  // namespace morvane
