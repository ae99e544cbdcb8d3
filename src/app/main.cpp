// The editor program: starts with the source dialog in the process's current directory; Open
// hands the chosen file to the editor window.
#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <memory>

#include "morvane_icon.xpm"
#include "ui/editor/editor_window.h"
#include "ui/editor/qt_message_boxes.h"
#include "ui/source_dialog/source_dialog.h"

int main(int argc, char** argv) {
    using namespace morvane;
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
