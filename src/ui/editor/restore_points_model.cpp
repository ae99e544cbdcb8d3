#include "ui/editor/restore_points_model.h"

#include <QDateTime>
#include <algorithm>

#include "ui/editor/level_document.h"

namespace morvane {

namespace {

QString Described(const LevelFailure& failure) {
    return QString::fromStdString(DescribeLevelFailure(failure));
}

// A point's UTC time ("2026-12-06T23:59:01Z") in local time; a time that does not read as one
// is shown as it is stored.
QString LocalTime(const std::string& stored) {
    const QString text = QString::fromStdString(stored);
    const QDateTime time = QDateTime::fromString(text, Qt::ISODate);
    return time.isValid() ? time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                          : text;
}

QString LevelNumbers(const std::vector<LevelDifference>& levels) {
    std::vector<int> numbers;
    for (const auto& level : levels) {
        numbers.push_back(level.number);
    }
    return QString::fromStdString(LevelRanges(numbers));
}

}  // namespace

RestorePointsModel::RestorePointsModel(LevelDocument& document, QObject* parent)
    : QAbstractTableModel(parent), m_document(document) {}

void RestorePointsModel::refresh() {
    beginResetModel();
    m_points.clear();
    m_fileBank.reset();
    m_problem.clear();
    const auto now = m_document.readBank();
    if (now.ok()) {
        m_fileBank = now.value();
    } else {
        m_problem = Described(now.failure());
    }
    BankHistory* history = m_document.restorePoints();
    auto entries = history ? history->entries()
                           : LevelResult<std::vector<HistoryEntry>>(std::vector<HistoryEntry>());
    if (!entries.ok()) {
        m_problem = Described(entries.failure());
    } else {
        for (HistoryEntry& entry : entries.value()) {
            Point point;
            point.id = entry.id;
            if (!entry.point.ok()) {
                point.damage = Described(entry.point.failure());
            } else {
                const RestorePoint& kept = entry.point.value();
                point.time = LocalTime(kept.time);
                point.what = QString::fromStdString(kept.what);
                point.bank.emplace(kept.heldBank());
                if (m_fileBank) {
                    point.differences = CompareBanks(*point.bank, *m_fileBank);
                }
            }
            m_points.push_back(std::move(point));
        }
        // The history lists the oldest first; the window the newest.
        std::reverse(m_points.begin(), m_points.end());
    }
    endResetModel();
}

int RestorePointsModel::rowOf(std::int64_t id) const {
    const auto found = std::find_if(m_points.begin(), m_points.end(),
                                    [id](const Point& point) { return point.id == id; });
    return found == m_points.end() ? -1 : int(found - m_points.begin());
}

int RestorePointsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_points.size());
}

int RestorePointsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString RestorePointsModel::levelsText(const Point& point) const {
    if (!m_fileBank) {
        return QStringLiteral("unknown");
    }
    return point.differences.empty() ? QStringLiteral("none") : LevelNumbers(point.differences);
}

QVariant RestorePointsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    const Point& point = m_points[std::size_t(index.row())];
    if (role == Qt::ToolTipRole) {
        return point.damage.isEmpty() ? QVariant() : point.damage;
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    switch (index.column()) {
        case IdColumn:
            return QString::number(point.id);
        case TimeColumn:
            return point.time;
        case WhatColumn:
            return point.bank ? point.what : QStringLiteral("damaged");
        case LevelsColumn:
            return point.bank ? levelsText(point) : QString();
        default:
            return {};
    }
}

QVariant RestorePointsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    switch (section) {
        case IdColumn:
            return QStringLiteral("Id");
        case TimeColumn:
            return QStringLiteral("Time");
        case WhatColumn:
            return QStringLiteral("What");
        case LevelsColumn:
            return QStringLiteral("Levels that differ from the file now");
        default:
            return {};
    }
}

}  // namespace morvane
