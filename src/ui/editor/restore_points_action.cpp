#include "ui/editor/restore_points_action.h"

#include <QFile>

#include "ui/editor/level_document.h"
#include "ui/editor/message_boxes.h"

namespace morvane {

RestorePointsAction::RestorePointsAction(LevelDocument& document, TileSet& tiles,
                                         MessageBoxes& messages,
                                         RestorePointsWindow::EditorHooks hooks, QWidget& editor)
    : QAction(&editor),
      m_document(document),
      m_tiles(tiles),
      m_messages(messages),
      m_hooks(std::move(hooks)),
      m_editor(editor) {
    setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    connect(this, &QAction::triggered, this, &RestorePointsAction::openWindow);
    editor.addAction(this);
}

void RestorePointsAction::openWindow() {
    if (!m_document.holdsManyLevels()) {
        m_messages.show(&m_editor,
                        QStringLiteral("%1 is a single map. A single map is never written, so it "
                                       "has no restore points.")
                            .arg(QFile::decodeName(m_document.selection().fileName.c_str())),
                        QString::fromStdString(m_document.selection().caption),
                        QMessageBox::Information, QMessageBox::Ok, QMessageBox::NoButton);
        return;
    }
    if (!m_window) {
        m_window = new RestorePointsWindow(m_document, m_tiles, m_messages, m_hooks, m_editor);
    }
    m_window->open();
}

}  // namespace morvane
