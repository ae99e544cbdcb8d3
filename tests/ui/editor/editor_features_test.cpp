// Beyond the fixed layout: the level list's pictures, Save's tooltip, the clipboard, test play.
#include <gtest/gtest.h>

#include "editor_test_support.h"
#include "leveldata/map_text.h"
#include "ui/editor/emulator_launcher.h"
#include "ui/editor/level_list_delegate.h"
#include "ui/editor/level_list_pictures.h"

namespace morvane::test {
namespace {

using FeaturesTest = EditorTest;

TEST_F(FeaturesTest, ListShowsEachLevelAsOnDiskAndTheShownOneWithItsEdits) {
    Bytes bank = MakeTestBank();
    bank[2 * 4 + 1] = 0x7F;  // level 5 points before the bank
    auto window = openCartridge(bank);
    QComboBox& levels = *Control<QComboBox>(*window, "Combo1");
    LevelListPictures& pictures =
        qobject_cast<LevelListDelegate*>(levels.itemDelegate())->pictures();
    EXPECT_EQ(pictures.drawCount(), 0);
    EXPECT_EQ(ShownListPicture(levels, 1), ExpectedPicture(TestLevel(1), 4));
    EXPECT_EQ(pictures.row(1).size, QString("%1 bytes").arg(PackLevel(TestLevel(1)).size()));
    // A click outside the open drop-down closes it.
    levels.showPopup();
    QTest::mouseClick(levels.view()->window(), Qt::LeftButton, {}, QPoint(-20, -20));
    EXPECT_FALSE(levels.view()->isVisible());
    // The size text begins 4 pixels right of the picture, centred in the row's height.
    const QImage sizeShown = ShownListPicture(levels, 1, true);
    QImage sizeDrawn(sizeShown.size(), QImage::Format_RGB32);
    sizeDrawn.fill(sizeShown.pixel(0, 0));
    QPainter painter(&sizeDrawn);
    painter.setFont(levels.view()->font());
    painter.setPen(levels.view()->palette().color(QPalette::Text));
    painter.drawText(sizeDrawn.rect().adjusted(4, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                     pictures.row(1).size);
    painter.end();
    EXPECT_EQ(sizeShown, sizeDrawn);
    const QImage box = LevelListPictures::UnreadablePicture();
    EXPECT_EQ(ShownListPicture(levels, 4), box);
    EXPECT_EQ(pictures.row(4).size, "unreadable");
    // Border and both diagonals: each column of the box holds four pixels of the pen's red.
    const QImage column = box.copy(10, 0, 1, box.height());
    EXPECT_EQ(std::count(column.bits(), column.bits() + column.sizeInBytes(), 0xA0), 4);
    const LevelMap painted = Paint(*window, {0, 1, 2, 3, 4, 5}, 40);
    EXPECT_EQ(ShownListPicture(levels, 0), ExpectedPicture(painted, 4));
    EXPECT_EQ(pictures.row(0).size, QString("%1 bytes").arg(PackLevel(painted).size()));
    EXPECT_EQ(pictures.row(0).number, "1");
    // A save moves every later level; only the saved one is drawn again.
    messages.answer(QMessageBox::Ok);
    ClickButton(*window, "Command5");
    const int drawn = pictures.drawCount();
    EXPECT_EQ(ShownListPicture(levels, 0), ExpectedPicture(painted, 4));
    EXPECT_EQ(pictures.drawCount(), drawn + 1);
    // Nothing changed since: the drop-down shows the pictures already drawn.
    EXPECT_EQ(ShownListPicture(levels, 1), ExpectedPicture(TestLevel(1), 4));
    EXPECT_EQ(pictures.drawCount(), drawn + 1);
    // The closed box and its items keep the bare numbers; the drop-down is wider than the box.
    EXPECT_EQ(levels.geometry(), QRect(84, 236, 45, 21));
    EXPECT_EQ(levels.currentText(), "1");
    EXPECT_GT(levels.view()->minimumWidth(), 128);
}

// What the Save button tells about the bank's free space; afterSave < 0 when it does not fit.
QString SpaceText(int packed, int inFile, int freeNow, int afterSave) {
    return QString::asprintf(
               "Level 1 packs to %d bytes now; its stream in the file is %d bytes.\n"
               "The bank has %d bytes free now",
               packed, inFile, freeNow) +
           (afterSave < 0
                ? QString(". The level no longer fits: %1 bytes are missing.").arg(-afterSave)
                : QString(" and would have %1 free after saving.").arg(afterSave));
}

TEST_F(FeaturesTest, SaveTooltipFollowsPaintsPastesUndoAndSaves) {
    // Level 1 is 56 bytes of one tile; 98 busy levels of 164 bytes leave 58 bytes free.
    LevelMap busy, speckled;
    for (int cell = 0; cell < 224; ++cell) {
        busy.setCell(cell, std::uint8_t(cell < 144 ? cell % 2 : 2));
        speckled.setCell(cell, std::uint8_t(cell % 2));
    }
    std::vector<Bytes> streams(99, PackLevel(busy));
    streams[0] = PackLevel(LevelMap());
    ASSERT_EQ(streams[1].size(), 164u);
    const int free = 16384 - 198 - 56 - 98 * 164;
    auto window = openCartridge(demo::AssembleBank(streams));
    QPushButton& save = *Control<QPushButton>(*window, "Command5");
    EXPECT_EQ(save.toolTip(), SpaceText(56, 56, free, free));
    // Cells 0 and 4 of another tile split the first run: 56 + 2 bytes, which still fit.
    Paint(*window, {0, 4}, 7);
    EXPECT_EQ(save.toolTip(), SpaceText(58, 56, free, free - 2));
    QGuiApplication::clipboard()->setText(QString::fromStdString(FormatMapText(speckled)));
    Press(*window, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(save.toolTip(), SpaceText(224, 56, free, free - 168));
    EXPECT_EQ(save.accessibleDescription(), save.toolTip());
    Press(*window, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(save.toolTip(), SpaceText(58, 56, free, free - 2));
    messages.answer(QMessageBox::Ok);
    ClickButton(*window, "Command5");
    EXPECT_EQ(save.toolTip(), SpaceText(58, 58, free - 2, free - 2));
}

TEST_F(FeaturesTest, CopyThenPasteIntoAnotherLevelIsOneUndoStepAndBadTextWarns) {
    auto window = openCartridge();
    QComboBox& levels = *Control<QComboBox>(*window, "Combo1");
    PickItem(levels, 2);
    Press(*window, Qt::Key_C, Qt::ControlModifier);
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    EXPECT_EQ(copied->text().toStdString(), FormatMapText(TestLevel(2)));
    EXPECT_EQ(qvariant_cast<QImage>(copied->imageData()).convertToFormat(QImage::Format_RGB32),
              ExpectedPicture(TestLevel(2), 16));
    PickItem(levels, 9);
    Press(*window, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(DocumentOf(*window).map(), TestLevel(2));
    EXPECT_EQ(DocumentOf(*window).levelState(), 9 | 0x80);
    EXPECT_EQ(ShownCell(*window, 31), ExpectedTile(TestLevel(2).cell(31)));
    Press(*window, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(DocumentOf(*window).map(), TestLevel(9));
    // Text that is not a level map gives a warning and changes nothing.
    std::string text = FormatMapText(TestLevel(5));
    const std::size_t thirdLine = text.find('\n', text.find('\n') + 1) + 1;
    text.erase(thirdLine, text.find(' ', thirdLine) + 1 - thirdLine);
    for (const auto& [clipboard, problem] :
         std::vector<std::pair<std::string, QString>>{{text, "line 3 has 31 numbers"},
                                                      {"", "it holds no text"},
                                                      {"1 2 99", "99 is not a tile number"}}) {
        QGuiApplication::clipboard()->setText(QString::fromStdString(clipboard));
        messages.calls.clear();
        messages.answer(QMessageBox::Ok);
        Press(*window, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(messages.calls.at(0).text,
                  "The clipboard does not hold a level map: " + problem + ".");
        EXPECT_EQ(messages.calls.at(0).icon, QMessageBox::Warning);
    }
    EXPECT_EQ(DocumentOf(*window).map(), TestLevel(9));
    EXPECT_EQ(DocumentOf(*window).levelState(), 9 | 0x80);
    EXPECT_FALSE(DocumentOf(*window).history().canUndo());
}

struct TestPlayTest : EditorTest {
    // Fake emulators in a folder named with a space write their path and arguments to "played".
    void SetUp() override {
        ASSERT_TRUE(QDir(workspace.path()).mkdir("emu dir"));
        const std::string script =
            "#!/bin/sh\nprintf '%s\\n' \"$0\" \"$@\" > played.part && mv played.part played\n";
        for (const QString name : {"emu dir/mednafen", "emu dir/osmose-emulator"}) {
            workspace.write(name, Bytes(script.begin(), script.end()));
            QFile::setPermissions(workspace.filePath(name), QFile::ReadOwner | QFile::ExeOwner);
        }
    }
    QString played() const {
        QFile file(workspace.filePath("played"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
};

// Each answer runs another command: a quoted program with the dump's name in place of %f, the
// first emulator on the PATH with the name appended, a name looked up on the PATH with quoted
// words. The name handed over ends in ".gg" and leads to the dump's bytes until the editor goes.
TEST_F(TestPlayTest, F5AsksAboutEditsAndStartsTheEmulatorOnTheFile) {
    const QString emu = workspace.filePath("emu dir/");
    const ScopedVariable path("PATH", QFile::encodeName(emu + ":" + qgetenv("PATH")).constData());
    const struct {
        QMessageBox::StandardButton answer;
        QString command;   // empty: MORVANE_EMULATOR unset
        QString expected;  // GG stands for the name handed over
    } cases[] = {
        {QMessageBox::NoButton, "\"" + emu + "osmose-emulator\" --rom=%f %f",
         emu + "osmose-emulator\n--rom=GG\nGG\n"},
        {QMessageBox::Yes, "", emu + "mednafen\nGG\n"},
        {QMessageBox::No, "osmose-emulator \"a b\" -v", emu + "osmose-emulator\na b\n-v\nGG\n"},
        {QMessageBox::Cancel, "mednafen", ""}};
    for (const auto& [answer, command, expected] : cases) {
        SCOPED_TRACE(answer);
        const bool edited = answer != QMessageBox::NoButton, saves = answer == QMessageBox::Yes;
        const ScopedVariable emulator(
            "MORVANE_EMULATOR",
            command.isEmpty() ? nullptr : QFile::encodeName(command).constData());
        QFile::remove(workspace.filePath("played"));
        messages.calls.clear();
        auto window = openCartridge();
        const Bytes original = workspace.read("cart.bin");
        const LevelMap painted = edited ? Paint(*window, {8}, 50) : TestLevel(0);
        if (edited) {
            messages.answer(answer);
        }
        if (saves) {
            messages.answer(QMessageBox::Ok);
        }
        Press(*window, Qt::Key_F5);
        if (edited) {
            ExpectPrompt(messages.calls.at(0),
                         "You edited the level you're currently viewing. Do you want to save the "
                         "changes before you play it in the emulator?");
        }
        EXPECT_EQ(workspace.read("cart.bin"), saves ? SavedByCore(original, 0, painted) : original);
        EXPECT_EQ(DocumentOf(*window).isDirty(), edited && !saves);
        EXPECT_EQ(
            QTest::qWaitFor([&] { return !played().isEmpty(); }, expected.isEmpty() ? 300 : 10000),
            !expected.isEmpty());
        if (expected.isEmpty()) {
            EXPECT_EQ(played(), "");
            continue;
        }
        const QString handed = played().split('\n', Qt::SkipEmptyParts).last();
        EXPECT_EQ(played(), QString(expected).replace("GG", handed));
        EXPECT_EQ(QFileInfo(handed).fileName(), "cart.bin.gg");
        QFile link(handed);
        ASSERT_TRUE(link.open(QIODevice::ReadOnly));
        const QByteArray bytes = link.readAll();
        EXPECT_EQ(Bytes(bytes.begin(), bytes.end()), workspace.read("cart.bin"));
        window.reset();
        EXPECT_FALSE(QFileInfo::exists(QFileInfo(handed).path()));
    }
}

TEST_F(TestPlayTest, EmulatorsAreLookedForInTheGamesFolderAfterThePath) {
    QProcessEnvironment environment;
    environment.insert("PATH", workspace.filePath("gif"));
    const auto command =
        EmulatorLauncher(environment, workspace.filePath("emu dir")).command("/a/cart.gg");
    ASSERT_TRUE(std::holds_alternative<EmulatorLauncher::Command>(command));
    EXPECT_EQ(std::get<EmulatorLauncher::Command>(command).program,
              workspace.filePath("emu dir/mednafen"));
    EXPECT_EQ(std::get<EmulatorLauncher::Command>(command).arguments, QStringList{"/a/cart.gg"});
    EXPECT_EQ((EmulatorLauncher::Command{"/a b/x", {"y", "q\"r", ""}}.text()),
              "\"/a b/x\" y \"q\\\"r\" \"\"");
}

TEST_F(TestPlayTest, F5NamesWhatItTriedWhenItCannotPlay) {
    workspace.write("bank.bin", MakeTestBank());
    // MORVANE_EMULATOR (unset for nullptr), whether the source is a cartridge, what is named.
    for (const auto& [variable, cartridge, named] :
         std::vector<std::tuple<const char*, bool, QStringList>>{
             {nullptr, true, {"mednafen", "osmose-emulator", "MORVANE_EMULATOR", "/usr/games"}},
             {"/no/such/emulator -x", true, {"/no/such/emulator -x"}},
             {"", true, {"MORVANE_EMULATOR", "no command"}},
             {"x", false, {"bank.bin", "cartridge", "Extracted map data"}}}) {
        SCOPED_TRACE(variable ? variable : "unset");
        // An emulator installed on this machine must not be started by a test.
        if (!variable &&
            (QFile::exists("/usr/games/mednafen") || QFile::exists("/usr/games/osmose-emulator"))) {
            continue;
        }
        const ScopedVariable path("PATH", QFile::encodeName(workspace.filePath("gif")).constData());
        const ScopedVariable emulator("MORVANE_EMULATOR", variable);
        messages.calls.clear();
        auto window = cartridge ? openCartridge() : open("bank.bin", SourceKind::ExtractedMapData);
        messages.answer(QMessageBox::Ok);
        Press(*window, Qt::Key_F5);
        EXPECT_EQ(messages.calls.at(0).icon, QMessageBox::Warning);
        for (const QString& part : named) {
            EXPECT_TRUE(messages.calls.at(0).text.contains(part))
                << messages.calls.at(0).text.toStdString();
        }
    }
}

}  // namespace
}  // namespace morvane::test
