#pragma once

#include <gtest/gtest.h>

#include <QtTest>
#include <QtWidgets>
#include <ctime>
#include <deque>

#include "bank_builder.h"
#include "demo_levels.h"
#include "gif_writer.h"
#include "leveldata/level_codec.h"
#include "memory_file_system.h"
#include "picture/level_picture.h"
#include "sources/source_descriptor.h"
#include "ui/editor/editor_window.h"
#include "ui/editor/level_document.h"
#include "ui/editor/level_grid.h"
#include "ui/editor/level_list_delegate.h"
#include "ui/editor/message_boxes.h"

namespace morvane::test {

using Bytes = std::vector<std::uint8_t>;

inline const QString kCaption = QStringLiteral("Morvane Level Editor v1.1");
inline const QString kLoadPrompt =
    "You edited the level you're currently viewing. Do you want to save the changes before you "
    "load another level?";

struct MessageCall {
    QString text, title;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton;
};

// Message boxes answered from a script: every call is recorded and takes the next queued
// answer. A call with no answer queued, or an answer left unused, fails the test.
struct ScriptedMessageBoxes : MessageBoxes {
    ~ScriptedMessageBoxes() override {
        EXPECT_TRUE(queued.empty()) << queued.size() << " scripted answers were not used";
    }
    void answer(QMessageBox::StandardButton button) { queued.push_back(button); }
    QMessageBox::StandardButton show(QWidget*, const QString& text, const QString& title,
                                     QMessageBox::Icon icon, QMessageBox::StandardButtons buttons,
                                     QMessageBox::StandardButton defaultButton) override {
        calls.push_back({text, title, icon, buttons, defaultButton});
        if (queued.empty()) {
            ADD_FAILURE() << "Unexpected message box: " << text.toStdString();
            return QMessageBox::Cancel;
        }
        const auto answer = queued.front();
        queued.pop_front();
        return answer;
    }
    std::vector<MessageCall> calls;
    std::deque<QMessageBox::StandardButton> queued;
};

// A Yes/No/Cancel question with Cancel as its default.
inline void ExpectPrompt(const MessageCall& call, const QString& text) {
    EXPECT_EQ(call.text, text);
    EXPECT_EQ(call.title, kCaption);
    EXPECT_EQ(call.icon, QMessageBox::Question);
    EXPECT_EQ(call.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(call.defaultButton, QMessageBox::Cancel);
}

// Sets an environment variable, or unsets it for nullptr, for the life of the object. The C
// library reads the time zone, TZ, again each time.
struct ScopedVariable {
    ScopedVariable(const char* name, const char* value) : name(name), old(qgetenv(name)) {
        value ? qputenv(name, value) : qunsetenv(name);
        ::tzset();
    }
    ~ScopedVariable() {
        old.isNull() ? qunsetenv(name) : qputenv(name, old);
        ::tzset();
    }
    const char* name;
    QByteArray old;
};

// A temporary current directory with the 64 generated tile pictures in "gif".
struct Workspace {
    Workspace() {
        std::string error;
        EXPECT_TRUE(demo::WriteTilePictures(path().toStdString(), error)) << error;
        EXPECT_TRUE(QDir::setCurrent(path()));
    }
    ~Workspace() { QDir::setCurrent(m_previousDirectory); }
    QString path() const { return m_folder.path(); }
    QString filePath(const QString& name) const { return m_folder.filePath(name); }
    void write(const QString& name, const Bytes& bytes) const {
        QFile file(filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    }
    Bytes read(const QString& name) const {
        QFile file(filePath(name));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        const QByteArray data = file.readAll();
        return Bytes(data.begin(), data.end());
    }
    // What the source dialog hands over for file name classified as kind.
    SourceSelection select(const std::string& name, SourceKind kind) const {
        const SourceDescriptor d = DescriptorFor(kind);
        return {kCaption.toStdString(),
                path().toStdString(),
                name,
                d.tag(),
                std::string(d.dataOffset),
                std::string(d.compressed),
                std::string(d.numMaps)};
    }
    QString m_previousDirectory = QDir::currentPath();
    QTemporaryDir m_folder;
};

// Level index of MakeTestBank(): even ones run through all 64 tiles in pairs, odd ones are rooms.
inline LevelMap TestLevel(int index) {
    if (index % 2) {
        return demo::MakeDemoLevel(index);
    }
    LevelMap map;
    for (int cell = 0; cell < LevelMap::kCellCount; ++cell) {
        // 7 and 64 share no factor, so 112 pairs reach every tile.
        map.setCell(cell, std::uint8_t((cell / 2 * 7 + index) % LevelMap::kTileCount));
    }
    return map;
}

inline Bytes MakeTestBank() {
    std::vector<Bytes> streams;
    for (int index = 0; index < 99; ++index) {
        streams.push_back(PackLevel(TestLevel(index)));
    }
    return demo::AssembleBank(streams);
}

// The grid's 32 x 32 cell for a tile picture: pixels doubled, transparent ones in background.
inline QImage ExpectedCell(const QImage& picture) {
    QImage cell(32, 32, QImage::Format_RGB32);
    for (int i = 0; i < 32 * 32; ++i) {
        const int x = i % 32, y = i / 32;
        const QRgb source = picture.pixel(x * picture.width() / 32, y * picture.height() / 32);
        cell.setPixel(x, y, qAlpha(source) == 0 ? kLevelBackground : source | 0xFF000000);
    }
    return cell;
}

// The same for tile, read from the picture file in the current directory's "gif" folder.
inline QImage ExpectedTile(int tile) {
    const QImage picture(QStringLiteral("gif/%1.gif").arg(tile));
    EXPECT_FALSE(picture.isNull()) << "tile " << tile;
    return ExpectedCell(picture);
}

// The editor's picture of map with cells of size pixels: every (32 / size)th pixel of each cell.
inline QImage ExpectedPicture(const LevelMap& map, int size) {
    QImage picture(32 * size, 7 * size, QImage::Format_RGB32);
    for (int cell = 0; cell < LevelMap::kCellCount; ++cell) {
        const QImage tile = ExpectedTile(map.cell(cell));
        for (int i = 0; i < size * size; ++i) {
            const int x = i % size, y = i / size;
            picture.setPixel(LevelMap::columnOf(cell) * size + x, LevelMap::rowOf(cell) * size + y,
                             tile.pixel(x * 32 / size, y * 32 / size));
        }
    }
    return picture;
}

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
inline void PickItem(QComboBox& combo, int index) {
    combo.showPopup();
    combo.view()->setCurrentIndex(combo.view()->model()->index(index, 0));
    QTest::keyClick(combo.view(), Qt::Key_Return);
    QApplication::processEvents();
}

inline void Mouse(QWidget& widget, QEvent::Type type, QPoint point, Qt::MouseButton button,
                  Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QMouseEvent event(type, point, widget.mapToGlobal(QPointF(point)), button, buttons, modifiers);
    QApplication::sendEvent(&widget, &event);
}

inline void Click(QWidget& widget, QPoint point, Qt::MouseButton button,
                  Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    Mouse(widget, QEvent::MouseButtonPress, point, button, button, modifiers);
    Mouse(widget, QEvent::MouseButtonRelease, point, button, Qt::NoButton, modifiers);
}

inline void ClickButton(const QWidget& window, const char* name) {
    QTest::mouseClick(Control<QPushButton>(window, name), Qt::LeftButton);
}

// Presses a key on target with its window shown and active, as shortcuts need.
inline void Press(QWidget& target, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget& window = *target.window();
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &window; }));
    QTest::keyClick(&target, key, modifiers);
}

inline QImage Grab(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}
inline LevelDocument& DocumentOf(const EditorWindow& window) {
    return *window.findChild<LevelDocument*>();
}
inline LevelGrid& GridOf(const EditorWindow& window) {
    return *window.findChild<LevelGrid*>("Image1");
}
inline QImage ShownCell(const EditorWindow& window, int cell) {
    return Grab(GridOf(window)).copy(GridOf(window).cellRect(cell));
}

// Sets the left brush to tile and paints cells with it; returns the map as painted.
inline LevelMap Paint(const EditorWindow& window, std::initializer_list<int> cells, int tile) {
    PickItem(*Control<QComboBox>(window, "Combo2", 0), tile);
    for (const int cell : cells) {
        Click(GridOf(window), GridOf(window).cellRect(cell).center(), Qt::LeftButton);
    }
    return DocumentOf(window).map();
}

// Opens the list's drop-down and returns what the delegate drew in row: the level's picture,
// or with sizeText the rest of the row, right of the picture, where the size text goes.
inline QImage ShownListPicture(QComboBox& combo, int row, bool sizeText = false) {
    combo.showPopup();
    QAbstractItemView* list = combo.view();
    const QModelIndex index = list->model()->index(row, 0);
    list->scrollTo(index);
    const QRect rowRect = list->visualRect(index);
    const QRect picture = LevelListDelegate::PictureRect(rowRect);
    const QImage shown = Grab(*list->viewport())
                             .copy(sizeText ? QRect(QPoint(picture.right() + 1, rowRect.top()),
                                                    rowRect.bottomRight())
                                            : picture);
    combo.hidePopup();
    return shown;
}

struct EditorTest : ::testing::Test {
    std::unique_ptr<EditorWindow> open(const std::string& name, SourceKind kind) {
        return std::make_unique<EditorWindow>(workspace.select(name, kind), messages);
    }
    // A cartridge-shaped "cart.bin" holding bank, opened in a window.
    std::unique_ptr<EditorWindow> openCartridge(const Bytes& bank = MakeTestBank()) {
        workspace.write("cart.bin", demo::MakeCartridge(bank, SourceKind::UeRom));
        return open("cart.bin", SourceKind::UeRom);
    }
    // The caption for file name of the workspace; level 0 for a source of one level.
    QString expectedTitle(const QString& name, int level) const {
        return kCaption + " [" + workspace.path() + "/" + name +
               (level > 0 ? QStringLiteral(" - Level %1").arg(level) : "") + "]";
    }
    Workspace workspace;
    ScriptedMessageBoxes messages;
};

}  // namespace morvane::test
