#pragma once

#include <deque>
#include <vector>

#include "ui/editor/message_boxes.h"

namespace morvane::test {

// One message box the editor asked for.
struct MessageCall {
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

// Message boxes answered from a script. Every call is recorded; each takes the next queued
// answer. A call with no answer queued fails the test, and so does an answer left unused when
// the script is destroyed.
class ScriptedMessageBoxes : public MessageBoxes {
public:
    ~ScriptedMessageBoxes() override;

    // Queues the answer for the next message box.
    void answer(QMessageBox::StandardButton button) { m_answers.push_back(button); }

    const std::vector<MessageCall>& calls() const { return m_calls; }
    void forgetCalls() { m_calls.clear(); }

    QMessageBox::StandardButton show(QWidget* parent, const QString& text, const QString& title,
                                     QMessageBox::Icon icon, QMessageBox::StandardButtons buttons,
                                     QMessageBox::StandardButton defaultButton) override;

private:
    std::deque<QMessageBox::StandardButton> m_answers;
    std::vector<MessageCall> m_calls;
};

}  // namespace morvane::test
