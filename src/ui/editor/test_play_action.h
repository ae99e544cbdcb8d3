#pragma once

#include <QAction>
#include <QString>
#include <functional>

#include "ui/editor/game_gear_links.h"

namespace morvane {

class LevelDocument;
class MessageBoxes;

// F5 in the editor: plays the open cartridge dump in an emulator. Only a dump of either release
// is played. The emulator is looked for before the shown level's unsaved edits are asked about,
// so that the question is never asked for nothing; the emulator then gets the file as it is on
// disk, through a name ending in ".gg".
class TestPlayAction : public QAction {
    Q_OBJECT

public:
    // The editor's unsaved-edits question, asked with prompt when the shown level has edits:
    // whether to go on, false when the user cancelled or the save failed.
    using AskToSaveEdits = std::function<bool(const QString& prompt)>;

    // document and messages must outlive the action; the action belongs to editor and works
    // wherever the focus is in it.
    TestPlayAction(const LevelDocument& document, MessageBoxes& messages,
                   AskToSaveEdits askToSaveEdits, QWidget& editor);

private:
    void play();
    void warn(const QString& text);

    const LevelDocument& m_document;
    MessageBoxes& m_messages;
    AskToSaveEdits m_askToSaveEdits;
    QWidget& m_editor;
    // The names test play hands emulators; removed when the editor goes.
    GameGearLinks m_gameGearLinks;
};

}  // namespace morvane
