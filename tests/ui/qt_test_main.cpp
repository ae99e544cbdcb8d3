// Entry point for the GoogleTest programs of the windows: they need a QApplication, and run on
// the offscreen platform unless the caller chose another one.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

namespace {

// A test answers the modal dialogs it expects within moments. One still open a second after it
// appeared is one no test answers: it would wait for a click until ctest's time limit, so it
// fails the running test, naming its text, and is closed.
class UnansweredDialogs : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* dialog = qobject_cast<QDialog*>(watched);
        if (event->type() == QEvent::Show && dialog && dialog->isModal()) {
            QTimer::singleShot(1000, dialog, [dialog = QPointer<QDialog>(dialog)] {
                if (dialog && dialog->isVisible()) {
                    const auto* box = qobject_cast<QMessageBox*>(dialog.data());
                    ADD_FAILURE() << "A modal dialog nobody answered: "
                                  << (box ? box->text() : dialog->windowTitle()).toStdString();
                    dialog->reject();
                }
            });
        }
        return false;
    }
};

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication application(argc, argv);
    UnansweredDialogs unanswered;
    application.installEventFilter(&unanswered);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
