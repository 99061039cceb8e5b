#pragma once

#include "devicelist/csv_reader.h"
#include "devicelist/plan_columns.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>

// A site plan's header row: where it is, how it splits, and which column
// gives each field. Also what a column choice needs where no header could
// be recognised: the names found and the delimiter tried.
struct PlanHeader
{
    using Field = PlanColumns::Field;

    // Titles and blank lines may stand above the header; it is looked for
    // among this many lines that are not blank.
    static constexpr int SearchedLines = 10;

    QStringList names;       // the header's cells, as written
    QChar delimiter = u',';
    int line = 0;            // 0: the file has no line that could be one
    bool found = false;      // a MAC, serial or IP column is known
    std::array<qsizetype, PlanColumns::FieldCount> columns{-1, -1, -1, -1, -1};

    qsizetype column(Field field) const { return columns[static_cast<int>(field)]; }
    // Columns with a header that give no field and do not number the rows.
    QList<qsizetype> ignoredColumns() const;
    // "MAC ← column B 'MAC-Adresse'; name ← A 'Wohnung'; ignored: D 'Bemerkung'"
    QString columnsText() const;
    // "A 'Name', B 'Room'"
    QString namesText() const;
    // "B 'Room'": one column as those texts name it.
    QString columnText(qsizetype column) const;
    // "commas", "semicolons" or "tabs"
    QString delimiterText() const;
    // The same for every file with this header, whatever its rows: what a
    // column choice can be remembered under.
    QString fingerprint() const;

    // Reads up to the header and leaves the reader after it, with the
    // header's delimiter. error is set when none is found; the header
    // returned is then the likeliest line, to choose columns from.
    static PlanHeader find(CsvReader &reader, const PlanColumns::Choice &choice, QString *error);

private:
    // Sets columns: the chosen ones by name, the others by what they are
    // named. Returns the name of a chosen header that is not there.
    QString assign(const PlanColumns::Choice &choice);
};
