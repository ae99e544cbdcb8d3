// Speed of the windows on the offscreen platform: start-up to the first level shown, a switch
// between two levels with the grid drawn (tile pictures cached, and decoded anew), the picture
// export, the level list's drop-down with its pictures, and the restore points window.
#include <benchmark/benchmark.h>
#include <utime.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWindow>

#include "demo_levels.h"
#include "gif_writer.h"
#include "picture/level_export.h"
#include "ui/editor/editor_window.h"
#include "ui/editor/level_document.h"
#include "ui/editor/level_list_delegate.h"
#include "ui/editor/level_list_pictures.h"
#include "ui/editor/message_boxes.h"
#include "ui/editor/restore_points_window.h"

namespace morvane {
namespace {

class SilentMessageBoxes : public MessageBoxes {
public:
    QMessageBox::StandardButton show(QWidget*, const QString&, const QString&, QMessageBox::Icon,
                                     QMessageBox::StandardButtons,
                                     QMessageBox::StandardButton) override {
        return QMessageBox::Ok;
    }
};

// A demo folder with a cartridge and the tile pictures, made the current directory.
class Workspace {
public:
    Workspace() {
        std::string error;
        demo::WriteTilePictures(m_folder.path().toStdString(), error);
        const auto rom = demo::MakeCartridge(demo::MakeDemoBank(), SourceKind::UeRom);
        QFile file(m_folder.filePath("cart.bin"));
        file.open(QIODevice::WriteOnly);
        file.write(reinterpret_cast<const char*>(rom.data()), qint64(rom.size()));
        file.close();
        QDir::setCurrent(m_folder.path());
    }

    SourceSelection selection() const {
        return {"Morvane Level Editor v1.1",
                m_folder.path().toStdString(),
                "cart.bin",
                "0",
                "98304",
                "Yes",
                "99"};
    }

    // Gives every tile picture a new modification time, so the next use decodes it again.
    void touchPictures() const {
        for (int tile = 0; tile < 64; ++tile) {
            const QByteArray path =
                QFile::encodeName(m_folder.filePath(QStringLiteral("gif/%1.gif").arg(tile)));
            ++m_stamp;
            const utimbuf times{m_stamp, m_stamp};
            ::utime(path.constData(), &times);
        }
    }

private:
    QTemporaryDir m_folder;
    mutable time_t m_stamp = 1000000;
};

void StartupToFirstLevelShown(benchmark::State& state) {
    Workspace workspace;
    SilentMessageBoxes messages;
    for (auto _ : state) {
        EditorWindow window(workspace.selection(), messages);
        benchmark::DoNotOptimize(window.grab());
    }
}
BENCHMARK(StartupToFirstLevelShown)->Unit(benchmark::kMillisecond);

void SwitchLevels(benchmark::State& state, bool cached) {
    Workspace workspace;
    SilentMessageBoxes messages;
    EditorWindow window(workspace.selection(), messages);
    window.show();
    // Shown windows are drawn only once the window system has exposed them.
    while (!window.windowHandle() || !window.windowHandle()->isExposed()) {
        QCoreApplication::processEvents();
    }
    auto* levels = window.findChild<QComboBox*>(QStringLiteral("Combo1"));
    auto* load = window.findChild<QPushButton*>(QStringLiteral("Command1"));
    auto* grid = window.findChild<QWidget*>(QStringLiteral("Image1"));
    int level = 0;
    for (auto _ : state) {
        if (!cached) {
            state.PauseTiming();
            workspace.touchPictures();
            state.ResumeTiming();
        }
        level = 1 - level;
        levels->setCurrentIndex(level);
        load->click();
        grid->repaint();
    }
}
BENCHMARK_CAPTURE(SwitchLevels, cached_tiles, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(SwitchLevels, tiles_decoded_anew, false)->Unit(benchmark::kMicrosecond);

void ExportRawPicture(benchmark::State& state) {
    Workspace workspace;
    TileSet tiles(QDir::currentPath().toStdString());
    const LevelMap map = demo::MakeDemoLevel(5);
    for (auto _ : state) {
        benchmark::DoNotOptimize(RawPictureBytes(ExportLevelPicture(map, tiles)));
    }
}
BENCHMARK(ExportRawPicture)->Unit(benchmark::kMillisecond);

// Opening the level list on the demo bank with its pictures already built: the bank is read
// again and compared, and the visible rows are drawn.
void OpenLevelList(benchmark::State& state) {
    Workspace workspace;
    SilentMessageBoxes messages;
    EditorWindow window(workspace.selection(), messages);
    window.show();
    auto* levels = window.findChild<QComboBox*>(QStringLiteral("Combo1"));
    auto& pictures = qobject_cast<LevelListDelegate*>(levels->itemDelegate())->pictures();
    pictures.refresh();
    for (int index = 0; index < 99; ++index) {
        pictures.row(index);
    }
    for (auto _ : state) {
        levels->showPopup();
        levels->view()->viewport()->repaint();
        levels->hidePopup();
    }
}
BENCHMARK(OpenLevelList)->Unit(benchmark::kMillisecond);

// Building the pictures of all 99 levels from the file, tile pictures included.
void BuildAllListPictures(benchmark::State& state) {
    Workspace workspace;
    SilentMessageBoxes messages;
    EditorWindow window(workspace.selection(), messages);
    const LevelDocument& document = *window.findChild<LevelDocument*>();
    TileSet tiles(QDir::currentPath().toStdString());
    for (auto _ : state) {
        LevelListPictures pictures(document, tiles);
        pictures.refresh();
        for (int index = 0; index < 99; ++index) {
            benchmark::DoNotOptimize(pictures.row(index).picture);
        }
    }
}
BENCHMARK(BuildAllListPictures)->Unit(benchmark::kMillisecond);

// The first Ctrl+H on a source with 100 restore points, the most one keeps: the window is made,
// every point and the bank are read and compared, and the list is drawn. No level picture is
// drawn until a point is selected.
void OpenRestorePointsWindow(benchmark::State& state) {
    Workspace workspace;
    SilentMessageBoxes messages;
    EditorWindow window(workspace.selection(), messages);
    LevelDocument& document = *window.findChild<LevelDocument*>();
    for (int cell = 0; cell < BankHistory::kKeptPoints; ++cell) {
        document.paint(cell, std::uint8_t((document.map().cell(cell) + 1) % LevelMap::kTileCount));
        document.save();
    }
    TileSet tiles(QDir::currentPath().toStdString());
    int listed = 0;
    for (auto _ : state) {
        RestorePointsWindow points(document, tiles, messages, {}, window);
        points.open();
        benchmark::DoNotOptimize(points.grab());
        listed = points.findChild<QAbstractItemView*>()->model()->rowCount();
    }
    state.SetLabel(std::to_string(listed) + " points listed");
}
BENCHMARK(OpenRestorePointsWindow)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace morvane

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
