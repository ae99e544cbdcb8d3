#pragma once

#include <QPushButton>

namespace morvane {

class LevelDocument;
class MessageBoxes;

// The editor's "?" button: a click shows who wrote the editor and on what terms, and its tooltip
// lists the keys the editor offers beyond its buttons. The editor gives it its place.
class AboutButton : public QPushButton {
    Q_OBJECT

public:
    // document and messages must outlive the button; editor is its parent.
    AboutButton(const LevelDocument& document, MessageBoxes& messages, QWidget& editor);

private:
    void showAbout();

    const LevelDocument& m_document;
    MessageBoxes& m_messages;
    QWidget& m_editor;
};

}  // namespace morvane
