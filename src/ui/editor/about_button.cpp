#include "ui/editor/about_button.h"

#include "ui/editor/level_document.h"
#include "ui/editor/message_boxes.h"

namespace morvane {

namespace {

// The about text: five lines, the third empty, broken with CR LF and not ended by one.
const char* const kAbout =
    "Morvane Level Editor, written by the Morvane level editing community\r\n"
    "Released 20261206\r\n"
    "\r\n"
    "Morvane and its levels belong to the holders of the game's rights\r\n"
    "This editor is free and must not be used for commercial purposes";

// The keys the editor offers beyond its buttons.
const char* const kKeys =
    "Keys:\n"
    "Ctrl+Z: undo a paint or paste\n"
    "Ctrl+Y and Ctrl+Shift+Z: redo\n"
    "Ctrl+C: copy the level as text and picture\n"
    "Ctrl+V: paste a level copied as text\n"
    "F5: play the file in an emulator\n"
    "Ctrl+H: restore points: see earlier versions of the file and put one back";

}  // namespace

AboutButton::AboutButton(const LevelDocument& document, MessageBoxes& messages, QWidget& editor)
    : QPushButton(QStringLiteral("&?"), &editor),
      m_document(document),
      m_messages(messages),
      m_editor(editor) {
    setToolTip(QString::fromLatin1(kKeys));
    connect(this, &QPushButton::clicked, this, &AboutButton::showAbout);
}

void AboutButton::showAbout() {
    m_messages.show(&m_editor, QString::fromLatin1(kAbout),
                    QString::fromStdString(m_document.selection().caption),
                    QMessageBox::Information, QMessageBox::Ok, QMessageBox::NoButton);
}

}  // namespace morvane
