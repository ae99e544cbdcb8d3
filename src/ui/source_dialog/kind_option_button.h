#pragma once

#include <QRadioButton>

namespace morvane {

// An option button that only shows a state the program sets. It looks and paints like any
// enabled option button, but a click on it is passed on to its container and it never takes
// the keyboard focus, so the user cannot change it.
class KindOptionButton : public QRadioButton {
    Q_OBJECT

public:
    explicit KindOptionButton(const QString& text, QWidget* parent = nullptr);

protected:
    bool hitButton(const QPoint& pos) const override;
};

}  // namespace morvane
