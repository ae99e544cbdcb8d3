// The restore points window: the points listed, a point's level before and after, Restore.
#include <gtest/gtest.h>

#include "editor_test_support.h"
#include "ui/editor/level_list_pictures.h"
#include "ui/editor/restore_points_window.h"

namespace morvane::test {
namespace {

struct RestorePointsTest : EditorTest {
    // Points are stored in UTC and listed in local time; a zone 12:45 from UTC shows a time
    // that was not converted.
    const ScopedVariable m_zone{"TZ", "Pacific/Chatham"};

    // Paints cell of level 1 with tile and saves, which keeps the file as it was as a point.
    void paintAndSave(const EditorWindow& window, int cell, int tile) {
        Paint(window, {cell}, tile);
        messages.answer(QMessageBox::Ok);
        ClickButton(window, "Command5");
    }
    // Presses Ctrl+H in the editor and returns the window it shows.
    RestorePointsWindow& openPoints(EditorWindow& window) {
        Press(window, Qt::Key_H, Qt::ControlModifier);
        auto* points = window.findChild<RestorePointsWindow*>();
        EXPECT_TRUE(points && points->isVisible());
        return *points;
    }
    // The id, what and levels of every listed point, top to bottom.
    static std::vector<QStringList> Listed(const RestorePointsWindow& points) {
        const QAbstractItemModel& model = *Control<QTableView>(points, "PointList")->model();
        std::vector<QStringList> rows;
        for (int row = 0; row < model.rowCount(); ++row) {
            rows.push_back({model.index(row, 0).data().toString(),
                            model.index(row, 2).data().toString(),
                            model.index(row, 3).data().toString()});
        }
        return rows;
    }
    static void ClickRow(const RestorePointsWindow& points, int row) {
        QTableView& list = *Control<QTableView>(points, "PointList");
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                          list.visualRect(list.model()->index(row, 0)).center());
    }
    static QImage Picture(const RestorePointsWindow& points, const char* name) {
        return Control<QLabel>(points, name)
            ->pixmap()
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }
    void expectRestorePrompt(const MessageCall& call, int id, const QString& time) {
        EXPECT_EQ(call.text, QString("Put back cart.bin as it was at restore point %1 (%2)? The "
                                     "file as it is now is kept as a new restore point.")
                                 .arg(id)
                                 .arg(time));
        EXPECT_EQ(call.icon, QMessageBox::Question);
        EXPECT_EQ(call.buttons, QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(call.defaultButton, QMessageBox::No);
    }
};

TEST_F(RestorePointsTest, RestoringTheOldestOfTwoSavesGivesBackTheFileAndAThirdPoint) {
    auto window = openCartridge();
    const Bytes original = workspace.read("cart.bin");
    paintAndSave(*window, 8, 50);
    paintAndSave(*window, 9, 51);
    RestorePointsWindow& points = openPoints(*window);
    EXPECT_EQ(points.windowTitle(), "Restore points - cart.bin");
    const QTableView& list = *Control<QTableView>(points, "PointList");
    EXPECT_EQ(list.horizontalHeader()->length(), list.viewport()->width());  // no empty strip
    EXPECT_EQ(list.model()->headerData(3, Qt::Horizontal), "Levels that differ from the file now");
    EXPECT_FALSE(list.model()->headerData(3, Qt::Horizontal, Qt::ToolTipRole).isValid());
    EXPECT_EQ(Listed(points),
              (std::vector<QStringList>{{"2", "save level 1", "1"}, {"1", "save level 1", "1"}}));
    const QString time = list.model()->index(1, 1).data().toString();
    const QDateTime local = QDateTime::fromString(time, "yyyy-MM-dd HH:mm:ss");
    EXPECT_LT(std::abs(local.secsTo(QDateTime::currentDateTime())), 60) << time.toStdString();
    EXPECT_FALSE(Control<QPushButton>(points, "Restore")->isEnabled());
    EXPECT_TRUE(Control<QLabel>(points, "PointPicture")->pixmap().isNull());

    // The oldest point holds level 1 as it was; the file now has cells 8 and 9 painted.
    ClickRow(points, 1);
    EXPECT_EQ(Control<QComboBox>(points, "LevelPicker")->currentText(), "Level 1: 2 cells differ");
    const QImage before = Picture(points, "PointPicture"), after = Picture(points, "FilePicture");
    const QImage wasThen = ExpectedPicture(TestLevel(0), 16);
    const QImage isNow = ExpectedPicture(DocumentOf(*window).map(), 16);
    for (const int cell : {8, 9, 10}) {
        const QPoint corner(LevelMap::columnOf(cell) * 16, LevelMap::rowOf(cell) * 16);
        const QPoint middle = corner + QPoint(8, 8);
        const QRgb frame = cell == 10 ? wasThen.pixel(corner) : RestorePointsWindow::kFrameColour;
        EXPECT_EQ(before.pixel(corner), frame) << cell;
        EXPECT_EQ(after.pixel(corner), cell == 10 ? isNow.pixel(corner) : frame) << cell;
        EXPECT_EQ(before.pixel(middle), wasThen.pixel(middle)) << cell;
        EXPECT_EQ(after.pixel(middle), isNow.pixel(middle)) << cell;
    }
    EXPECT_EQ(before.copy(0, 16, 512, 96), wasThen.copy(0, 16, 512, 96));

    messages.calls.clear();
    messages.answer(QMessageBox::Yes);
    ClickButton(points, "Restore");
    expectRestorePrompt(messages.calls.at(0), 1, time);
    EXPECT_EQ(workspace.read("cart.bin"), original);
    EXPECT_EQ(window->windowTitle(), expectedTitle("cart.bin", 1));
    EXPECT_EQ(DocumentOf(*window).map(), TestLevel(0));
    EXPECT_EQ(ShownListPicture(*Control<QComboBox>(*window, "Combo1"), 0),
              ExpectedPicture(TestLevel(0), 4));
    EXPECT_EQ(Listed(points), (std::vector<QStringList>{{"3", "restore 1", "1"},
                                                        {"2", "save level 1", "1"},
                                                        {"1", "save level 1", "none"}}));
    // The point restored stays selected.
    EXPECT_EQ(Control<QLabel>(points, "PointCaption")->text(), "At restore point 1");
    EXPECT_EQ(Control<QComboBox>(points, "LevelPicker")->currentText(), "Level 1: the same");
    // With level 3 shown, which the point does not change, the first level it changes is shown.
    PickItem(*Control<QComboBox>(*window, "Combo1"), 2);
    ClickRow(points, 0);
    EXPECT_EQ(Control<QComboBox>(points, "LevelPicker")->currentText(), "Level 1: 2 cells differ");
    // Once level 3 differs too, the shown level 3 comes first; the list offers both.
    paintAndSave(*window, 0, 5);
    EXPECT_EQ(Listed(points).front(), (QStringList{"4", "save level 3", "3"}));
    ClickRow(points, 1);
    QComboBox& picker = *Control<QComboBox>(points, "LevelPicker");
    EXPECT_EQ(picker.currentText(), "Level 3: 1 cell differs");
    EXPECT_EQ(picker.count(), 2);
    ClickButton(points, "Close");
    EXPECT_FALSE(points.isVisible());
}

// The unsaved-edits question comes first: Yes saves (a point more), No drops the edits,
// Cancel stops before the restore is even asked about.
TEST_F(RestorePointsTest, UnsavedEditsAreAskedAboutBeforeTheRestore) {
    for (const auto answer : {QMessageBox::Cancel, QMessageBox::No, QMessageBox::Yes}) {
        SCOPED_TRACE(answer);
        messages.calls.clear();
        QDir(workspace.filePath("cart.bin.history")).removeRecursively();
        auto window = openCartridge();
        const Bytes original = workspace.read("cart.bin");
        paintAndSave(*window, 8, 50);
        const LevelMap edited = Paint(*window, {9}, 51);
        const Bytes saved = workspace.read("cart.bin");
        RestorePointsWindow& points = openPoints(*window);
        ClickRow(points, 0);
        const QString time =
            Control<QTableView>(points, "PointList")->model()->index(0, 1).data().toString();
        messages.calls.clear();
        messages.answer(answer);
        if (answer == QMessageBox::Yes) {
            messages.answer(QMessageBox::Ok);
        }
        if (answer != QMessageBox::Cancel) {
            messages.answer(QMessageBox::Yes);
        }
        ClickButton(points, "Restore");
        ExpectPrompt(messages.calls.at(0), kLoadPrompt);
        if (answer == QMessageBox::Cancel) {
            EXPECT_EQ(messages.calls.size(), 1u);
            EXPECT_EQ(workspace.read("cart.bin"), saved);
            EXPECT_EQ(window->windowTitle(), expectedTitle("cart.bin", 1) + "*");
            EXPECT_EQ(DocumentOf(*window).map(), edited);
            EXPECT_EQ(Listed(points).size(), 1u);
            continue;
        }
        expectRestorePrompt(messages.calls.back(), 1, time);
        EXPECT_EQ(workspace.read("cart.bin"), original);
        EXPECT_EQ(window->windowTitle(), expectedTitle("cart.bin", 1));
        EXPECT_EQ(DocumentOf(*window).map(), TestLevel(0));
        EXPECT_EQ(Listed(points).size(), answer == QMessageBox::Yes ? 3u : 2u);
    }
}

// A level that one of the two banks cannot read is offered as such and shown as the
// crossed-out box beside the other bank's picture, with no cell framed.
TEST_F(RestorePointsTest, LevelUnreadableInOneOfTheBanksShowsTheBoxBesideTheOtherPicture) {
    auto window = openCartridge();
    paintAndSave(*window, 8, 50);
    Bytes broken = workspace.read("cart.bin");
    broken[98304 + 2 * 4 + 1] = 0x7F;  // level 5 points before the bank
    workspace.write("cart.bin", broken);
    RestorePointsWindow& points = openPoints(*window);
    const QImage box = LevelListPictures::UnreadablePicture().scaled(512, 112).convertToFormat(
        QImage::Format_RGB32);
    const QImage level5 = ExpectedPicture(TestLevel(4), 16);
    // Point 1 holds level 5 readable; restoring it keeps the file's unreadable one as point 2.
    for (const bool inPoint : {false, true}) {
        ClickRow(points, 0);
        QComboBox& picker = *Control<QComboBox>(points, "LevelPicker");
        EXPECT_EQ(picker.itemText(1), "Level 5: unreadable in one of the two");
        PickItem(picker, 1);
        EXPECT_EQ(Picture(points, "PointPicture"), inPoint ? box : level5);
        EXPECT_EQ(Picture(points, "FilePicture"), inPoint ? level5 : box);
        if (!inPoint) {
            messages.answer(QMessageBox::Yes);
            ClickButton(points, "Restore");
        }
    }
}

// Flips the last byte of a point's bank, which its checksum then no longer matches.
void Damage(const Workspace& workspace, int id) {
    const QString name = QString("cart.bin.history/%1.point").arg(id);
    Bytes bytes = workspace.read(name);
    bytes.back() ^= 0xFF;
    QFile::setPermissions(workspace.filePath(name), QFile::ReadOwner | QFile::WriteOwner);
    workspace.write(name, bytes);
}

// The list is read again each time the window is shown, and a point damaged after it was
// listed is refused by the core with the file untouched.
TEST_F(RestorePointsTest, DamagedPointCannotBeRestored) {
    auto window = openCartridge();
    paintAndSave(*window, 8, 50);
    paintAndSave(*window, 9, 51);
    RestorePointsWindow& points = openPoints(*window);
    Press(points, Qt::Key_Escape);
    EXPECT_FALSE(points.isVisible());
    Damage(workspace, 1);
    openPoints(*window);
    EXPECT_EQ(Listed(points),
              (std::vector<QStringList>{{"2", "save level 1", "1"}, {"1", "damaged", ""}}));
    ClickRow(points, 1);
    EXPECT_FALSE(Control<QPushButton>(points, "Restore")->isEnabled());
    EXPECT_EQ(Control<QLabel>(points, "Status")->text().toStdString(),
              "Restore point 1 is damaged: its bytes do not match its checksum.");

    ClickRow(points, 0);
    EXPECT_TRUE(Control<QPushButton>(points, "Restore")->isEnabled());
    Damage(workspace, 2);
    const Bytes before = workspace.read("cart.bin");
    messages.calls.clear();
    messages.answer(QMessageBox::Yes);
    messages.answer(QMessageBox::Ok);
    ClickButton(points, "Restore");
    EXPECT_EQ(messages.calls.at(1).text.toStdString(),
              "The restore point was not put back.\nRestore point 2 is damaged: its bytes do not "
              "match its checksum.");
    EXPECT_EQ(messages.calls.at(1).icon, QMessageBox::Warning);
    EXPECT_EQ(workspace.read("cart.bin"), before);
    EXPECT_EQ(Listed(points).size(), 2u);
    EXPECT_FALSE(Control<QPushButton>(points, "Restore")->isEnabled());
    EXPECT_EQ(Control<QLabel>(points, "Status")->text().toStdString(),
              "Restore point 2 is damaged: its bytes do not match its checksum.");
}

}  // namespace
}  // namespace morvane::test
