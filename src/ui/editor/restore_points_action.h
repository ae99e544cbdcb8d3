#pragma once

#include <QAction>

#include "ui/editor/restore_points_window.h"

namespace morvane {

// Ctrl+H in the editor: opens the editor's restore points window, made on first use and read
// again each time. A single map is never written, so it has no restore points: for one, a
// message says so and no window opens.
class RestorePointsAction : public QAction {
    Q_OBJECT

public:
    // Arguments as RestorePointsWindow takes them; the action belongs to editor and works
    // wherever the focus is in it.
    RestorePointsAction(LevelDocument& document, TileSet& tiles, MessageBoxes& messages,
                        RestorePointsWindow::EditorHooks hooks, QWidget& editor);

private:
    void openWindow();

    LevelDocument& m_document;
    TileSet& m_tiles;
    MessageBoxes& m_messages;
    RestorePointsWindow::EditorHooks m_hooks;
    QWidget& m_editor;
    RestorePointsWindow* m_window = nullptr;
};

}  // namespace morvane
