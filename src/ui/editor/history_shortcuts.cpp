#include "ui/editor/history_shortcuts.h"

#include <QAction>
#include <QUndoStack>
#include <QWidget>

namespace morvane {

void AddHistoryShortcuts(QUndoStack& history, QWidget& editor) {
    QAction* undo = history.createUndoAction(&editor);
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    editor.addAction(undo);
    QAction* redo = history.createRedoAction(&editor);
    redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    editor.addAction(redo);
}

}  // namespace morvane
