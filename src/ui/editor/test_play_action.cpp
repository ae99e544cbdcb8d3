#include "ui/editor/test_play_action.h"

#include <QFile>
#include <QFileInfo>

#include "sources/source_kind.h"
#include "ui/editor/emulator_launcher.h"
#include "ui/editor/level_document.h"
#include "ui/editor/message_boxes.h"

namespace morvane {

namespace {

const char* const kPlayPrompt =
    "You edited the level you're currently viewing. Do you want to save the changes before you "
    "play it in the emulator?";

QString KindCaption(SourceKind kind) {
    const std::string_view caption = SourceKindCaption(kind);
    return QString::fromLatin1(caption.data(), qsizetype(caption.size()));
}

}  // namespace

TestPlayAction::TestPlayAction(const LevelDocument& document, MessageBoxes& messages,
                               AskToSaveEdits askToSaveEdits, QWidget& editor)
    : QAction(&editor),
      m_document(document),
      m_messages(messages),
      m_askToSaveEdits(std::move(askToSaveEdits)),
      m_editor(editor) {
    setShortcut(QKeySequence(Qt::Key_F5));
    connect(this, &QAction::triggered, this, &TestPlayAction::play);
    editor.addAction(this);
}

void TestPlayAction::play() {
    const SourceSelection& selection = m_document.selection();
    const QString name = QFile::decodeName(selection.fileName.c_str());
    const auto kind = selection.kind();
    if (kind != SourceKind::UeRom && kind != SourceKind::JRom) {
        warn(QStringLiteral("Test play runs cartridge dumps only (%1 or %2); %3 is not one (%4).")
                 .arg(KindCaption(SourceKind::UeRom), KindCaption(SourceKind::JRom), name,
                      KindCaption(kind.value_or(SourceKind::Unknown))));
        return;
    }
    // The document opened the file by its bare name against the current directory.
    const QString path = QFileInfo(name).absoluteFilePath();
    QString linkProblem;
    const QString playName = m_gameGearLinks.nameFor(path, linkProblem);
    if (playName.isEmpty()) {
        warn(linkProblem);
        return;
    }
    const auto command = EmulatorLauncher().command(playName);
    if (const auto* problem = std::get_if<QString>(&command)) {
        warn(*problem);
        return;
    }
    if (!m_askToSaveEdits(QString::fromLatin1(kPlayPrompt))) {
        return;
    }
    if (const auto problem =
            EmulatorLauncher::start(std::get<EmulatorLauncher::Command>(command), path)) {
        warn(*problem);
    }
}

void TestPlayAction::warn(const QString& text) {
    m_messages.show(&m_editor, text, QString::fromStdString(m_document.selection().caption),
                    QMessageBox::Warning, QMessageBox::Ok, QMessageBox::NoButton);
}

}  // namespace morvane
