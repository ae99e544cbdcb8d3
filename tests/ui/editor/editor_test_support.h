#pragma once

#include <gtest/gtest.h>

#include <QComboBox>
#include <QImage>
#include <QTemporaryDir>
#include <deque>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "leveldata/level_layout.h"
#include "leveldata/level_map.h"
#include "sources/source_kind.h"
#include "sources/source_selection.h"
#include "ui/editor/editor_window.h"
#include "ui/editor/level_document.h"
#include "ui/editor/level_grid.h"
#include "ui/editor/message_boxes.h"

// Shows text in test failures.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace morvane::test {

using Bytes = std::vector<std::uint8_t>;

inline const QString kCaption = QStringLiteral("Morvane Level Editor v1.1");

// One message box the editor asked for.
struct MessageCall {
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

// Message boxes answered from a script: every call is recorded and takes the next queued
// answer. A call with no answer queued, or an answer left unused, fails the test.
class ScriptedMessageBoxes : public MessageBoxes {
public:
    ~ScriptedMessageBoxes() override;
    void answer(QMessageBox::StandardButton button) { m_answers.push_back(button); }
    std::vector<MessageCall> calls;

    QMessageBox::StandardButton show(QWidget* parent, const QString& text, const QString& title,
                                     QMessageBox::Icon icon, QMessageBox::StandardButtons buttons,
                                     QMessageBox::StandardButton defaultButton) override;

private:
    std::deque<QMessageBox::StandardButton> m_answers;
};

// A temporary folder with the 64 generated tile pictures in "gif", made the current directory
// for the life of the object.
class Workspace {
public:
    Workspace();
    ~Workspace();
    QString path() const { return m_folder.path(); }
    QString filePath(const QString& name) const { return m_folder.filePath(name); }
    void write(const QString& name, const Bytes& bytes) const;
    Bytes read(const QString& name) const;
    // What the source dialog hands over for file name classified as kind.
    SourceSelection select(const std::string& name, SourceKind kind) const;

private:
    QTemporaryDir m_folder;
    QString m_previousDirectory;
};

// Level index of MakeTestBank(): for even indices cells run through all 64 tiles in pairs, odd
// ones are demo rooms.
LevelMap TestLevel(int index);
Bytes MakeTestBank();
LevelLayout CartridgeLayout();

// The bytes of file after the core saved map as level index into a copy of it.
Bytes SavedByCore(const Bytes& file, const LevelLayout& layout, int index, const LevelMap& map);

// A tile picture file as the test reads it, and the 32 x 32 cell the grid must show for it:
// pixels doubled, transparent ones in the background colour.
QImage TilePicture(const QString& folder, int tile);
QImage ExpectedCell(const QImage& picture);

template <typename T>
T* Control(const QWidget& window, const char* name, int index = -1) {
    for (T* control : window.findChildren<T*>(QString::fromLatin1(name))) {
        if (index < 0 || control->property("index").toInt() == index) {
            return control;
        }
    }
    return nullptr;
}

// Picks item index of combo as a user does: opens the list, moves to it and presses Return.
void PickItem(QComboBox& combo, int index);
// A press and release of button at point of widget, with modifiers held.
void Click(QWidget& widget, QPoint point, Qt::MouseButton button,
           Qt::KeyboardModifiers modifiers = Qt::NoModifier);
void ClickButton(const QWidget& window, const char* name);
void MoveTo(QWidget& widget, QPoint point);
QImage Grab(QWidget& widget);

LevelDocument& DocumentOf(const EditorWindow& window);
LevelGrid& GridOf(const EditorWindow& window);
// Sets the left brush to tile and paints cells with it; returns the map as painted.
LevelMap Paint(const EditorWindow& window, std::initializer_list<int> cells, int tile);

class EditorTest : public ::testing::Test {
protected:
    std::unique_ptr<EditorWindow> open(const std::string& name, SourceKind kind);
    // A cartridge-shaped "cart.bin" holding bank, opened in a window.
    std::unique_ptr<EditorWindow> openCartridge(const Bytes& bank = MakeTestBank());
    // The caption for file name of the workspace; level 0 for a source of one level.
    QString expectedTitle(const QString& name, int level) const;

    Workspace workspace;
    ScriptedMessageBoxes messages;
};

}  // namespace morvane::test
