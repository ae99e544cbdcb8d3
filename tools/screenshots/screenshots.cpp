// Renders the program's two windows offscreen to PNG files, for machines without a display and
// for the README: the source dialog with the demo bank selected, the editor on that bank, and
// the editor's level list opened.
//   morvane-screenshots DEMO_FOLDER OUTPUT_FOLDER
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QIcon>
#include <QListWidget>
#include <QPixmap>
#include <cstdio>

#include "morvane_icon.xpm"
#include "ui/editor/editor_window.h"
#include "ui/editor/message_boxes.h"
#include "ui/source_dialog/source_dialog.h"

namespace {

// Message boxes cannot be answered here: each one is printed and dismissed.
class PrintedMessageBoxes : public morvane::MessageBoxes {
public:
    QMessageBox::StandardButton show(QWidget*, const QString& text, const QString& title,
                                     QMessageBox::Icon, QMessageBox::StandardButtons,
                                     QMessageBox::StandardButton defaultButton) override {
        std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
        return defaultButton == QMessageBox::NoButton ? QMessageBox::Ok : defaultButton;
    }
};

bool Save(QWidget& window, const QString& path) {
    if (!window.grab().save(path)) {
        std::fprintf(stderr, "morvane-screenshots: %s: cannot write the picture\n",
                     qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace morvane;
    QApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: morvane-screenshots DEMO_FOLDER OUTPUT_FOLDER\n");
        return 2;
    }
    QApplication::setWindowIcon(QIcon(QPixmap(kMorvaneIcon)));
    const QString output = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
    if (!QDir().mkpath(output) || !QDir::setCurrent(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "morvane-screenshots: cannot use the folders given\n");
        return 1;
    }

    PrintedMessageBoxes messages;
    bool saved = true;
    SourceDialog dialog([&](const SourceSelection& selection) {
        EditorWindow editor(selection, messages);
        if (!editor.started()) {
            return false;
        }
        editor.show();
        saved = Save(editor, output + "/editor.png") && saved;
        auto* levels = editor.findChild<QComboBox*>(QStringLiteral("Combo1"));
        levels->showPopup();
        saved = Save(*levels->view()->window(), output + "/level-list.png") && saved;
        levels->hidePopup();
        return true;
    });
    dialog.show();
    auto* files = dialog.findChild<QListWidget*>(QStringLiteral("File1"));
    const auto found = files ? files->findItems(QStringLiteral("bank.bin"), Qt::MatchExactly)
                             : QList<QListWidgetItem*>();
    if (found.isEmpty()) {
        std::fprintf(stderr, "morvane-screenshots: no bank.bin in the demo folder\n");
        return 1;
    }
    files->setCurrentItem(found.first());
    saved = Save(dialog, output + "/source-dialog.png") && saved;
    QMetaObject::invokeMethod(dialog.findChild<QObject*>(QStringLiteral("Command1")), "click");
    return saved ? 0 : 1;
}
