#include <gtest/gtest.h>

#include "editor_test_support.h"
#include "leveldata/restore_point.h"
#include "leveldata/unfinished_write.h"
#include "ui/editor/qt_message_boxes.h"

namespace morvane::test {
namespace {

using EditingTest = EditorTest;

// Collects the region of every paint event of a widget.
struct PaintRecorder : QObject {
    explicit PaintRecorder(QWidget& widget) { widget.installEventFilter(this); }
    QRegion painted;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            painted += static_cast<QPaintEvent*>(event)->region();
        }
        return false;
    }
};

TEST_F(EditingTest, CtrlAlonePicksAndEachButtonPaintsItsBrushRepaintingOnlyThatCell) {
    auto window = openCartridge();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    LevelGrid& grid = GridOf(*window);
    const LevelMap level = TestLevel(0);
    Click(grid, grid.cellRect(40).center(), Qt::RightButton, Qt::ControlModifier);
    EXPECT_EQ(Control<QComboBox>(*window, "Combo2", 2)->currentIndex(), level.cell(40));
    Click(grid, grid.cellRect(9).center(), Qt::MiddleButton, Qt::ControlModifier);
    EXPECT_EQ(Control<QComboBox>(*window, "Combo2", 1)->currentIndex(), level.cell(9));
    EXPECT_EQ(DocumentOf(*window).map(), level);
    EXPECT_EQ(DocumentOf(*window).levelState(), 0);
    Click(grid, grid.cellRect(3).center(), Qt::RightButton,
          Qt::ControlModifier | Qt::ShiftModifier);
    Click(grid, grid.cellRect(4).center(), Qt::RightButton, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(DocumentOf(*window).map().cell(3), level.cell(40));
    EXPECT_EQ(DocumentOf(*window).map().cell(4), level.cell(40));
    EXPECT_EQ(DocumentOf(*window).levelState(), 0x80);
    PickItem(*Control<QComboBox>(*window, "Combo2", 1), 20);
    PickItem(*Control<QComboBox>(*window, "Combo2", 2), 30);
    PaintRecorder recorder(grid);
    Click(grid, grid.cellRect(77).center(), Qt::MiddleButton);
    QApplication::processEvents();
    EXPECT_EQ(recorder.painted, QRegion(grid.cellRect(77)));
    EXPECT_EQ(DocumentOf(*window).map().cell(77), 20);
    Click(grid, grid.cellRect(77).center(), Qt::RightButton);
    EXPECT_EQ(DocumentOf(*window).map().cell(77), 30);
    // A double-click is one press followed by a click: it paints once.
    QSignalSpy cells(&DocumentOf(*window), &LevelDocument::cellChanged);
    Click(grid, grid.cellRect(20).center(), Qt::LeftButton);
    Mouse(grid, QEvent::MouseButtonDblClick, grid.cellRect(20).center(), Qt::LeftButton,
          Qt::LeftButton);
    Mouse(grid, QEvent::MouseButtonRelease, grid.cellRect(20).center(), Qt::LeftButton, {});
    EXPECT_EQ(cells.count(), 1);
}

TEST_F(EditingTest, LoadPromptSavesDropsOrPutsTheListBack) {
    auto window = openCartridge();
    const Bytes original = workspace.read("cart.bin");
    auto* levels = Control<QComboBox>(*window, "Combo1");
    // Cancel: the list goes back to the shown level, nothing is loaded, the edits stay.
    const LevelMap painted = Paint(*window, {50, 51}, 60);
    messages.answer(QMessageBox::Cancel);
    PickItem(*levels, 6);
    ExpectPrompt(messages.calls.at(0), kLoadPrompt);
    EXPECT_EQ(levels->currentIndex(), 0);
    EXPECT_EQ(DocumentOf(*window).levelState(), 0x80);
    EXPECT_EQ(DocumentOf(*window).map(), painted);
    // Load with the list unchanged and Cancel asks once and reloads nothing.
    messages.answer(QMessageBox::Cancel);
    ClickButton(*window, "Command1");
    EXPECT_EQ(DocumentOf(*window).map(), painted);
    // Yes: the shown level is saved, then the picked one loaded clean.
    messages.answer(QMessageBox::Yes);
    messages.answer(QMessageBox::Ok);
    PickItem(*levels, 2);
    EXPECT_EQ(messages.calls.at(3).text, "Map saved!");
    const Bytes saved = SavedByCore(original, 0, painted).value();
    EXPECT_EQ(workspace.read("cart.bin"), saved);
    EXPECT_EQ(DocumentOf(*window).map(), TestLevel(2));
    EXPECT_EQ(window->windowTitle(), expectedTitle("cart.bin", 3));
    // No: the edits are dropped.
    Paint(*window, {7}, 61);
    messages.answer(QMessageBox::No);
    PickItem(*levels, 4);
    EXPECT_EQ(workspace.read("cart.bin"), saved);
    EXPECT_EQ(DocumentOf(*window).map(), TestLevel(4));
    EXPECT_EQ(DocumentOf(*window).levelState(), 4);
}

TEST_F(EditingTest, QuitWithEditsAsksAndFollowsTheAnswer) {
    for (const bool quits : {false, true}) {
        messages.calls.clear();
        auto window = openCartridge();
        window->show();
        const Bytes original = workspace.read("cart.bin");
        const LevelMap painted = Paint(*window, {20}, 21);
        QSignalSpy quitting(window.get(), &EditorWindow::quitting);
        messages.answer(quits ? QMessageBox::Yes : QMessageBox::Cancel);
        if (quits) {
            messages.answer(QMessageBox::Ok);
        }
        ClickButton(*window, "Command2");
        ExpectPrompt(messages.calls.at(0),
                     "There are unsaved edits, do you want to save them now?");
        EXPECT_EQ(workspace.read("cart.bin"), quits ? SavedByCore(original, 0, painted) : original);
        EXPECT_EQ(quitting.count(), quits ? 1 : 0);
        EXPECT_EQ(window->isVisible(), !quits);
        EXPECT_EQ(DocumentOf(*window).isOpen(), !quits);
    }
}

TEST_F(EditingTest, RealPromptIsAnsweredByItsButtons) {
    workspace.write("cart.bin", demo::MakeCartridge(MakeTestBank(), SourceKind::UeRom));
    QtMessageBoxes boxes;
    EditorWindow window(workspace.select("cart.bin", SourceKind::UeRom), boxes);
    window.show();
    Paint(window, {30}, 31);
    bool seen = false;
    QTimer::singleShot(50, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen = true;
        EXPECT_EQ(box->text(), kLoadPrompt);
        EXPECT_EQ(box->icon(), QMessageBox::Question);
        EXPECT_EQ(box->windowTitle(), kCaption);
        EXPECT_EQ(static_cast<QAbstractButton*>(box->defaultButton()),
                  box->button(QMessageBox::Cancel));
        box->button(QMessageBox::No)->click();
    });
    ClickButton(window, "Command1");
    EXPECT_TRUE(seen);
    EXPECT_EQ(DocumentOf(window).map(), TestLevel(0));
}

TEST_F(EditingTest, SaveWritesAsTheCoreDoesAndKeepsTheHistoryUntilALoad) {
    auto window = openCartridge();
    const Bytes original = workspace.read("cart.bin");
    const LevelMap painted = Paint(*window, {0, 1, 2, 100}, 33);
    messages.answer(QMessageBox::Ok);
    ClickButton(*window, "Command5");
    EXPECT_EQ(messages.calls.at(0).text, "Map saved!");
    EXPECT_EQ(messages.calls.at(0).icon, QMessageBox::Information);
    const Bytes saved = SavedByCore(original, 0, painted).value();
    EXPECT_EQ(workspace.read("cart.bin"), saved);
    EXPECT_EQ(window->windowTitle(), expectedTitle("cart.bin", 1));
    // An undo after a save is an edit the next save writes; keys work with the focus anywhere.
    auto* levels = Control<QComboBox>(*window, "Combo1");
    levels->setFocus();
    Press(*levels, Qt::Key_Z, Qt::ControlModifier);
    LevelMap undone = painted;
    undone.setCell(100, TestLevel(0).cell(100));
    EXPECT_EQ(DocumentOf(*window).map(), undone);
    EXPECT_EQ(ShownCell(*window, 100), ExpectedTile(undone.cell(100)));
    EXPECT_EQ(window->windowTitle(), expectedTitle("cart.bin", 1) + "*");
    Press(*levels, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(DocumentOf(*window).map(), painted);
    Press(*levels, Qt::Key_Z, Qt::ControlModifier);
    messages.answer(QMessageBox::Ok);
    ClickButton(*window, "Command5");
    EXPECT_EQ(workspace.read("cart.bin"), SavedByCore(saved, 0, undone));
    // A load empties the history: Ctrl+Z then changes nothing.
    ClickButton(*window, "Command1");
    Press(*levels, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(DocumentOf(*window).map(), undone);
    EXPECT_EQ(DocumentOf(*window).levelState(), 0);

    // The second save, as a power cut would leave it: half its bank written, its record of the
    // write under way still there. The next start puts back the bank that save began from.
    window.reset();
    const auto bankOf = [](const Bytes& file) {
        return Bytes(file.begin() + 98304, file.begin() + 98304 + 16384);
    };
    const Bytes savedAgain = workspace.read("cart.bin");
    Bytes torn = savedAgain;
    std::copy_n(saved.begin() + 98304 + 8192, 8192, torn.begin() + 98304 + 8192);
    workspace.write(
        "cart.bin.history/under-way",
        EncodeUnfinishedWrite({"cart.bin", 2, Crc32(bankOf(saved)), Crc32(bankOf(savedAgain)),
                               PageChecksums(bankOf(saved)), PageChecksums(bankOf(savedAgain))}));
    // A record is trusted only when no other user may write it, whatever the umask.
    QFile::setPermissions(workspace.filePath("cart.bin.history/under-way"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    messages.answer(QMessageBox::Ok);
    window = openCartridge(bankOf(torn));
    EXPECT_EQ(messages.calls.back().text,
              "The last save of cart.bin was interrupted; the bank was put back as it was before "
              "it (restore point 2).");
    EXPECT_EQ(messages.calls.back().icon, QMessageBox::Information);
    EXPECT_EQ(workspace.read("cart.bin"), saved);
}

}  // namespace
}  // namespace morvane::test
