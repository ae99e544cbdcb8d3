#include <gtest/gtest.h>

#include "editor_test_support.h"
#include "tool_process.h"
#include "ui/editor/level_export.h"
#include "unprivileged_user.h"

namespace morvane::test {
namespace {

using ExportTest = EditorTest;

// What the export must write for map, built here from the tile picture files themselves: each
// grid pixel at every second place, as blue, green and red bytes.
Bytes ExpectedRaw(const LevelMap& map) {
    Bytes bytes;
    for (int j = 0; j < kExportHeight; ++j) {
        for (int i = 0; i < kExportWidth; ++i) {
            const QRgb pixel = ExpectedTile(map.cell(LevelMap::cellAt(i / 16, j / 16)))
                                   .pixel(2 * (i % 16), 2 * (j % 16));
            bytes.insert(bytes.end(), {std::uint8_t(qBlue(pixel)), std::uint8_t(qGreen(pixel)),
                                       std::uint8_t(qRed(pixel))});
        }
    }
    return bytes;
}

TEST(LevelExport, NamesThePictureAfterTheLevelOrTheSingleMap) {
    SourceSelection selection;
    selection.fileName = "map.bin";
    selection.numMaps = "1";
    EXPECT_EQ(ExportFileName(selection, 1), "map.bin.raw");
    selection.numMaps = "99";
    EXPECT_EQ(ExportFileName(selection, 12), "Level12.raw");
}

TEST_F(ExportTest, WritesTheShownLevelWithItsUnsavedEditsAndChangesNothing) {
    auto window = openCartridge();
    const Bytes cartridge = workspace.read("cart.bin");
    PickItem(*Control<QComboBox>(*window, "Combo1"), 6);
    // Tiles 3, 7, ... have transparent corners: they show the grid's background.
    const LevelMap painted = Paint(*window, {40, 41}, 7);
    messages.answer(QMessageBox::Ok);
    ClickButton(*window, "Command3");
    ASSERT_EQ(messages.calls.size(), 1u);
    EXPECT_EQ(messages.calls[0].text,
              "This level map has been successfully saved as an image in RAW format!");
    EXPECT_EQ(messages.calls[0].icon, QMessageBox::Information);
    EXPECT_EQ(workspace.read("Level7.raw"), ExpectedRaw(painted));
    EXPECT_EQ(window->windowTitle(), expectedTitle("cart.bin", 7) + "*");
    EXPECT_EQ(DocumentOf(*window).levelState(), 0x86);
    EXPECT_EQ(workspace.read("cart.bin"), cartridge);

    // The command line writes the same bytes, and the same pixels as PNG.
    messages.answer(QMessageBox::No);
    ClickButton(*window, "Command1");  // the file's level, without the edits
    messages.answer(QMessageBox::Ok);
    ClickButton(*window, "Command3");
    const std::string folder = workspace.path().toStdString();
    for (const auto& arguments : {std::vector<std::string>{"-o", "cli.raw"}, {"--format", "png"}}) {
        std::vector<std::string> command{"export", "cart.bin", "7"};
        command.insert(command.end(), arguments.begin(), arguments.end());
        ASSERT_EQ(RunTool(MORVANE_LEVELS_TOOL, command, folder).exitCode, 0);
    }
    EXPECT_EQ(workspace.read("cli.raw"), workspace.read("Level7.raw"));
    EXPECT_EQ(RawPictureBytes(QImage(workspace.filePath("Level7.png"))),
              workspace.read("Level7.raw"));
}

TEST_F(ExportTest, NeverReplacesTheOpenSource) {
    const Bytes bank = MakeTestBank();
    workspace.write("Level1.raw", bank);  // a bank named as its level 1 picture would be
    auto window = open("Level1.raw", SourceKind::ExtractedMapData);
    messages.answer(QMessageBox::Ok);
    ClickButton(*window, "Command3");
    ASSERT_EQ(messages.calls.size(), 1u);
    EXPECT_EQ(messages.calls[0].text,
              "The picture was not saved.\nLevel1.raw is the open source file.");
    EXPECT_EQ(workspace.read("Level1.raw"), bank);
}

TEST_F(ExportTest, ReadOnlyFolderRefusesThePictureAndLeavesNoFile) {
    // Permissions bind only users other than root, so this runs as one.
    if (RerunAsUnprivilegedUser()) {
        return;
    }
    auto window = openCartridge();
    const TemporaryMode readOnly(workspace.path().toStdString(), std::filesystem::perms(0555));
    const QStringList before = QDir(workspace.path()).entryList(QDir::Files);
    messages.answer(QMessageBox::Ok);
    ClickButton(*window, "Command3");
    ASSERT_EQ(messages.calls.size(), 1u);
    EXPECT_EQ(messages.calls[0].text,
              "The picture was not saved.\nLevel1.raw: the file could not be created (Permission "
              "denied).");
    EXPECT_EQ(QDir(workspace.path()).entryList(QDir::Files), before);
}

// Saves and exports whose writes fail at once, part-way or at the flush: the source holds the
// whole old bank, no picture is left, the level keeps its mark and the user is told why.
TEST_F(ExportTest, FailedWritesLeaveTheOldFilesAndTheMark) {
    const char* refused = "the operating system refused the write";
    const struct {
        std::optional<MemoryFileData::PartialWrite> partial;
        bool failFlush, failHistory;
        const char* saveProblem;
    } faults[] = {{MemoryFileData::PartialWrite{0, 0}, false, false, refused},
                  {MemoryFileData::PartialWrite{0, 6000}, false, false, refused},
                  {std::nullopt, true, false, refused},
                  {std::nullopt, true, true, "no restore point could be made in cart.bin.history"}};
    for (const auto& fault : faults) {
        MemoryFileSystem files;
        files.failMakeDirectory = fault.failHistory;
        auto cartridge =
            files.add("cart.bin", demo::MakeCartridge(MakeTestBank(), SourceKind::UeRom));
        const Bytes original = cartridge->bytes;
        EditorWindow window(workspace.select("cart.bin", SourceKind::UeRom), messages, files);
        Paint(window, {9}, 44);
        cartridge->partialWrite = fault.partial;
        cartridge->failFlush = fault.failFlush;
        messages.calls.clear();
        messages.answer(QMessageBox::Ok);
        ClickButton(window, "Command5");
        // The save's restore point is made before the faults reach new files.
        files.createdFileFaults.partialWrite = fault.partial;
        files.createdFileFaults.failFlush = fault.failFlush;
        messages.answer(QMessageBox::Ok);
        ClickButton(window, "Command3");
        ASSERT_EQ(messages.calls.size(), 2u);
        EXPECT_TRUE(messages.calls[0].text.startsWith("The level was not saved."));
        EXPECT_TRUE(messages.calls[0].text.contains(fault.saveProblem));
        EXPECT_TRUE(messages.calls[1].text.startsWith("The picture was not saved.\nLevel1.raw: "));
        EXPECT_EQ(cartridge->bytes, original);
        EXPECT_FALSE(files.find("Level1.raw"));
        EXPECT_FALSE(files.find("Level1.raw.part"));
        EXPECT_EQ(window.windowTitle(), expectedTitle("cart.bin", 1) + "*");
    }
}

}  // namespace
}  // namespace morvane::test
