#pragma once

#include <QImage>
#include <QMessageBox>
#include <QWidget>
#include <cstdint>
#include <functional>

#include "leveldata/level_bank.h"
#include "picture/tile_set.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTableView;

namespace morvane {

class LevelDocument;
class MessageBoxes;
class RestorePointsModel;

// The restore points of the editor's source, each with the levels it differs in from the file,
// and the way to put one back. Selecting a point shows one level as the point holds it and as
// the file holds it now, side by side, with the differing cells framed; the pictures are drawn
// only then, so the window opens fast however many points there are. Not modal: the editor
// stays usable beside it. The editor owns one and shows it again and again.
class RestorePointsWindow : public QWidget {
    Q_OBJECT

public:
    // What the window needs of the editor around a restore.
    struct EditorHooks {
        // The editor's unsaved-edits question when the shown level has edits: false when the
        // user cancelled or the save failed.
        std::function<bool()> confirmLeavingLevel;
        // Reads the shown level again from the file, as the editor's Load does.
        std::function<void()> reloadLevel;
    };

    // The colour of the frames around the cells that differ.
    static constexpr QRgb kFrameColour = 0xFFFF00FF;

    // document, tiles and messages must outlive the window; editor is its parent.
    RestorePointsWindow(LevelDocument& document, TileSet& tiles, MessageBoxes& messages,
                        EditorHooks hooks, QWidget& editor);

    // Reads the points again and shows the window in front.
    void open();

private:
    void buildControls();
    // Reads the points again and selects point id again when it is still listed.
    void refresh(std::int64_t id);
    int selectedRow() const;
    void pointSelected();
    void showLevel();
    QImage levelImage(const LevelResult<BankLevel>& level);
    void restoreSelected();
    QMessageBox::StandardButton message(
        const QString& text, QMessageBox::Icon icon,
        QMessageBox::StandardButtons buttons = QMessageBox::Ok,
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

    LevelDocument& m_document;
    TileSet& m_tiles;
    MessageBoxes& m_messages;
    EditorHooks m_hooks;
    RestorePointsModel* m_model = nullptr;

    QTableView* m_list = nullptr;
    QLabel* m_status = nullptr;
    QComboBox* m_levels = nullptr;
    QLabel* m_pointCaption = nullptr;
    QLabel* m_pointPicture = nullptr;
    QLabel* m_filePicture = nullptr;
    QPushButton* m_restore = nullptr;
    QPushButton* m_close = nullptr;
};

}  // namespace morvane
