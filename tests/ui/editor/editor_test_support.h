#pragma once

#include <gtest/gtest.h>

#include <QComboBox>
#include <QImage>
#include <QString>
#include <QTemporaryDir>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "leveldata/level_layout.h"
#include "leveldata/level_map.h"
#include "scripted_message_boxes.h"
#include "sources/source_kind.h"
#include "sources/source_selection.h"
#include "ui/editor/editor_window.h"
#include "ui/editor/level_document.h"
#include "ui/editor/level_grid.h"

// Shows text in test failures.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace morvane::test {

using Bytes = std::vector<std::uint8_t>;

inline const std::string kCaption = "Morvane Level Editor v1.1";

// A temporary folder with the 64 generated tile pictures in "gif", made the current directory
// for the life of the object (the editor finds its files there).
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

// A level whose cells run through all 64 tiles in pairs of equal cells.
LevelMap PatternLevel(int index);
// Level index of MakeTestBank(): a pattern level for even indices, a demo level for odd ones.
LevelMap TestLevel(int index);
// A bank of the 99 test levels, packed greedily.
Bytes MakeTestBank();

// The bytes of file after the level core saved map as level index into a copy of it, starting
// from the level as it stands in the file.
Bytes SavedByCore(const Bytes& file, const LevelLayout& layout, int index, const LevelMap& map);

// The picture file of tile as the test reads it, at its own size, in Format_ARGB32.
QImage TilePicture(const QString& folder, int tile);

// picture in Format_ARGB32 with every transparent pixel set to 0, for comparisons.
QImage Normalised(const QImage& picture);

// The cell picture expected for tile picture: every pixel doubled-up by nearest neighbour to
// 32 x 32 and transparent pixels showing the background colour.
QImage ExpectedCell(const QImage& picture);

// The control of window named name; for control arrays, the element with that "index".
template <typename T>
T* Control(const QWidget& window, const char* name, int index = -1) {
    for (T* control : window.findChildren<T*>(QString::fromLatin1(name))) {
        if (index < 0 || control->property("index").toInt() == index) {
            return control;
        }
    }
    return nullptr;
}

// The items of a combo box, in order.
QStringList Items(const QComboBox& combo);

// Picks item index of combo the way a user does: opens the list, moves to the item and
// presses Return.
void PickItem(QComboBox& combo, int index);

// Sends a press (and the release) of button at point of widget, with modifiers held.
void Click(QWidget& widget, QPoint point, Qt::MouseButton button,
           Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// Sends a pointer move without buttons to point of widget.
void MoveTo(QWidget& widget, QPoint point);

// A workspace, scripted message boxes and editor windows opened in them.
class EditorTest : public ::testing::Test {
protected:
    std::unique_ptr<EditorWindow> open(const std::string& name, SourceKind kind);
    // A cartridge-shaped file "cart.bin" holding bank, opened in a window.
    std::unique_ptr<EditorWindow> openCartridge(const Bytes& bank = MakeTestBank());
    // The caption for file name of the workspace; level 0 for a source of one level.
    QString expectedTitle(const QString& name, int level) const;

    Workspace workspace;
    ScriptedMessageBoxes messages;
};

LevelDocument& DocumentOf(const EditorWindow& window);
LevelGrid& GridOf(const EditorWindow& window);
// The widget as drawn, in Format_RGB32.
QImage Grab(QWidget& widget);
void ExpectGridShows(const EditorWindow& window, const LevelMap& map);
QStringList Numbers(int first, int count);

// How many of this process's file descriptors are open on path.
int OpenDescriptors(const QString& path);

}  // namespace morvane::test
