#include "ui/editor/level_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "leveldata/map_text.h"
#include "picture/level_export.h"
#include "ui/editor/level_document.h"
#include "ui/editor/message_boxes.h"
#include "ui/editor/paste_command.h"
#include "ui/editor/picture_image.h"

namespace morvane {

LevelClipboard::LevelClipboard(LevelDocument& document, TileSet& tiles, MessageBoxes& messages,
                               QWidget& editor)
    : QAction(&editor),
      m_document(document),
      m_tiles(tiles),
      m_messages(messages),
      m_editor(editor) {
    setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    connect(this, &QAction::triggered, this, &LevelClipboard::copy);
    editor.addAction(this);
    auto* pasteAction = new QAction(this);
    pasteAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    connect(pasteAction, &QAction::triggered, this, &LevelClipboard::paste);
    editor.addAction(pasteAction);
}

void LevelClipboard::copy() {
    if (!m_document.hasLevel()) {
        return;
    }
    const LevelMap& map = m_document.map();
    auto* data = new QMimeData;
    data->setText(QString::fromStdString(FormatMapText(map)));
    data->setImageData(ToQImage(ExportLevelPicture(map, m_tiles), QImage::Format_RGB32));
    QGuiApplication::clipboard()->setMimeData(data);
}

void LevelClipboard::paste() {
    // A source of one level is not painted, so nothing is pasted into it either.
    if (!m_document.holdsManyLevels() || !m_document.hasLevel()) {
        return;
    }
    const QString text = QGuiApplication::clipboard()->text();
    const MapTextResult parsed = ParseMapText(text.toStdString());
    if (!parsed.ok()) {
        m_messages.show(
            &m_editor,
            QStringLiteral("The clipboard does not hold a level map: %1.")
                .arg(text.trimmed().isEmpty()
                         ? QStringLiteral("it holds no text")
                         : QString::fromStdString(DescribeMapTextProblem(parsed.failure()))),
            QString::fromStdString(m_document.selection().caption), QMessageBox::Warning,
            QMessageBox::Ok, QMessageBox::NoButton);
        return;
    }
    // Pushing the paste onto the history paints the whole map, as one step.
    m_document.history().push(new PasteCommand(m_document, parsed.value()));
}

}  // namespace morvane
