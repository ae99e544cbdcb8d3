#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "leveldata/bank_comparison.h"
#include "leveldata/level_bank.h"

namespace morvane {

class LevelDocument;

// The restore points of the document's source as the restore points window lists them, newest
// first: id, local time, what was done, and the levels that differ between the point and the
// file as it is now. The points and the bank are read only by refresh(), so that the list shows
// what the disk holds each time the window is shown, points made by the command line included.
class RestorePointsModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { IdColumn, TimeColumn, WhatColumn, LevelsColumn, ColumnCount };

    struct Point {
        std::int64_t id = 0;
        // The point's time in local time, as listed.
        QString time;
        QString what;
        // The point's bank; none for a damaged point, which cannot be read or does not match
        // its checksum.
        std::optional<LevelBank> bank;
        // For a damaged point, why, in the core's words.
        QString damage;
        std::vector<LevelDifference> differences;
    };

    // document must outlive the model.
    explicit RestorePointsModel(LevelDocument& document, QObject* parent = nullptr);

    // Reads the points and the file's bank again.
    void refresh();

    // The point listed in row.
    const Point& point(int row) const { return m_points[std::size_t(row)]; }
    // The row of point id, or -1.
    int rowOf(std::int64_t id) const;
    // The bank as the file held it at the last refresh(), or none when it could not be read.
    const std::optional<LevelBank>& fileBank() const { return m_fileBank; }
    // Why the list is empty or its differences unknown, in a sentence; empty when all is well.
    const QString& problem() const { return m_problem; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QString levelsText(const Point& point) const;

    LevelDocument& m_document;
    std::vector<Point> m_points;
    std::optional<LevelBank> m_fileBank;
    QString m_problem;
};

}  // namespace morvane
