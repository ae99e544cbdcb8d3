#include "ui/editor/qt_message_boxes.h"

namespace morvane {

QMessageBox::StandardButton QtMessageBoxes::show(QWidget* parent, const QString& text,
                                                 const QString& title, QMessageBox::Icon icon,
                                                 QMessageBox::StandardButtons buttons,
                                                 QMessageBox::StandardButton defaultButton) {
    QMessageBox box(icon, title, text, buttons, parent);
    box.setDefaultButton(defaultButton);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
    return box.standardButton(box.clickedButton());
}

}  // namespace morvane
