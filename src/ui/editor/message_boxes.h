#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

namespace morvane {

// Every message box of the editor goes through this, so that the program shows real boxes and
// tests can answer them from a script.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;

    // Shows a modal message box over parent and returns the button pressed.
    virtual QMessageBox::StandardButton show(QWidget* parent, const QString& text,
                                             const QString& title, QMessageBox::Icon icon,
                                             QMessageBox::StandardButtons buttons,
                                             QMessageBox::StandardButton defaultButton) = 0;
};

}  // namespace morvane
