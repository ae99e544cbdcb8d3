#pragma once

#include <QTreeWidget>

namespace morvane {

// The directory list: the path's ancestors from the file system's root down to the path
// itself, each indented one step further and shown as an open folder, then the path's
// sub-directories as closed folders in natural order. Opening an entry (double-click, or Enter
// on the highlighted entry) asks for that directory through directoryRequested; the owner
// decides where to go and calls setPath. Every entry holds its full path in Qt::UserRole.
class DirectoryList : public QTreeWidget {
    Q_OBJECT

public:
    explicit DirectoryList(QWidget* parent = nullptr);

    // The directory shown, an absolute cleaned path.
    QString path() const { return m_path; }

    // Shows path and its sub-directories, with path itself highlighted. A directory that cannot
    // be read shows no sub-directories. Does not emit directoryRequested.
    void setPath(const QString& path);

signals:
    void directoryRequested(const QString& path);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // Draws nothing: the entries show the path by their indentation alone, without the
    // expand and collapse marks of a tree.
    void drawBranches(QPainter* painter, const QRect& rect,
                      const QModelIndex& index) const override;

private:
    QString m_path;
};

}  // namespace morvane
