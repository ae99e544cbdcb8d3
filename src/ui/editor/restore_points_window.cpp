#include "ui/editor/restore_points_window.h"

#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QTableView>
#include <algorithm>

#include "picture/level_export.h"
#include "ui/editor/level_document.h"
#include "ui/editor/level_list_pictures.h"
#include "ui/editor/message_boxes.h"
#include "ui/editor/picture_image.h"
#include "ui/editor/restore_points_model.h"

namespace morvane {

namespace {

// The pictures are the export's: 16 x 16 pixels a cell, so two levels fit side by side.
constexpr int kCellPixels = kExportWidth / LevelMap::kColumns;

QString FileName(const LevelDocument& document) {
    return QFile::decodeName(document.selection().fileName.c_str());
}

QString LevelItemText(int number, const std::vector<LevelDifference>& differences) {
    const QString level = QStringLiteral("Level %1").arg(number);
    for (const LevelDifference& difference : differences) {
        if (difference.number == number) {
            return difference.unreadable
                       ? level + QStringLiteral(": unreadable in one of the two")
                       : level + (difference.cells == 1
                                      ? QStringLiteral(": 1 cell differs")
                                      : QStringLiteral(": %1 cells differ").arg(difference.cells));
        }
    }
    return level + QStringLiteral(": the same");
}

}  // namespace

RestorePointsWindow::RestorePointsWindow(LevelDocument& document, TileSet& tiles,
                                         MessageBoxes& messages, EditorHooks hooks, QWidget& editor)
    : QWidget(&editor, Qt::Window),
      m_document(document),
      m_tiles(tiles),
      m_messages(messages),
      m_hooks(std::move(hooks)),
      m_model(new RestorePointsModel(document, this)) {
    setObjectName(QStringLiteral("RestorePoints"));
    setWindowTitle(QStringLiteral("Restore points - ") + FileName(document));
    buildControls();
}

void RestorePointsWindow::buildControls() {
    m_list = new QTableView(this);
    m_list->setObjectName(QStringLiteral("PointList"));
    m_list->setModel(m_model);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->verticalHeader()->hide();
    m_list->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_list->horizontalHeader()->setStretchLastSection(true);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("Status"));
    m_status->setWordWrap(true);
    m_levels = new QComboBox(this);
    m_levels->setObjectName(QStringLiteral("LevelPicker"));
    // Wide enough for "Level 99: 224 cells differ" before any item is there.
    m_levels->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_levels->setMinimumContentsLength(28);
    m_pointCaption = new QLabel(QStringLiteral("At the restore point"), this);
    m_pointCaption->setObjectName(QStringLiteral("PointCaption"));
    auto* fileCaption = new QLabel(QStringLiteral("In the file now"), this);
    m_pointPicture = new QLabel(this);
    m_pointPicture->setObjectName(QStringLiteral("PointPicture"));
    m_filePicture = new QLabel(this);
    m_filePicture->setObjectName(QStringLiteral("FilePicture"));
    for (QLabel* picture : {m_pointPicture, m_filePicture}) {
        picture->setFixedSize(kExportWidth, kExportHeight);
        picture->setFrameStyle(QFrame::NoFrame);
    }
    m_restore = new QPushButton(QStringLiteral("Restore"), this);
    m_restore->setObjectName(QStringLiteral("Restore"));
    m_restore->setEnabled(false);
    m_close = new QPushButton(QStringLiteral("Close"), this);
    m_close->setObjectName(QStringLiteral("Close"));

    auto* layout = new QGridLayout(this);
    layout->addWidget(m_list, 0, 0, 1, 2);
    layout->addWidget(m_status, 1, 0, 1, 2);
    auto* levelRow = new QHBoxLayout;
    levelRow->addWidget(new QLabel(QStringLiteral("Level:"), this));
    levelRow->addWidget(m_levels);
    levelRow->addStretch();
    layout->addLayout(levelRow, 2, 0, 1, 2);
    layout->addWidget(m_pointCaption, 3, 0);
    layout->addWidget(fileCaption, 3, 1);
    layout->addWidget(m_pointPicture, 4, 0);
    layout->addWidget(m_filePicture, 4, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_restore);
    buttons->addWidget(m_close);
    layout->addLayout(buttons, 5, 0, 1, 2);
    layout->setRowStretch(0, 1);

    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &RestorePointsWindow::pointSelected);
    connect(m_levels, &QComboBox::activated, this, &RestorePointsWindow::showLevel);
    connect(m_restore, &QPushButton::clicked, this, &RestorePointsWindow::restoreSelected);
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
    // A save keeps a new point and changes the file the points are compared with.
    connect(&m_document, &LevelDocument::saved, this, [this] {
        if (isVisible()) {
            const int row = selectedRow();
            refresh(row >= 0 ? m_model->point(row).id : 0);
        }
    });
    new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &QWidget::close);
}

void RestorePointsWindow::open() {
    refresh(0);
    show();
    raise();
    activateWindow();
}

void RestorePointsWindow::refresh(std::int64_t id) {
    m_model->refresh();
    const int row = m_model->rowOf(id);
    if (row >= 0) {
        m_list->selectRow(row);
    }
    // A reset model keeps no selection and says nothing about losing it.
    pointSelected();
}

int RestorePointsWindow::selectedRow() const {
    const QModelIndexList rows = m_list->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void RestorePointsWindow::pointSelected() {
    m_levels->clear();
    m_pointPicture->clear();
    m_filePicture->clear();
    m_pointCaption->setText(QStringLiteral("At the restore point"));
    const int row = selectedRow();
    const RestorePointsModel::Point* point = row >= 0 ? &m_model->point(row) : nullptr;
    m_restore->setEnabled(point && point->bank);
    if (!point || !point->bank) {
        QString status = m_model->problem();
        if (point) {
            status = point->damage;
        } else if (status.isEmpty() && m_model->rowCount() == 0) {
            status = QStringLiteral("%1 has no restore points yet.").arg(FileName(m_document));
        }
        m_status->setText(status);
        return;
    }
    m_status->setText(m_model->problem());
    m_pointCaption->setText(QStringLiteral("At restore point %1").arg(point->id));
    // The editor's level when the point changed it, else the first level the point changed.
    const int shown = m_document.shownLevel() + 1;
    std::vector<int> numbers;
    for (const LevelDifference& difference : point->differences) {
        numbers.push_back(difference.number);
    }
    const bool shownDiffers = std::find(numbers.begin(), numbers.end(), shown) != numbers.end();
    if (numbers.empty()) {
        numbers.push_back(shown);
    }
    for (const int number : numbers) {
        m_levels->addItem(LevelItemText(number, point->differences), number);
    }
    m_levels->setCurrentIndex(shownDiffers ? m_levels->findData(shown) : 0);
    showLevel();
}

QImage RestorePointsWindow::levelImage(const LevelResult<BankLevel>& level) {
    if (!level.ok()) {
        return LevelListPictures::UnreadablePicture().scaled(kExportWidth, kExportHeight);
    }
    return ToQImage(ExportLevelPicture(level.value().map, m_tiles), QImage::Format_RGB32);
}

void RestorePointsWindow::showLevel() {
    const int row = selectedRow();
    if (row < 0 || m_levels->currentIndex() < 0) {
        return;
    }
    const RestorePointsModel::Point& point = m_model->point(row);
    const int index = m_levels->currentData().toInt() - 1;
    const LevelResult<BankLevel> then = point.bank->readLevel(index);
    const LevelResult<BankLevel> now = m_model->fileBank() ? m_model->fileBank()->readLevel(index)
                                                           : LevelResult<BankLevel>(LevelFailure{});
    QImage before = levelImage(then);
    QImage after = levelImage(now);
    if (then.ok() && now.ok()) {
        // A frame two pixels wide inside each differing cell, in both pictures.
        for (QImage* picture : {&before, &after}) {
            QPainter painter(picture);
            painter.setPen(QColor::fromRgb(kFrameColour));
            for (int cell = 0; cell < LevelMap::kCellCount; ++cell) {
                if (then.value().map.cell(cell) == now.value().map.cell(cell)) {
                    continue;
                }
                const QRect box(LevelMap::columnOf(cell) * kCellPixels,
                                LevelMap::rowOf(cell) * kCellPixels, kCellPixels - 1,
                                kCellPixels - 1);
                painter.drawRect(box);
                painter.drawRect(box.adjusted(1, 1, -1, -1));
            }
        }
    }
    m_pointPicture->setPixmap(QPixmap::fromImage(before));
    m_filePicture->setPixmap(QPixmap::fromImage(after));
}

void RestorePointsWindow::restoreSelected() {
    const int row = selectedRow();
    if (row < 0 || !m_model->point(row).bank) {
        return;
    }
    const std::int64_t id = m_model->point(row).id;
    const QString time = m_model->point(row).time;
    if (!m_hooks.confirmLeavingLevel()) {
        return;
    }
    const auto answer =
        message(QStringLiteral("Put back %1 as it was at restore point %2 (%3)? "
                               "The file as it is now is kept as a new restore "
                               "point.")
                    .arg(FileName(m_document), QString::number(id), time),
                QMessageBox::Question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer == QMessageBox::Yes) {
        if (const auto failure = m_document.restore(id)) {
            message(QStringLiteral("The restore point was not put back.\n") +
                        QString::fromStdString(DescribeLevelFailure(*failure)),
                    QMessageBox::Warning);
        } else {
            m_hooks.reloadLevel();
        }
    }
    // A save from the unsaved-edits question, or the restore, added a point.
    refresh(id);
}

QMessageBox::StandardButton RestorePointsWindow::message(
    const QString& text, QMessageBox::Icon icon, QMessageBox::StandardButtons buttons,
    QMessageBox::StandardButton defaultButton) {
    return m_messages.show(this, text, QString::fromStdString(m_document.selection().caption), icon,
                           buttons, defaultButton);
}

}  // namespace morvane
