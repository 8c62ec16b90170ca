// A computer-assisted sperm analysis result file, read as a table and summed up as the figures
// of one post-thaw test.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <optional>

namespace estrivo {

// Bounds on what an instrument's result file may hold: one test writes a few rows per field or
// sample, so anything past these is not a result file.
inline constexpr qint64 kMostAnalysisBytes = 5 * 1024 * 1024;
inline constexpr qsizetype kMostAnalysisRows = 10000; // data rows, the header row aside
inline constexpr qsizetype kMostAnalysisColumns = 1000;
inline constexpr qsizetype kMostInstrumentNameLength = 100;

// Which header of an instrument's file holds which figure. The instrument writes the same
// headers every time, so the operator maps them once per instrument. An empty velocity is not
// mapped; motility and progressive motility always are.
struct AnalysisMapping
{
    QString instrument;
    QString motility, progressive, vcl, vsl, vap;

    friend bool operator==(const AnalysisMapping &, const AnalysisMapping &) = default;
};

// The cells of a result file, trimmed: the first non-blank row as headers, then the data rows
// as they stand (a row may be shorter or longer than the headers). On a refusal `problem` says
// why and the table is empty.
struct AnalysisTable
{
    QStringList headers;
    QList<QStringList> rows;
    QString problem;
};

// The means over the rows used: percentages of all sperm, velocities in the file's unit (µm/s
// as instruments write them); a velocity is empty when it is not mapped.
struct AnalysisResult
{
    double motility = 0.0;
    double progressive = 0.0;
    std::optional<double> vcl, vsl, vap;
    int rowsUsed = 0;
    QString problem;
};

// The result file at `path`. Only a regular file is read (a FIFO, device or folder is refused
// without waiting on it), at most kMostAnalysisBytes. Text in UTF-8 with or without a byte-order
// mark, UTF-16 with one, anything else as Latin-1; a NUL character refuses the file.
AnalysisTable readAnalysisFile(const QString &path);

// The same reading from bytes already in hand. The delimiter is the one of ',', ';' and tab
// that splits the first rows most evenly; fields may be quoted with '"', a quote inside doubled,
// and hold delimiters and line breaks; lines end in LF, CRLF or CR; blank lines are skipped.
AnalysisTable analysisTableFrom(const QByteArray &content);

// A cell as a number: a decimal point or a decimal comma ("35,2"), blanks and a trailing '%'
// aside. None for text, a formula, thousands separators or a value that is not finite.
std::optional<double> analysisNumber(QStringView cell);

// The means of the mapped columns over the data rows that hold a number in each of them;
// `rowsUsed` counts those. Left out: rows without all the numbers, and the summary rows an
// instrument adds below its own (a cell reading "Mean", "Average", "SD", "CV", "Total", ...).
// Refused: motility or progressive motility not mapped, two figures mapped to one column, a mapped
// header missing from the file, a percentage outside 0..100, a negative velocity, progressive
// motility above total motility, no row with all the numbers.
AnalysisResult analysisResult(const AnalysisTable &table, const AnalysisMapping &mapping);

// A first mapping for an instrument not mapped yet, read from its headers ("Motility (%)",
// "PM %", "Progressive", "VCL (um/s)"); a figure no header names stays empty. The instrument
// is left empty.
AnalysisMapping guessMapping(const QStringList &headers);

// Kept in the records program's settings under "analysis/<instrument>"; the instrument's name
// is trimmed and encoded so that any name gives its own group. An empty or overlong name is
// refused: the returned text says why, empty when saved.
QString saveAnalysisMapping(const AnalysisMapping &mapping);

// The mapping saved for `instrument`; none when there is none.
std::optional<AnalysisMapping> loadAnalysisMapping(const QString &instrument);

// The instruments with a saved mapping, by name.
QStringList analysisInstruments();

// The settings group of an instrument's mapping: "analysis/" and the name with every
// character but ASCII letters, digits, '-' and '.' written as "_" and four hex digits.
QString analysisSettingsGroup(const QString &instrument);

} // namespace estrivo
