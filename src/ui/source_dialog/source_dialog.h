#pragma once

#include <QHash>
#include <QString>
#include <QWidget>
#include <array>
#include <functional>

#include "sources/source_kind.h"
#include "sources/source_selection.h"
#include "ui/source_dialog/drive_list.h"

class QGroupBox;
class QLabel;
class QListWidgetItem;
class QPushButton;

namespace morvane {

class DirectoryList;
class FileList;
class KindOptionButton;

// The program's first window. The user browses drives, directories and files; each selected
// file is classified at once and its kind and descriptor values are shown. Open hands the
// selection to the editor; Quit closes the dialog.
//
// The dialog owns the process's current directory: from the first change on it keeps it equal
// to the directory list's path, so the selected file's bare name (and everything found beside
// it) resolves against it. After a successful Open the dialog is hidden and disabled for good
// but keeps its values, which selection() still returns.
class SourceDialog : public QWidget {
    Q_OBJECT

public:
    // Called by Open with the selection as it stands. It creates and shows the editor and
    // returns true, or returns false when the editor could not start (having told the user
    // why); the dialog then stays as it was.
    using Opener = std::function<bool(const SourceSelection&)>;

    // Starts in the process's current directory, with the drives of the mount table.
    explicit SourceDialog(Opener opener, QWidget* parent = nullptr);

    // The same with the drives taken from drives, which is read again whenever the drive list
    // drops down.
    SourceDialog(Opener opener, DriveList::Source drives, QWidget* parent = nullptr);

    // The values as they stand now: caption, directory list's path, selected file's bare name
    // (empty when none), Tag and the three value texts.
    SourceSelection selection() const;

    // The kind shown, as decimal text "0" to "5"; also held in the dynamic property "Tag".
    QString tag() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls(DriveList::Source drives);
    void chooseDrive(const QString& root);
    void changeDirectory(const QString& requested);
    void classifySelectedFile();
    void openDoubleClicked(QListWidgetItem* item);
    void open();
    void applySourceKind(SourceKind kind);

    Opener m_opener;
    bool m_opening = false;
    bool m_handedOver = false;
    bool m_centred = false;
    // The directory last shown on each drive, by drive root: picking a drive goes back there.
    QHash<QString, QString> m_driveDirectories;

    QGroupBox* m_frame1 = nullptr;
    DirectoryList* m_directories = nullptr;
    DriveList* m_drives = nullptr;
    FileList* m_files = nullptr;
    QGroupBox* m_frame2 = nullptr;
    std::array<KindOptionButton*, kSourceKindCount> m_options{};
    QLabel* m_dataOffset = nullptr;
    QLabel* m_compressed = nullptr;
    QLabel* m_numMaps = nullptr;
    QPushButton* m_openButton = nullptr;
    QPushButton* m_quitButton = nullptr;
};

}  // namespace morvane
