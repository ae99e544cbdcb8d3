#include "ui/editor/level_list_delegate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QPainter>
#include <QScrollBar>

#include "picture/level_picture.h"
#include "ui/editor/level_list_pictures.h"

namespace morvane {

namespace {

constexpr int kMargin = 4;
constexpr int kNumberWidth = 22;
constexpr int kSizeWidth = 72;
constexpr int kRowHeight = kSmallPictureHeight + 4;
constexpr int kRowWidth =
    kMargin + kNumberWidth + kMargin + kSmallPictureWidth + kMargin + kSizeWidth + kMargin;

QRect NumberRect(const QRect& rowRect) {
    return QRect(rowRect.left() + kMargin, rowRect.top(), kNumberWidth, rowRect.height());
}

}  // namespace

LevelListDelegate::LevelListDelegate(QComboBox& combo, LevelListPictures& pictures)
    : QStyledItemDelegate(&combo), m_pictures(pictures) {
    combo.setItemDelegate(this);
    QAbstractItemView* list = combo.view();
    // The drop-down may be wider than the 45-pixel box; the box itself keeps its size.
    list->setMinimumWidth(kRowWidth + list->verticalScrollBar()->sizeHint().width());
    // The view's frame is the drop-down's window; it is shown each time the list opens.
    m_popup = list->window();
    m_popup->installEventFilter(this);
}

QRect LevelListDelegate::PictureRect(const QRect& rowRect) {
    return QRect(NumberRect(rowRect).right() + 1 + kMargin,
                 rowRect.top() + (rowRect.height() - kSmallPictureHeight) / 2, kSmallPictureWidth,
                 kSmallPictureHeight);
}

QRect LevelListDelegate::SizeRect(const QRect& rowRect) {
    return QRect(PictureRect(rowRect).right() + 1 + kMargin, rowRect.top(), kSizeWidth,
                 rowRect.height());
}

void LevelListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    background.text.clear();
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &background, painter, widget);

    const LevelListPictures::Row& row = m_pictures.row(index.row());
    const bool selected = option.state & QStyle::State_Selected;
    painter->save();
    painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter->setFont(option.font);
    painter->drawText(NumberRect(option.rect), Qt::AlignRight | Qt::AlignVCenter, row.number);
    painter->drawImage(PictureRect(option.rect), row.picture);
    painter->drawText(SizeRect(option.rect), Qt::AlignLeft | Qt::AlignVCenter, row.size);
    painter->restore();
}

QSize LevelListDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
    return QSize(kRowWidth, kRowHeight);
}

bool LevelListDelegate::eventFilter(QObject* watched, QEvent* event) {
    // The drop-down's window is no item editor: the base class must not treat its keys.
    if (watched == m_popup) {
        if (event->type() == QEvent::Show) {
            m_pictures.refresh();
        }
        return false;
    }
    return QStyledItemDelegate::eventFilter(watched, event);
}

}  // namespace morvane
