// Mouse events travel through the window system, as a user's would: they reach the widget under
// the pointer, and a press-release-press-release becomes a double-click.
#define QTEST_QPA_MOUSE_HANDLING

#include "ui/source_dialog/source_dialog.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QtTest>
#include <QtWidgets>
#include <vector>

#include "demo_levels.h"
#include "ui/source_dialog/drive_catalog.h"

namespace morvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

void WriteFile(const QString& path, const Bytes& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
}

// A file written for a test and what the dialog must show when it is selected.
struct KindFile {
    QString name;
    int kind;
    QString dataOffset, compressed, numMaps;
};

std::vector<KindFile> WriteOneOfEachKind(const QString& dir) {
    const Bytes bank = demo::MakeDemoBank();
    const LevelMap map = demo::MakeDemoLevel(4);
    WriteFile(dir + "/ue.gg", demo::MakeCartridge(bank, SourceKind::UeRom));
    WriteFile(dir + "/j.gg", demo::MakeCartridge(bank, SourceKind::JRom));
    WriteFile(dir + "/levels.bin", bank);
    WriteFile(dir + "/state.s00", demo::MakeSavestate(map));
    WriteFile(dir + "/map.bin", demo::MakeSingleMap(map));
    WriteFile(dir + "/notes.txt", Bytes{'h', 'i', '\n'});
    return {{"ue.gg", 0, "98304", "Yes", "99"},  {"j.gg", 1, "98304", "Yes", "99"},
            {"levels.bin", 2, "0", "Yes", "99"}, {"state.s00", 3, "489", "No", "1"},
            {"map.bin", 4, "0", "No", "1"},      {"notes.txt", 5, "", "", ""}};
}

template <typename T>
T* Control(QWidget& dialog, const char* name, int index = -1) {
    for (T* control : dialog.findChildren<T*>(QString::fromLatin1(name))) {
        if (index < 0 || control->property("index").toInt() == index) {
            return control;
        }
    }
    ADD_FAILURE() << name << " not found";
    return nullptr;
}

QStringList SelectedFiles(QWidget& dialog) {
    QStringList names;
    for (const QListWidgetItem* item : Control<QListWidget>(dialog, "File1")->selectedItems()) {
        names.append(item->text());
    }
    return names;
}

// The index of the one checked option button, or -1 when not exactly one is checked.
int CheckedOption(QWidget& dialog) {
    QList<int> checked;
    for (int k = 0; k < kSourceKindCount; ++k) {
        if (Control<QRadioButton>(dialog, "Option1", k)->isChecked()) {
            checked.append(k);
        }
    }
    return checked.size() == 1 ? checked[0] : -1;
}

const KindFile kUnknown{"(unknown)", 5, "", "", ""};

void ExpectShows(SourceDialog& dialog, const KindFile& expected) {
    SCOPED_TRACE(expected.name.toStdString());
    EXPECT_EQ(CheckedOption(dialog), expected.kind);
    EXPECT_EQ(Control<QLabel>(dialog, "DataOffset")->text(), expected.dataOffset);
    EXPECT_EQ(Control<QLabel>(dialog, "Compressed")->text(), expected.compressed);
    EXPECT_EQ(Control<QLabel>(dialog, "NumMaps")->text(), expected.numMaps);
    EXPECT_EQ(Control<QPushButton>(dialog, "Command1")->isEnabled(), expected.kind != 5);
    EXPECT_EQ(dialog.property("Tag").toString(), QString::number(expected.kind));
}

// Clicks (or double-clicks) the file list entry name, after scrolling it into view.
void ClickFile(QWidget& dialog, const QString& name, Qt::KeyboardModifiers modifiers = {},
               bool twice = false) {
    auto* list = Control<QListWidget>(dialog, "File1");
    const QList<QListWidgetItem*> items = list->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1) << name.toStdString();
    list->scrollToItem(items.front());
    using Press = void (*)(QWidget*, Qt::MouseButton, Qt::KeyboardModifiers, QPoint, int);
    (twice ? Press(QTest::mouseDClick) : Press(QTest::mouseClick))(
        list->viewport(), Qt::LeftButton, modifiers, list->visualItemRect(items.front()).center(),
        -1);
}

// The directory list's path, the path handed over and the current directory all name path.
void ExpectInDirectory(SourceDialog& dialog, const QString& path) {
    const QTreeWidgetItem* current = Control<QTreeWidget>(dialog, "Dir1")->currentItem();
    EXPECT_EQ(current ? current->data(0, Qt::UserRole).toString() : "", path);
    EXPECT_EQ(QString::fromStdString(dialog.selection().directory), path);
    EXPECT_EQ(QDir::currentPath(), path);
}

struct SourceDialogTest : ::testing::Test {
    void SetUp() override { ASSERT_TRUE(QDir::setCurrent(m_root)); }
    void TearDown() override { QDir::setCurrent(m_startDirectory); }
    // A dialog on the current directory, shown and active; opens go to m_opened.
    // With drives, the drive list offers what it returns each time it drops down.
    std::unique_ptr<SourceDialog> ShowDialog(DriveList::Source drives = nullptr) {
        const SourceDialog::Opener opener = [this](const SourceSelection& chosen) {
            m_opened.push_back(chosen);
            return m_openerAnswer;
        };
        auto dialog = drives ? std::make_unique<SourceDialog>(opener, drives)
                             : std::make_unique<SourceDialog>(opener);
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
        return dialog;
    }
    QString m_startDirectory = QDir::currentPath();
    QTemporaryDir m_temp;
    QString m_root = QDir(m_temp.path()).canonicalPath();
    std::vector<SourceSelection> m_opened;
    bool m_openerAnswer = true;
};

TEST_F(SourceDialogTest, ClassifiesTheFileAtEveryClickAndStartsUnknownInEachDirectory) {
    const std::vector<KindFile> files = WriteOneOfEachKind(m_root);
    const QString sub = m_root + "/sub";
    ASSERT_TRUE(QDir(m_root).mkdir("sub"));
    WriteFile(sub + "/only.map", demo::MakeSingleMap(demo::MakeDemoLevel(0)));
    const auto dialog = ShowDialog();
    ExpectShows(*dialog, kUnknown);
    EXPECT_TRUE(SelectedFiles(*dialog).isEmpty());
    ExpectInDirectory(*dialog, m_root);
    EXPECT_EQ(dialog->windowTitle(), "Morvane Level Editor v1.1");
    EXPECT_EQ(dialog->size(), QSize(457, 409));
    EXPECT_EQ(dialog->frameGeometry().center(), dialog->screen()->availableGeometry().center());
    // Each control where it has always been in its frame: name, index, x, y, width, height.
    for (const auto& [name, index, x, y, width, height] :
         std::vector<std::tuple<const char*, int, int, int, int, int>>{
             {"Frame1", -1, 4, 4, 449, 401},      {"Dir1", -1, 8, 16, 237, 186},
             {"Drive1", -1, 8, 208, 237, 21},     {"File1", -1, 248, 16, 193, 214},
             {"Frame2", -1, 8, 236, 353, 157},    {"Label2", -1, 8, 16, 149, 17},
             {"Option1", 0, 8, 32, 85, 21},       {"Option1", 1, 8, 52, 73, 21},
             {"Option1", 2, 8, 72, 113, 21},      {"Option1", 3, 8, 92, 109, 21},
             {"Option1", 4, 8, 112, 129, 21},     {"Option1", 5, 8, 132, 69, 21},
             {"Label1", 0, 196, 52, 89, 21},      {"Label1", 1, 196, 76, 89, 21},
             {"Label1", 2, 196, 100, 89, 21},     {"DataOffset", -1, 288, 52, 57, 21},
             {"Compressed", -1, 288, 76, 57, 21}, {"NumMaps", -1, 288, 100, 57, 21},
             {"Command1", -1, 368, 304, 73, 33},  {"Command2", -1, 368, 344, 73, 33}}) {
        EXPECT_EQ(Control<QWidget>(*dialog, name, index)->geometry(), QRect(x, y, width, height))
            << name << " " << index;
    }
    EXPECT_EQ(QApplication::focusWidget(), Control<QComboBox>(*dialog, "Drive1"));
    for (const KindFile& file : files) {
        ClickFile(*dialog, file.name);
        ExpectShows(*dialog, file);
    }
    // Option buttons only show the kind: clicks on them change nothing.
    ClickFile(*dialog, "ue.gg");
    QTest::mouseClick(Control<QRadioButton>(*dialog, "Option1", 3), Qt::LeftButton);
    ExpectShows(*dialog, files[0]);
    EXPECT_EQ(Control<QRadioButton>(*dialog, "Option1", 3)->focusPolicy(), Qt::NoFocus);
    // A Ctrl+click does not take the selection away from the file whose kind is shown.
    ClickFile(*dialog, "ue.gg", Qt::ControlModifier);
    EXPECT_EQ(SelectedFiles(*dialog), QStringList({"ue.gg"}));
    // Another program turns the selected file into a bank; a click on it shows the new kind.
    ClickFile(*dialog, "notes.txt");
    WriteFile(m_root + "/notes.txt", demo::MakeDemoBank());
    ClickFile(*dialog, "notes.txt");
    ExpectShows(*dialog, {"notes.txt", 2, "0", "Yes", "99"});
    // A click below the last file keeps the selection.
    auto* list = Control<QListWidget>(*dialog, "File1");
    const QPoint below(10, list->viewport()->height() - 4);
    ASSERT_EQ(list->itemAt(below), nullptr);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, below);
    EXPECT_EQ(SelectedFiles(*dialog), QStringList({"notes.txt"}));
    auto* tree = Control<QTreeWidget>(*dialog, "Dir1");
    const QModelIndexList found = tree->model()->match(
        tree->model()->index(0, 0), Qt::UserRole, sub, 1, Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(found.size(), 1);
    tree->scrollTo(found[0]);
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(found[0]).center());
    ExpectShows(*dialog, kUnknown);
    EXPECT_TRUE(SelectedFiles(*dialog).isEmpty());
    ExpectInDirectory(*dialog, sub);
    // The bare name is found in the new current directory.
    ClickFile(*dialog, "only.map");
    ExpectShows(*dialog, {"only.map", 4, "0", "No", "1"});
    EXPECT_TRUE(m_opened.empty());
    QTest::mouseClick(Control<QPushButton>(*dialog, "Command1"), Qt::LeftButton);
    ASSERT_EQ(m_opened.size(), 1u);
    EXPECT_EQ(m_opened[0].fileName, "only.map");
}

TEST_F(SourceDialogTest, OpensOnlyARecognisedFileAndStaysAsItWasWhenTheEditorCannotStart) {
    WriteOneOfEachKind(m_root);
    m_openerAnswer = false;
    const auto dialog = ShowDialog();
    ClickFile(*dialog, "notes.txt", {}, true);
    EXPECT_TRUE(m_opened.empty());
    ClickFile(*dialog, "state.s00");
    QTest::mouseClick(Control<QPushButton>(*dialog, "Command1"), Qt::LeftButton);
    ASSERT_EQ(m_opened.size(), 1u);
    EXPECT_EQ(m_opened.front().tag, "3");
    EXPECT_TRUE(dialog->isVisible() && dialog->isEnabled());
    ExpectShows(*dialog, {"state.s00", 3, "489", "No", "1"});
    m_openerAnswer = true;
    ClickFile(*dialog, "levels.bin", {}, true);
    ASSERT_EQ(m_opened.size(), 2u);
    const SourceSelection& c = m_opened.back();
    EXPECT_EQ((std::vector{c.caption, c.directory, c.fileName, c.tag, c.dataOffset, c.compressed,
                           c.numMaps}),
              (std::vector<std::string>{"Morvane Level Editor v1.1", m_root.toStdString(),
                                        "levels.bin", "2", "0", "Yes", "99"}));
    EXPECT_FALSE(dialog->isVisible() || dialog->isEnabled());
    // Hidden for good, the dialog still answers with what it held at Open.
    EXPECT_EQ(dialog->selection().fileName, "levels.bin");
}

TEST_F(SourceDialogTest, HostileFolderNeitherHangsNorCrashes) {
    WriteOneOfEachKind(m_root);
    const Bytes bank = demo::MakeDemoBank();
    const QString foreign = QString::fromUtf8("n\u00e4me \u30de\u30c3\u30d7.bin");
    for (const QString& name :
         {QString("with space.bin"), foreign, QString("new\nline.bin"), QString("gone.bin")}) {
        WriteFile(m_root + "/" + name, bank);
    }
    const QByteArray root = QFile::encodeName(m_root);
    ASSERT_EQ(::mkfifo(root + "/pipe", 0600), 0);
    for (const auto& [target, link] :
         {std::pair{"/dev/zero", "zero"}, {"self", "self"}, {"ping", "pong"}, {"pong", "ping"}}) {
        ASSERT_EQ(::symlink(target, root + "/" + link), 0);
    }
    const auto dialog = ShowDialog();
    ASSERT_TRUE(QFile::remove(m_root + "/gone.bin"));  // listed, then removed before selection
    const std::vector<std::pair<QString, int>> entries = {
        {"with space.bin", 2}, {foreign, 2}, {"new\nline.bin", 2}, {"pipe", 5},
        {"zero", 5},           {"self", 5},  {"ping", 5},          {"gone.bin", 5}};
    for (const auto& [name, kind] : entries) {
        SCOPED_TRACE(name.toStdString());
        // A file that would block a reader (a FIFO, a device) is never opened for reading: a
        // hang here runs into the test's time limit.
        ClickFile(*dialog, "ue.gg");
        ClickFile(*dialog, name);
        EXPECT_EQ(SelectedFiles(*dialog), QStringList({name}));
        EXPECT_EQ(CheckedOption(*dialog), kind);
    }
    // A recognised file with an awkward name opens under that very name.
    ClickFile(*dialog, "new\nline.bin", {}, true);
    ASSERT_EQ(m_opened.size(), 1u);
    EXPECT_EQ(m_opened[0].fileName, "new\nline.bin");
}

QStringList Texts(const QAbstractItemModel& model, const QModelIndex& parent = {}) {
    QStringList texts;
    for (int row = 0; row < model.rowCount(parent); ++row) {
        texts.append(model.index(row, 0, parent).data().toString());
    }
    return texts;
}

// Return or Enter enters the highlighted directory and the arrows only move. F4 drops the drive
// list down, read again; a drive picked goes back to the directory last shown on it.
TEST_F(SourceDialogTest, KeysEnterDirectoriesAndPickDrivesThatGoBackWhereTheyWere) {
    for (const char* name : {"v2", "V10/deep", "v9b", "v09", ".hidden"}) {
        ASSERT_TRUE(QDir(m_root).mkpath(name));
    }
    WriteFile(m_root + "/.hidden.bin", demo::MakeDemoBank());
    QStringList mounted = {m_root + "/V10", m_root, m_root + "/", ""};
    const auto dialog = ShowDialog([&] { return DriveCatalog(mounted); });
    auto* drives = Control<QComboBox>(*dialog, "Drive1");
    auto* tree = Control<QTreeWidget>(*dialog, "Dir1");
    EXPECT_EQ(Texts(*drives->model()), QStringList({"/", m_root, m_root + "/V10"}));
    EXPECT_EQ(drives->currentText(), m_root);
    EXPECT_EQ(Texts(*tree->model(), tree->currentIndex()),
              QStringList({".hidden", "v2", "v09", "v9b", "V10"}));
    EXPECT_EQ(Texts(*Control<QListWidget>(*dialog, "File1")->model()), QStringList{".hidden.bin"});
    // Each row: keys on the directory list or on the dropped-down drive list, a drive mounted
    // before, then the directory and the drive shown, below m_root.
    const struct {
        bool onDrives;
        std::vector<Qt::Key> keys;
        QString mount, directory, drive;
    } rows[] = {
        {false, {Qt::Key_Down, Qt::Key_Down, Qt::Key_Return}, "", "/v2", ""},
        {true, {Qt::Key_Down, Qt::Key_Return}, "", "/V10", "/V10"},
        {false, {Qt::Key_Down, Qt::Key_Enter}, "", "/V10/deep", "/V10"},
        {true, {Qt::Key_Up, Qt::Key_Return}, "", "/v2", ""},
        {true, {Qt::Key_Down, Qt::Key_Down, Qt::Key_Return}, "/V10/deep", "/V10/deep", "/V10/deep"},
    };
    QString drive = m_root;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.directory.toStdString());
        QWidget* target = row.onDrives ? drives->view() : tree;
        if (row.onDrives) {
            mounted.append(m_root + row.mount);
            drives->setFocus();
            QTest::keyClick(drives, Qt::Key_F4);
            EXPECT_TRUE(target->isVisible());
            EXPECT_EQ(drives->currentText(), drive);
            EXPECT_GE(drives->findText(m_root + row.mount), 0);
        }
        target->setFocus();
        for (const Qt::Key key : row.keys) {
            QTest::keyClick(target, key);
        }
        ExpectInDirectory(*dialog, m_root + row.directory);
        EXPECT_EQ(drives->currentText(), drive = m_root + row.drive);
    }
}

TEST(DriveCatalog, OffersOnlyFileSystemsAUserKeepsFilesOn) {
    // Each row: a mount point, its file system type and "+" when the drive list offers it.
    for (const QString row :
         {"/ overlay +", "/home ext4 +", "/run/media/ann/STICK exfat +", "/running ext4 +",
          "/proc proc -", "/sys/fs/cgroup tmpfs -", "/dev/shm tmpfs -", "/run/user/1000 tmpfs -",
          "/snap/core/1234 squashfs -", "/var/lib/docker/overlay2/abc/merged overlay -"}) {
        const QStringList field = row.split(' ');
        EXPECT_EQ(DriveCatalog::IsUserVolume(field[0], field[1].toLatin1()), field[2] == "+")
            << row.toStdString();
    }
}

}  // namespace
}  // namespace morvane
