#include "editor_test_support.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMouseEvent>
#include <QTest>
#include <memory>

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

Workspace::Workspace() : m_previousDirectory(QDir::currentPath()) {
    EXPECT_TRUE(m_folder.isValid());
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
    ASSERT_EQ(file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())),
              qint64(bytes.size()));
}

Bytes Workspace::read(const QString& name) const {
    QFile file(filePath(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    const QByteArray data = file.readAll();
    return Bytes(data.begin(), data.end());
}

SourceSelection Workspace::select(const std::string& name, SourceKind kind) const {
    const SourceDescriptor descriptor = DescriptorFor(kind);
    SourceSelection selection;
    selection.caption = kCaption;
    selection.directory = path().toStdString();
    selection.fileName = name;
    selection.tag = descriptor.tag();
    selection.dataOffset = std::string(descriptor.dataOffset);
    selection.compressed = std::string(descriptor.compressed);
    selection.numMaps = std::string(descriptor.numMaps);
    return selection;
}

LevelMap PatternLevel(int index) {
    LevelMap map;
    for (int cell = 0; cell < LevelMap::kCellCount; ++cell) {
        // 7 and 64 share no factor, so 112 pairs reach every tile.
        map.setCell(cell, std::uint8_t((cell / 2 * 7 + index) % LevelMap::kTileCount));
    }
    return map;
}

LevelMap TestLevel(int index) {
    return index % 2 == 0 ? PatternLevel(index) : demo::MakeDemoLevel(index);
}

Bytes MakeTestBank() {
    std::vector<Bytes> streams;
    for (int index = 0; index < 99; ++index) {
        streams.push_back(PackLevel(TestLevel(index)));
    }
    return demo::AssembleBank(streams);
}

Bytes SavedByCore(const Bytes& file, const LevelLayout& layout, int index, const LevelMap& map) {
    auto data = std::make_shared<MemoryFileData>();
    data->bytes = file;
    auto copy = OpenMemoryFile(data, OpenMode::ReadWrite);
    const auto loaded = LoadLevelFromFile(*copy, layout, index);
    EXPECT_TRUE(loaded.ok());
    if (!loaded.ok()) {
        return {};
    }
    const auto saved = SaveLevelToFile(*copy, layout, index, map, loaded.value().oldPackedLength,
                                       loaded.value().levelOffset);
    EXPECT_TRUE(saved.ok()) << DescribeLevelFailure(saved.failure());
    return data->bytes;
}

QImage TilePicture(const QString& folder, int tile) {
    QImage picture(QDir(folder).filePath(QStringLiteral("gif/%1.gif").arg(tile)));
    EXPECT_FALSE(picture.isNull()) << "tile " << tile;
    return picture.convertToFormat(QImage::Format_ARGB32);
}

QImage Normalised(const QImage& picture) {
    QImage copy = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < copy.height(); ++y) {
        for (int x = 0; x < copy.width(); ++x) {
            if (qAlpha(copy.pixel(x, y)) == 0) {
                copy.setPixel(x, y, 0);
            }
        }
    }
    return copy;
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

QStringList Items(const QComboBox& combo) {
    QStringList items;
    for (int item = 0; item < combo.count(); ++item) {
        items << combo.itemText(item);
    }
    return items;
}

void PickItem(QComboBox& combo, int index) {
    combo.showPopup();
    QAbstractItemView* list = combo.view();
    ASSERT_TRUE(list->isVisible());
    list->setCurrentIndex(list->model()->index(index, 0));
    QTest::keyClick(list, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_FALSE(list->isVisible());
}

void Click(QWidget& widget, QPoint point, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
    const QPointF local(point);
    const QPointF global(widget.mapToGlobal(point));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, button, button, modifiers);
    QApplication::sendEvent(&widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, button, Qt::NoButton, modifiers);
    QApplication::sendEvent(&widget, &release);
}

void MoveTo(QWidget& widget, QPoint point) {
    QMouseEvent move(QEvent::MouseMove, QPointF(point), QPointF(widget.mapToGlobal(point)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&widget, &move);
}

std::unique_ptr<EditorWindow> EditorTest::open(const std::string& name, SourceKind kind) {
    return std::make_unique<EditorWindow>(workspace.select(name, kind), messages);
}

std::unique_ptr<EditorWindow> EditorTest::openCartridge(const Bytes& bank) {
    workspace.write("cart.bin", demo::MakeCartridge(bank, SourceKind::UeRom));
    return open("cart.bin", SourceKind::UeRom);
}

QString EditorTest::expectedTitle(const QString& name, int level) const {
    QString title = QString::fromStdString(kCaption) + " [" + workspace.path() + "/" + name;
    if (level > 0) {
        title += " - Level " + QString::number(level);
    }
    return title + "]";
}

LevelDocument& DocumentOf(const EditorWindow& window) {
    auto* document = window.findChild<LevelDocument*>();
    EXPECT_NE(document, nullptr);
    return *document;
}

LevelGrid& GridOf(const EditorWindow& window) {
    auto* grid = window.findChild<LevelGrid*>("Image1");
    EXPECT_NE(grid, nullptr);
    return *grid;
}

QImage Grab(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

void ExpectGridShows(const EditorWindow& window, const LevelMap& map) {
    const LevelGrid& grid = GridOf(window);
    for (int cell = 0; cell < LevelMap::kCellCount; ++cell) {
        ASSERT_EQ(grid.cellTile(cell), map.cell(cell)) << "cell " << cell;
    }
}

QStringList Numbers(int first, int count) {
    QStringList items;
    for (int item = first; item < first + count; ++item) {
        items << QString::number(item);
    }
    return items;
}

int OpenDescriptors(const QString& path) {
    const QString target = QFileInfo(path).canonicalFilePath();
    if (target.isEmpty()) {
        return 0;
    }
    int count = 0;
    const QDir descriptors(QStringLiteral("/proc/self/fd"));
    for (const QString& entry : descriptors.entryList(QDir::Files | QDir::System)) {
        if (QFileInfo(descriptors.filePath(entry)).symLinkTarget() == target) {
            ++count;
        }
    }
    return count;
}

}  // namespace morvane::test
