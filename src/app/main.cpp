// The editor program: starts with the source dialog in the process's current directory; Open
// hands the chosen file to the editor window.
#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "morvane_icon.xpm"
#include "morvane_version.h"
#include "ui/editor/editor_window.h"
#include "ui/editor/qt_message_boxes.h"
#include "ui/source_dialog/source_dialog.h"

namespace {

constexpr const char* kUsage =
    "usage: morvane-editor\n"
    "       morvane-editor --help | --version\n"
    "\n"
    "Opens the source dialog in the current directory. Pick a cartridge dump, an extracted\n"
    "16 KB level bank, a MEKA savestate or a bare 224-byte map and press Open to edit its\n"
    "levels. Tile pictures are read from gif/0.gif to gif/63.gif beside the file.\n"
    "The command line companion is morvane-levels.\n"
    "\n"
    "The editor needs a graphical display (DISPLAY or WAYLAND_DISPLAY). Without one,\n"
    "QT_QPA_PLATFORM=offscreen runs it with no visible window, and morvane-levels does the\n"
    "same work from the command line.\n";

bool IsSet(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr && *value != '\0';
}

// True when Qt has somewhere to show windows, or has been told where: without a display
// QApplication aborts the process with a message of its own.
bool HasDisplay(int argc, char** argv) {
    for (int at = 1; at < argc; ++at) {
        const std::string_view argument = argv[at];
        if (argument == "-platform" || argument == "--platform") {
            return true;
        }
    }
    return IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY") || IsSet("QT_QPA_PLATFORM");
}

}  // namespace

int main(int argc, char** argv) {
    using namespace morvane;
    // Answered before the application starts, so that it needs no display.
    for (int at = 1; at < argc; ++at) {
        const std::string_view argument = argv[at];
        if (argument == "--help" || argument == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (argument == "--version") {
            std::printf("morvane-editor %s\n", kVersion);
            return 0;
        }
    }
    if (!HasDisplay(argc, argv)) {
        std::fputs(
            "morvane-editor: no graphical display (DISPLAY or WAYLAND_DISPLAY is not set); "
            "run it on a desktop, with QT_QPA_PLATFORM=offscreen, or use the "
            "command-line tool morvane-levels\n",
            stderr);
        return 1;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Morvane Level Editor"));
    QApplication::setWindowIcon(QIcon(QPixmap(kMorvaneIcon)));

    QtMessageBoxes messages;
    std::unique_ptr<SourceDialog> dialog;
    dialog = std::make_unique<SourceDialog>([&](const SourceSelection& selection) {
        auto editor = std::make_unique<EditorWindow>(selection, messages);
        if (!editor->started()) {
            return false;
        }
        // Quit unloads the dialog first, then the editor closes itself and the program ends.
        QObject::connect(editor.get(), &EditorWindow::quitting, dialog.get(), &QWidget::close);
        editor->setAttribute(Qt::WA_DeleteOnClose);
        editor.release()->show();
        return true;
    });
    dialog->show();
    return application.exec();
}
