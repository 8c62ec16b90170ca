// The records over real journals of a few hundred generated sheets, in a SQLite file and on a
// private PostgreSQL server: the lazily read table and its filters, the CSV export read back
// against the journal, and the program's command-line forms with their exit statuses.
#include "csv_export.h"
#include "local_postgres.h"
#include "records_fixture.h"
#include "sheet_table_model.h"

#include <QCoreApplication>
#include <QImage>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

using namespace estrivo;
using namespace recordstest;

namespace {

constexpr int kSheets = 300;

// Runs the program to its end; its exit status, standard output and standard error.
struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

} // namespace

class TestRecordsJournal : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void filters_data();
    void tableIsReadLazily_data();
    void tableIsReadLazily();
    void exportReadsBack_data();
    void exportReadsBack();
    void commandLine_data();
    void commandLine();
    void exportFileIsReplacedWhole();
    void windowForm();

private:
    Run run(const QStringList &arguments, const QByteArray &journalVariable = {},
            const QStringList &extraEnvironment = {});
    QString location(const QString &backend) const
    {
        return backend == u"postgres"_s ? m_postgresJournal : m_sqliteJournal;
    }

    QTemporaryDir m_dir;
    LocalPostgres m_postgres;
    QString m_sqliteJournal;
    QString m_postgresJournal;
    QList<SheetRecord> m_sheets; // as saved into both, oldest first
    QList<SheetRecord> m_postgresSheets;
};

void TestRecordsJournal::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // No settings or journal of the machine's own.
    qputenv("HOME", m_dir.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", m_dir.filePath(u"config"_s).toLocal8Bit());
    qputenv("XDG_DATA_HOME", m_dir.filePath(u"data"_s).toLocal8Bit());
    qunsetenv("ESTRIVO_JOURNAL");
    m_sqliteJournal = m_dir.filePath(u"journal.sqlite"_s);
    m_sheets = fillJournal(m_sqliteJournal, kSheets);
    QCOMPARE(m_sheets.size(), kSheets);

    QString error;
    QVERIFY2(m_postgres.start(&error), qPrintable(error));
    m_postgresJournal = m_postgres.createDatabase(u"records"_s, &error);
    QVERIFY2(!m_postgresJournal.isEmpty(), qPrintable(error));
    m_postgresSheets = fillJournal(m_postgresJournal, kSheets);
    QCOMPARE(m_postgresSheets.size(), kSheets);
}

void TestRecordsJournal::filters_data()
{
    QTest::addColumn<QString>("backend");
    QTest::addColumn<QString>("stallion");
    QTest::addColumn<QDate>("since");
    QTest::addColumn<QDate>("until");
    QTest::addColumn<QString>("search");

    const struct
    {
        const char *name;
        QString stallion;
        QDate since;
        QDate until;
        QString search;
    } rows[] = {
        {"everything", {}, {}, {}, {}},
        {"one stallion", u"Zeus"_s, {}, {}, {}},
        {"non-ASCII stallion", u"Sören Ørsted"_s, {}, {}, {}},
        {"formula-like stallion", u"=HYPERLINK(\"x\")"_s, {}, {}, {}},
        {"no such stallion", u"Pegasus"_s, {}, {}, {}},
        {"since a day", {}, QDate(2026, 4, 20), {}, {}},
        {"until a day", {}, {}, QDate(2026, 3, 10), {}},
        {"one day", {}, QDate(2026, 3, 5), QDate(2026, 3, 5), {}},
        {"stallion in a range", u"Ábaco"_s, QDate(2026, 3, 15), QDate(2026, 4, 15), {}},
        {"search notes, any case", {}, {}, {}, u"GOOD LIBIDO"_s},
        {"search non-ASCII name", {}, {}, {}, u"sören"_s},
        {"search a quote", {}, {}, {}, u"\"no\""_s},
        {"search a wildcard literally", {}, {}, {}, u"%"_s},
    };
    for (const char *backend : {"sqlite", "postgres"}) {
        for (const auto &row : rows) {
            QTest::addRow("%s: %s", backend, row.name)
                << QString::fromLatin1(backend) << row.stallion << row.since << row.until
                << row.search;
        }
    }
}

void TestRecordsJournal::tableIsReadLazily_data()
{
    filters_data();
}

void TestRecordsJournal::tableIsReadLazily()
{
    QFETCH(QString, backend);
    QFETCH(QString, stallion);
    QFETCH(QDate, since);
    QFETCH(QDate, until);
    QFETCH(QString, search);
    const SheetFilter filter{stallion, since, until, search};
    const QList<SheetRecord> &all = backend == u"postgres"_s ? m_postgresSheets : m_sheets;
    const QList<qint64> expected = selectedIds(all, filter);

    Journal journal(location(backend));
    QVERIFY(journal.open().ok());
    SheetTableModel model;
    model.setQuery(journal.sheetQuery(filter, Journal::Scan::ForwardOnly));
    QCOMPARE(model.error(), QString());
    // One batch at first; the rest as a view asks for it.
    const int firstBatch = std::min<int>(int(expected.size()), SheetTableModel::kBatchRows);
    QCOMPARE(model.rowCount(), firstBatch);
    QCOMPARE(model.canFetchMore({}), expected.size() >= SheetTableModel::kBatchRows);
    while (model.canFetchMore({}))
        model.fetchMore({});
    QCOMPARE(model.rowCount(), int(expected.size()));
    QCOMPARE(journal.sheetCount(filter), qint64(expected.size()));

    QList<qint64> ids;
    for (int row = 0; row < model.rowCount(); ++row)
        ids << model.index(row, 0).data(SheetTableModel::kSheetIdRole).toLongLong();
    QCOMPARE(ids, expected);

    // The cells as kept, and the sperm worked out from them.
    for (int row = 0; row < model.rowCount(); row += 7) {
        const auto found = std::find_if(all.cbegin(), all.cend(), [&](const SheetRecord &kept) {
            return kept.id == ids[row];
        });
        QVERIFY(found != all.cend());
        const SheetRecord &sheet = *found;
        const auto cell = [&model, row](SheetColumn column) {
            return model.index(row, int(column)).data().toString();
        };
        QCOMPARE(cell(SheetColumn::Stallion), sheet.stallion);
        QCOMPARE(cell(SheetColumn::Saved), savedText(sheet.savedAt));
        QCOMPARE(cell(SheetColumn::CollectionDate), sheet.text(Field::Date));
        QCOMPARE(cell(SheetColumn::Concentration), sheet.text(Field::Con));
        QCOMPARE(cell(SheetColumn::Doses), sheet.text(Field::NumDoses));
        QCOMPARE(cell(SheetColumn::VolumePerDose), sheet.text(Field::VPD));
        QCOMPARE(cell(SheetColumn::Printed), sheet.printed ? u"Yes"_s : u"No"_s);
        const bool measured = sheet.text(Field::Con) != u"---.-"_s;
        const double total
            = sheet.text(Field::Con).toDouble() * sheet.text(Field::GFV).toDouble() / 1000;
        QCOMPARE(cell(SheetColumn::TotalSperm),
                 measured ? QString::number(total, 'f', 2) : QString());
        QCOMPARE(cell(SheetColumn::MotileSperm),
                 measured ? QString::number(total * sheet.text(Field::Motility).toDouble() / 100,
                                            'f', 2)
                          : QString());
    }
    model.clear(); // before the connection goes
}

void TestRecordsJournal::exportReadsBack_data()
{
    filters_data();
}

void TestRecordsJournal::exportReadsBack()
{
    QFETCH(QString, backend);
    QFETCH(QString, stallion);
    QFETCH(QDate, since);
    QFETCH(QDate, until);
    QFETCH(QString, search);
    const SheetFilter filter{stallion, since, until, search};

    Journal journal(location(backend));
    QVERIFY(journal.open().ok());
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    const ExportOutcome outcome = exportCsv(journal, filter, out);
    QCOMPARE(outcome.error, QString());
    const QList<QStringList> rows = parseCsv(out.data());
    QVERIFY2(!rows.isEmpty(), "not RFC 4180");
    QCOMPARE(rows.front(), csvColumns());

    // Read back, each row is the journal's sheet: the texts as kept, text cells guarded.
    const QList<SheetRecord> kept = journal.sheets(filter);
    QCOMPARE(outcome.rows, qint64(kept.size()));
    QCOMPARE(rows.size(), kept.size() + 1);
    const auto unguarded = [](const QString &cell) {
        return cell.startsWith(u'\'') ? cell.mid(1) : cell;
    };
    const auto guardedOnce = [](const QString &text, const QString &cell) {
        const bool risky = !text.isEmpty() && QStringView(u"=+-@\t\r").contains(text.front());
        return cell == (risky ? u'\'' + text : text);
    };
    for (qsizetype i = 0; i < kept.size(); ++i) {
        const SheetRecord &sheet = kept[i];
        const QStringList &cells = rows[i + 1];
        QCOMPARE(cells.size(), csvColumns().size());
        QCOMPARE(cells[0].toLongLong(), sheet.id);
        QCOMPARE(QDateTime::fromString(cells[1], Qt::ISODate), sheet.savedAt);
        QVERIFY(cells[1].endsWith(u'Z'));
        const QStringList texts{sheet.stallion, sheet.notes, sheet.text(Field::Date)};
        for (int t = 0; t < texts.size(); ++t) {
            QVERIFY2(guardedOnce(texts[t], cells[2 + t]), qPrintable(cells[2 + t]));
            QCOMPARE(unguarded(cells[2 + t]), texts[t]);
        }
        int column = 5;
        for (Field field :
             {Field::Con, Field::GFV, Field::Motility, Field::TotalDose, Field::MinExt,
              Field::MaxCon, Field::SemenVol, Field::ExtVol, Field::VPD, Field::NumDoses})
            QCOMPARE(cells[column++], sheet.text(field));
        QCOMPARE(cells[15], sheet.printed ? u"yes"_s : u"no"_s);
        QVERIFY(guardedOnce(sheet.printer, cells[16]));
        QVERIFY(guardedOnce(sheet.workstation, cells[17]));
        QVERIFY(guardedOnce(sheet.operatorName, cells[18]));
    }
}

Run TestRecordsJournal::run(const QStringList &arguments, const QByteArray &journalVariable,
                            const QStringList &extraEnvironment)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(u"ESTRIVO_JOURNAL"_s);
    if (!journalVariable.isEmpty())
        environment.insert(u"ESTRIVO_JOURNAL"_s, QString::fromLocal8Bit(journalVariable));
    environment.remove(u"DISPLAY"_s);
    environment.remove(u"QT_QPA_PLATFORM"_s); // the labels form must manage on its own
    // No print system at all: its absence is one of the failures.
    environment.insert(u"CUPS_SERVER"_s, m_dir.filePath(u"no-spooler.sock"_s));
    for (const QString &variable : extraEnvironment)
        environment.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(m_dir.path());
    process.start(QStringLiteral(ESTRIVO_RECORDS), arguments);
    if (!process.waitForFinished(60000))
        return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

void TestRecordsJournal::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments"); // {J}: the SQLite journal, {D}: the folder
    QTest::addColumn<QByteArray>("journalVariable");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<int>("csvRows");   // from standard output or --output; -1: no CSV
    QTest::addColumn<QString>("error"); // the start of the one line on standard error

    const auto row = [](const char *name, const QString &line, int exitCode, int csvRows,
                        const QString &error, const QByteArray &variable = {}) {
        QTest::newRow(name) << line.split(u' ', Qt::SkipEmptyParts) << variable << exitCode
                            << csvRows << error;
    };
    const SheetFilter zeus{u"Zeus"_s, {}, {}, {}};
    const SheetFilter march{{}, QDate(2026, 3, 10), QDate(2026, 3, 20), {}};
    const int all = kSheets;
    const int ofZeus = int(selectedIds(m_sheets, zeus).size());
    const int ofMarch = int(selectedIds(m_sheets, march).size());
    const int ofSoren = int(selectedIds(m_sheets, {u"Sören Ørsted"_s, {}, {}, {}}).size());

    row("export to standard output", u"export --journal {J}"_s, 0, all, {});
    row("export a stallion", u"export --stallion Zeus --journal {J}"_s, 0, ofZeus, {});
    row("export a range", u"--journal {J} export --since 2026-03-10 --until 2026-03-20"_s, 0,
        ofMarch, {});
    row("export to a file",
        u"export --journal {J} --stallion Sören\u00a0Ørsted "
        "--output {D}/soren.csv"_s,
        0, ofSoren, {});
    row("journal from the environment", u"export --stallion Zeus"_s, 0, ofZeus, {}, "{J}");
    row("nothing matches", u"export --stallion Pegasus --journal {J}"_s, 0, 0, {});
    row("journal not a database", u"export --journal {D}/not-a-journal.txt"_s, 1, -1,
        u"estrivo-records: The journal {D}/not-a-journal.txt could not be opened: The journal "
        "file is not a database"_s);
    row("journal server down", u"export --journal postgresql://estrivo@127.0.0.1:1/none"_s, 1, -1,
        u"estrivo-records: The journal postgresql://estrivo@127.0.0.1:1/none could not be "
        "opened"_s);
    row("output folder missing", u"export --journal {J} --output {D}/missing/x.csv"_s, 1, -1,
        u"estrivo-records: The file {D}/missing/x.csv could not be created"_s);
    row("labels of an unknown sheet", u"labels 99999 --journal {J}"_s, 1, -1,
        u"estrivo-records: No kept sheet has the ID 99999."_s);
    row("labels without doses", u"labels {NODOSES} --journal {J}"_s, 1, -1,
        u"estrivo-records: Sheet {NODOSES} holds no whole doses (\"Overflow\"); give --count."_s);
    row("labels with no print system", u"labels 2 --count 2 --journal {J}"_s, 1, -1,
        u"estrivo-records: No printer is installed."_s);
    row("usage: bad day", u"export --since 2026-13-01 --journal {J}"_s, 2, -1,
        u"estrivo-records: --since wants a day as YYYY-MM-DD"_s);
    row("usage: unknown option", u"labels 3 --copies 2"_s, 2, -1,
        u"estrivo-records: Unknown option 'copies'."_s);
    row("usage: no command", u"print 3"_s, 2, -1,
        u"estrivo-records: Unknown command \"print\"."_s);
    row("help", u"labels --help"_s, 0, -1, {});
    row("version", u"export --version"_s, 0, -1, {});
}

void TestRecordsJournal::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, journalVariable);
    QFETCH(int, exitCode);
    QFETCH(int, csvRows);
    QFETCH(QString, error);

    QFile notJournal(m_dir.filePath(u"not-a-journal.txt"_s));
    QVERIFY(notJournal.open(QIODevice::WriteOnly));
    notJournal.write("field notes, not a database\n");
    notJournal.close();
    const auto noDoses = std::find_if(m_sheets.cbegin(), m_sheets.cend(), [](const auto &sheet) {
        return sheet.text(Field::NumDoses) == u"Overflow"_s;
    });
    QVERIFY(noDoses != m_sheets.cend());
    const auto fill = [&](QString text) {
        return text.replace(u"{J}"_s, m_sqliteJournal)
            .replace(u"{D}"_s, m_dir.path())
            .replace(u"{NODOSES}"_s, QString::number(noDoses->id))
            .replace(u'\u00a0', u' ');
    };
    for (QString &argument : arguments)
        argument = fill(argument);
    error = fill(error);

    const Run result = run(arguments, fill(QString::fromLocal8Bit(journalVariable)).toLocal8Bit());
    const QString err = QString::fromLocal8Bit(result.err);
    QVERIFY2(err.startsWith(error), qPrintable(err));
    if (exitCode == 0)
        QCOMPARE(err, QString());
    else // one line, for a log
        QCOMPARE(err.count(u'\n'), exitCode == 2 ? 2 : 1);
    QCOMPARE(result.exitCode, exitCode);

    const QString output = arguments.contains(u"--output"_s)
                               ? arguments[arguments.indexOf(u"--output"_s) + 1]
                               : QString();
    if (csvRows >= 0) {
        QByteArray csv = result.out;
        if (!output.isEmpty()) {
            QCOMPARE(result.out, QByteArray());
            QFile file(output);
            QVERIFY(file.open(QIODevice::ReadOnly));
            csv = file.readAll();
        }
        const QList<QStringList> rows = parseCsv(csv);
        QCOMPARE(rows.value(0), csvColumns());
        QCOMPARE(rows.size(), csvRows + 1);
    } else if (exitCode != 0) {
        QCOMPARE(result.out, QByteArray());
    }
    if (QTest::currentDataTag() == QByteArrayView("help"))
        QVERIFY(result.out.startsWith("Usage: estrivo-records labels ID"));
    if (QTest::currentDataTag() == QByteArrayView("version"))
        QCOMPARE(result.out, "estrivo-records " ESTRIVO_VERSION "\n");
}

void TestRecordsJournal::exportFileIsReplacedWhole()
{
    // The old file stays as it was until the new one is complete, and no part file is left.
    const QString folder = m_dir.filePath(u"replace"_s);
    QVERIFY(QDir().mkpath(folder));
    const QString target = folder + u"/out.csv"_s;
    QFile old(target);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old contents\r\n");
    old.close();
    Run failed = run({u"export"_s, u"--journal"_s, m_dir.filePath(u"not-a-journal.txt"_s),
                      u"--output"_s, target});
    QCOMPARE(failed.exitCode, 1);
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("old contents\r\n"));
    old.close();
    const Run done = run({u"export"_s, u"--journal"_s, m_sqliteJournal, u"--output"_s, target});
    QCOMPARE(done.exitCode, 0);
    QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{u"out.csv"_s});
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(parseCsv(old.readAll()).size(), kSheets + 1);
}

void TestRecordsJournal::windowForm()
{
    // Without a command the window opens on the journal; asked for its picture, it gives it
    // once its rows are in and closes, as the run script does without a display.
    const QString picture = m_dir.filePath(u"window.png"_s);
    const Run opened = run({u"--journal"_s, m_sqliteJournal}, {},
                           {u"QT_QPA_PLATFORM=offscreen"_s, u"ESTRIVO_SCREENSHOT="_s + picture});
    QCOMPARE(opened.exitCode, 0);
    QCOMPARE(opened.out, "Window picture written to " + picture.toLocal8Bit() + '\n');
    QVERIFY(QImage(picture).width() >= 1000);
}

QTEST_MAIN(TestRecordsJournal)
#include "tst_records_journal.moc"
