#pragma once

#include "ui/editor/message_boxes.h"

namespace morvane {

// The program's message boxes: a modal QMessageBox per call. A box closed without a button
// (Escape, the window system) answers with its escape button, Cancel when it has one.
class QtMessageBoxes : public MessageBoxes {
public:
    QMessageBox::StandardButton show(QWidget* parent, const QString& text, const QString& title,
                                     QMessageBox::Icon icon, QMessageBox::StandardButtons buttons,
                                     QMessageBox::StandardButton defaultButton) override;
};

}  // namespace morvane
