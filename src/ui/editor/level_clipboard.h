#pragma once

#include <QAction>

namespace morvane {

class LevelDocument;
class MessageBoxes;
class TileSet;

// Ctrl+C and Ctrl+V in the editor: the shown level to and from the system clipboard. This
// action is Ctrl+C and copies the level both as map text and as its picture, for other
// programs; it adds Ctrl+V beside it, which reads map text from the clipboard into the shown
// level as one edit that can be undone.
class LevelClipboard : public QAction {
    Q_OBJECT

public:
    // document, tiles and messages must outlive the actions; both belong to editor and work
    // wherever the focus is in it.
    LevelClipboard(LevelDocument& document, TileSet& tiles, MessageBoxes& messages,
                   QWidget& editor);

private:
    void copy();
    void paste();

    LevelDocument& m_document;
    TileSet& m_tiles;
    MessageBoxes& m_messages;
    QWidget& m_editor;
};

}  // namespace morvane
