// Mouse events travel through the window system, as a user's would: they reach the widget under
// the pointer, and a press-release-press-release becomes a double-click.
#define QTEST_QPA_MOUSE_HANDLING

#include "ui/source_dialog/source_dialog.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QWindow>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "demo_levels.h"
#include "ui/source_dialog/natural_order.h"

namespace morvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

void WriteFile(const QString& path, const Bytes& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())),
              qint64(bytes.size()));
}

// A file written for a test and what the dialog must show when it is selected.
struct KindFile {
    QString name;
    int kind;
    QString dataOffset;
    QString compressed;
    QString numMaps;
};

const KindFile kUnknownText = {"notes.txt", 5, "", "", ""};

// Writes one generated file of every kind, and a text file, into dir.
std::vector<KindFile> WriteOneOfEachKind(const QString& dir) {
    const Bytes bank = demo::MakeDemoBank();
    const LevelMap map = demo::MakeDemoLevel(4);
    WriteFile(dir + "/ue.gg", demo::MakeCartridge(bank, SourceKind::UeRom));
    WriteFile(dir + "/j.gg", demo::MakeCartridge(bank, SourceKind::JRom));
    WriteFile(dir + "/levels.bin", bank);
    WriteFile(dir + "/state.s00", demo::MakeSavestate(map));
    WriteFile(dir + "/map.bin", demo::MakeSingleMap(map));
    WriteFile(dir + "/notes.txt", Bytes{'h', 'e', 'l', 'l', 'o', '\n'});
    return {
        {"ue.gg", 0, "98304", "Yes", "99"},  {"j.gg", 1, "98304", "Yes", "99"},
        {"levels.bin", 2, "0", "Yes", "99"}, {"state.s00", 3, "489", "No", "1"},
        {"map.bin", 4, "0", "No", "1"},      kUnknownText,
    };
}

template <typename T>
T* Control(QWidget& dialog, const char* name) {
    T* control = dialog.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(control, nullptr) << name;
    return control;
}

// The element of a control array with the given index.
template <typename T>
T* Element(QWidget& dialog, const char* name, int index) {
    for (T* control : dialog.findChildren<T*>(QString::fromLatin1(name))) {
        if (control->property("index").toInt() == index) {
            return control;
        }
    }
    ADD_FAILURE() << name << "(" << index << ") not found";
    return nullptr;
}

QString Text(QWidget& dialog, const char* label) {
    return Control<QLabel>(dialog, label)->text();
}

QStringList FileNames(QWidget& dialog) {
    QStringList names;
    const auto* list = Control<QListWidget>(dialog, "File1");
    for (int row = 0; row < list->count(); ++row) {
        names.append(list->item(row)->text());
    }
    return names;
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
    int checked = -1;
    int count = 0;
    for (int k = 0; k < kSourceKindCount; ++k) {
        if (Element<QRadioButton>(dialog, "Option1", k)->isChecked()) {
            checked = k;
            ++count;
        }
    }
    return count == 1 ? checked : -1;
}

void ExpectShows(SourceDialog& dialog, const KindFile& expected) {
    SCOPED_TRACE(expected.name.toStdString());
    EXPECT_EQ(CheckedOption(dialog), expected.kind);
    EXPECT_EQ(Text(dialog, "DataOffset"), expected.dataOffset);
    EXPECT_EQ(Text(dialog, "Compressed"), expected.compressed);
    EXPECT_EQ(Text(dialog, "NumMaps"), expected.numMaps);
    EXPECT_EQ(Control<QPushButton>(dialog, "Command1")->isEnabled(), expected.kind != 5);
    EXPECT_EQ(dialog.tag(), QString::number(expected.kind));
    EXPECT_EQ(dialog.property("Tag").toString(), QString::number(expected.kind));
}

void ExpectUnknown(SourceDialog& dialog) {
    ExpectShows(dialog, {"(unknown)", 5, "", "", ""});
}

// The centre of a file list entry, after scrolling it into view.
QPoint FileEntry(QWidget& dialog, const QString& name) {
    auto* list = Control<QListWidget>(dialog, "File1");
    const QList<QListWidgetItem*> items = list->findItems(name, Qt::MatchExactly);
    if (items.size() != 1) {
        ADD_FAILURE() << name.toStdString() << " is listed " << items.size() << " times";
        return {};
    }
    list->scrollToItem(items.front());
    return list->visualItemRect(items.front()).center();
}

void ClickFile(QWidget& dialog, const QString& name) {
    auto* list = Control<QListWidget>(dialog, "File1");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, FileEntry(dialog, name));
}

void DoubleClickFile(QWidget& dialog, const QString& name) {
    auto* list = Control<QListWidget>(dialog, "File1");
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, FileEntry(dialog, name));
}

QTreeWidgetItem* DirectoryEntry(QWidget& dialog, const QString& path) {
    auto* tree = Control<QTreeWidget>(dialog, "Dir1");
    for (QTreeWidgetItemIterator it(tree); *it != nullptr; ++it) {
        if ((*it)->data(0, Qt::UserRole).toString() == path) {
            return *it;
        }
    }
    ADD_FAILURE() << path.toStdString() << " is not in the directory list";
    return nullptr;
}

void DoubleClickDirectory(QWidget& dialog, const QString& path) {
    auto* tree = Control<QTreeWidget>(dialog, "Dir1");
    QTreeWidgetItem* entry = DirectoryEntry(dialog, path);
    ASSERT_NE(entry, nullptr);
    tree->scrollToItem(entry);
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(entry).center());
}

QString DirectoryPath(QWidget& dialog) {
    const QTreeWidgetItem* current = Control<QTreeWidget>(dialog, "Dir1")->currentItem();
    return current == nullptr ? QString() : current->data(0, Qt::UserRole).toString();
}

// The directory list's path, the path the selection hands over and the process's current
// directory all name path.
void ExpectInDirectory(SourceDialog& dialog, const QString& path) {
    EXPECT_EQ(DirectoryPath(dialog), path);
    EXPECT_EQ(QString::fromStdString(dialog.selection().directory), path);
    EXPECT_EQ(QDir::currentPath(), path);
}

QStringList SubDirectoryNames(QWidget& dialog) {
    QStringList names;
    const QTreeWidgetItem* current = Control<QTreeWidget>(dialog, "Dir1")->currentItem();
    for (int i = 0; current != nullptr && i < current->childCount(); ++i) {
        names.append(current->child(i)->text(0));
    }
    return names;
}

class SourceDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_startDirectory = QDir::currentPath();
        ASSERT_TRUE(m_temp.isValid());
        m_root = QDir(m_temp.path()).canonicalPath();
        ASSERT_TRUE(QDir::setCurrent(m_root));
    }

    void TearDown() override { QDir::setCurrent(m_startDirectory); }

    // A dialog on the current directory, shown and active. Opens are recorded in m_opened and
    // answered with m_openerAnswer.
    std::unique_ptr<SourceDialog> ShowDialog(DriveList::Source drives = {}) {
        auto opener = [this](const SourceSelection& chosen) {
            m_opened.push_back(chosen);
            m_visibleDuringOpen.push_back(m_dialog != nullptr && m_dialog->isVisible());
            return m_openerAnswer;
        };
        auto dialog = drives ? std::make_unique<SourceDialog>(opener, std::move(drives))
                             : std::make_unique<SourceDialog>(opener);
        m_dialog = dialog.get();
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
        return dialog;
    }

    QString m_startDirectory;
    QTemporaryDir m_temp;
    QString m_root;
    SourceDialog* m_dialog = nullptr;
    std::vector<SourceSelection> m_opened;
    std::vector<bool> m_visibleDuringOpen;
    bool m_openerAnswer = true;
};

TEST_F(SourceDialogTest, StartsOnTheCurrentDirectoryWithNothingSelectedAndKindUnknown) {
    WriteOneOfEachKind(m_root);
    ASSERT_TRUE(QDir(m_root).mkdir("sub"));
    const auto dialog = ShowDialog();

    ExpectUnknown(*dialog);
    EXPECT_TRUE(Control<QPushButton>(*dialog, "Command2")->isEnabled());
    EXPECT_TRUE(SelectedFiles(*dialog).isEmpty());
    EXPECT_EQ(FileNames(*dialog),
              QStringList({"j.gg", "levels.bin", "map.bin", "notes.txt", "state.s00", "ue.gg"}));
    EXPECT_EQ(SubDirectoryNames(*dialog), QStringList({"sub"}));
    ExpectInDirectory(*dialog, m_root);
    EXPECT_EQ(dialog->selection().fileName, "");

    EXPECT_EQ(dialog->objectName(), "Form2");
    EXPECT_EQ(dialog->windowTitle(), "Morvane Level Editor v1.1");
    EXPECT_EQ(dialog->size(), QSize(457, 409));
    EXPECT_EQ(dialog->minimumSize(), QSize(457, 409));
    EXPECT_EQ(dialog->maximumSize(), QSize(457, 409));
    EXPECT_FALSE(dialog->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(dialog->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(dialog->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(QApplication::focusWidget(), Control<QComboBox>(*dialog, "Drive1"));
}

TEST_F(SourceDialogTest, IsCentredOnTheScreenWhenFirstShown) {
    const auto dialog = ShowDialog();
    const QRect screen = dialog->screen()->availableGeometry();
    const QPoint offset = dialog->frameGeometry().center() - screen.center();
    EXPECT_LE(offset.manhattanLength(), 2) << offset.x() << "," << offset.y();
}

TEST_F(SourceDialogTest, ControlsSitAtTheirPixelPositions) {
    const auto dialog = ShowDialog();
    const struct {
        const char* name;
        int index;
        const char* container;
        QRect geometry;
        const char* caption;
    } table[] = {
        {"Frame1", -1, "Form2", {4, 4, 449, 401}, "Please select something to open..."},
        {"Dir1", -1, "Frame1", {8, 16, 237, 186}, nullptr},
        {"Drive1", -1, "Frame1", {8, 208, 237, 21}, nullptr},
        {"File1", -1, "Frame1", {248, 16, 193, 214}, nullptr},
        {"Frame2", -1, "Frame1", {8, 236, 353, 157}, ""},
        {"Label2", -1, "Frame2", {8, 16, 149, 17}, "The selected file seems to be..."},
        {"Option1", 0, "Frame2", {8, 32, 85, 21}, "The UE Rom"},
        {"Option1", 1, "Frame2", {8, 52, 73, 21}, "The J Rom"},
        {"Option1", 2, "Frame2", {8, 72, 113, 21}, "Extracted map data"},
        {"Option1", 3, "Frame2", {8, 92, 109, 21}, "A Meka savestate"},
        {"Option1", 4, "Frame2", {8, 112, 129, 21}, "An uncompressed map"},
        {"Option1", 5, "Frame2", {8, 132, 69, 21}, "Unknown"},
        {"Label1", 0, "Frame2", {196, 52, 89, 21}, "Data offset:"},
        {"DataOffset", -1, "Frame2", {288, 52, 57, 21}, ""},
        {"Label1", 1, "Frame2", {196, 76, 89, 21}, "Compressed:"},
        {"Compressed", -1, "Frame2", {288, 76, 57, 21}, ""},
        {"Label1", 2, "Frame2", {196, 100, 89, 21}, "Number of maps:"},
        {"NumMaps", -1, "Frame2", {288, 100, 57, 21}, ""},
        {"Command1", -1, "Frame1", {368, 304, 73, 33}, "&Open"},
        {"Command2", -1, "Frame1", {368, 344, 73, 33}, "&Quit"},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(std::string(row.name) + "(" + std::to_string(row.index) + ")");
        QWidget* control = row.index < 0 ? Control<QWidget>(*dialog, row.name)
                                         : Element<QWidget>(*dialog, row.name, row.index);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->geometry(), row.geometry);
        ASSERT_NE(control->parentWidget(), nullptr);
        EXPECT_EQ(control->parentWidget()->objectName(), row.container);
        if (row.caption == nullptr) {
            continue;
        }
        QString caption;
        if (auto* box = qobject_cast<QGroupBox*>(control)) {
            caption = box->title();
        } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            caption = button->text();
        } else if (auto* label = qobject_cast<QLabel*>(control)) {
            caption = label->text();
        }
        EXPECT_EQ(caption, row.caption);
    }
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(Element<QLabel>(*dialog, "Label1", i)->alignment() & Qt::AlignRight);
    }
    // Whatever the desktop's font, no caption in the kind frame is clipped: the text, after
    // an option button's indicator, ends inside the control.
    QStyle* style = dialog->style();
    const int indicator = style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth) +
                          style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing);
    for (const auto& row : table) {
        if (row.caption == nullptr || std::string(row.container) != "Frame2") {
            continue;
        }
        SCOPED_TRACE(std::string(row.name) + "(" + std::to_string(row.index) + ")");
        QWidget* control = row.index < 0 ? Control<QWidget>(*dialog, row.name)
                                         : Element<QWidget>(*dialog, row.name, row.index);
        const int textWidth = control->fontMetrics().horizontalAdvance(row.caption);
        const int before = qobject_cast<QRadioButton*>(control) != nullptr ? indicator : 0;
        EXPECT_LE(before + textWidth, control->width());
        EXPECT_LE(control->fontMetrics().height(), control->height());
    }
}

TEST_F(SourceDialogTest, SelectingEachKindOfFileShowsItsValues) {
    const std::vector<KindFile> files = WriteOneOfEachKind(m_root);
    const auto dialog = ShowDialog();
    for (const KindFile& file : files) {
        ClickFile(*dialog, file.name);
        EXPECT_EQ(SelectedFiles(*dialog), QStringList({file.name}));
        ExpectShows(*dialog, file);
        EXPECT_EQ(dialog->selection().fileName, file.name.toStdString());
    }
    // A recognised file after an unrecognised one enables Open again, and the other way back.
    ClickFile(*dialog, "ue.gg");
    ExpectShows(*dialog, files[0]);
    ClickFile(*dialog, "notes.txt");
    ExpectUnknown(*dialog);
    EXPECT_TRUE(m_opened.empty());
}

TEST_F(SourceDialogTest, KeyboardSelectionClassifiesToo) {
    WriteOneOfEachKind(m_root);
    const auto dialog = ShowDialog();
    auto* list = Control<QListWidget>(*dialog, "File1");
    list->setFocus();
    // End selects the last file, "ue.gg"; Up moves back to "state.s00".
    QTest::keyClick(list, Qt::Key_End);
    EXPECT_EQ(SelectedFiles(*dialog), QStringList({"ue.gg"}));
    EXPECT_EQ(dialog->tag(), "0");
    QTest::keyClick(list, Qt::Key_Up);
    EXPECT_EQ(SelectedFiles(*dialog), QStringList({"state.s00"}));
    EXPECT_EQ(dialog->tag(), "3");
    EXPECT_EQ(Text(*dialog, "DataOffset"), "489");
}

TEST_F(SourceDialogTest, ChangingDirectoryResetsTheKindAndMovesTheCurrentDirectory) {
    const std::vector<KindFile> files = WriteOneOfEachKind(m_root);
    const QString sub = m_root + "/sub";
    ASSERT_TRUE(QDir(m_root).mkdir("sub"));
    WriteFile(sub + "/only.map", demo::MakeSingleMap(demo::MakeDemoLevel(0)));
    const auto dialog = ShowDialog();

    ClickFile(*dialog, "ue.gg");
    ExpectShows(*dialog, files[0]);

    DoubleClickDirectory(*dialog, sub);
    ExpectUnknown(*dialog);
    EXPECT_TRUE(SelectedFiles(*dialog).isEmpty());
    EXPECT_EQ(FileNames(*dialog), QStringList({"only.map"}));
    ExpectInDirectory(*dialog, sub);
    EXPECT_TRUE(SubDirectoryNames(*dialog).isEmpty());

    // The bare name is found in the new current directory.
    ClickFile(*dialog, "only.map");
    ExpectShows(*dialog, {"only.map", 4, "0", "No", "1"});

    // Enter on the highlighted parent entry goes back up.
    auto* tree = Control<QTreeWidget>(*dialog, "Dir1");
    tree->setFocus();
    tree->setCurrentItem(DirectoryEntry(*dialog, m_root));
    QTest::keyClick(tree, Qt::Key_Return);
    ExpectUnknown(*dialog);
    ExpectInDirectory(*dialog, m_root);
    EXPECT_EQ(FileNames(*dialog).size(), qsizetype(files.size()));
    EXPECT_TRUE(SelectedFiles(*dialog).isEmpty());
}

TEST_F(SourceDialogTest, DirectoryListShowsTheAncestorsThenTheSubDirectories) {
    for (const char* name : {"gamma10", "beta", "Alpha", "gamma9", ".hidden"}) {
        ASSERT_TRUE(QDir(m_root).mkdir(name));
    }
    const auto dialog = ShowDialog();
    EXPECT_EQ(SubDirectoryNames(*dialog),
              QStringList({".hidden", "Alpha", "beta", "gamma9", "gamma10"}));

    // Each ancestor is the single parent of the next, from the root down to the current path.
    QStringList chain;
    for (const QTreeWidgetItem* item = Control<QTreeWidget>(*dialog, "Dir1")->currentItem();
         item != nullptr; item = item->parent()) {
        chain.prepend(item->data(0, Qt::UserRole).toString());
        if (item->parent() != nullptr) {
            EXPECT_EQ(item->parent()->childCount(), 1);
        }
    }
    QStringList expected;
    for (QDir dir(m_root);; dir.cdUp()) {
        expected.prepend(dir.absolutePath());
        if (dir.isRoot()) {
            break;
        }
    }
    EXPECT_EQ(chain, expected);
    EXPECT_EQ(Control<QTreeWidget>(*dialog, "Dir1")->topLevelItem(0)->text(0), "/");
}

TEST_F(SourceDialogTest, FileListHoldsEveryFileInNaturalCaseInsensitiveOrder) {
    for (const char* name : {"level10", "Level2", "level1", "b", "A", ".rc", "x.GIF", "x.gif"}) {
        WriteFile(m_root + "/" + name, Bytes{1});
    }
    ASSERT_TRUE(QDir(m_root).mkdir("folder"));
    const auto dialog = ShowDialog();
    EXPECT_EQ(FileNames(*dialog),
              QStringList({".rc", "A", "b", "level1", "Level2", "level10", "x.GIF", "x.gif"}));
}

TEST(NaturalOrder, ComparesNumbersByValueAndLettersWithoutCase) {
    EXPECT_TRUE(NaturalLess("map9", "map10"));
    EXPECT_FALSE(NaturalLess("map10", "map9"));
    EXPECT_TRUE(NaturalLess("map007", "map8"));
    EXPECT_TRUE(NaturalLess("apple", "Banana"));
    EXPECT_TRUE(NaturalLess("a", "a1"));
    EXPECT_TRUE(NaturalLess("x99999999999999999999999", "x100000000000000000000000"));
    // Equal by value and case, yet still in one fixed order.
    EXPECT_NE(NaturalLess("map01", "map1"), NaturalLess("map1", "map01"));
    EXPECT_NE(NaturalLess("Map", "map"), NaturalLess("map", "Map"));
    EXPECT_FALSE(NaturalLess("same", "same"));
}

TEST_F(SourceDialogTest, ADirectoryRemovedAfterListingLeavesTheDialogInItsParent) {
    WriteOneOfEachKind(m_root);
    const QString gone = m_root + "/gone";
    ASSERT_TRUE(QDir(m_root).mkdir("gone"));
    const auto dialog = ShowDialog();
    ClickFile(*dialog, "levels.bin");
    ASSERT_EQ(dialog->tag(), "2");

    ASSERT_TRUE(QDir(gone).removeRecursively());
    DoubleClickDirectory(*dialog, gone);

    ExpectUnknown(*dialog);
    ExpectInDirectory(*dialog, m_root);
    EXPECT_TRUE(SelectedFiles(*dialog).isEmpty());
    EXPECT_TRUE(SubDirectoryNames(*dialog).isEmpty());
}

TEST_F(SourceDialogTest, ADirectoryWithoutReadPermissionKeepsListsAndCurrentDirectoryTogether) {
    WriteOneOfEachKind(m_root);
    const QString locked = m_root + "/locked";
    ASSERT_TRUE(QDir(m_root).mkdir("locked"));
    WriteFile(locked + "/inside.bin", Bytes{0xC6, 0x80});
    // Enter and write, but not list.
    ASSERT_EQ(::chmod(QFile::encodeName(locked).constData(), S_IWUSR | S_IXUSR), 0);
    const auto dialog = ShowDialog();
    ClickFile(*dialog, "ue.gg");

    DoubleClickDirectory(*dialog, locked);
    ExpectUnknown(*dialog);
    ExpectInDirectory(*dialog, locked);
    const bool superUser = ::geteuid() == 0;
    // The superuser reads every directory; anyone else sees this one empty.
    EXPECT_EQ(FileNames(*dialog), superUser ? QStringList({"inside.bin"}) : QStringList());
    ASSERT_EQ(::chmod(QFile::encodeName(locked).constData(), S_IRWXU), 0);
}

TEST_F(SourceDialogTest, DoubleClickOnAnUnknownFileDoesNothing) {
    WriteOneOfEachKind(m_root);
    const auto dialog = ShowDialog();
    DoubleClickFile(*dialog, "notes.txt");
    EXPECT_TRUE(m_opened.empty());
    ExpectUnknown(*dialog);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(dialog->isEnabled());
    EXPECT_EQ(SelectedFiles(*dialog), QStringList({"notes.txt"}));
}

TEST_F(SourceDialogTest, DoubleClickOnARecognisedFileHandsItOverOnce) {
    WriteOneOfEachKind(m_root);
    const auto dialog = ShowDialog();
    DoubleClickFile(*dialog, "levels.bin");

    ASSERT_EQ(m_opened.size(), 1u);
    const SourceSelection& chosen = m_opened.front();
    EXPECT_EQ(chosen.caption, "Morvane Level Editor v1.1");
    EXPECT_EQ(QString::fromStdString(chosen.directory), m_root);
    EXPECT_EQ(chosen.fileName, "levels.bin");
    EXPECT_EQ(chosen.tag, "2");
    EXPECT_EQ(chosen.dataOffset, "0");
    EXPECT_EQ(chosen.compressed, "Yes");
    EXPECT_EQ(chosen.numMaps, "99");
    // The editor starts while the dialog is still shown; the dialog hides afterwards.
    EXPECT_EQ(m_visibleDuringOpen, std::vector<bool>({true}));
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(dialog->isEnabled());
    EXPECT_EQ(QDir::currentPath(), m_root);

    // Hidden for good, the dialog still answers with what it held at Open.
    const SourceSelection later = dialog->selection();
    EXPECT_EQ(later.fileName, "levels.bin");
    EXPECT_EQ(later.directory, chosen.directory);
    EXPECT_EQ(later.tag, "2");
    EXPECT_EQ(later.numMaps, "99");
}

TEST_F(SourceDialogTest, OpenButtonHandsOverTheSelectedCartridge) {
    WriteOneOfEachKind(m_root);
    const auto dialog = ShowDialog();
    ClickFile(*dialog, "j.gg");
    QTest::mouseClick(Control<QPushButton>(*dialog, "Command1"), Qt::LeftButton);

    ASSERT_EQ(m_opened.size(), 1u);
    EXPECT_EQ(m_opened.front().fileName, "j.gg");
    EXPECT_EQ(m_opened.front().tag, "1");
    EXPECT_EQ(m_opened.front().dataOffset, "98304");
    EXPECT_EQ(m_opened.front().compressed, "Yes");
    EXPECT_EQ(m_opened.front().numMaps, "99");
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(dialog->isEnabled());
}

TEST_F(SourceDialogTest, AnEditorThatCannotStartLeavesTheDialogAsItWas) {
    WriteOneOfEachKind(m_root);
    m_openerAnswer = false;
    const auto dialog = ShowDialog();
    ClickFile(*dialog, "state.s00");
    auto* open = Control<QPushButton>(*dialog, "Command1");
    QTest::mouseClick(open, Qt::LeftButton);

    ASSERT_EQ(m_opened.size(), 1u);
    EXPECT_EQ(m_opened.front().fileName, "state.s00");
    EXPECT_EQ(m_opened.front().tag, "3");
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(dialog->isEnabled());
    ExpectShows(*dialog, {"state.s00", 3, "489", "No", "1"});
    EXPECT_EQ(SelectedFiles(*dialog), QStringList({"state.s00"}));
    EXPECT_EQ(QApplication::focusWidget(), open);
    ExpectInDirectory(*dialog, m_root);

    // Still fully usable: a second try asks again.
    QTest::mouseClick(open, Qt::LeftButton);
    EXPECT_EQ(m_opened.size(), 2u);
    DoubleClickFile(*dialog, "map.bin");
    EXPECT_EQ(m_opened.size(), 3u);
    EXPECT_EQ(m_opened.back().fileName, "map.bin");
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(SourceDialogTest, OptionButtonsTakeNeitherClicksNorFocusButLookNormal) {
    WriteOneOfEachKind(m_root);
    const auto dialog = ShowDialog();
    ClickFile(*dialog, "ue.gg");
    auto* files = Control<QListWidget>(*dialog, "File1");
    ASSERT_EQ(QApplication::focusWidget(), files);

    for (int k = 0; k < kSourceKindCount; ++k) {
        SCOPED_TRACE(k);
        auto* option = Element<QRadioButton>(*dialog, "Option1", k);
        EXPECT_TRUE(option->isEnabled());
        EXPECT_TRUE(option->isVisible());
        EXPECT_EQ(option->focusPolicy(), Qt::NoFocus);
        QTest::mouseClick(option, Qt::LeftButton);
        QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(6, option->height() / 2));
        ExpectShows(*dialog, {"ue.gg", 0, "98304", "Yes", "99"});
        EXPECT_EQ(QApplication::focusWidget(), files);
    }
    EXPECT_TRUE(Control<QGroupBox>(*dialog, "Frame2")->isEnabled());
}

TEST_F(SourceDialogTest, FocusMovesDrivesDirectoriesFilesQuitOpenAndAccessKeysWork) {
    WriteOneOfEachKind(m_root);
    const auto dialog = ShowDialog();
    ClickFile(*dialog, "map.bin");
    Control<QComboBox>(*dialog, "Drive1")->setFocus();

    QStringList order;
    for (int i = 0; i < 6; ++i) {
        order.append(QApplication::focusWidget()->objectName());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(order, QStringList({"Drive1", "Dir1", "File1", "Command2", "Command1", "Drive1"}));

    // An access key presses its button as a short animated click.
    QTest::keyClick(dialog.get(), Qt::Key_O, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !m_opened.empty(); }, 2000));
    ASSERT_EQ(m_opened.size(), 1u);
    EXPECT_EQ(m_opened.front().fileName, "map.bin");
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(SourceDialogTest, QuitAndTheCloseBoxEndTheProgram) {
    const struct {
        const char* way;
        std::function<void(SourceDialog&)> act;
    } ways[] = {
        {"Quit button",
         [](SourceDialog& d) {
             QTest::mouseClick(Control<QPushButton>(d, "Command2"), Qt::LeftButton);
         }},
        {"access key Q", [](SourceDialog& d) { QTest::keyClick(&d, Qt::Key_Q, Qt::AltModifier); }},
        {"close box", [](SourceDialog& d) { d.windowHandle()->close(); }},
    };
    for (const auto& w : ways) {
        SCOPED_TRACE(w.way);
        const auto dialog = ShowDialog();
        // The program's event loop runs until its last window closes; a guard ends it if the
        // dialog stays open.
        QTimer guard;
        guard.setSingleShot(true);
        bool timedOut = false;
        QObject::connect(&guard, &QTimer::timeout, [&] {
            timedOut = true;
            QApplication::exit(1);
        });
        guard.start(5000);
        QTimer::singleShot(0, dialog.get(), [&] { w.act(*dialog); });
        const int exitCode = QApplication::exec();
        EXPECT_FALSE(timedOut);
        EXPECT_EQ(exitCode, 0);
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_TRUE(m_opened.empty());
    }
}

TEST_F(SourceDialogTest, FifosSocketsAndDevicesAreListedAsUnknownWithoutHanging) {
    WriteOneOfEachKind(m_root);
    ASSERT_EQ(::mkfifo(QFile::encodeName(m_root + "/pipe").constData(), 0600), 0);
    ASSERT_EQ(::symlink("/dev/zero", QFile::encodeName(m_root + "/zero").constData()), 0);
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray socketPath = QFile::encodeName(m_root + "/socket");
    ASSERT_LT(std::size_t(socketPath.size()), sizeof(address.sun_path));
    std::memcpy(address.sun_path, socketPath.constData(), std::size_t(socketPath.size()));
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);

    const auto dialog = ShowDialog();
    for (const char* name : {"pipe", "zero", "socket"}) {
        SCOPED_TRACE(name);
        ClickFile(*dialog, "ue.gg");
        ASSERT_EQ(dialog->tag(), "0");
        QElapsedTimer clock;
        clock.start();
        ClickFile(*dialog, name);
        EXPECT_LT(clock.elapsed(), 5000);
        EXPECT_EQ(SelectedFiles(*dialog), QStringList({name}));
        ExpectUnknown(*dialog);
        DoubleClickFile(*dialog, name);
        EXPECT_TRUE(m_opened.empty());
    }
    ::close(listener);
}

TEST_F(SourceDialogTest, PickingADriveGoesToItsRememberedDirectory) {
    const QString driveA = m_root + "/a";
    const QString driveB = m_root + "/b";
    ASSERT_TRUE(QDir(m_root).mkpath("a/deep"));
    ASSERT_TRUE(QDir(m_root).mkpath("b/inner"));
    WriteOneOfEachKind(driveA + "/deep");
    ASSERT_TRUE(QDir::setCurrent(driveA));
    QStringList mounted = {driveA, driveB};
    const auto dialog = ShowDialog([&] { return DriveCatalog(mounted); });
    auto* drives = Control<QComboBox>(*dialog, "Drive1");
    EXPECT_EQ(drives->currentText(), driveA);

    DoubleClickDirectory(*dialog, driveA + "/deep");
    EXPECT_EQ(drives->currentText(), driveA);
    ClickFile(*dialog, "ue.gg");
    ASSERT_EQ(dialog->tag(), "0");

    // The drives are "/", a, b in that order; the keyboard moves through them.
    drives->setFocus();
    QTest::keyClick(drives, Qt::Key_Down);
    EXPECT_EQ(drives->currentText(), driveB);
    ExpectUnknown(*dialog);
    ExpectInDirectory(*dialog, driveB);
    EXPECT_EQ(SubDirectoryNames(*dialog), QStringList({"inner"}));
    EXPECT_TRUE(FileNames(*dialog).isEmpty());

    QTest::keyClick(drives, Qt::Key_Up);
    EXPECT_EQ(drives->currentText(), driveA);
    ExpectInDirectory(*dialog, driveA + "/deep");
    EXPECT_TRUE(SelectedFiles(*dialog).isEmpty());
    ExpectUnknown(*dialog);

    // Going up the directory list out of drive a shows the drive that holds the new place.
    DoubleClickDirectory(*dialog, m_root);
    EXPECT_EQ(drives->currentText(), "/");
    ExpectInDirectory(*dialog, m_root);

    // The root drive was never picked; its remembered directory is the one just left.
    QTest::keyClick(drives, Qt::Key_Down);
    ExpectInDirectory(*dialog, driveA + "/deep");
    QTest::keyClick(drives, Qt::Key_Up);
    ExpectInDirectory(*dialog, m_root);

    // A drive mounted meanwhile shows up when the list drops down; the shown drive stays.
    const QString driveC = m_root + "/c";
    ASSERT_TRUE(QDir(m_root).mkdir("c"));
    mounted.append(driveC);
    EXPECT_EQ(drives->findText(driveC), -1);
    drives->showPopup();
    EXPECT_NE(drives->findText(driveC), -1);
    EXPECT_EQ(drives->currentText(), "/");
    drives->hidePopup();
    ExpectInDirectory(*dialog, m_root);
}

TEST_F(SourceDialogTest, ASelectedFileStaysSelectedUnderCtrlClick) {
    WriteOneOfEachKind(m_root);
    const auto dialog = ShowDialog();
    ClickFile(*dialog, "map.bin");
    auto* list = Control<QListWidget>(*dialog, "File1");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      FileEntry(*dialog, "map.bin"));
    EXPECT_EQ(SelectedFiles(*dialog), QStringList({"map.bin"}));
    QTest::mouseClick(Control<QPushButton>(*dialog, "Command1"), Qt::LeftButton);
    ASSERT_EQ(m_opened.size(), 1u);
    EXPECT_EQ(m_opened[0].fileName, "map.bin");
}

TEST_F(SourceDialogTest, HostileFolderNeitherHangsNorCrashes) {
    WriteOneOfEachKind(m_root);
    const Bytes bank = demo::MakeDemoBank();
    for (const char* name :
         {"with space.bin", "n\u00e4me \u30de\u30c3\u30d7.bin", "new\nline.bin", "gone.bin"}) {
        WriteFile(m_root + "/" + QString::fromUtf8(name), bank);
    }
    const QByteArray root = QFile::encodeName(m_root);
    ASSERT_EQ(::symlink("self", (root + "/self").constData()), 0);
    ASSERT_EQ(::symlink("ping", (root + "/pong").constData()), 0);
    ASSERT_EQ(::symlink("pong", (root + "/ping").constData()), 0);
    // Six gigabytes that begin like a bank, sparse so that they take no disk space.
    WriteFile(m_root + "/huge.bin", Bytes{0xC6, 0x80});
    ASSERT_EQ(::truncate((root + "/huge.bin").constData(), 6LL << 30), 0);
    const bool madeDevice =
        ::mknod((root + "/null").constData(), S_IFCHR | 0600, makedev(1, 3)) == 0;

    const auto dialog = ShowDialog();
    ASSERT_TRUE(QFile::remove(m_root + "/gone.bin"));  // listed, then removed before selection
    const struct {
        QString name;
        int kind;
    } entries[] = {
        {"with space.bin", 2}, {QString::fromUtf8("n\u00e4me \u30de\u30c3\u30d7.bin"), 2},
        {"new\nline.bin", 2},  {"huge.bin", 2},
        {"self", 5},           {"ping", 5},
        {"gone.bin", 5},       {"null", 5},
    };
    for (const auto& entry : entries) {
        if (entry.name == "null" && !madeDevice) {
            continue;
        }
        SCOPED_TRACE(entry.name.toStdString());
        ClickFile(*dialog, "ue.gg");
        QElapsedTimer clock;
        clock.start();
        ClickFile(*dialog, entry.name);
        EXPECT_LT(clock.elapsed(), 5000);
        EXPECT_EQ(SelectedFiles(*dialog), QStringList({entry.name}));
        EXPECT_EQ(dialog->tag(), QString::number(entry.kind));
        EXPECT_EQ(CheckedOption(*dialog), entry.kind);
    }
    // A recognised file with an awkward name opens under that very name.
    DoubleClickFile(*dialog, "new\nline.bin");
    ASSERT_EQ(m_opened.size(), 1u);
    EXPECT_EQ(m_opened[0].fileName, "new\nline.bin");
}

}  // namespace
}  // namespace morvane
