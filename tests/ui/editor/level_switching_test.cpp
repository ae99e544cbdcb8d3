#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <functional>

#include "bank_builder.h"
#include "demo_levels.h"
#include "editor_test_support.h"
#include "leveldata/level_bank.h"
#include "leveldata/level_codec.h"
#include "leveldata/level_saver.h"
#include "leveldata/memory_file_system.h"
#include "sources/source_descriptor.h"
#include "ui/editor/qt_message_boxes.h"

namespace morvane::test {
namespace {

using LevelSwitchingTest = EditorTest;

const QString kLoadPrompt =
    "You edited the level you're currently viewing. Do you want to save the changes before you "
    "load another level?";
const QString kQuitPrompt = "There are unsaved edits, do you want to save them now?";

LevelLayout CartridgeLayout() {
    return *LayoutFor(SourceKind::UeRom, "98304");
}

void ExpectPrompt(const MessageCall& call, const QString& text) {
    EXPECT_EQ(call.text, text);
    EXPECT_EQ(call.title, QString::fromStdString(kCaption));
    EXPECT_EQ(call.icon, QMessageBox::Question);
    EXPECT_EQ(call.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(call.defaultButton, QMessageBox::Cancel);
}

void ExpectSaved(const MessageCall& call) {
    EXPECT_EQ(call.text, "Map saved!");
    EXPECT_EQ(call.title, QString::fromStdString(kCaption));
    EXPECT_EQ(call.icon, QMessageBox::Information);
    EXPECT_EQ(call.buttons, QMessageBox::Ok);
}

void Click(const EditorWindow& window, const char* button) {
    QTest::mouseClick(Control<QPushButton>(window, button), Qt::LeftButton);
}

// Paints cells with the left brush set to tile and returns the map as painted.
LevelMap Paint(const EditorWindow& window, std::initializer_list<int> cells, int tile) {
    PickItem(*Control<QComboBox>(window, "Combo2", 0), tile);
    LevelGrid& grid = GridOf(window);
    for (const int cell : cells) {
        test::Click(grid, grid.cellRect(cell).center(), Qt::LeftButton);
    }
    return DocumentOf(window).map();
}

// A map whose greedy stream is exactly length bytes (56..224): single cells of alternating
// tiles first, then runs of four cells of tile 0.
LevelMap MapOfLength(int length) {
    for (int single = 0; single <= LevelMap::kCellCount; ++single) {
        LevelMap map;
        for (int cell = 0; cell < single; ++cell) {
            map.setCell(cell, std::uint8_t(1 + cell % 2));
        }
        if (int(PackLevel(map).size()) == length) {
            return map;
        }
    }
    ADD_FAILURE() << "no map packs to " << length << " bytes";
    return {};
}

// A bank whose free space is freeBytes, with level 1 all tile 0 (a 56-byte stream).
Bytes TightBank(int freeBytes) {
    const int rest = LevelBank::kDataAreaSize - freeBytes - 56;
    std::vector<Bytes> streams{PackLevel(LevelMap())};
    for (int index = 1; index < 99; ++index) {
        const int length = rest / 98 + (index - 1 < rest % 98 ? 1 : 0);
        streams.push_back(PackLevel(MapOfLength(length)));
    }
    return demo::AssembleBank(streams);
}

// Lowers the largest file this process may write to 0 bytes, so that the system refuses every
// write, for the life of the object.
class RefusedWrites {
public:
    RefusedWrites() {
        getrlimit(RLIMIT_FSIZE, &m_previous);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit none = m_previous;
        none.rlim_cur = 0;
        EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &none), 0);
    }
    ~RefusedWrites() {
        setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_handler);
    }

private:
    rlimit m_previous{};
    void (*m_handler)(int) = nullptr;
};

// What a real message box showed before a button of it was pressed.
struct ShownBox {
    bool shown = false;
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    bool cancelIsDefault = false;
};

// Waits for the next real message box as the active modal widget, notes what it shows and
// presses button on it.
void AnswerRealBox(ShownBox& seen, QMessageBox::StandardButton button, int attempts = 500) {
    QTimer::singleShot(10, [&seen, button, attempts] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            if (attempts > 0) {
                AnswerRealBox(seen, button, attempts - 1);
            }
            return;
        }
        seen.shown = true;
        seen.text = box->text();
        seen.title = box->windowTitle();
        seen.icon = box->icon();
        seen.buttons = box->standardButtons();
        seen.cancelIsDefault = box->defaultButton() == box->button(QMessageBox::Cancel);
        box->button(button)->click();
    });
}

TEST_F(LevelSwitchingTest, SaveWritesTheBankAsTheCoreDoes) {
    auto window = openCartridge();
    const Bytes original = workspace.read("cart.bin");
    const LevelMap painted = Paint(*window, {0, 1, 2, 100}, 33);
    ASSERT_NE(painted, TestLevel(0));

    messages.answer(QMessageBox::Ok);
    Click(*window, "Command5");
    ASSERT_EQ(messages.calls().size(), 1u);
    ExpectSaved(messages.calls()[0]);
    const Bytes saved = workspace.read("cart.bin");
    EXPECT_EQ(saved, SavedByCore(original, CartridgeLayout(), 0, painted));
    EXPECT_NE(saved, original);
    const LevelDocument& document = DocumentOf(*window);
    EXPECT_EQ(window->windowTitle(), expectedTitle("cart.bin", 1));
    EXPECT_EQ(document.levelState(), 0);
    EXPECT_EQ(document.oldPackedLength(), PackLevel(painted).size());

    // Saving again without painting writes the same bank again.
    messages.answer(QMessageBox::Ok);
    Click(*window, "Command5");
    EXPECT_EQ(workspace.read("cart.bin"), saved);
    EXPECT_EQ(messages.calls().size(), 2u);
}

TEST_F(LevelSwitchingTest, SaveOfACleanLevelRewritesItAsTheCoreDoes) {
    // Level 4 of the demo bank is stored with non-greedy runs, so saving shortens it.
    auto window = openCartridge(demo::MakeDemoBank());
    PickItem(*Control<QComboBox>(*window, "Combo1"), 3);
    const Bytes original = workspace.read("cart.bin");
    messages.answer(QMessageBox::Ok);
    Click(*window, "Command5");
    ExpectSaved(messages.calls().at(0));
    EXPECT_EQ(workspace.read("cart.bin"),
              SavedByCore(original, CartridgeLayout(), 3, demo::MakeDemoLevel(3)));
    EXPECT_NE(workspace.read("cart.bin"), original);
    EXPECT_EQ(DocumentOf(*window).levelState(), 3);
    EXPECT_EQ(window->windowTitle(), expectedTitle("cart.bin", 4));
}

TEST_F(LevelSwitchingTest, FullBankRefusesTheSaveAndKeepsTheEdits) {
    const Bytes bank = TightBank(2);
    auto window = openCartridge(bank);
    const Bytes original = workspace.read("cart.bin");
    const LevelMap painted = Paint(*window, {100, 110, 120, 130}, 5);
    ASSERT_GT(int(PackLevel(painted).size()) - 56, 2);
    const auto length = DocumentOf(*window).oldPackedLength();

    messages.answer(QMessageBox::Ok);
    Click(*window, "Command5");
    ASSERT_EQ(messages.calls().size(), 1u);
    const MessageCall& warning = messages.calls()[0];
    auto data = std::make_shared<MemoryFileData>();
    data->bytes = original;
    auto copy = OpenMemoryFile(data, OpenMode::ReadWrite);
    const auto refused = SaveLevelToFile(*copy, CartridgeLayout(), 0, painted, 56, 0);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.failure().error, LevelError::BankOverflow);
    EXPECT_EQ(warning.text, "The level was not saved.\n" +
                                QString::fromStdString(DescribeLevelFailure(refused.failure())));
    EXPECT_TRUE(warning.text.contains("bytes are missing")) << warning.text.toStdString();
    EXPECT_EQ(warning.icon, QMessageBox::Warning);
    EXPECT_EQ(warning.buttons, QMessageBox::Ok);
    EXPECT_EQ(warning.title, QString::fromStdString(kCaption));

    EXPECT_EQ(workspace.read("cart.bin"), original);
    EXPECT_EQ(window->windowTitle(), expectedTitle("cart.bin", 1) + "*");
    EXPECT_EQ(DocumentOf(*window).levelState(), 0x80);
    EXPECT_EQ(DocumentOf(*window).oldPackedLength(), length);
    EXPECT_EQ(DocumentOf(*window).map(), painted);
}

TEST_F(LevelSwitchingTest, RefusedWriteKeepsTheEditsAndTheFile) {
    auto window = openCartridge();
    const Bytes original = workspace.read("cart.bin");
    const LevelMap painted = Paint(*window, {7, 8}, 44);
    const auto length = DocumentOf(*window).oldPackedLength();
    {
        RefusedWrites refused;
        messages.answer(QMessageBox::Ok);
        Click(*window, "Command5");
    }
    ASSERT_EQ(messages.calls().size(), 1u);
    const MessageCall& warning = messages.calls()[0];
    EXPECT_TRUE(warning.text.startsWith("The level was not saved.\nLevel 1: "));
    EXPECT_TRUE(warning.text.contains("the operating system refused the write"))
        << warning.text.toStdString();
    EXPECT_TRUE(warning.text.contains(QString::fromLocal8Bit(strerror(EFBIG))))
        << warning.text.toStdString();
    EXPECT_EQ(warning.icon, QMessageBox::Warning);
    EXPECT_EQ(workspace.read("cart.bin"), original);
    EXPECT_EQ(window->windowTitle(), expectedTitle("cart.bin", 1) + "*");
    EXPECT_EQ(DocumentOf(*window).oldPackedLength(), length);

    // Once the system accepts writes again the same edits are saved.
    messages.answer(QMessageBox::Ok);
    Click(*window, "Command5");
    ExpectSaved(messages.calls().at(1));
    EXPECT_EQ(workspace.read("cart.bin"), SavedByCore(original, CartridgeLayout(), 0, painted));
    EXPECT_EQ(window->windowTitle(), expectedTitle("cart.bin", 1));
}

TEST_F(LevelSwitchingTest, YesSavesTheEditedLevelThenLoadsThePickedOne) {
    auto window = openCartridge();
    const Bytes original = workspace.read("cart.bin");
    const LevelMap painted = Paint(*window, {3, 4, 5}, 12);
    QSignalSpy loads(&DocumentOf(*window), &LevelDocument::levelLoaded);

    messages.answer(QMessageBox::Yes);
    messages.answer(QMessageBox::Ok);
    PickItem(*Control<QComboBox>(*window, "Combo1"), 2);
    ASSERT_EQ(messages.calls().size(), 2u);
    ExpectPrompt(messages.calls()[0], kLoadPrompt);
    ExpectSaved(messages.calls()[1]);
    EXPECT_EQ(workspace.read("cart.bin"), SavedByCore(original, CartridgeLayout(), 0, painted));
    EXPECT_EQ(loads.count(), 1);
    EXPECT_EQ(DocumentOf(*window).map(), TestLevel(2));
    EXPECT_EQ(DocumentOf(*window).levelState(), 2);
    EXPECT_EQ(window->windowTitle(), expectedTitle("cart.bin", 3));
}

TEST_F(LevelSwitchingTest, NoLoadsThePickedLevelAndDropsTheEdits) {
    auto window = openCartridge();
    const Bytes original = workspace.read("cart.bin");
    Paint(*window, {3}, 12);
    messages.answer(QMessageBox::No);
    PickItem(*Control<QComboBox>(*window, "Combo1"), 2);
    ASSERT_EQ(messages.calls().size(), 1u);
    ExpectPrompt(messages.calls()[0], kLoadPrompt);
    EXPECT_EQ(workspace.read("cart.bin"), original);
    EXPECT_EQ(DocumentOf(*window).map(), TestLevel(2));
    EXPECT_EQ(DocumentOf(*window).levelState(), 2);
    EXPECT_EQ(window->windowTitle(), expectedTitle("cart.bin", 3));
}

TEST_F(LevelSwitchingTest, CancelPutsTheListBackAndSaveStillWritesTheShownLevel) {
    auto window = openCartridge();
    const Bytes original = workspace.read("cart.bin");
    PickItem(*Control<QComboBox>(*window, "Combo1"), 1);
    const LevelMap painted = Paint(*window, {50, 51}, 60);
    QSignalSpy loads(&DocumentOf(*window), &LevelDocument::levelLoaded);
    auto* levels = Control<QComboBox>(*window, "Combo1");

    messages.answer(QMessageBox::Cancel);
    PickItem(*levels, 6);
    ASSERT_EQ(messages.calls().size(), 1u);
    ExpectPrompt(messages.calls()[0], kLoadPrompt);
    EXPECT_EQ(loads.count(), 0);
    EXPECT_EQ(levels->currentIndex(), 1);
    EXPECT_EQ(DocumentOf(*window).levelState(), 0x81);
    EXPECT_EQ(DocumentOf(*window).map(), painted);
    ExpectGridShows(*window, painted);
    EXPECT_EQ(window->windowTitle(), expectedTitle("cart.bin", 2) + "*");

    messages.answer(QMessageBox::Ok);
    Click(*window, "Command5");
    ExpectSaved(messages.calls().at(1));
    EXPECT_EQ(workspace.read("cart.bin"), SavedByCore(original, CartridgeLayout(), 1, painted));
    EXPECT_EQ(window->windowTitle(), expectedTitle("cart.bin", 2));
}

TEST_F(LevelSwitchingTest, CancelAfterLoadWithTheListUnchangedKeepsTheEdits) {
    auto window = openCartridge();
    const LevelMap painted = Paint(*window, {9}, 61);
    QSignalSpy loads(&DocumentOf(*window), &LevelDocument::levelLoaded);
    messages.answer(QMessageBox::Cancel);
    Click(*window, "Command1");
    ASSERT_EQ(messages.calls().size(), 1u);
    ExpectPrompt(messages.calls()[0], kLoadPrompt);
    EXPECT_EQ(loads.count(), 0);
    EXPECT_EQ(Control<QComboBox>(*window, "Combo1")->currentIndex(), 0);
    EXPECT_EQ(DocumentOf(*window).levelState(), 0x80);
    EXPECT_EQ(DocumentOf(*window).map(), painted);
    EXPECT_EQ(window->windowTitle(), expectedTitle("cart.bin", 1) + "*");

    // No reads the level again from the file.
    messages.answer(QMessageBox::No);
    Click(*window, "Command1");
    EXPECT_EQ(loads.count(), 1);
    EXPECT_EQ(DocumentOf(*window).map(), TestLevel(0));
    EXPECT_EQ(window->windowTitle(), expectedTitle("cart.bin", 1));
}

TEST_F(LevelSwitchingTest, FailedSaveAfterYesStopsTheLoad) {
    auto window = openCartridge(TightBank(1));
    const Bytes original = workspace.read("cart.bin");
    const LevelMap painted = Paint(*window, {100, 110, 120}, 5);
    QSignalSpy loads(&DocumentOf(*window), &LevelDocument::levelLoaded);
    messages.answer(QMessageBox::Yes);
    messages.answer(QMessageBox::Ok);
    PickItem(*Control<QComboBox>(*window, "Combo1"), 4);
    ASSERT_EQ(messages.calls().size(), 2u);
    ExpectPrompt(messages.calls()[0], kLoadPrompt);
    EXPECT_EQ(messages.calls()[1].icon, QMessageBox::Warning);
    EXPECT_EQ(loads.count(), 0);
    EXPECT_EQ(workspace.read("cart.bin"), original);
    EXPECT_EQ(Control<QComboBox>(*window, "Combo1")->currentIndex(), 0);
    EXPECT_EQ(DocumentOf(*window).levelState(), 0x80);
    EXPECT_EQ(DocumentOf(*window).map(), painted);
    EXPECT_EQ(window->windowTitle(), expectedTitle("cart.bin", 1) + "*");
}

TEST_F(LevelSwitchingTest, QuitWithEditsAsksAndFollowsTheAnswer) {
    const struct {
        QMessageBox::StandardButton answer;
        bool saves;
        bool quits;
    } cases[] = {
        {QMessageBox::Yes, true, true},
        {QMessageBox::No, false, true},
        {QMessageBox::Cancel, false, false},
    };
    for (const auto& run : cases) {
        messages.forgetCalls();
        auto window = openCartridge();
        window->show();
        const Bytes original = workspace.read("cart.bin");
        const LevelMap painted = Paint(*window, {20}, 21);
        QSignalSpy quitting(window.get(), &EditorWindow::quitting);
        messages.answer(run.answer);
        if (run.saves) {
            messages.answer(QMessageBox::Ok);
        }
        Click(*window, "Command2");
        ASSERT_EQ(messages.calls().size(), run.saves ? 2u : 1u);
        ExpectPrompt(messages.calls()[0], kQuitPrompt);
        if (run.saves) {
            ExpectSaved(messages.calls()[1]);
        }
        EXPECT_EQ(workspace.read("cart.bin"),
                  run.saves ? SavedByCore(original, CartridgeLayout(), 0, painted) : original);
        EXPECT_EQ(quitting.count(), run.quits ? 1 : 0);
        EXPECT_EQ(window->isVisible(), !run.quits);
        EXPECT_EQ(OpenDescriptors(workspace.filePath("cart.bin")), run.quits ? 0 : 1);
        EXPECT_EQ(DocumentOf(*window).levelState(), run.quits ? LevelDocument::kQuitting : 0x80);
    }
}

TEST_F(LevelSwitchingTest, QuitStaysWhenTheSaveFails) {
    auto window = openCartridge(TightBank(0));
    window->show();
    const Bytes original = workspace.read("cart.bin");
    Paint(*window, {100}, 5);
    QSignalSpy quitting(window.get(), &EditorWindow::quitting);
    messages.answer(QMessageBox::Yes);
    messages.answer(QMessageBox::Ok);
    Click(*window, "Command2");
    ASSERT_EQ(messages.calls().size(), 2u);
    EXPECT_EQ(messages.calls()[1].icon, QMessageBox::Warning);
    EXPECT_EQ(quitting.count(), 0);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(workspace.read("cart.bin"), original);
    EXPECT_EQ(DocumentOf(*window).levelState(), 0x80);
    EXPECT_EQ(window->windowTitle(), expectedTitle("cart.bin", 1) + "*");
}

TEST_F(LevelSwitchingTest, CloseRequestWithEditsIsRefusedWithoutAPrompt) {
    auto window = openCartridge();
    window->show();
    Paint(*window, {20}, 21);
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(messages.calls().empty());
    EXPECT_EQ(DocumentOf(*window).levelState(), 0x80);
}

TEST_F(LevelSwitchingTest, RealPromptsAreAnsweredByTheirButtons) {
    workspace.write("cart.bin", demo::MakeCartridge(MakeTestBank(), SourceKind::UeRom));
    QtMessageBoxes boxes;
    EditorWindow window(workspace.select("cart.bin", SourceKind::UeRom), boxes);
    window.show();
    const Bytes original = workspace.read("cart.bin");

    Paint(window, {30}, 31);
    ShownBox load;
    AnswerRealBox(load, QMessageBox::No);
    Click(window, "Command1");
    ASSERT_TRUE(load.shown);
    EXPECT_EQ(load.text, kLoadPrompt);
    EXPECT_EQ(load.title, QString::fromStdString(kCaption));
    EXPECT_EQ(load.icon, QMessageBox::Question);
    EXPECT_EQ(load.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_TRUE(load.cancelIsDefault);
    EXPECT_EQ(DocumentOf(window).map(), TestLevel(0));
    EXPECT_EQ(window.windowTitle(), expectedTitle("cart.bin", 1));

    Paint(window, {30}, 31);
    ShownBox quit;
    AnswerRealBox(quit, QMessageBox::Cancel);
    Click(window, "Command2");
    ASSERT_TRUE(quit.shown);
    EXPECT_EQ(quit.text, kQuitPrompt);
    EXPECT_TRUE(quit.cancelIsDefault);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.windowTitle(), expectedTitle("cart.bin", 1) + "*");

    ShownBox saved;
    AnswerRealBox(saved, QMessageBox::Ok);
    Click(window, "Command5");
    ASSERT_TRUE(saved.shown);
    EXPECT_EQ(saved.text, "Map saved!");
    EXPECT_EQ(saved.icon, QMessageBox::Information);
    EXPECT_EQ(saved.buttons, QMessageBox::Ok);
    EXPECT_EQ(workspace.read("cart.bin"),
              SavedByCore(original, CartridgeLayout(), 0, DocumentOf(window).map()));
}

}  // namespace
}  // namespace morvane::test
