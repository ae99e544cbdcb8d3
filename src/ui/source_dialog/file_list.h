#pragma once

#include <QListWidget>

namespace morvane {

// The file list: every file of one directory, by bare name in natural order, with no pattern
// filtering. Besides regular files it lists what else a directory can hold (FIFOs, sockets,
// devices, dangling links), so the user sees the directory as it is; the classification that
// follows a selection never opens those. One entry at most is selected.
class FileList : public QListWidget {
    Q_OBJECT

public:
    explicit FileList(QWidget* parent = nullptr);

    // The directory listed, an absolute cleaned path.
    QString path() const { return m_path; }

    // Lists the files of path with nothing selected. A directory that cannot be read lists
    // nothing.
    void setPath(const QString& path);

    // The bare name of the selected file, or an empty text when none is selected.
    QString selectedName() const;

protected:
    // Once a file is selected, one stays selected: neither a Ctrl+click on it nor a click below
    // the last file takes it away, so the kind shown always belongs to a selected file.
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;

private:
    QString m_path;
};

}  // namespace morvane
