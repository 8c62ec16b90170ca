// The records over real journals of a few hundred generated sheets, in a SQLite file and on a
// private PostgreSQL server: the lazily read table and its filters, the CSV export read back
// against the journal, and the program's command-line forms with their exit statuses.
#include "csv_export.h"
#include "journal_service.h"
#include "local_postgres.h"
#include "records_fixture.h"
#include "sheet_row.h"
#include "sheet_table_model.h"

#include <QTemporaryDir>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace estrivo;
using namespace recordstest;

Q_DECLARE_METATYPE(SheetFilter)

namespace {

// How a run of the program ended: its exit status, standard output and standard error.
struct Run
{
    int exitCode = -1;
    QByteArray out;
    QString err;
};

// What is at `path`, looked at without following a link or opening anything but a regular
// file: its kind with its bytes, the link's target, or "none".
QString fileState(const QString &path)
{
    struct stat status;
    if (path.isEmpty() || ::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return u"none"_s;
    if (S_ISLNK(status.st_mode))
        return u"link to "_s + QFile::symLinkTarget(path) + u", "_s
               + fileState(QFile::symLinkTarget(path));
    if (!S_ISREG(status.st_mode))
        return u"special %1 mode %2"_s.arg(status.st_mode & S_IFMT).arg(status.st_mode, 0, 8);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return u"unreadable"_s;
    return u"file mode %1: "_s.arg(status.st_mode, 0, 8)
           + QString::fromLatin1(file.readAll().toHex());
}

} // namespace

class TestRecordsJournal : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void tableAndExport_data();
    void tableAndExport();
    void sortedPages_data();
    void sortedPages();
    void localDays_data();
    void localDays();
    void commandLine_data();
    void commandLine();
    void outputModes_data();
    void outputModes();
    void windowForm();
    void windowFitsTheScreen_data();
    void windowFitsTheScreen();

private:
    // The offscreen platform with one screen of `size` pixels, and settings of a first start.
    QStringList screenOf(const QString &name, QSize size, double scale = 1.0);
    Run run(const QStringList &arguments, const QStringList &environment = {},
            qint64 fileSizeLimit = 0, int umask = -1);

    QTemporaryDir m_dir;
    LocalPostgres m_postgres;
    QHash<QString, QString> m_location;          // by backend
    QHash<QString, QList<SheetRecord>> m_sheets; // by backend, as saved, oldest first
};

void TestRecordsJournal::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // No settings or journal of the machine's own.
    qputenv("HOME", m_dir.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", m_dir.filePath(u"config"_s).toLocal8Bit());
    qunsetenv("ESTRIVO_JOURNAL");
    QString error;
    QVERIFY2(m_postgres.start(&error), qPrintable(error));
    m_location[u"postgres"_s] = m_postgres.createDatabase(u"records"_s, &error);
    QVERIFY2(!m_location[u"postgres"_s].isEmpty(), qPrintable(error));
    m_location[u"sqlite"_s] = m_dir.filePath(u"journal.sqlite"_s);
    for (const QString &backend : m_location.keys()) {
        m_sheets[backend] = fillJournal(m_location[backend], kSheets);
        QCOMPARE(m_sheets[backend].size(), kSheets);
    }
    QFile notJournal(m_dir.filePath(u"not-a-journal.txt"_s));
    QVERIFY(notJournal.open(QIODevice::WriteOnly));
    notJournal.write("field notes, not a database\n");
    notJournal.close();

    // What an --output must leave as it is: links, files that are no files, databases.
    const auto make = [this](const QString &name, const QByteArray &bytes) {
        QFile file(m_dir.filePath(name));
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    };
    QVERIFY(make(u"other.txt"_s, "someone else's file\n"));
    QVERIFY(QFile::link(m_dir.filePath(u"other.txt"_s), m_dir.filePath(u"link.csv"_s)));
    QVERIFY(QFile::link(m_dir.filePath(u"nowhere.csv"_s), m_dir.filePath(u"dangling.csv"_s)));
    QVERIFY(QDir(m_dir.path()).mkdir(u"folder.csv"_s));
    QCOMPARE(::mkfifo(QFile::encodeName(m_dir.filePath(u"fifo.csv"_s)).constData(), 0644), 0);
    if (::geteuid() == 0) {
        QCOMPARE(::mknod(QFile::encodeName(m_dir.filePath(u"null.csv"_s)).constData(),
                         S_IFCHR | 0666, ::makedev(1, 3)),
                 0);
    }
    QCOMPARE(fillJournal(m_dir.filePath(u"another.sqlite"_s), 3).size(), 3);
    QVERIFY(QFile::copy(m_dir.filePath(u"another.sqlite"_s), m_dir.filePath(u"copy.sqlite"_s)));
    QVERIFY(
        make(u"copy.sqlite-wal"_s, QByteArray::fromHex("377f0682002de218") + QByteArray(24, 'w')));
}

void TestRecordsJournal::tableAndExport_data()
{
    QTest::addColumn<QString>("backend");
    QTest::addColumn<SheetFilter>("filter");

    const QList<std::pair<const char *, SheetFilter>> rows{
        {"everything", {}},
        {"non-ASCII stallion", {u"Sören Ørsted"_s, {}, {}, {}}},
        {"formula-like stallion", {u"=HYPERLINK(\"x\")"_s, {}, {}, {}}},
        {"no such stallion", {u"Pegasus"_s, {}, {}, {}}},
        {"one day", {{}, QDate(2026, 3, 5), QDate(2026, 3, 5), {}}},
        {"stallion in a range", {u"Ábaco"_s, QDate(2026, 3, 15), QDate(2026, 4, 15), {}}},
        {"search notes, any case", {{}, {}, {}, u"GOOD LIBIDO"_s}},
        {"search non-ASCII name", {{}, {}, {}, u"sören"_s}},
        {"search a quote", {{}, {}, {}, u"\"no\""_s}},
        {"search a wildcard literally", {{}, {}, {}, u"%"_s}},
    };
    for (const char *backend : {"sqlite", "postgres"}) {
        for (const auto &[name, filter] : rows)
            QTest::addRow("%s: %s", backend, name) << QString::fromLatin1(backend) << filter;
    }
}

void TestRecordsJournal::tableAndExport()
{
    QFETCH(QString, backend);
    QFETCH(SheetFilter, filter);
    const QList<SheetRecord> &all = m_sheets[backend];
    const QList<qint64> expected = selectedIds(all, filter);

    JournalService service(m_location[backend]);
    SheetTableModel model;
    QAbstractItemModelTester tester(&model,
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setSource(&service, filter);
    QVERIFY(model.isLoading()); // asked for, not read here
    QCOMPARE(model.rowCount(), 0);
    QTRY_VERIFY(!model.isLoading());
    QCOMPARE(model.error(), QString());
    // One batch at first; the rest as a view asks for it, a page on its way at a time.
    QCOMPARE(model.rowCount(), std::min<int>(int(expected.size()), SheetTableModel::kBatchRows));
    QCOMPARE(model.canFetchMore({}), expected.size() >= SheetTableModel::kBatchRows);
    while (model.canFetchMore({})) {
        model.fetchMore({});
        QVERIFY(!model.canFetchMore({}));
        QTRY_VERIFY(!model.isLoading());
    }
    Journal journal(m_location[backend]);
    QCOMPARE(journal.sheetCount(filter), qint64(expected.size()));

    QList<qint64> ids;
    for (int row = 0; row < model.rowCount(); ++row)
        ids << model.index(row, 0).data(SheetTableModel::kSheetIdRole).toLongLong();
    QCOMPARE(ids, expected);

    // The cells as kept, and the sperm worked out from them.
    for (int row = 0; row < model.rowCount(); row += 7) {
        const SheetRecord &sheet = all[ids[row] - all.front().id];
        QCOMPARE(sheet.id, ids[row]);
        const bool measured = sheet.text(Field::Con) != u"---.-"_s;
        const double total
            = sheet.text(Field::Con).toDouble() * sheet.text(Field::GFV).toDouble() / 1000;
        const double motile = total * sheet.text(Field::Motility).toDouble() / 100;
        const QList<std::pair<SheetColumn, QString>> cells{
            {SheetColumn::Stallion, sheet.stallion},
            {SheetColumn::Saved, savedText(sheet.savedAt)},
            {SheetColumn::CollectionDate, collectionDateText(collectionTime(sheet), false)},
            {SheetColumn::Concentration, sheet.text(Field::Con)},
            {SheetColumn::Doses, sheet.text(Field::NumDoses)},
            {SheetColumn::VolumePerDose,
             numberIn(sheet.text(Field::VPD))
                 ? QString::number(*numberIn(sheet.text(Field::VPD)), 'f', 2)
                 : sheet.text(Field::VPD)},
            {SheetColumn::Printed, sheet.printed ? u"Yes"_s : u"No"_s},
            // The notes' first line, whichever line break ends it.
            {SheetColumn::Notes, sheet.notes.split(QRegularExpression(u"\r\n|\r|\n"_s)).front()},
            {SheetColumn::TotalSperm, measured ? QString::number(total, 'f', 2) : QString()},
            {SheetColumn::MotileSperm, measured ? QString::number(motile, 'f', 2) : QString()}};
        for (const auto &[column, text] : cells)
            QCOMPARE(model.index(row, int(column)).data().toString(), text);
        // The kept text, in full, on hover.
        QCOMPARE(model.index(row, int(SheetColumn::VolumePerDose)).data(Qt::ToolTipRole),
                 sheet.text(Field::VPD));
    }
    model.clear(); // before the connection goes

    // The export, read back: each row is the journal's sheet, every cell guarded once.
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    const ExportOutcome outcome = exportCsv(journal, filter, out);
    QCOMPARE(exportOutcomeText(outcome),
             u"%1 collection%2 written to standard output"_s.arg(expected.size())
                 .arg(expected.size() == 1 ? "" : "s"));
    const QList<QStringList> rows = parseCsv(out.data());
    QVERIFY2(!rows.isEmpty(), "not RFC 4180");
    QCOMPARE(rows.front(), csvColumns());

    const QList<SheetRecord> kept = journal.sheets(filter);
    QCOMPARE(outcome.rows, qint64(kept.size()));
    QCOMPARE(rows.size(), kept.size() + 1);
    for (qsizetype i = 0; i < kept.size(); ++i) {
        const SheetRecord &sheet = kept[i];
        bool fromSave = true;
        const QDateTime collected = collectionTime(sheet, &fromSave);
        QStringList exported{QString::number(sheet.id), csvTime(sheet.savedAt), sheet.stallion,
                             sheet.notes, csvTime(collected)};
        for (Field field :
             {Field::Con, Field::GFV, Field::Motility, Field::TotalDose, Field::MinExt,
              Field::MaxCon, Field::SemenVol, Field::ExtVol, Field::VPD, Field::NumDoses})
            exported << sheet.text(field);
        exported << (sheet.printed ? u"yes"_s : u"no"_s) << sheet.printer << sheet.workstation
                 << sheet.operatorName;
        const SheetNumbers numbers = sheetNumbers(sheet);
        exported << numberText(numbers.totalSperm) << numberText(numbers.motileSperm)
                 << (fromSave ? u"saved"_s : u"reading"_s) << sheet.text(Field::Date);
        // Every cell guarded once, as guardFormula's own table has it.
        for (QString &cell : exported)
            cell = guardFormula(cell);
        QCOMPARE(rows[i + 1], exported);
    }
}

void TestRecordsJournal::sortedPages_data()
{
    QTest::addColumn<QString>("backend");
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("ascending");
    QTest::addColumn<QString>("stallion");

    const QList<std::pair<const char *, SheetColumn>> columns{
        {"saved", SheetColumn::Saved},
        {"stallion", SheetColumn::Stallion},
        {"collection date", SheetColumn::CollectionDate},
        {"concentration", SheetColumn::Concentration},
        {"gel-free volume", SheetColumn::GelFreeVolume},
        {"motility", SheetColumn::Motility},
        {"doses", SheetColumn::Doses},
        {"volume per dose", SheetColumn::VolumePerDose},
        {"printed", SheetColumn::Printed},
    };
    for (const char *backend : {"sqlite", "postgres"}) {
        for (const auto &[name, column] : columns) {
            for (const bool ascending : {true, false}) {
                QTest::addRow("%s: %s %s", backend, name, ascending ? "up" : "down")
                    << QString::fromLatin1(backend) << int(column) << ascending << QString();
            }
        }
        QTest::addRow("%s: one stallion's doses up", backend)
            << QString::fromLatin1(backend) << int(SheetColumn::Doses) << true << u"Ábaco"_s;
    }
}

// The journal orders, a page at a time, as the sheets' own texts say: numbers by their value
// with the texts that hold none ("---.-", "Overflow") below them all, names by their folded key
// code point by code point, equals by id in the same direction.
void TestRecordsJournal::sortedPages()
{
    QFETCH(QString, backend);
    QFETCH(int, column);
    QFETCH(bool, ascending);
    QFETCH(QString, stallion);
    const auto sheetColumn = SheetColumn(column);
    const std::optional<SheetSortKey> key = SheetTableModel::sortKeyOf(column);
    QVERIFY(key);

    QList<SheetRecord> chosen;
    for (const SheetRecord &sheet : m_sheets[backend]) {
        if (stallion.isEmpty() || sheet.stallion == stallion)
            chosen << sheet;
    }
    const QList<qint64> expectedIds = sortedIds(chosen, sheetColumn, ascending);
    // The rows must tell the order apart from newest first and from its reverse, and must hold
    // placeholders among numbers.
    QVERIFY(expectedIds.size() > 30);

    SheetFilter filter;
    filter.stallion = stallion;
    const SheetOrder order{*key, ascending};

    // Small pages, so that many of them start inside a run of equal values.
    Journal journal(m_location[backend]);
    QVERIFY(journal.open().ok());
    QList<qint64> paged;
    SheetPage page{{}, 7, order};
    for (;;) {
        const QList<SheetRecord> sheets = journal.sheets(filter, page, SheetDetail::List);
        QVERIFY(sheets.size() <= 7);
        for (const SheetRecord &sheet : sheets)
            paged << sheet.id;
        if (sheets.size() < 7)
            break;
        page.after
            = SheetPosition{sheets.back().savedAt, sheets.back().id, sheets.back().sortValue};
        QVERIFY(paged.size() <= expectedIds.size());
    }
    QCOMPARE(paged, expectedIds);

    // The table, sorted as a view sorts it, reads the same order a batch at a time.
    JournalService service(m_location[backend]);
    SheetTableModel model;
    QAbstractItemModelTester tester(&model,
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setSource(&service, filter);
    QTRY_VERIFY(!model.isLoading());
    model.sort(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    QCOMPARE(model.order(), order);
    QTRY_VERIFY(!model.isLoading());
    while (model.canFetchMore({})) {
        model.fetchMore({});
        QTRY_VERIFY(!model.isLoading());
    }
    QCOMPARE(model.error(), QString());
    QList<qint64> shown;
    for (int row = 0; row < model.rowCount(); ++row)
        shown << model.index(row, 0).data(SheetTableModel::kSheetIdRole).toLongLong();
    QCOMPARE(shown, expectedIds);
    model.clear(); // before the connection goes
}

void TestRecordsJournal::localDays_data()
{
    QTest::addColumn<QByteArray>("zone"); // TZ
    QTest::addColumn<QDate>("day");       // sheets are saved around its start and its end

    QTest::newRow("UTC") << QByteArray("UTC") << QDate(2026, 3, 1);
    QTest::newRow("Chatham, +13:45") << QByteArray("Pacific/Chatham") << QDate(2026, 3, 1);
    QTest::newRow("Chatham, clocks back") << QByteArray("Pacific/Chatham") << QDate(2026, 4, 5);
    QTest::newRow("Kiritimati, +14") << QByteArray("Pacific/Kiritimati") << QDate(2026, 3, 1);
    QTest::newRow("Pago Pago, -11") << QByteArray("Pacific/Pago_Pago") << QDate(2026, 3, 1);
    QTest::newRow("Sao Paulo, clocks skip midnight")
        << QByteArray("America/Sao_Paulo") << QDate(2018, 11, 4);
    QTest::newRow("Sao Paulo, an hour of the day twice")
        << QByteArray("America/Sao_Paulo") << QDate(2019, 2, 16);
    QTest::newRow("Berlin, clocks forward") << QByteArray("Europe/Berlin") << QDate(2026, 3, 29);
}

void TestRecordsJournal::localDays()
{
    QFETCH(QByteArray, zone);
    QFETCH(QDate, day);
    // Sheets every quarter of an hour over two days and a bit around the day in UTC, each
    // also a millisecond earlier: every zone's midnights fall on a quarter hour.
    const QString location = m_dir.filePath(
        u"days-%1.sqlite"_s.arg(QString::fromLatin1(QTest::currentDataTag())
                                    .replace(QRegularExpression(u"\\W+"_s), u"-"_s)));
    QList<SheetRecord> sheets;
    {
        Journal journal(location);
        const QDateTime from(day.addDays(-1), QTime(9, 0), Qt::UTC);
        for (int quarter = 0; quarter < 4 * 54; ++quarter) {
            for (int early : {1, 0}) {
                SheetRecord sheet = generatedSheet(quarter);
                sheet.savedAt = from.addSecs(quarter * 15 * 60).addMSecs(-early);
                QVERIFY(journal.saveSheet(sheet).ok());
                sheets << sheet;
            }
        }
    }
    const QByteArray before = qgetenv("TZ");
    const auto restore = qScopeGuard([&before] {
        qputenv("TZ", before);
        ::tzset();
    });
    qputenv("TZ", zone);
    ::tzset();

    Journal journal(location);
    const auto idsOf = [](const QList<SheetRecord> &found) {
        QList<qint64> ids;
        for (const SheetRecord &sheet : found)
            ids << sheet.id;
        return ids;
    };
    // The day, its neighbours, open ranges and the calendar's first and last days.
    const QDate last(9999, 12, 31);
    const QList<SheetFilter> filters{{{}, day, day, {}},
                                     {{}, day.addDays(-1), day.addDays(-1), {}},
                                     {{}, day.addDays(1), day.addDays(1), {}},
                                     {{}, day, {}, {}},
                                     {{}, {}, day, {}},
                                     {{}, day, last, {}},
                                     {{}, QDate(1, 1, 1), last, {}},
                                     {{}, QDate(100, 1, 1), {}, {}},
                                     {{}, last, last, {}}};
    for (const SheetFilter &filter : filters) {
        const QList<qint64> expected = selectedIds(sheets, filter);
        const QString range
            = filter.since.toString(Qt::ISODate) + u".."_s + filter.until.toString(Qt::ISODate);
        QVERIFY2(filter.since == last || !expected.isEmpty(), qPrintable(range));
        QCOMPARE(journal.sheetCount(filter), qint64(expected.size()));
        const QList<SheetRecord> found = journal.sheets(filter);
        QCOMPARE(idsOf(found), expected);
        if (filter.since != filter.until)
            continue;
        // The column and the export show the day of the filter.
        for (const SheetRecord &sheet : found)
            QCOMPARE(savedText(sheet.savedAt).left(10), filter.since.toString(Qt::ISODate));
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        QVERIFY(exportCsv(journal, filter, out).ok());
        const QList<QStringList> rows = parseCsv(out.data());
        QCOMPARE(rows.size(), expected.size() + 1);
        for (const QStringList &row : rows.mid(1))
            QCOMPARE(row.value(1).left(10), filter.since.toString(Qt::ISODate));
    }

    // The command line counts the same days in the zone it is given.
    const Run run = this->run({u"export"_s, u"--journal"_s, location, u"--since"_s,
                               day.toString(Qt::ISODate), u"--until"_s, day.toString(Qt::ISODate)},
                              {u"TZ="_s + QString::fromLatin1(zone)});
    QCOMPARE(run.err, QString());
    QList<qint64> exported;
    for (const QStringList &row : parseCsv(run.out).mid(1)) {
        exported << row.value(0).toLongLong();
        QCOMPARE(row.value(1).left(10), day.toString(Qt::ISODate));
    }
    QCOMPARE(exported, selectedIds(sheets, {{}, day, day, {}}));
}

Run TestRecordsJournal::run(const QStringList &arguments, const QStringList &environment,
                            qint64 fileSizeLimit, int umask)
{
    QProcess process;
    if (umask >= 0)
        process.setChildProcessModifier([umask] { ::umask(mode_t(umask)); });
    if (fileSizeLimit > 0) {
        // As a full disk looks to a program: writes past the limit fail. The signal the system
        // also sends is left as it is, for the program to deal with.
        process.setChildProcessModifier([fileSizeLimit] {
            const rlimit size{rlim_t(fileSizeLimit), rlim_t(fileSizeLimit)};
            ::setrlimit(RLIMIT_FSIZE, &size);
        });
        // The limit holds for files, not for the pipe standard output is otherwise.
        process.setStandardOutputFile(m_dir.filePath(u"limited-output.csv"_s));
    }
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    variables.remove(u"DISPLAY"_s);
    variables.remove(u"QT_QPA_PLATFORM"_s); // the labels form must manage on its own
    // No print system at all: its absence is one of the failures.
    variables.insert(u"CUPS_SERVER"_s, m_dir.filePath(u"no-spooler.sock"_s));
    for (const QString &variable : environment)
        variables.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
    process.setProcessEnvironment(variables);
    process.setWorkingDirectory(m_dir.path());
    process.start(QStringLiteral(ESTRIVO_RECORDS), arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), process.readAllStandardOutput(),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

void TestRecordsJournal::commandLine_data()
{
    QTest::addColumn<QString>("line");        // {J}: the SQLite journal, {D}: the folder
    QTest::addColumn<QString>("environment"); // ESTRIVO_JOURNAL, if any
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out"); // a CSV of this many rows, or the start of the output
    QTest::addColumn<QString>("error");  // the start of the one line on standard error
    QTest::addColumn<qint64>("fileSizeLimit"); // RLIMIT_FSIZE of the run in bytes; 0: none

    const QList<SheetRecord> &sheets = m_sheets[u"sqlite"_s];
    const auto rows = [&sheets](const SheetFilter &filter) {
        return "CSV " + QByteArray::number(selectedIds(sheets, filter).size());
    };
    const auto noDoses = std::find_if(sheets.cbegin(), sheets.cend(), [](const auto &sheet) {
        return sheet.text(Field::NumDoses) == u"Overflow"_s;
    });
    const QString overflow = QString::number(noDoses->id);
    const auto row = [](const char *name, const QString &line, int exitCode, const QByteArray &out,
                        const QString &error, const QString &environment = {},
                        qint64 fileSizeLimit = 0) {
        QTest::newRow(name) << line << environment << exitCode << out << error << fileSizeLimit;
    };
    const QString fails = u"estrivo-records: "_s;
    row("export to standard output", u"export --journal {J}"_s, 0, rows({}), {});
    row("export to a file", u"export --journal {J} --stallion Sören\u00a0Ørsted --output x.csv"_s,
        0, rows({u"Sören Ørsted"_s, {}, {}, {}}), {});
    row("search, no case or accents", u"export --journal {J} --search SOREN"_s, 0,
        rows({{}, {}, {}, u"Sören"_s}), {});
    row("stallion, any case", u"export --journal {J} --stallion zeus"_s, 0,
        rows({u"Zeus"_s, {}, {}, {}}), {});
    row("byte-order mark when asked", u"export --journal {J} --bom"_s, 0,
        "\xEF\xBB\xBFid,saved_at,stallion", {});
    row("journal from the environment", u"export --stallion Zeus"_s, 0,
        rows({u"Zeus"_s, {}, {}, {}}), {}, u"{J}"_s);
    row("version", u"export --version"_s, 0, "estrivo-records " ESTRIVO_VERSION "\n", {});
    row("journal not a database", u"export --journal {D}/not-a-journal.txt"_s, 1, {},
        fails
            + u"The journal {D}/not-a-journal.txt could not be opened: The journal file is "
              "not a database"_s);
    row("journal fails, old file kept", u"export --journal {D}/not-a-journal.txt --output x.csv"_s,
        1, {}, fails + u"The journal {D}/not-a-journal.txt could not be opened"_s);
    row("no journal there", u"export --journal {D}/no/such/dir/j.sqlite"_s, 1, {},
        fails
            + u"The journal {D}/no/such/dir/j.sqlite could not be opened: No journal at "
              "{D}/no/such/dir/j.sqlite."_s);
    row("mistyped scheme", u"export --journal postgresq://lab/estrivo"_s, 1, {},
        fails
            + u"The journal postgresq://lab/estrivo could not be opened: postgresq://lab/estrivo "
              "is neither a file path nor a postgresql:// address."_s);
    row("output folder missing", u"export --journal {J} --output {D}/missing/x.csv"_s, 1, {},
        fails + u"The file {D}/missing/x.csv could not be created"_s);
    // An output that is not a regular file of ours is left alone, the journal above all.
    const QString notWritten = fails + u"{D}/%1 was not written: it is "_s;
    const QString notAFile
        = u"not a regular file. Give no --output to write to standard output.\n"_s;
    row("output a link to another file", u"export --journal {J} --output {D}/link.csv"_s, 1, {},
        notWritten.arg(u"link.csv"_s) + u"a symbolic link, which may lead to any file."_s);
    row("output a dangling link", u"export --journal {J} --output {D}/dangling.csv"_s, 1, {},
        notWritten.arg(u"dangling.csv"_s) + u"a symbolic link"_s);
    row("output a FIFO", u"export --journal {J} --output {D}/fifo.csv"_s, 1, {},
        notWritten.arg(u"fifo.csv"_s) + u"a FIFO, "_s + notAFile);
    row("output a device", u"export --journal {J} --output {D}/null.csv"_s, 1, {},
        notWritten.arg(u"null.csv"_s) + u"a device, "_s + notAFile);
    row("output a folder", u"export --journal {J} --output {D}/folder.csv"_s, 1, {},
        notWritten.arg(u"folder.csv"_s) + u"a folder, "_s + notAFile);
    row("output the journal", u"export --journal {J} --output {J}"_s, 1, {},
        fails + u"{J} was not written: it is the journal being read, or one of its files."_s);
    row("output the journal's index", u"export --journal {J} --output {J}-shm"_s, 1, {},
        fails + u"{J}-shm was not written: it is the journal being read, or one of its files."_s);
    row("output another database", u"export --journal {J} --output {D}/copy.sqlite"_s, 1, {},
        notWritten.arg(u"copy.sqlite"_s) + u"a SQLite database or write-ahead log."_s);
    row("output another write-ahead log", u"export --journal {J} --output {D}/copy.sqlite-wal"_s,
        1, {}, notWritten.arg(u"copy.sqlite-wal"_s) + u"a SQLite database or write-ahead log."_s);
    // Room for the journal's index (32 KiB), not for the export.
    row("output, disk full", u"export --journal {J} --output x.csv"_s, 1, {},
        fails + u"x.csv could not be written: the disk is full"_s, {}, 48 * 1024);
    row("standard output, disk full", u"export --journal {J}"_s, 1, {},
        fails + u"standard output could not be written: the disk is full"_s, {}, 48 * 1024);
    row("labels of an unknown sheet", u"labels 99999 --journal {J}"_s, 1, {},
        fails + u"No kept sheet has the ID 99999."_s);
    row("labels without doses", u"labels %1 --journal {J}"_s.arg(overflow), 1, {},
        fails + u"Sheet %1 holds no whole doses (\"Overflow\"); give --count."_s.arg(overflow));
    row("labels with no print system", u"labels 2 --count 2 --journal {J}"_s, 1, {},
        fails + u"The print service does not answer (is CUPS running?)."_s);
    // "PDF pages size": the labels' PDF, by pdfinfo.
    row("labels to a PDF",
        u"labels 4 --count 3 --label-size 50x30mm --output x.pdf --journal {J}"_s, 0,
        "PDF 3 142 x 85 pts", {});
    row("labels to a PDF, default size", u"labels 2 --count 1 --output {D}/x.pdf --journal {J}"_s,
        0, "PDF 1 176 x 82 pts", {});
    row("labels over the journal", u"labels 2 --count 1 --output {J} --journal {J}"_s, 1, {},
        fails + u"{J} was not written: it is the journal being read, or one of its files."_s);
    row("usage: labels to a printer and a PDF",
        u"labels 2 --count 1 --printer Labels --output x.pdf --journal {J}"_s, 2, {},
        fails + u"--printer and --output are exclusive"_s);
    row("usage: output without a command", u"--output x.pdf --journal {J}"_s, 2, {},
        fails
            + u"--output is an option of the export, labels, register, transport, inventory "
              "and cane-labels commands."_s);
    row("to the calendar's last day", u"export --journal {J} --until 9999-12-31"_s, 0,
        rows({{}, {}, QDate(9999, 12, 31), {}}), {});
    row("usage: bad day", u"export --since 2026-13-01 --journal {J}"_s, 2, {},
        fails + u"--since wants a day as YYYY-MM-DD"_s);
    row("usage: empty stallion", u"export --journal {J} --stallion ''"_s, 2, {},
        fails + u"--stallion needs a stallion's name."_s);
    row("usage: stallion twice", u"export --journal {J} --stallion Zeus --stallion Nordlicht"_s, 2,
        {}, fails + u"--stallion is given more than once."_s);
    row("usage: no command", u"print 3"_s, 2, {}, fails + u"Unknown command \"print\"."_s);
}

void TestRecordsJournal::commandLine()
{
    QFETCH(QString, line);
    QFETCH(QString, environment);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    QFETCH(QString, error);
    QFETCH(qint64, fileSizeLimit);
    const auto fill = [this](QString text) {
        return text.replace(u"{J}"_s, m_location[u"sqlite"_s]).replace(u"{D}"_s, m_dir.path());
    };
    QStringList arguments = fill(line).split(u' ', Qt::SkipEmptyParts);
    for (QString &argument : arguments) {
        argument.replace(u'\u00a0', u' ');
        if (argument == u"''"_s) // an empty argument, as a script's empty variable gives
            argument.clear();
    }
    const QString variable = u"ESTRIVO_JOURNAL="_s + fill(environment);
    QFile old(m_dir.filePath(u"x.csv"_s));
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old contents\r\n") > 0);
    old.close();
    const qsizetype outputAt = arguments.indexOf(u"--output"_s) + 1;
    const QString target
        = outputAt > 0 ? QDir(m_dir.path()).filePath(arguments.value(outputAt)) : QString();
    if (target.endsWith(u"null.csv"_s) && !QFileInfo::exists(target))
        QSKIP("Making a device takes root.");
    const QString before = fileState(target);
    const bool pdfTarget = target.endsWith(u".pdf"_s);
    const Run result = run(
        arguments, environment.isEmpty() ? QStringList() : QStringList{variable}, fileSizeLimit);

    QVERIFY2(result.err.startsWith(fill(error)), qPrintable(result.err));
    // Reading makes nothing: no journal, no folder for one, nothing named after a scheme.
    QVERIFY(!QFileInfo::exists(m_dir.filePath(u"no"_s)));
    QVERIFY(!QFileInfo::exists(m_dir.filePath(u"postgresq:"_s)));
    // One line for a log; a usage error adds the hint to --help.
    QCOMPARE(result.err.count(u'\n'), exitCode);
    QVERIFY(exitCode != 0 || result.err.isEmpty());
    QCOMPARE(result.exitCode, exitCode);
    // A failed export leaves its target as it was, whatever it is, and no part file anywhere.
    if (exitCode != 0 && before != u"none"_s)
        QCOMPARE(fileState(target), before);
    QCOMPARE(QDir(m_dir.path())
                 .entryList({u".*"_s},
                            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
             QStringList());
    QByteArray output = result.out;
    if (pdfTarget && exitCode != 0)
        QVERIFY(!QFileInfo::exists(target));
    if (arguments.contains(u"x.csv"_s)) {
        QCOMPARE(output, QByteArray());
        QFile file(m_dir.filePath(u"x.csv"_s));
        QVERIFY(file.open(QIODevice::ReadOnly));
        output = file.readAll();
        QVERIFY(exitCode == 0 || output == "old contents\r\n");
        output = exitCode == 0 ? output : QByteArray();
    }
    if (out.startsWith("PDF ")) {
        QCOMPARE(output, QByteArray());
        const QStringList expected = QString::fromUtf8(out.mid(4)).split(u' ');
        QCOMPARE(pdfInfo(target, u"Pages"_s), expected.front());
        QCOMPARE(pdfInfo(target, u"Page size"_s), expected.mid(1).join(u' '));
        QVERIFY(QFile::remove(target));
    } else if (out.startsWith("CSV ")) {
        const QList<QStringList> rows = parseCsv(output);
        QCOMPARE(rows.value(0), csvColumns());
        QCOMPARE(rows.size(), out.mid(4).toInt() + 1);
    } else if (fileSizeLimit == 0) {
        QVERIFY2(exitCode == 0 ? output.startsWith(out) : output.isEmpty(), output.constData());
    }
}

void TestRecordsJournal::outputModes_data()
{
    QTest::addColumn<int>("existing"); // the mode of the file already there; -1: none
    QTest::addColumn<int>("umask");
    QTest::addColumn<int>("mode"); // of the export

    QTest::newRow("new, usual umask") << -1 << 022 << 0644;
    QTest::newRow("new, private umask") << -1 << 077 << 0600;
    QTest::newRow("new, group umask") << -1 << 007 << 0660;
    QTest::newRow("replaced, private") << 0600 << 022 << 0600;
    QTest::newRow("replaced, shared with the group") << 0664 << 077 << 0664;
}

void TestRecordsJournal::outputModes()
{
    QFETCH(int, existing);
    QFETCH(int, umask);
    QFETCH(int, mode);
    const QString target = m_dir.filePath(u"mode.csv"_s);
    QFile::remove(target);
    if (existing >= 0) {
        QFile file(target);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("old\r\n") == 5);
        QCOMPARE(::chmod(QFile::encodeName(target).constData(), mode_t(existing)), 0);
    }
    const Run result
        = run({u"export"_s, u"--journal"_s, m_location[u"sqlite"_s], u"--output"_s, target}, {}, 0,
              umask);
    QCOMPARE(result.err, QString());
    QCOMPARE(result.exitCode, 0);
    struct stat status;
    QCOMPARE(::lstat(QFile::encodeName(target).constData(), &status), 0);
    QVERIFY(S_ISREG(status.st_mode));
    QCOMPARE(int(status.st_mode & 07777), mode);
}

void TestRecordsJournal::windowForm()
{
    // Without a command the window opens on the journal; asked for its picture, it gives it
    // once its rows are in and closes, as the run script does without a display.
    const QString picture = m_dir.filePath(u"window.png"_s);
    const Run opened
        = run({u"--journal"_s, m_location[u"sqlite"_s]},
              screenOf(u"desktop"_s, {1920, 1080}) << u"ESTRIVO_SCREENSHOT="_s + picture);
    QCOMPARE(opened.exitCode, 0);
    QCOMPARE(opened.out, "Window picture written to " + picture.toLocal8Bit() + '\n');
    QVERIFY(QImage(picture).width() >= 1000);
}

QStringList TestRecordsJournal::screenOf(const QString &name, QSize size, double scale)
{
    const QString config = m_dir.filePath(name + u".json"_s);
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {};
    file.write(
        u"{\"screens\": [{\"name\": \"%1\", \"x\": 0, \"y\": 0, \"width\": %2,"
        " \"height\": %3, \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1}]}"_s.arg(name)
            .arg(size.width())
            .arg(size.height())
            .toUtf8());
    file.close();
    QDir(m_dir.path()).mkpath(name + u"-config"_s);
    return {u"QT_QPA_PLATFORM=offscreen:configfile="_s + config,
            u"QT_SCALE_FACTOR="_s + QString::number(scale),
            u"XDG_CONFIG_HOME="_s + m_dir.filePath(name + u"-config"_s)};
}

void TestRecordsJournal::windowFitsTheScreen_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<double>("scale");

    QTest::newRow("1600x1000 at 1.5") << QSize(1600, 1000) << 1.5;
    QTest::newRow("1366x768 at 1") << QSize(1366, 768) << 1.0;
    QTest::newRow("3840x2160 at 2") << QSize(3840, 2160) << 2.0;
}

void TestRecordsJournal::windowFitsTheScreen()
{
    // On a first start the window takes at most most of the screen, whatever the scale: its
    // picture, in the screen's own pixels, fits in the screen and still fills most of it.
    QFETCH(QSize, screen);
    QFETCH(double, scale);
    const QString name = u"screen-%1x%2-%3"_s.arg(screen.width()).arg(screen.height()).arg(scale);
    const QString picture = m_dir.filePath(name + u".png"_s);
    const Run opened = run({u"--journal"_s, m_location[u"sqlite"_s]},
                           screenOf(name, screen, scale) << u"ESTRIVO_SCREENSHOT="_s + picture);
    QCOMPARE(opened.exitCode, 0);
    const QImage image(picture);
    QVERIFY2(!image.isNull(), qPrintable(opened.err));
    QVERIFY2(image.width() <= screen.width() && image.height() <= screen.height(),
             qPrintable(u"%1x%2"_s.arg(image.width()).arg(image.height())));
    // The window's own size at most: a big screen does not make it bigger than it needs.
    const QSize wanted(qMin(screen.width(), qRound(1180 * scale)),
                       qMin(screen.height(), qRound(760 * scale)));
    QVERIFY2(image.width() >= wanted.width() * 0.8 && image.height() >= wanted.height() * 0.8,
             qPrintable(u"%1x%2"_s.arg(image.width()).arg(image.height())));
}

QTEST_MAIN(TestRecordsJournal)
#include "tst_records_journal.moc"
