// Saves and exports whose file operations fail at the start, part-way or at the flush: the
// source holds the whole old bank, no picture file is left, the level keeps its unsaved mark
// and the user is told why.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>

#include "demo_levels.h"
#include "editor_test_support.h"
#include "leveldata/memory_file_system.h"

namespace morvane::test {
namespace {

class FaultInjectionTest : public EditorTest {
protected:
    // An editor on "cart.bin" held in memory, with one cell painted.
    std::unique_ptr<EditorWindow> openPainted() {
        m_cartridge =
            m_files.add("cart.bin", demo::MakeCartridge(MakeTestBank(), SourceKind::UeRom));
        m_original = m_cartridge->bytes;
        auto window = std::make_unique<EditorWindow>(
            workspace.select("cart.bin", SourceKind::UeRom), messages, m_files);
        LevelGrid& grid = GridOf(*window);
        Click(grid, grid.cellRect(9).center(), Qt::RightButton);
        EXPECT_TRUE(window->windowTitle().endsWith("*"));
        return window;
    }

    void click(const EditorWindow& window, const char* button) {
        messages.answer(QMessageBox::Ok);
        QTest::mouseClick(Control<QPushButton>(window, button), Qt::LeftButton);
    }

    MemoryFileSystem m_files;
    std::shared_ptr<MemoryFileData> m_cartridge;
    Bytes m_original;
};

TEST_F(FaultInjectionTest, FailedSaveLeavesTheWholeOldBankAndTheMark) {
    const struct {
        const char* name;
        std::optional<MemoryFileData::PartialWrite> partial;
        bool failFlush;
        const char* reason;
    } cases[] = {
        {"write refused at once", MemoryFileData::PartialWrite{0, 0}, false, "No space left"},
        {"short write", MemoryFileData::PartialWrite{0, 6000}, false, "No space left"},
        {"flush fails", std::nullopt, true, "flushed to disk (Input/output error)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        messages.forgetCalls();
        auto window = openPainted();
        const QString caption = window->windowTitle();
        const std::uint8_t state = DocumentOf(*window).levelState();
        m_cartridge->partialWrite = c.partial;
        m_cartridge->failFlush = c.failFlush;
        click(*window, "Command5");
        ASSERT_EQ(messages.calls().size(), 1u);
        EXPECT_EQ(messages.calls()[0].icon, QMessageBox::Warning);
        EXPECT_TRUE(messages.calls()[0].text.contains("the operating system refused the write"));
        EXPECT_TRUE(messages.calls()[0].text.contains(c.reason))
            << messages.calls()[0].text.toStdString();
        EXPECT_EQ(m_cartridge->bytes, m_original);
        EXPECT_EQ(window->windowTitle(), caption);
        EXPECT_EQ(DocumentOf(*window).levelState(), state);
    }
}

TEST_F(FaultInjectionTest, FailedExportLeavesNoPictureAndChangesNothing) {
    const struct {
        const char* name;
        std::optional<MemoryFileData::PartialWrite> partial;
        bool failFlush;
        bool failRename;
    } cases[] = {
        {"write refused at once", MemoryFileData::PartialWrite{0, 0}, false, false},
        {"short write", MemoryFileData::PartialWrite{0, 100000}, false, false},
        {"flush fails", std::nullopt, true, false},
        {"rename fails", std::nullopt, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        messages.forgetCalls();
        auto window = openPainted();
        const QString caption = window->windowTitle();
        m_files.createdFileFaults.partialWrite = c.partial;
        m_files.createdFileFaults.failFlush = c.failFlush;
        m_files.failRename = c.failRename;
        click(*window, "Command3");
        ASSERT_EQ(messages.calls().size(), 1u);
        EXPECT_EQ(messages.calls()[0].icon, QMessageBox::Warning);
        EXPECT_TRUE(messages.calls()[0].text.startsWith("The picture was not saved.\nLevel1.raw: "))
            << messages.calls()[0].text.toStdString();
        EXPECT_FALSE(m_files.find("Level1.raw"));
        EXPECT_FALSE(m_files.find("Level1.raw.part"));
        EXPECT_EQ(window->windowTitle(), caption);
        EXPECT_EQ(m_cartridge->bytes, m_original);
    }
    m_files.createdFileFaults = MemoryFileData();
    m_files.failRename = false;
    auto window = openPainted();
    click(*window, "Command3");
    ASSERT_TRUE(m_files.find("Level1.raw"));
    EXPECT_EQ(m_files.find("Level1.raw")->bytes.size(), 172032u);
}

}  // namespace
}  // namespace morvane::test
