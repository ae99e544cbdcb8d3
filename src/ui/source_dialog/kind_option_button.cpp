#include "ui/source_dialog/kind_option_button.h"

namespace morvane {

KindOptionButton::KindOptionButton(const QString& text, QWidget* parent)
    : QRadioButton(text, parent) {
    setFocusPolicy(Qt::NoFocus);
}

bool KindOptionButton::hitButton(const QPoint&) const {
    // No point of the button counts as a hit: presses are ignored and travel to the frame,
    // and hovering never highlights it.
    return false;
}

}  // namespace morvane
