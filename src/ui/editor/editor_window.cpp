#include "ui/editor/editor_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>

#include "leveldata/disk_file_system.h"
#include "leveldata/same_file.h"
#include "picture/level_export.h"
#include "ui/editor/about_button.h"
#include "ui/editor/caption_fitting.h"
#include "ui/editor/history_shortcuts.h"
#include "ui/editor/level_clipboard.h"
#include "ui/editor/level_document.h"
#include "ui/editor/level_grid.h"
#include "ui/editor/level_list_delegate.h"
#include "ui/editor/level_list_pictures.h"
#include "ui/editor/message_boxes.h"
#include "ui/editor/paint_command.h"
#include "ui/editor/picture_image.h"
#include "ui/editor/restore_points_action.h"
#include "ui/editor/test_play_action.h"

namespace morvane {

namespace {

constexpr int kClientWidth = 1033;
constexpr int kClientHeight = 261;
constexpr int kGridLeft = 4;
constexpr int kGridTop = 4;
constexpr int kRowTop = 236;
constexpr int kRowHeight = 21;
// The previews sit two pixels lower than the row: at their own 16 pixels they are centred
// on the 21-pixel controls.
constexpr int kPreviewTop = 238;
constexpr int kPreviewSize = 16;
// Each brush's label, list and preview repeat 148 pixels to the right of the previous ones.
constexpr int kBrushStep = 148;

constexpr std::array<const char*, 3> kBrushCaptions = {"Left Button:", "Wheel:", "Right Button:"};

const char* const kLoadPrompt =
    "You edited the level you're currently viewing. Do you want to save the changes before you "
    "load another level?";
const char* const kQuitPrompt = "There are unsaved edits, do you want to save them now?";
const char* const kSaved = "Map saved!";
const char* const kExported =
    "This level map has been successfully saved as an image in RAW format!";

// The operating system's files; the file system keeps no state, so one serves every window.
FileSystem& DiskFiles() {
    static DiskFileSystem disk;
    return disk;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, QRect geometry,
                  Qt::Alignment alignment) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    label->setAlignment(alignment | Qt::AlignVCenter);
    return label;
}

QPushButton* PlaceButton(QPushButton* button, const char* name, int x, int width) {
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(x, kRowTop, width, kRowHeight);
    button->setAutoDefault(false);
    return button;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption, int x, int width) {
    return PlaceButton(new QPushButton(QString::fromLatin1(caption), parent), name, x, width);
}

QComboBox* MakeList(QWidget* parent, const char* name, int x, int first, int count) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QString::fromLatin1(name));
    combo->setGeometry(x, kRowTop, 45, kRowHeight);
    for (int item = first; item < first + count; ++item) {
        combo->addItem(QString::number(item));
    }
    // Adding the first item selects it; the lists start with nothing selected.
    combo->setCurrentIndex(-1);
    return combo;
}

}  // namespace

EditorWindow::EditorWindow(const SourceSelection& selection, MessageBoxes& messages,
                           QWidget* parent)
    : EditorWindow(selection, messages, DiskFiles(), parent) {}

EditorWindow::EditorWindow(const SourceSelection& selection, MessageBoxes& messages,
                           FileSystem& files, QWidget* parent)
    : QWidget(parent),
      m_messages(messages),
      m_files(files),
      m_document(new LevelDocument(selection, this)),
      m_tiles(QFile::encodeName(QDir::currentPath()).toStdString()) {
    setObjectName(QStringLiteral("Form1"));
    // No close button and no maximize: the editor is left only through Quit. Minimize stays.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowMinimizeButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(kClientWidth, kClientHeight);
    setMouseTracking(true);
    buildControls();
    FitFontToCaptions(*this);
    addShortcuts();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    connect(m_document, &LevelDocument::captionChanged, this, &QWidget::setWindowTitle);
    connect(m_document, &LevelDocument::interruptedSavePutBack, this,
            [this](const QString& text) { message(text, QMessageBox::Information); });
    connect(m_document, &LevelDocument::levelLoaded, this, &EditorWindow::showSaveSpace);
    connect(m_document, &LevelDocument::mapEdited, this, &EditorWindow::showSaveSpace);
    startEditor();
}

EditorWindow::~EditorWindow() = default;

void EditorWindow::buildControls() {
    m_grid = new LevelGrid(*m_document, m_tiles, this);
    m_grid->move(kGridLeft, kGridTop);
    connect(m_grid, &LevelGrid::cellPressed, this, &EditorWindow::cellPressed);
    connect(m_grid, &LevelGrid::cellHovered, this, &EditorWindow::showCursorTile);

    const Qt::Alignment right = Qt::AlignRight;
    m_levelLabel = MakeLabel(this, "Label1", QStringLiteral("Level number:"),
                             QRect(4, kRowTop, 77, kRowHeight), right);
    m_levelCombo = MakeList(this, "Combo1", 84, 1, 99);
    m_loadButton = MakeButton(this, "Command1", "&Load", 132, 45);
    m_saveButton = MakeButton(this, "Command5", "&Save", 180, 45);
    m_saveButton->setEnabled(false);
    m_exportButton = MakeButton(this, "Command3", "&Export as picture", 228, 93);
    m_exportButton->setEnabled(false);
    m_cursorCaption = MakeLabel(this, "Label2", QStringLiteral("Tile under cursor:"),
                                QRect(348, kRowTop, 89, kRowHeight), right);
    m_cursorTile =
        MakeLabel(this, "Label3", QString(), QRect(440, kRowTop, 25, kRowHeight), Qt::AlignHCenter);
    m_cursorTile->setFrameStyle(QFrame::Panel | QFrame::Sunken);

    for (int slot = 0; slot < int(m_brushes.size()); ++slot) {
        BrushControls& brush = m_brushes[std::size_t(slot)];
        const int shift = kBrushStep * slot;
        brush.label = MakeLabel(this, "Label4", QString::fromLatin1(kBrushCaptions[slot]),
                                QRect(476 + shift, kRowTop, 69, kRowHeight), right);
        brush.tiles = MakeList(this, "Combo2", 548 + shift, 0, LevelMap::kTileCount);
        brush.preview = new QLabel(this);
        brush.preview->setObjectName(QStringLiteral("Image2"));
        brush.preview->setGeometry(596 + shift, kPreviewTop, kPreviewSize, kPreviewSize);
        for (QWidget* control :
             {static_cast<QWidget*>(brush.label), static_cast<QWidget*>(brush.tiles),
              static_cast<QWidget*>(brush.preview)}) {
            control->setProperty("index", slot);
            control->hide();
        }
        connect(brush.tiles, &QComboBox::activated, this, [this, slot] { showBrushTile(slot); });
    }
    m_aboutButton =
        PlaceButton(new AboutButton(*m_document, m_messages, *this), "Command4", 936, 45);
    m_quitButton = MakeButton(this, "Command2", "&Quit", 984, 45);

    QWidget::setTabOrder(m_levelCombo, m_loadButton);
    QWidget::setTabOrder(m_loadButton, m_quitButton);
    QWidget::setTabOrder(m_quitButton, m_exportButton);
    QWidget::setTabOrder(m_exportButton, m_aboutButton);
    QWidget::setTabOrder(m_aboutButton, m_saveButton);
    QWidget::setTabOrder(m_saveButton, m_brushes[0].tiles);
    QWidget::setTabOrder(m_brushes[0].tiles, m_brushes[1].tiles);
    QWidget::setTabOrder(m_brushes[1].tiles, m_brushes[2].tiles);

    // activated() is raised by user picks only; the program's own selection changes call
    // levelComboClicked() themselves, so every change runs exactly one load or adoption.
    connect(m_levelCombo, &QComboBox::activated, this, &EditorWindow::levelComboClicked);
    connect(m_loadButton, &QPushButton::clicked, this, &EditorWindow::loadLevel);
    connect(m_saveButton, &QPushButton::clicked, this, &EditorWindow::saveLevel);
    connect(m_exportButton, &QPushButton::clicked, this, &EditorWindow::exportPicture);
    connect(m_quitButton, &QPushButton::clicked, this, &EditorWindow::quitEditor);
}

void EditorWindow::addShortcuts() {
    // Every key works wherever the focus is in the window.
    AddHistoryShortcuts(m_document->history(), *this);
    new LevelClipboard(*m_document, m_tiles, m_messages, *this);
    new TestPlayAction(
        *m_document, m_messages, [this](const QString& prompt) { return askToSaveEdits(prompt); },
        *this);
    new RestorePointsAction(*m_document, m_tiles, m_messages,
                            {[this] { return confirmLeavingLevel(); }, [this] { loadLevel(); }},
                            *this);
}

void EditorWindow::startEditor() {
    setWindowTitle(m_document->title());
    const FileStatus status = m_document->open(m_files);
    if (!status.ok()) {
        message(QStringLiteral("The file %1 cannot be opened for reading and writing: %2.")
                    .arg(QString::fromStdString(m_document->selection().fileName),
                         QString::fromStdString(DescribeFileStatus(status))),
                QMessageBox::Warning);
        return;
    }
    // A save cut short since the last run is put right before anything is read.
    if (const auto failure = m_document->repairInterruptedWrite()) {
        message(QString::fromStdString(DescribeLevelFailure(*failure)), QMessageBox::Warning);
    }
    m_exportButton->setEnabled(false);
    if (!m_document->holdsManyLevels()) {
        m_levelCombo->clear();
        m_levelCombo->addItem(QStringLiteral("N/A"));
        m_levelCombo->setEnabled(false);
        m_loadButton->setEnabled(false);
        m_levelLabel->setEnabled(false);
    } else {
        m_listPictures = std::make_unique<LevelListPictures>(*m_document, m_tiles);
        new LevelListDelegate(*m_levelCombo, *m_listPictures);
    }
    m_levelCombo->setCurrentIndex(0);
    levelComboClicked();
    m_started = true;
}

void EditorWindow::levelComboClicked() {
    // Putting the list back after a cancelled load: take the selection over, load nothing.
    if (m_document->takeAdoptedSelection(m_levelCombo->currentIndex())) {
        return;
    }
    loadLevel();
}

void EditorWindow::loadLevel() {
    if (!confirmLeavingLevel()) {
        return;
    }
    if (const auto failure = m_document->load(m_levelCombo->currentIndex())) {
        message(QStringLiteral("The level was not loaded.\n") +
                    QString::fromStdString(DescribeLevelFailure(*failure)),
                QMessageBox::Warning);
        m_levelCombo->setCurrentIndex(m_document->shownLevel());
        return;
    }
    m_exportButton->setEnabled(true);
    if (m_document->holdsManyLevels() && m_brushes[0].label->isHidden()) {
        showBrushes();
    }
}

bool EditorWindow::confirmLeavingLevel() {
    if (askToSaveEdits(QString::fromLatin1(kLoadPrompt))) {
        return true;
    }
    putLevelComboBack();
    return false;
}

bool EditorWindow::askToSaveEdits(const QString& prompt) {
    if (!m_document->isDirty()) {
        return true;
    }
    switch (message(prompt, QMessageBox::Question,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                    QMessageBox::Cancel)) {
        case QMessageBox::Yes:
            return saveLevel();
        case QMessageBox::No:
            return true;
        default:
            return false;
    }
}

void EditorWindow::putLevelComboBack() {
    const int shown = m_document->shownLevel();
    m_document->adoptSelection();
    if (m_levelCombo->currentIndex() != shown) {
        m_levelCombo->setCurrentIndex(shown);
    }
    levelComboClicked();
}

bool EditorWindow::saveLevel() {
    if (const auto failure = m_document->save()) {
        message(QStringLiteral("The level was not saved.\n") +
                    QString::fromStdString(DescribeLevelFailure(*failure)),
                QMessageBox::Warning);
        return false;
    }
    showSaveSpace();
    message(QString::fromLatin1(kSaved), QMessageBox::Information);
    return true;
}

void EditorWindow::quitEditor() {
    if (!askToSaveEdits(QString::fromLatin1(kQuitPrompt))) {
        return;
    }
    m_document->markQuitting();
    m_document->close();
    emit quitting();
    close();
}

void EditorWindow::exportPicture() {
    // The picture is made from the tile pictures, not read back from the screen, so a covered
    // or minimised window exports the same. It lands in the current directory, the source's
    // folder, written whole or not at all.
    const std::string fileName =
        ExportFileName(m_document->selection(), m_levelCombo->currentIndex() + 1);
    const QString name = QFile::decodeName(fileName.c_str());
    if (IsSameFile(fileName, m_document->selection().fileName)) {
        message(QStringLiteral("The picture was not saved.\n%1 is the open source file.").arg(name),
                QMessageBox::Warning);
        return;
    }
    const auto bytes = RawPictureBytes(ExportLevelPicture(m_document->map(), m_tiles));
    const FileStatus status = ReplaceFileContents(m_files, fileName, bytes);
    if (!status.ok()) {
        message(QStringLiteral("The picture was not saved.\n%1: %2.")
                    .arg(name, QString::fromStdString(DescribeFileStatus(status))),
                QMessageBox::Warning);
        return;
    }
    message(QString::fromLatin1(kExported), QMessageBox::Information);
}

void EditorWindow::showSaveSpace() {
    // A single map has no bank to save into.
    const QString text = m_document->holdsManyLevels() && m_document->hasLevel()
                             ? QString::fromStdString(DescribeSaveSpace(m_document->saveSpace()))
                             : QString();
    m_saveButton->setToolTip(text);
    m_saveButton->setAccessibleDescription(text);
}

void EditorWindow::showBrushes() {
    for (int slot = 0; slot < int(m_brushes.size()); ++slot) {
        BrushControls& brush = m_brushes[std::size_t(slot)];
        brush.label->show();
        brush.tiles->show();
        brush.preview->show();
        setBrushTile(slot, 0);
    }
    m_saveButton->setEnabled(true);
}

void EditorWindow::showBrushTile(int slot) {
    BrushControls& brush = m_brushes[std::size_t(slot)];
    const QImage picture =
        ToQImage(m_tiles.tile(brush.tiles->currentIndex()), QImage::Format_ARGB32);
    // A preview shows its picture at the picture's own size, growing from its top-left corner.
    brush.preview->setPixmap(QPixmap::fromImage(picture));
    brush.preview->resize(picture.size());
}

void EditorWindow::setBrushTile(int slot, int tile) {
    m_brushes[std::size_t(slot)].tiles->setCurrentIndex(tile);
    showBrushTile(slot);
}

void EditorWindow::cellPressed(int cell, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
    // A source of one level cannot be saved, so it is not painted either.
    if (!m_levelLabel->isEnabled() || !m_document->hasLevel()) {
        return;
    }
    int slot = 0;
    switch (button) {
        case Qt::LeftButton:
            slot = 0;
            break;
        case Qt::MiddleButton:
            slot = 1;
            break;
        case Qt::RightButton:
            slot = 2;
            break;
        default:
            return;
    }
    const auto held = modifiers & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
    if (held == Qt::ControlModifier) {
        setBrushTile(slot, m_document->map().cell(cell));
        return;
    }
    // Pushing the paint onto the history paints the cell, once.
    m_document->history().push(new PaintCommand(
        *m_document, cell, std::uint8_t(m_brushes[std::size_t(slot)].tiles->currentIndex())));
}

void EditorWindow::showCursorTile(int cell) {
    if (m_exportButton->isEnabled()) {
        m_cursorTile->setText(QString::number(m_document->map().cell(cell)));
    }
}

void EditorWindow::mouseMoveEvent(QMouseEvent* event) {
    // Moves over controls that do not track the pointer arrive here too; only the window's own
    // background empties the display.
    if (!childAt(event->position().toPoint())) {
        m_cursorTile->clear();
    }
    QWidget::mouseMoveEvent(event);
}

void EditorWindow::closeEvent(QCloseEvent* event) {
    if (m_document->isQuitting()) {
        event->accept();
    } else {
        event->ignore();
    }
}

QMessageBox::StandardButton EditorWindow::message(const QString& text, QMessageBox::Icon icon,
                                                  QMessageBox::StandardButtons buttons,
                                                  QMessageBox::StandardButton defaultButton) {
    return m_messages.show(this, text, QString::fromStdString(m_document->selection().caption),
                           icon, buttons, defaultButton);
}

}  // namespace morvane
