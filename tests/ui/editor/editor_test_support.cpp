#include "editor_test_support.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

#include "bank_builder.h"
#include "demo_levels.h"
#include "gif_writer.h"
#include "leveldata/level_codec.h"
#include "leveldata/level_loader.h"
#include "leveldata/level_saver.h"
#include "leveldata/memory_file_system.h"
#include "sources/source_descriptor.h"
#include "ui/editor/level_picture.h"

namespace morvane::test {

ScriptedMessageBoxes::~ScriptedMessageBoxes() {
    EXPECT_TRUE(m_answers.empty()) << m_answers.size() << " scripted answers were not used";
}

QMessageBox::StandardButton ScriptedMessageBoxes::show(QWidget*, const QString& text,
                                                       const QString& title, QMessageBox::Icon icon,
                                                       QMessageBox::StandardButtons buttons,
                                                       QMessageBox::StandardButton defaultButton) {
    calls.push_back({text, title, icon, buttons, defaultButton});
    if (m_answers.empty()) {
        ADD_FAILURE() << "Unexpected message box: " << text.toStdString();
        return QMessageBox::Cancel;
    }
    const auto answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

Workspace::Workspace() : m_previousDirectory(QDir::currentPath()) {
    std::string error;
    EXPECT_TRUE(demo::WriteTilePictures(m_folder.path().toStdString(), error)) << error;
    EXPECT_TRUE(QDir::setCurrent(m_folder.path()));
}

Workspace::~Workspace() {
    QDir::setCurrent(m_previousDirectory);
}

void Workspace::write(const QString& name, const Bytes& bytes) const {
    QFile file(filePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
}

Bytes Workspace::read(const QString& name) const {
    QFile file(filePath(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    const QByteArray data = file.readAll();
    return Bytes(data.begin(), data.end());
}

SourceSelection Workspace::select(const std::string& name, SourceKind kind) const {
    const SourceDescriptor descriptor = DescriptorFor(kind);
    return {kCaption.toStdString(),
            path().toStdString(),
            name,
            descriptor.tag(),
            std::string(descriptor.dataOffset),
            std::string(descriptor.compressed),
            std::string(descriptor.numMaps)};
}

LevelMap TestLevel(int index) {
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

Bytes MakeTestBank() {
    std::vector<Bytes> streams;
    for (int index = 0; index < 99; ++index) {
        streams.push_back(PackLevel(TestLevel(index)));
    }
    return demo::AssembleBank(streams);
}

LevelLayout CartridgeLayout() {
    return *LayoutFor(SourceKind::UeRom, "98304");
}

Bytes SavedByCore(const Bytes& file, const LevelLayout& layout, int index, const LevelMap& map) {
    auto data = std::make_shared<MemoryFileData>();
    data->bytes = file;
    auto copy = OpenMemoryFile(data, OpenMode::ReadWrite);
    const auto loaded = LoadLevelFromFile(*copy, layout, index).value();
    const auto saved =
        SaveLevelToFile(*copy, layout, index, map, loaded.oldPackedLength, loaded.levelOffset);
    EXPECT_TRUE(saved.ok()) << DescribeLevelFailure(saved.failure());
    return data->bytes;
}

QImage TilePicture(const QString& folder, int tile) {
    QImage picture(QDir(folder).filePath(QStringLiteral("gif/%1.gif").arg(tile)));
    EXPECT_FALSE(picture.isNull()) << "tile " << tile;
    return picture.convertToFormat(QImage::Format_ARGB32);
}

QImage ExpectedCell(const QImage& picture) {
    QImage cell(32, 32, QImage::Format_RGB32);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const QRgb source = picture.pixel(x * picture.width() / 32, y * picture.height() / 32);
            cell.setPixel(x, y, qAlpha(source) == 0 ? kLevelBackground : source | 0xFF000000);
        }
    }
    return cell;
}

void PickItem(QComboBox& combo, int index) {
    combo.showPopup();
    QAbstractItemView* list = combo.view();
    list->setCurrentIndex(list->model()->index(index, 0));
    QTest::keyClick(list, Qt::Key_Return);
    QApplication::processEvents();
}

void Click(QWidget& widget, QPoint point, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
    const QPointF global(widget.mapToGlobal(point));
    QMouseEvent press(QEvent::MouseButtonPress, point, global, button, button, modifiers);
    QApplication::sendEvent(&widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, point, global, button, Qt::NoButton, modifiers);
    QApplication::sendEvent(&widget, &release);
}

void ClickButton(const QWidget& window, const char* name) {
    QTest::mouseClick(Control<QPushButton>(window, name), Qt::LeftButton);
}

void MoveTo(QWidget& widget, QPoint point) {
    QMouseEvent move(QEvent::MouseMove, point, widget.mapToGlobal(point), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&widget, &move);
}

QImage Grab(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

LevelDocument& DocumentOf(const EditorWindow& window) {
    return *window.findChild<LevelDocument*>();
}

LevelGrid& GridOf(const EditorWindow& window) {
    return *window.findChild<LevelGrid*>("Image1");
}

LevelMap Paint(const EditorWindow& window, std::initializer_list<int> cells, int tile) {
    PickItem(*Control<QComboBox>(window, "Combo2", 0), tile);
    LevelGrid& grid = GridOf(window);
    for (const int cell : cells) {
        Click(grid, grid.cellRect(cell).center(), Qt::LeftButton);
    }
    return DocumentOf(window).map();
}

std::unique_ptr<EditorWindow> EditorTest::open(const std::string& name, SourceKind kind) {
    return std::make_unique<EditorWindow>(workspace.select(name, kind), messages);
}

std::unique_ptr<EditorWindow> EditorTest::openCartridge(const Bytes& bank) {
    workspace.write("cart.bin", demo::MakeCartridge(bank, SourceKind::UeRom));
    return open("cart.bin", SourceKind::UeRom);
}

QString EditorTest::expectedTitle(const QString& name, int level) const {
    const QString levelPart = level > 0 ? QStringLiteral(" - Level %1").arg(level) : QString();
    return kCaption + " [" + workspace.path() + "/" + name + levelPart + "]";
}

}  // namespace morvane::test
