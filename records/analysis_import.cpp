#include "analysis_import.h"

#include "records_text.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QSettings>
#include <QStringDecoder>

#include <array>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace estrivo {

using namespace Qt::StringLiterals;

namespace {

constexpr double kWholePercent = 100.0;
// Total and progressive motility, VCL, VSL and VAP, in the order of AnalysisResult.
constexpr std::size_t kFigureCount = 5;
// The rows each candidate delimiter is tried on; enough to see a header and a few results.
constexpr qsizetype kSniffRows = 20;
// A header or cell quoted in a message is cut to this, so a hostile file cannot flood a box.
constexpr qsizetype kMostQuotedLength = 60;

const QString kSettingsOrganisation = u"Estrivo"_s;
const QString kSettingsApplication = u"estrivo-records"_s;
const QString kSettingsRoot = u"analysis"_s;

QSettings recordsSettings()
{
    return QSettings(kSettingsOrganisation, kSettingsApplication);
}

// A text from the file as a message may show it: control characters as blanks, cut short.
QString quoted(const QString &text)
{
    QString shown = text.left(kMostQuotedLength);
    for (QChar &c : shown) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            c = u' ';
    }
    if (text.size() > kMostQuotedLength)
        shown += u'…';
    return u'“' + shown + u'”';
}

AnalysisTable refusedTable(const QString &problem)
{
    AnalysisTable table;
    table.problem = problem;
    return table;
}

AnalysisTable tooLarge()
{
    return refusedTable(RecordsText::tr("The analysis file is larger than %1 MB: it is not one "
                                        "instrument's result.")
                            .arg(kMostAnalysisBytes / (1024 * 1024)));
}

AnalysisResult refusedResult(const QString &problem)
{
    AnalysisResult result;
    result.problem = problem;
    return result;
}

// The rows of `text` split at `delimiter`. Stops quietly after `rowLimit` rows (the sniffer
// looks at a few only); `problem` is set on an unclosed quote or too many columns.
struct SplitRows
{
    QList<QStringList> rows;
    bool cut = false;
    QString problem;
};

SplitRows splitRows(QStringView text, QChar delimiter, qsizetype rowLimit)
{
    SplitRows split;
    QStringList row;
    QString field;
    bool inQuotes = false;
    bool fieldQuoted = false;

    const auto endField = [&] {
        row.append(field.trimmed());
        field.clear();
        fieldQuoted = false;
    };
    // A line with nothing on it is no row; a line of delimiters is a row of empty cells.
    const auto endRow = [&] {
        const bool blank = row.size() == 1 && row.front().isEmpty();
        if (!blank)
            split.rows.append(row);
        row.clear();
        if (split.rows.size() > rowLimit)
            split.cut = true;
    };

    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size && !split.cut; ++i) {
        const QChar c = text[i];
        if (inQuotes) {
            if (c != u'"')
                field.append(c);
            else if (i + 1 < size && text[i + 1] == u'"')
                field.append(text[++i]);
            else
                inQuotes = false;
            continue;
        }
        if (c == u'"' && !fieldQuoted && field.trimmed().isEmpty()) {
            field.clear();
            inQuotes = true;
            fieldQuoted = true;
        } else if (c == delimiter) {
            endField();
            if (row.size() >= kMostAnalysisColumns) {
                split.problem = RecordsText::tr("A row of the analysis file has more than %1 "
                                                "columns.")
                                    .arg(kMostAnalysisColumns);
                return split;
            }
        } else if (c == u'\n' || c == u'\r') {
            endField();
            endRow();
            if (c == u'\r' && i + 1 < size && text[i + 1] == u'\n')
                ++i;
        } else {
            field.append(c);
        }
    }
    if (split.cut)
        return split;
    if (inQuotes) {
        split.problem = RecordsText::tr("A quoted field of the analysis file is not closed.");
        return split;
    }
    if (!field.isEmpty() || fieldQuoted || !row.isEmpty()) {
        endField();
        endRow();
    }
    return split;
}

// The delimiter that gives the first rows the header's number of columns most often; on a tie
// tab before ';' before ',', since a decimal comma makes ',' the likeliest to mislead.
QChar sniffDelimiter(QStringView text)
{
    constexpr std::array<QChar, 3> candidates{u'\t', u';', u','};
    QChar best = u',';
    qsizetype bestScore = 0;
    for (const QChar candidate : candidates) {
        const SplitRows split = splitRows(text, candidate, kSniffRows);
        if (split.rows.isEmpty() || split.rows.front().size() < 2)
            continue;
        const qsizetype columns = split.rows.front().size();
        qsizetype score = 0;
        for (const QStringList &row : split.rows)
            score += row.size() == columns ? 1 : 0;
        if (score > bestScore) {
            best = candidate;
            bestScore = score;
        }
    }
    return best;
}

std::optional<QString> decoded(const QByteArray &content)
{
    const auto decodeWith = [&](QStringConverter::Encoding encoding) -> std::optional<QString> {
        QStringDecoder decoder(encoding, QStringDecoder::Flag::Stateless);
        QString text = decoder.decode(content);
        if (decoder.hasError())
            return std::nullopt;
        return text;
    };
    if (content.startsWith("\xFF\xFE") || content.startsWith("\xFE\xFF"))
        return decodeWith(QStringConverter::Utf16);
    if (std::optional<QString> utf8 = decodeWith(QStringConverter::Utf8))
        return utf8;
    return QString::fromLatin1(content);
}

struct Figure
{
    const QString *header;
    QString name;     // as the operator knows the figure, for messages
    bool percentage;  // else a velocity
    qsizetype column; // in the table's headers
};

qsizetype columnOf(const QStringList &headers, const QString &header)
{
    const QString wanted = header.trimmed();
    const qsizetype exact = headers.indexOf(wanted);
    if (exact >= 0)
        return exact;
    for (qsizetype i = 0; i < headers.size(); ++i) {
        if (headers[i].compare(wanted, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

// Instruments put their own means and spreads below the rows they come from; averaging those
// in with the rows would count each result twice and the spread as a result.
bool isSummaryRow(const QStringList &row)
{
    static const QStringList words{
        u"mean"_s,    u"average"_s,   u"avg"_s, u"sd"_s,      u"s.d."_s,   u"std"_s,   u"stdev"_s,
        u"std dev"_s, u"std. dev."_s, u"sem"_s, u"cv"_s,      u"cv %"_s,   u"total"_s, u"sum"_s,
        u"median"_s,  u"min"_s,       u"max"_s, u"minimum"_s, u"maximum"_s};
    for (const QString &cell : row) {
        QString word = cell.toLower();
        if (word.endsWith(u':'))
            word.chop(1);
        if (words.contains(word.trimmed()))
            return true;
    }
    return false;
}

// A header reduced to its words: lower case, units and punctuation gone ("VCL (µm/s)" -> "vcl").
QString headerWords(const QString &header)
{
    QString words;
    int depth = 0;
    for (const QChar c : header.toLower()) {
        if (c == u'(' || c == u'[') {
            ++depth;
        } else if (c == u')' || c == u']') {
            depth = depth > 0 ? depth - 1 : 0;
            words += u' ';
        } else if (depth == 0) {
            words += c.isLetterOrNumber() ? c : u' ';
        }
    }
    return words.simplified();
}

bool hasWord(const QString &words, QStringView word)
{
    return words.split(u' ').contains(word);
}

// Escapes every character but ASCII letters, digits, '-' and '.', so that "CASA 1", "CASA_1"
// and "CASA/1" are three groups and none reaches outside "analysis/".
QString encodedName(const QString &name)
{
    QString encoded;
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        const bool plain = (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z')
                           || (u >= u'0' && u <= u'9') || u == u'-' || u == u'.';
        if (plain)
            encoded += c;
        else
            encoded += u'_' + QString::number(u, 16).rightJustified(4, u'0');
    }
    return encoded;
}

} // namespace

AnalysisTable analysisTableFrom(const QByteArray &content)
{
    if (content.size() > kMostAnalysisBytes)
        return tooLarge();
    const std::optional<QString> text = decoded(content);
    if (!text)
        return refusedTable(RecordsText::tr("The analysis file's text cannot be read."));
    if (text->contains(QChar(u'\0')))
        return refusedTable(
            RecordsText::tr("The analysis file holds NUL characters: it is not a text file."));
    QStringView body(*text);
    if (body.startsWith(QChar(0xFEFF)))
        body = body.mid(1);

    SplitRows split = splitRows(body, sniffDelimiter(body), kMostAnalysisRows + 1);
    if (!split.problem.isEmpty())
        return refusedTable(split.problem);
    if (split.cut)
        return refusedTable(RecordsText::tr("The analysis file has more than %1 rows of results.")
                                .arg(kMostAnalysisRows));
    if (split.rows.isEmpty())
        return refusedTable(RecordsText::tr("The analysis file is empty."));

    AnalysisTable table;
    table.headers = split.rows.takeFirst();
    table.rows = std::move(split.rows);
    return table;
}

AnalysisTable readAnalysisFile(const QString &path)
{
    const QString shownPath = QDir::toNativeSeparators(path);
    const QByteArray name = QFile::encodeName(path);
    // Non-blocking: a FIFO or a device put where the file was must not hold the program.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return refusedTable(RecordsText::tr("The analysis file %1 cannot be read: %2.")
                                .arg(shownPath, qt_error_string(errno)));
    struct stat status
    {
    };
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return refusedTable(RecordsText::tr("%1 is not a regular file.").arg(shownPath));
    }
    if (status.st_size > kMostAnalysisBytes) {
        ::close(fd);
        return tooLarge();
    }
    // Read one byte past the bound: a file that grew since fstat is caught all the same.
    QByteArray content(kMostAnalysisBytes + 1, Qt::Uninitialized);
    qsizetype got = 0;
    while (got < content.size()) {
        const ssize_t n
            = ::read(fd, content.data() + got, static_cast<size_t>(content.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int readError = errno;
            ::close(fd);
            return refusedTable(RecordsText::tr("The analysis file %1 cannot be read: %2.")
                                    .arg(shownPath, qt_error_string(readError)));
        }
        if (n == 0)
            break;
        got += n;
    }
    ::close(fd);
    content.truncate(got);
    return analysisTableFrom(content);
}

std::optional<double> analysisNumber(QStringView cell)
{
    QString text = cell.trimmed().toString();
    if (text.endsWith(u'%'))
        text = text.chopped(1).trimmed();
    if (text.isEmpty())
        return std::nullopt;
    const qsizetype commas = text.count(u',');
    if (commas > 1 || (commas == 1 && text.contains(u'.')))
        return std::nullopt;
    text.replace(u',', u'.');
    bool ok = false;
    const double value = QLocale::c().toDouble(text, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

AnalysisResult analysisResult(const AnalysisTable &table, const AnalysisMapping &mapping)
{
    if (!table.problem.isEmpty())
        return refusedResult(table.problem);
    if (mapping.motility.trimmed().isEmpty() || mapping.progressive.trimmed().isEmpty())
        return refusedResult(RecordsText::tr("Choose the columns of total and progressive "
                                             "motility."));

    std::array<Figure, kFigureCount> all{{
        {&mapping.motility, RecordsText::tr("total motility"), true, -1},
        {&mapping.progressive, RecordsText::tr("progressive motility"), true, -1},
        {&mapping.vcl, u"VCL"_s, false, -1},
        {&mapping.vsl, u"VSL"_s, false, -1},
        {&mapping.vap, u"VAP"_s, false, -1},
    }};
    QList<Figure *> mapped;
    for (Figure &figure : all) {
        if (figure.header->trimmed().isEmpty())
            continue;
        figure.column = columnOf(table.headers, *figure.header);
        if (figure.column < 0)
            return refusedResult(RecordsText::tr("The analysis file has no column %1 (%2).")
                                     .arg(quoted(*figure.header), figure.name));
        for (const Figure *other : mapped) {
            if (other->column == figure.column)
                return refusedResult(
                    RecordsText::tr("The %1 and the %2 are both mapped to the column %3.")
                        .arg(other->name, figure.name, quoted(table.headers[figure.column])));
        }
        mapped.append(&figure);
    }

    std::array<double, kFigureCount> sums{};
    int used = 0;
    for (qsizetype r = 0; r < table.rows.size(); ++r) {
        const QStringList &row = table.rows[r];
        if (isSummaryRow(row))
            continue;
        std::array<double, kFigureCount> values{};
        bool complete = true;
        for (std::size_t f = 0; f < all.size() && complete; ++f) {
            const Figure &figure = all[f];
            if (figure.column < 0)
                continue;
            const std::optional<double> value
                = figure.column < row.size() ? analysisNumber(row[figure.column]) : std::nullopt;
            complete = value.has_value();
            if (!complete)
                break;
            const bool inRange
                = figure.percentage ? *value >= 0.0 && *value <= kWholePercent : *value >= 0.0;
            if (!inRange)
                return refusedResult(
                    (figure.percentage ? RecordsText::tr("Result row %1 gives a %2 of %3 in the "
                                                         "column %4: not a percentage.")
                                       : RecordsText::tr("Result row %1 gives a %2 of %3 in the "
                                                         "column %4: a velocity is not "
                                                         "negative."))
                        .arg(r + 1)
                        .arg(figure.name, quoted(row[figure.column]),
                             quoted(table.headers[figure.column])));
            values[f] = *value;
        }
        if (!complete)
            continue;
        for (std::size_t f = 0; f < sums.size(); ++f)
            sums[f] += values[f];
        ++used;
    }

    if (used == 0)
        return refusedResult(RecordsText::tr("No row of the analysis file has a number in each "
                                             "of the mapped columns."));
    AnalysisResult result;
    result.rowsUsed = used;
    std::array<std::optional<double>, kFigureCount> means;
    for (std::size_t f = 0; f < all.size(); ++f) {
        if (all[f].column < 0)
            continue;
        const double mean = sums[f] / used;
        if (!std::isfinite(mean))
            return refusedResult(RecordsText::tr("The %1 of the analysis file is too large to "
                                                 "average.")
                                     .arg(all[f].name));
        means[f] = mean;
    }
    result.motility = *means[0];
    result.progressive = *means[1];
    result.vcl = means[2];
    result.vsl = means[3];
    result.vap = means[4];
    if (result.progressive > result.motility)
        return refusedResult(RecordsText::tr("The progressive motility (%1 %) is above the total "
                                             "motility (%2 %): check which columns are mapped.")
                                 .arg(QLocale::c().toString(result.progressive, 'f', 1),
                                      QLocale::c().toString(result.motility, 'f', 1)));
    return result;
}

AnalysisMapping guessMapping(const QStringList &headers)
{
    AnalysisMapping mapping;
    QList<bool> taken(headers.size(), false);
    // Each figure takes the first header not taken that it recognises; progressive motility
    // comes first, as its headers often say "motility" as well.
    const auto take = [&](QString &into, const auto &recognises) {
        for (qsizetype i = 0; i < headers.size(); ++i) {
            if (taken[i])
                continue;
            const QString words = headerWords(headers[i]);
            if (!words.isEmpty() && recognises(words)) {
                into = headers[i];
                taken[i] = true;
                return;
            }
        }
    };
    take(mapping.progressive, [](const QString &w) {
        if (hasWord(w, u"non") || w.contains(u"nonprog"_s) || hasWord(w, u"np"))
            return false;
        return w.contains(u"progressive"_s) || hasWord(w, u"pm") || hasWord(w, u"prog")
               || hasWord(w, u"pmot") || w == u"pr";
    });
    take(mapping.motility, [](const QString &w) {
        if (w.contains(u"immotile"_s) || w.contains(u"non"_s) || w.contains(u"static"_s))
            return false;
        return w.contains(u"motil"_s) || hasWord(w, u"tm") || hasWord(w, u"mot")
               || hasWord(w, u"tmot");
    });
    take(mapping.vcl,
         [](const QString &w) { return hasWord(w, u"vcl") || w.contains(u"curvilinear"_s); });
    take(mapping.vsl, [](const QString &w) {
        return hasWord(w, u"vsl") || w.contains(u"straight line velocity"_s);
    });
    take(mapping.vap,
         [](const QString &w) { return hasWord(w, u"vap") || w.contains(u"average path"_s); });
    return mapping;
}

QString analysisSettingsGroup(const QString &instrument)
{
    return kSettingsRoot + u'/' + encodedName(instrument.trimmed());
}

QString saveAnalysisMapping(const AnalysisMapping &mapping)
{
    const QString instrument = mapping.instrument.trimmed();
    if (instrument.isEmpty())
        return RecordsText::tr("Name the instrument the mapping is for.");
    if (instrument.size() > kMostInstrumentNameLength)
        return RecordsText::tr("An instrument's name has at most %1 characters.")
            .arg(kMostInstrumentNameLength);
    QSettings settings = recordsSettings();
    settings.beginGroup(analysisSettingsGroup(instrument));
    settings.setValue(u"instrument"_s, instrument);
    settings.setValue(u"motility"_s, mapping.motility.trimmed());
    settings.setValue(u"progressive"_s, mapping.progressive.trimmed());
    settings.setValue(u"vcl"_s, mapping.vcl.trimmed());
    settings.setValue(u"vsl"_s, mapping.vsl.trimmed());
    settings.setValue(u"vap"_s, mapping.vap.trimmed());
    settings.endGroup();
    settings.sync();
    if (settings.status() != QSettings::NoError)
        return RecordsText::tr("The mapping could not be saved in %1.")
            .arg(QDir::toNativeSeparators(settings.fileName()));
    return {};
}

std::optional<AnalysisMapping> loadAnalysisMapping(const QString &instrument)
{
    const QString name = instrument.trimmed();
    if (name.isEmpty() || name.size() > kMostInstrumentNameLength)
        return std::nullopt;
    QSettings settings = recordsSettings();
    settings.beginGroup(analysisSettingsGroup(name));
    // The name kept inside the group must be the one asked for: a group written by hand under
    // another instrument's key is not this instrument's mapping.
    if (settings.value(u"instrument"_s).toString() != name)
        return std::nullopt;
    AnalysisMapping mapping;
    mapping.instrument = name;
    mapping.motility = settings.value(u"motility"_s).toString();
    mapping.progressive = settings.value(u"progressive"_s).toString();
    mapping.vcl = settings.value(u"vcl"_s).toString();
    mapping.vsl = settings.value(u"vsl"_s).toString();
    mapping.vap = settings.value(u"vap"_s).toString();
    return mapping;
}

QStringList analysisInstruments()
{
    QSettings settings = recordsSettings();
    settings.beginGroup(kSettingsRoot);
    QStringList names;
    for (const QString &group : settings.childGroups()) {
        const QString name = settings.value(group + u"/instrument"_s).toString();
        if (!name.isEmpty() && encodedName(name) == group)
            names.append(name);
    }
    names.sort(Qt::CaseInsensitive);
    return names;
}

} // namespace estrivo
