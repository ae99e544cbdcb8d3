#pragma once

#include <QStyledItemDelegate>

class QComboBox;

namespace morvane {

class LevelListPictures;

// Draws the rows of the level list's drop-down: the level number, the level's small picture and
// its packed size. The items' own texts stay the bare numbers, so the closed box and the
// accessibility tree read them as before; only the drop-down, which may be wider than the box,
// shows the pictures. Each time the drop-down opens, the pictures are refreshed from the file.
class LevelListDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    // Installs itself as combo's item delegate (the combo box owns it) and widens the
    // drop-down to the rows. pictures must outlive the combo box.
    LevelListDelegate(QComboBox& combo, LevelListPictures& pictures);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    LevelListPictures& pictures() const { return m_pictures; }

    // Where a row drawn in rowRect shows the level's picture and its size text.
    static QRect PictureRect(const QRect& rowRect);
    static QRect SizeRect(const QRect& rowRect);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    LevelListPictures& m_pictures;
    QObject* m_popup = nullptr;
};

}  // namespace morvane
