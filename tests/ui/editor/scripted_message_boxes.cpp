#include "scripted_message_boxes.h"

#include <gtest/gtest.h>

namespace morvane::test {

ScriptedMessageBoxes::~ScriptedMessageBoxes() {
    EXPECT_TRUE(m_answers.empty()) << m_answers.size() << " scripted answers were not used";
}

QMessageBox::StandardButton ScriptedMessageBoxes::show(QWidget*, const QString& text,
                                                       const QString& title, QMessageBox::Icon icon,
                                                       QMessageBox::StandardButtons buttons,
                                                       QMessageBox::StandardButton defaultButton) {
    m_calls.push_back({text, title, icon, buttons, defaultButton});
    if (m_answers.empty()) {
        ADD_FAILURE() << "Unexpected message box: " << text.toStdString();
        return defaultButton != QMessageBox::NoButton ? defaultButton : QMessageBox::Ok;
    }
    const QMessageBox::StandardButton answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

}  // namespace morvane::test
