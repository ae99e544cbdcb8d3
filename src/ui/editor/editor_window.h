#pragma once

#include <QMessageBox>
#include <QWidget>
#include <array>
#include <memory>

#include "leveldata/byte_file.h"
#include "picture/tile_set.h"
#include "sources/source_selection.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace morvane {

class LevelDocument;
class LevelGrid;
class LevelListPictures;
class MessageBoxes;

// The editor window: one level as a grid of 32 x 7 tile pictures above a row of controls (the
// level list, Load, Save, Export, about, Quit, the tile under the pointer and three brushes,
// one per mouse button). The level itself lives in a LevelDocument; this window turns clicks
// into its operations and shows the results and every message through MessageBoxes.
class EditorWindow : public QWidget {
    Q_OBJECT

public:
    // Creates the window and runs the start-up: opens selection.fileName, resolved against the
    // current directory, for reading and writing, and loads the first level. When the source
    // cannot be opened it shows a warning with the reason and started() is false: no file is
    // left open and the caller deletes the window. messages must outlive the window.
    EditorWindow(const SourceSelection& selection, MessageBoxes& messages,
                 QWidget* parent = nullptr);
    // The same with the files taken from files instead of the disk; tests use it to make file
    // operations fail. files must outlive the window.
    EditorWindow(const SourceSelection& selection, MessageBoxes& messages, FileSystem& files,
                 QWidget* parent = nullptr);
    ~EditorWindow() override;

    bool started() const { return m_started; }

signals:
    // Quit has closed the source; the holder of the source dialog unloads it now. The editor
    // closes itself right after.
    void quitting();

protected:
    // Only Quit closes the editor: every other close request is refused.
    void closeEvent(QCloseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    struct BrushControls {
        QLabel* label = nullptr;
        QComboBox* tiles = nullptr;
        QLabel* preview = nullptr;
    };

    void buildControls();
    void addShortcuts();
    void startEditor();

    void levelComboClicked();
    void loadLevel();
    bool confirmLeavingLevel();
    // Asks prompt when the shown level has unsaved edits, Cancel being the default: Yes saves,
    // No leaves the edits. Returns whether to go on: with no edits, on No, or on Yes when the
    // save succeeded.
    bool askToSaveEdits(const QString& prompt);
    void putLevelComboBack();
    bool saveLevel();
    void quitEditor();
    void exportPicture();
    void showSaveSpace();

    void showBrushes();
    void showBrushTile(int slot);
    void setBrushTile(int slot, int tile);
    void cellPressed(int cell, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void showCursorTile(int cell);

    QMessageBox::StandardButton message(
        const QString& text, QMessageBox::Icon icon,
        QMessageBox::StandardButtons buttons = QMessageBox::Ok,
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

    MessageBoxes& m_messages;
    FileSystem& m_files;
    LevelDocument* m_document;
    TileSet m_tiles;
    std::unique_ptr<LevelListPictures> m_listPictures;
    bool m_started = false;

    LevelGrid* m_grid = nullptr;
    QLabel* m_levelLabel = nullptr;
    QComboBox* m_levelCombo = nullptr;
    QPushButton* m_loadButton = nullptr;
    QPushButton* m_saveButton = nullptr;
    QPushButton* m_exportButton = nullptr;
    QLabel* m_cursorCaption = nullptr;
    QLabel* m_cursorTile = nullptr;
    std::array<BrushControls, 3> m_brushes;
    QPushButton* m_aboutButton = nullptr;
    QPushButton* m_quitButton = nullptr;
};

}  // namespace morvane
