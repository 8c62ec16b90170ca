// The register through the records program's command line, on a SQLite file and on a private
// PostgreSQL server: the station and the stallions, movements of doses against what remains
// (also two programs after the same last doses), and the register and transport sheet read
// back from the files the program writes.
#include "csv_export.h"
#include "labels.h"
#include "local_postgres.h"
#include "records_fixture.h"
#include "register_export.h"

#include <QRegularExpression>
#include <QTemporaryDir>

#include <ctime>

#include <memory>

using namespace estrivo;
using namespace recordstest;

namespace {

// How a run of the program ended: its exit status, standard output and standard error.
struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

constexpr int kDosesEach = 10; // every seeded collection made this many
constexpr int kSeeded = 12;

const QStringList kBackends{u"sqlite"_s, u"postgres"_s};

// What a hostile consignee and mare look like: formulas, separators, quotes, line breaks.
const QString kHostileConsignee = u"=HYPERLINK(\"http://evil.example\",\"invoice\")"_s;
const QString kHostileMare = u"Bella, \"the\nsecond\""_s;

} // namespace

class TestRecordsRegister : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void station_data();
    void station();
    void stallions_data();
    void stallions();
    void movements_data();
    void movements();
    void lastDosesOnce_data();
    void lastDosesOnce();
    void registerReadBack_data();
    void registerReadBack();
    void pdfs_data();
    void pdfs();
    void labelsMarked_data();
    void labelsMarked();
    void registerRefused_data();
    void registerRefused();

private:
    // A new journal of kSeeded collections of kDosesEach doses; their ids in `sheets`.
    QString freshJournal(const QString &backend, QList<SheetRecord> *sheets = nullptr);
    QProcess *start(const QStringList &arguments);
    Run run(const QStringList &arguments);
    Run finish(QProcess &process);
    static qint64 remaining(const QString &location, qint64 sheetId);

    QTemporaryDir m_dir;
    LocalPostgres m_postgres;
    int m_journals = 0;
};

void TestRecordsRegister::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qputenv("HOME", m_dir.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", m_dir.filePath(u"config"_s).toLocal8Bit());
    qputenv("TZ", "Europe/Berlin");
    qunsetenv("ESTRIVO_JOURNAL");
    QString error;
    QVERIFY2(m_postgres.start(&error), qPrintable(error));
}

QString TestRecordsRegister::freshJournal(const QString &backend, QList<SheetRecord> *sheets)
{
    const QString name = u"register_%1"_s.arg(++m_journals);
    QString location = m_dir.filePath(name + u".sqlite"_s);
    if (backend == u"postgres"_s) {
        QString error;
        location = m_postgres.createDatabase(name, &error);
        if (location.isEmpty())
            qWarning("%s", qPrintable(error));
    }
    Journal journal(location);
    for (int n = 0; n < kSeeded; ++n) {
        SheetRecord sheet = generatedSheet(n);
        sheet.text(Field::NumDoses) = QString::number(kDosesEach);
        if (!journal.saveSheet(sheet).ok())
            return {};
        if (sheets)
            *sheets << sheet;
    }
    return location;
}

QProcess *TestRecordsRegister::start(const QStringList &arguments)
{
    auto *process = new QProcess(this);
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    variables.remove(u"DISPLAY"_s);
    variables.remove(u"QT_QPA_PLATFORM"_s); // the PDF forms must manage on their own
    process->setProcessEnvironment(variables);
    process->setWorkingDirectory(m_dir.path());
    process->start(QStringLiteral(ESTRIVO_RECORDS), arguments);
    return process;
}

Run TestRecordsRegister::finish(QProcess &process)
{
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

Run TestRecordsRegister::run(const QStringList &arguments)
{
    const std::unique_ptr<QProcess> process(start(arguments));
    return finish(*process);
}

qint64 TestRecordsRegister::remaining(const QString &location, qint64 sheetId)
{
    Journal journal(location);
    const std::optional<DoseBatch> batch = journal.doseBatch(sheetId);
    return batch ? batch->remaining : -1;
}

void TestRecordsRegister::station_data()
{
    QTest::addColumn<QString>("backend");
    QTest::addColumn<QString>("line"); // after a station set with a name and DE-EQ-0042
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("error"); // the start of the one line on standard error
    QTest::addColumn<QString>("shown"); // station show afterwards

    const QString base = u"name: Gestüt Nord\naddress: \napproval: DE-EQ-0042\ncountry: DE\n"
                         "marking: none\nretention_years: 3\nlabel_date: yymmdd\n"_s;
    const QString fails = u"estrivo-records: "_s;
    for (const QString &backend : kBackends) {
        const auto row = [&backend](const char *name, const QString &line, int exitCode,
                                    const QString &error, const QString &shown) {
            QTest::addRow("%s: %s", qPrintable(backend), name)
                << backend << line << exitCode << error << shown;
        };
        row("nothing more", {}, 0, {}, base);
        row("all of it",
            u"--name Haras\u00a0du\u00a0Pin --address Le\u00a0Pin,\u00a0Orne --approval "
            "FR-EQ-61.001 --marking eu --retention-years 7 --label-date dd.mm.yy"_s,
            0, {},
            u"name: Haras du Pin\naddress: Le Pin, Orne\napproval: FR-EQ-61.001\ncountry: FR\n"
            "marking: eu\nretention_years: 7\nlabel_date: dd.mm.yy\n"_s);
        row("only the marking, the rest kept", u"--marking eu"_s, 0, {},
            QString(base).replace(u"marking: none"_s, u"marking: eu"_s));
        row("approval with a country that is none", u"--approval XX-EQ-1"_s, 1,
            fails + u"--approval: \"XX\" is no ISO 3166 country code."_s, base);
        row("approval without a country", u"--approval 0042"_s, 1,
            fails + u"--approval: \"0042\" is no approval number"_s, base);
        row("retention out of range", u"--retention-years 0"_s, 2,
            fails + u"--retention-years wants a number of years from 1 to 100, not \"0\"."_s,
            base);
        row("retention not a number", u"--retention-years 3y"_s, 2,
            fails + u"--retention-years wants a number of years"_s, base);
        row("marking unknown", u"--marking us"_s, 2,
            fails + u"--marking wants eu or none, not \"us\"."_s, base);
        row("label date unknown", u"--label-date ddmmyy"_s, 2,
            fails + u"--label-date wants yymmdd or dd.mm.yy"_s, base);
        row("empty name", u"--name ''"_s, 2, fails + u"--name needs a name."_s, base);
        row("an option of another command", u"--ueln 276009876543210"_s, 2,
            fails + u"--ueln is an option of the stallion add and stallion set commands."_s, base);
    }
}

void TestRecordsRegister::station()
{
    QFETCH(QString, backend);
    QFETCH(QString, line);
    QFETCH(int, exitCode);
    QFETCH(QString, error);
    QFETCH(QString, shown);
    const QString location = freshJournal(backend);
    QVERIFY(!location.isEmpty());
    // A journal that never had a profile shows the default one.
    Run result = run({u"station"_s, u"show"_s, u"--journal"_s, location});
    QCOMPARE(result.err, QString());
    QCOMPARE(result.out, u"name: \naddress: \napproval: \ncountry: \nmarking: none\n"
                         "retention_years: 3\nlabel_date: yymmdd\n"_s);
    result = run({u"station"_s, u"set"_s, u"--name"_s, u"Gestüt Nord"_s, u"--approval"_s,
                  u"DE-EQ-0042"_s, u"--journal"_s, location});
    QCOMPARE(result.err, QString());
    QCOMPARE(result.exitCode, 0);

    if (!line.isEmpty()) {
        QStringList arguments{u"station"_s, u"set"_s, u"--journal"_s, location};
        for (QString argument : line.split(u' ')) {
            argument.replace(u'\u00a0', u' ');
            arguments << (argument == u"''"_s ? QString() : argument);
        }
        result = run(arguments);
        QVERIFY2(result.err.startsWith(error), qPrintable(result.err));
        QCOMPARE(result.err.count(u'\n'), exitCode); // one line; a usage error adds the hint
        QCOMPARE(result.exitCode, exitCode);
        QCOMPARE(result.out, QString());
    }
    result = run({u"station"_s, u"show"_s, u"--journal"_s, location});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out, shown);
}

void TestRecordsRegister::stallions_data()
{
    QTest::addColumn<QString>("backend");
    QTest::addColumn<QStringList>("lines");    // run in turn on a journal of the seeded sheets
    QTest::addColumn<QList<int>>("exitCodes"); // of each line
    QTest::addColumn<QString>("error");        // the start of the last line's standard error
    QTest::addColumn<QString>("listed");       // stallion list afterwards, its header left out

    const QString zeus
        = u"stallion add --name Zeus --ueln 276\u00a0009\u00a0876543210 --breed Hanoverian "
          "--born 2012-05-01 --registration DE-331 --owner Anna\u00a0Weber --alias Zeus\u00a0II"_s;
    // Zeus is every sixth seeded sheet: 2 of 12.
    const QString zeusListed = u"1\tZeus\tZeus II\t276009876543210\tHanoverian\t2012-05-01\t"
                               "DE-331\tAnna Weber\t2\n"_s;
    const QString fails = u"estrivo-records: "_s;
    for (const QString &backend : kBackends) {
        const auto row
            = [&backend](const char *name, const QStringList &lines, const QList<int> &exitCodes,
                         const QString &error, const QString &listed) {
                  QTest::addRow("%s: %s", qPrintable(backend), name)
                      << backend << lines << exitCodes << error << listed;
              };
        row("added with his identity", {zeus}, {0}, {}, zeusListed);
        row("UELN too short", {u"stallion add --name Zeus --ueln 27600987654321"_s}, {1},
            fails + u"--ueln: A UELN has 15 characters; \"27600987654321\" has 14."_s, {});
        row("UELN with a symbol", {u"stallion add --name Zeus --ueln 276009876543-10"_s}, {1},
            fails + u"--ueln: "_s, {});
        row("UELN of country 000", {u"stallion add --name Zeus --ueln 000009876543210"_s}, {1},
            fails + u"--ueln: 000 is no country code of a UELN."_s, {});
        row("born not a day", {u"stallion add --name Zeus --born 2012-5-1"_s}, {2},
            fails + u"--born wants a day as YYYY-MM-DD, not \"2012-5-1\"."_s, {});
        row("born in the future", {u"stallion add --name Zeus --born 2999-01-01"_s}, {1},
            fails + u"--born 2999-01-01 is a day still to come."_s, {});
        row("no name", {u"stallion add --breed Hanoverian"_s}, {2},
            fails + u"stallion add wants --name."_s, {});
        row("a name taken, in another spelling", {zeus, u"stallion add --name ZEUS"_s}, {0, 1},
            fails + u"The name \"ZEUS\" belongs to Zeus already."_s, zeusListed);
        row("an alias names him", {zeus, u"stallion add --name Nordlicht --alias Zeus\u00a0ii"_s},
            {0, 1}, fails + u"The name \"Zeus ii\" belongs to Zeus already."_s, zeusListed);
        row("renamed, the old name kept as an alias",
            {zeus, u"stallion rename zeus Zeus\u00a0Olympios"_s}, {0, 0}, {},
            u"1\tZeus Olympios\tZeus; Zeus II\t276009876543210\tHanoverian\t2012-05-01\t"
            "DE-331\tAnna Weber\t2\n"_s);
        row("identity completed",
            {u"stallion add --name Nordlicht"_s,
             u"stallion set nordlicht --breed Trakehner --owner Gestüt --alias NL"_s},
            {0, 0}, {}, u"1\tNordlicht\tNL\t\tTrakehner\t\t\tGestüt\t2\n"_s);
        row("merged, his sheets with him",
            {zeus, u"stallion add --name Nordlicht --breed Trakehner"_s,
             u"stallion merge Nordlicht Zeus"_s},
            {0, 0, 0}, {},
            u"1\tZeus\tNordlicht; Zeus II\t276009876543210\tHanoverian\t2012-05-01\tDE-331\t"
            "Anna Weber\t4\n"_s);
        row("merged into himself", {zeus, u"stallion merge Zeus Zeus\u00a0II"_s}, {0, 1},
            fails + u"\"Zeus\" and \"Zeus II\" are one stallion already (Zeus)."_s, zeusListed);
        row("renamed, no such stallion", {u"stallion rename Pegasus Pegasos"_s}, {1},
            fails + u"No registered stallion is named \"Pegasus\"."_s, {});
        row("no subcommand", {u"stallion"_s}, {2},
            fails + u"stallion wants list, add, set, rename or merge."_s, {});
    }
}

void TestRecordsRegister::stallions()
{
    QFETCH(QString, backend);
    QFETCH(QStringList, lines);
    QFETCH(QList<int>, exitCodes);
    QFETCH(QString, error);
    QFETCH(QString, listed);
    const QString location = freshJournal(backend);
    QVERIFY(!location.isEmpty());
    Run result;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QStringList arguments{u"--journal"_s, location};
        for (QString argument : lines[i].split(u' ')) {
            argument.replace(u'\u00a0', u' ');
            arguments << argument;
        }
        result = run(arguments);
        QCOMPARE(result.exitCode, exitCodes[i]);
        // stallion add says the new stallion's id, and nothing else does.
        if (exitCodes[i] == 0 && lines[i].startsWith(u"stallion add"_s))
            QVERIFY2(QRegularExpression(u"\\A[1-9][0-9]*\n\\z"_s).match(result.out).hasMatch(),
                     qPrintable(result.out));
    }
    if (!error.isEmpty())
        QVERIFY2(result.err.startsWith(error), qPrintable(result.err));
    else
        QCOMPARE(result.err, QString());
    QCOMPARE(result.err.count(u'\n'), exitCodes.back());
    result = run({u"stallion"_s, u"list"_s, u"--journal"_s, location});
    QCOMPARE(result.exitCode, 0);
    QStringList rows = result.out.split(u'\n');
    QCOMPARE(rows.takeFirst(), u"id\tname\taliases\tueln\tbreed\tborn\tregistration\towner\t"
                               "collections"_s);
    // Ids are the journal's: compare from the name on.
    QString shown = rows.join(u'\n');
    shown.replace(QRegularExpression(u"(?m)^[0-9]+\t"_s), u"1\t"_s);
    QCOMPARE(shown, listed);
}

void TestRecordsRegister::movements_data()
{
    QTest::addColumn<QString>("backend");
    // Run in turn against the first seeded collection ({S}); {M1}, {M2} ... are the ids the
    // earlier lines printed.
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QList<int>>("exitCodes");
    QTest::addColumn<QString>("error");      // the start of the last line's standard error
    QTest::addColumn<qint64>("remaining");   // of the collection afterwards
    QTest::addColumn<QString>("containers"); // containers out afterwards, header left out

    const QString fails = u"estrivo-records: "_s;
    const QString dispatch = u"dispatch {S} --doses 4 --to Gestüt\u00a0Süd --container Box-7 "
                             "--due-back 2021-06-01 --country de --carrier DHL --tracking 0042"_s;
    for (const QString &backend : kBackends) {
        const auto row
            = [&backend](const char *name, const QStringList &lines, const QList<int> &exitCodes,
                         const QString &error, qint64 remaining, const QString &containers = {}) {
                  QTest::addRow("%s: %s", qPrintable(backend), name)
                      << backend << lines << exitCodes << error << remaining << containers;
              };
        const QString boxOut = u"{M1}\t{S}\tBox-7\tGestüt Süd\t*\t2021-06-01\toverdue\n"_s;
        row("dispatched", {dispatch}, {0}, {}, 6, boxOut);
        row("dispatched and used", {dispatch, u"use {S} --doses 6 --mare Bella"_s}, {0, 0}, {}, 0,
            boxOut);
        row("more than remain",
            {dispatch, u"use {S} --doses 7 --mare Bella --mare-ueln 276009876543211"_s}, {0, 1},
            fails + u"Only 6 doses of collection {S} remain; 7 doses cannot be moved out."_s, 6,
            boxOut);
        row("destroyed", {u"destroy {S} --doses 10 --reason thawed"_s}, {0}, {}, 0);
        row("none left to destroy",
            {u"destroy {S} --doses 10 --reason thawed"_s, u"destroy {S} --doses 1 --reason x"_s},
            {0, 1},
            fails + u"Only 0 doses of collection {S} remain; 1 dose cannot be moved out."_s, 0);
        row("returned with the container", {dispatch, u"return {M1} --doses 3 --container-back"_s},
            {0, 0}, {}, 9);
        row("the container back alone", {dispatch, u"return {M1} --container-back"_s}, {0, 0}, {},
            6);
        row("more back than went", {dispatch, u"return {M1} --doses 5"_s}, {0, 1},
            fails
                + u"Dispatch {M1} sent 4 doses, 0 of them back already: 5 doses cannot come "
                  "back."_s,
            6, boxOut);
        row("a return of a use", {u"use {S} --doses 2 --mare Bella"_s, u"return {M1} --doses 1"_s},
            {0, 1}, fails + u"Movement {M1} is no dispatch"_s, 8);
        row("a return with nothing back", {dispatch, u"return {M1}"_s}, {0, 2},
            fails + u"return wants --doses, --container-back or both."_s, 6, boxOut);
        row("adjusted down", {u"adjust {S} --doses -3 --reason two\u00a0straws\u00a0short"_s}, {0},
            {}, 7);
        row("adjusted above what was made", {u"adjust {S} --doses +1 --reason recount"_s}, {1},
            fails + u"Adjustments cannot raise the doses above the 10 the collection made."_s, 10);
        row("a dispatch reversed", {dispatch, u"reverse {M1} --reason wrong\u00a0sheet"_s}, {0, 0},
            {}, 10);
        row("an adjustment reversed",
            {u"adjust {S} --doses -3 --reason recount"_s, u"reverse {M1} --reason typo"_s}, {0, 0},
            {}, 10);
        row("reversed twice",
            {u"use {S} --doses 2 --mare Bella"_s, u"reverse {M1} --reason typo"_s,
             u"reverse {M1} --reason again"_s},
            {0, 0, 1}, fails + u"Movement {M1} was reversed already."_s, 10);
        row("a reversal without a reason",
            {u"use {S} --doses 2 --mare Bella"_s, u"reverse {M1}"_s}, {0, 2},
            fails + u"reverse wants --reason."_s, 8);
        row("no such sheet", {u"dispatch 99999 --doses 1 --to Anyone"_s}, {1},
            fails + u"No kept sheet has the ID 99999."_s, 10);
        row("no such movement", {u"return 99999 --doses 1"_s}, {1},
            fails + u"No movement has the ID 99999."_s, 10);
        row("mare's UELN malformed", {u"use {S} --doses 1 --mare Bella --mare-ueln 276-1"_s}, {1},
            fails + u"--mare-ueln: A UELN has 15 characters"_s, 10);
        row("country unknown", {u"dispatch {S} --doses 1 --to Anyone --country XQ"_s}, {1},
            fails + u"--country \"XQ\" is no ISO 3166-1 country code"_s, 10);
        row("no consignee", {u"dispatch {S} --doses 1"_s}, {2}, fails + u"dispatch wants --to."_s,
            10);
        row("no doses", {u"use {S} --mare Bella"_s}, {2}, fails + u"use wants --doses."_s, 10);
        row("doses zero", {u"use {S} --doses 0 --mare Bella"_s}, {2},
            fails + u"--doses wants a whole number from 1 to 2147483647, not \"0\"."_s, 10);
        row("doses with a sign", {u"use {S} --doses +2 --mare Bella"_s}, {2},
            fails + u"--doses wants a whole number"_s, 10);
        row("doses past int", {u"use {S} --doses 2147483648 --mare Bella"_s}, {2},
            fails + u"--doses wants a whole number"_s, 10);
        row("adjusted by nothing", {u"adjust {S} --doses -0 --reason x"_s}, {2},
            fails + u"--doses wants the change, such as -2 or +1, not \"-0\"."_s, 10);
        row("due back not a day", {u"dispatch {S} --doses 1 --to A --due-back 1.12.2026"_s}, {2},
            fails + u"--due-back wants a day as YYYY-MM-DD, not \"1.12.2026\"."_s, 10);
        row("an option of another command", {u"use {S} --doses 1 --mare Bella --to Anyone"_s}, {2},
            fails + u"--to is an option of the dispatch and move commands."_s, 10);
        row("sheet id not a number", {u"use S1 --doses 1 --mare Bella"_s}, {2},
            fails + u"\"S1\" is not the ID of a kept sheet."_s, 10);
    }
}

void TestRecordsRegister::movements()
{
    QFETCH(QString, backend);
    QFETCH(QStringList, lines);
    QFETCH(QList<int>, exitCodes);
    QFETCH(QString, error);
    QFETCH(qint64, remaining);
    QFETCH(QString, containers);
    QList<SheetRecord> sheets;
    const QString location = freshJournal(backend, &sheets);
    QVERIFY(!location.isEmpty());
    const qint64 sheet = sheets.front().id;
    QStringList printed;
    const auto fill = [&](QString text) {
        text.replace(u"{S}"_s, QString::number(sheet));
        for (qsizetype i = printed.size(); i > 0; --i)
            text.replace(u"{M%1}"_s.arg(i), printed[i - 1]);
        return text;
    };
    Run result;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QStringList arguments{u"--journal"_s, location};
        for (QString argument : fill(lines[i]).split(u' ')) {
            argument.replace(u'\u00a0', u' ');
            arguments << argument;
        }
        result = run(arguments);
        QVERIFY2(result.exitCode == exitCodes[i], qPrintable(result.err));
        // A kept movement's id, alone on standard output.
        if (result.exitCode == 0) {
            QVERIFY2(QRegularExpression(u"\\A[1-9][0-9]*\n\\z"_s).match(result.out).hasMatch(),
                     qPrintable(result.out));
            printed << result.out.trimmed();
        } else {
            QCOMPARE(result.out, QString());
        }
    }
    if (error.isEmpty())
        QCOMPARE(result.err, QString());
    else
        QVERIFY2(result.err.startsWith(fill(error)), qPrintable(result.err));
    QCOMPARE(result.err.count(u'\n'), exitCodes.back());
    QCOMPARE(this->remaining(location, sheet), remaining);

    // Every kept movement is the journal's, in the order kept; nothing else was.
    Journal journal(location);
    const std::optional<DoseBatch> batch = journal.doseBatch(sheet);
    QVERIFY(batch);
    QStringList kept;
    for (const Movement &movement : batch->movements)
        kept << QString::number(movement.id);
    QCOMPARE(kept, printed);

    result = run({u"containers"_s, u"--journal"_s, location});
    QCOMPARE(result.exitCode, 0);
    QStringList rows = result.out.split(u'\n');
    QCOMPARE(rows.takeFirst(),
             u"dispatch_id\tsheet_id\tcontainer\tconsignee\tsent_at\tdue_back\tstate"_s);
    QString out = rows.join(u'\n');
    // When it was sent is now: only its form is known.
    out.replace(QRegularExpression(u"\t20[0-9]{2}-[0-9]{2}-[0-9]{2}T[0-9:]{8}[+-][0-9:]{5}\t"_s),
                u"\t*\t"_s);
    QCOMPARE(out, fill(containers));
}

void TestRecordsRegister::lastDosesOnce_data()
{
    QTest::addColumn<QString>("backend");
    for (const QString &backend : kBackends)
        QTest::newRow(qPrintable(backend)) << backend;
}

void TestRecordsRegister::lastDosesOnce()
{
    // Two workstations dispatch the last doses of a collection at the same moment, round after
    // round: each time one of them has them and the other is told what remains.
    QFETCH(QString, backend);
    QList<SheetRecord> sheets;
    const QString location = freshJournal(backend, &sheets);
    QVERIFY(!location.isEmpty());
    for (const SheetRecord &sheet : sheets.mid(0, 4)) {
        const QString id = QString::number(sheet.id);
        const Run first = run({u"use"_s, id, u"--doses"_s, u"7"_s, u"--mare"_s, u"Bella"_s,
                               u"--journal"_s, location});
        QCOMPARE(first.exitCode, 0);
        // Both started before either is waited for.
        QList<QProcess *> racing;
        for (const QString &consignee : {u"Stable A"_s, u"Stable B"_s}) {
            racing << start({u"dispatch"_s, id, u"--doses"_s, u"3"_s, u"--to"_s, consignee,
                             u"--journal"_s, location});
        }
        QList<Run> runs;
        for (QProcess *process : std::as_const(racing)) {
            runs << finish(*process);
            delete process;
        }
        std::sort(runs.begin(), runs.end(),
                  [](const Run &a, const Run &b) { return a.exitCode < b.exitCode; });
        QCOMPARE(runs[0].exitCode, 0);
        QCOMPARE(runs[0].err, QString());
        QCOMPARE(runs[1].exitCode, 1);
        QCOMPARE(runs[1].err, u"estrivo-records: Only 0 doses of collection %1 remain; 3 doses "
                              "cannot be moved out.\n"_s.arg(id));
        QCOMPARE(remaining(location, sheet.id), 0);
        Journal journal(location);
        const std::optional<DoseBatch> batch = journal.doseBatch(sheet.id);
        QVERIFY(batch);
        QCOMPARE(batch->movements.size(), 2);
        QCOMPARE(QString::number(batch->movements.back().id), runs[0].out.trimmed());
    }
}

void TestRecordsRegister::registerReadBack_data()
{
    QTest::addColumn<QString>("backend");
    QTest::addColumn<QDate>("since");
    QTest::addColumn<QDate>("until");
    QTest::addColumn<bool>("toFile");
    QTest::addColumn<QByteArray>("zone"); // TZ of the program and of the expected times

    for (const QString &backend : kBackends) {
        QTest::addRow("%s: everything, standard output", qPrintable(backend))
            << backend << QDate() << QDate() << false << QByteArray("Europe/Berlin");
        QTest::addRow("%s: everything, a file, UTC", qPrintable(backend))
            << backend << QDate() << QDate() << true << QByteArray("UTC");
        // The seeded sheets are 7 h apart from 2026-03-01 08:00 UTC.
        QTest::addRow("%s: two days, +13:45", qPrintable(backend))
            << backend << QDate(2026, 3, 1) << QDate(2026, 3, 2) << true
            << QByteArray("Pacific/Chatham");
        QTest::addRow("%s: two days, -03:00", qPrintable(backend))
            << backend << QDate(2026, 3, 1) << QDate(2026, 3, 2) << false
            << QByteArray("America/Sao_Paulo");
    }
}

void TestRecordsRegister::registerReadBack()
{
    QFETCH(QString, backend);
    QFETCH(QDate, since);
    QFETCH(QDate, until);
    QFETCH(bool, toFile);
    QFETCH(QByteArray, zone);
    const QByteArray before = qgetenv("TZ");
    const auto restore = qScopeGuard([&before] {
        qputenv("TZ", before);
        ::tzset();
    });
    qputenv("TZ", zone); // the program's too: it is started with this environment
    ::tzset();
    QList<SheetRecord> sheets;
    const QString location = freshJournal(backend, &sheets);
    QVERIFY(!location.isEmpty());
    const auto ok = [this, &location](QStringList arguments) {
        arguments << u"--journal"_s << location;
        const Run result = run(arguments);
        if (result.exitCode != 0)
            qWarning("%s", qPrintable(result.err));
        return result.exitCode == 0 ? std::optional(result.out.trimmed()) : std::nullopt;
    };
    QVERIFY(
        ok({u"station"_s, u"set"_s, u"--name"_s, u"Nord"_s, u"--approval"_s, u"DE-EQ-0042"_s}));
    QVERIFY(ok({u"stallion"_s, u"add"_s, u"--name"_s, u"Zeus"_s, u"--ueln"_s, u"276009876543210"_s,
                u"--breed"_s, u"Hanoverian"_s, u"--born"_s, u"2012-05-01"_s}));
    // The formula-like stallion's name is registered too: his cells are guarded as well.
    QVERIFY(ok({u"stallion"_s, u"add"_s, u"--name"_s, kStallions[3], u"--breed"_s, u"+Arab"_s}));
    // Movements on the first five collections; the others have none.
    const QString first = QString::number(sheets[0].id);
    const QString dispatched = ok({u"dispatch"_s,    first,
                                   u"--doses"_s,     u"4"_s,
                                   u"--to"_s,        kHostileConsignee,
                                   u"--mare"_s,      kHostileMare,
                                   u"--mare-ueln"_s, u"250001234567890"_s,
                                   u"--address"_s,   u"1 Rue du Haras\n61310 Le Pin"_s,
                                   u"--country"_s,   u"FR"_s,
                                   u"--carrier"_s,   u"@carrier"_s,
                                   u"--tracking"_s,  u"-12"_s,
                                   u"--container"_s, u"Box, 7"_s,
                                   u"--due-back"_s,  u"2026-04-01"_s})
                                   .value_or(QString());
    QVERIFY(!dispatched.isEmpty());
    QVERIFY(ok({u"return"_s, dispatched, u"--doses"_s, u"1"_s, u"--container-back"_s}));
    QVERIFY(ok(
        {u"use"_s, QString::number(sheets[1].id), u"--doses"_s, u"2"_s, u"--mare"_s, u"Bella"_s}));
    QVERIFY(ok({u"destroy"_s, QString::number(sheets[2].id), u"--doses"_s, u"10"_s, u"--reason"_s,
                u"=1+1"_s}));
    const QString adjusted = ok({u"adjust"_s, QString::number(sheets[3].id), u"--doses"_s, u"-2"_s,
                                 u"--reason"_s, u"two short"_s})
                                 .value_or(QString());
    QVERIFY(!adjusted.isEmpty());
    QVERIFY(ok({u"reverse"_s, adjusted, u"--reason"_s, u"recounted"_s}));
    QVERIFY(ok({u"dispatch"_s, QString::number(sheets[4].id), u"--doses"_s, u"1"_s, u"--to"_s,
                u"Plain"_s}));

    QStringList arguments{u"register"_s, u"--journal"_s, location};
    if (since.isValid())
        arguments << u"--since"_s << since.toString(Qt::ISODate);
    if (until.isValid())
        arguments << u"--until"_s << until.toString(Qt::ISODate);
    const QString file = m_dir.filePath(u"register-%1.csv"_s.arg(m_journals));
    if (toFile)
        arguments << u"--output"_s << file;
    const Run result = run(arguments);
    QCOMPARE(result.err, QString());
    QCOMPARE(result.exitCode, 0);
    QByteArray bytes = result.out.toUtf8();
    if (toFile) {
        QCOMPARE(result.out, QString());
        QFile written(file);
        QVERIFY(written.open(QIODevice::ReadOnly));
        bytes = written.readAll();
    }
    const QList<QStringList> rows = parseCsv(bytes);
    QVERIFY2(!rows.isEmpty(), "not RFC 4180");
    QCOMPARE(rows.front().join(u','),
             u"collection_id,collection_date,stallion,ueln,breed,born,station_approval,"
             "doses_produced,movement_id,movement,moved_at,doses,consignee,mare,mare_ueln,"
             "address,country,carrier,tracking,container,due_back,returned_at,reason,"
             "operator"_s);

    // What was recorded, as the journal keeps it, row by row, oldest first.
    Journal journal(location);
    QList<QStringList> expected;
    for (const SheetRecord &sheet : sheets) {
        const QDate day = sheet.savedAt.toLocalTime().date();
        if ((since.isValid() && day < since) || (until.isValid() && day > until))
            continue;
        const std::optional<DoseBatch> batch = journal.doseBatch(sheet.id);
        QVERIFY(batch);
        const bool zeus = sheet.stallion == u"Zeus"_s;
        const bool formula = sheet.stallion == kStallions[3];
        const QStringList collection{QString::number(sheet.id),
                                     csvTime(collectionTime(sheet)),
                                     sheet.stallion,
                                     zeus ? u"276009876543210"_s : QString(),
                                     zeus      ? u"Hanoverian"_s
                                     : formula ? u"+Arab"_s
                                               : QString(),
                                     zeus ? u"2012-05-01"_s : QString(),
                                     u"DE-EQ-0042"_s,
                                     QString::number(kDosesEach)};
        if (batch->movements.isEmpty())
            expected << collection + QStringList(16, QString());
        for (const Movement &m : batch->movements) {
            QDateTime back;
            for (const Movement &other : batch->movements) {
                if (other.kind == MovementKind::Returned && other.of == m.id
                    && other.containerBack)
                    back = other.movedAt;
            }
            expected << collection
                            + QStringList{QString::number(m.id),
                                          movementKindName(m.kind),
                                          csvTime(m.movedAt),
                                          QString::number(m.doses),
                                          m.consignee,
                                          m.mare,
                                          m.mareUeln,
                                          m.address,
                                          m.country,
                                          m.carrier,
                                          m.tracking,
                                          m.container,
                                          m.dueBack.isValid() ? m.dueBack.toString(Qt::ISODate)
                                                              : QString(),
                                          back.isValid() ? csvTime(back) : QString(),
                                          m.reason,
                                          m.operatorName};
        }
    }
    for (QStringList &row : expected) {
        for (QString &cell : row)
            cell = guardFormula(cell);
    }
    // Collections with movements and without, whatever the range.
    QVERIFY(expected.size() >= 4);
    QCOMPARE(rows.size() - 1, expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i)
        QCOMPARE(rows[i + 1], expected[i]);

    // The hostile texts as a spreadsheet is to see them: as texts, never as formulas.
    if (!since.isValid()) {
        const QStringList &dispatch = rows[1];
        QCOMPARE(dispatch[9], u"dispatched"_s);
        QCOMPARE(dispatch[12], u"'"_s + kHostileConsignee);
        QCOMPARE(dispatch[13], kHostileMare);
        QCOMPARE(dispatch[14], u"250001234567890"_s);
        QCOMPARE(dispatch[17], u"'@carrier"_s);
        QCOMPARE(dispatch[18], u"-12"_s); // a number stays one
        QCOMPARE(dispatch[19], u"Box, 7"_s);
        QVERIFY(!dispatch[21].isEmpty()); // its container came back
        bool guardedName = false;
        bool destroyed = false;
        for (const QStringList &row : rows) {
            guardedName = guardedName || row[2] == u"'"_s + kStallions[3];
            destroyed = destroyed || (row[9] == u"destroyed"_s && row[22] == u"'=1+1"_s);
            QCOMPARE(row.size(), qsizetype(kRegisterColumnCount));
        }
        QVERIFY(guardedName);
        QVERIFY(destroyed);
    }
}

void TestRecordsRegister::pdfs_data()
{
    QTest::addColumn<QString>("backend");
    for (const QString &backend : kBackends)
        QTest::newRow(qPrintable(backend)) << backend;
}

void TestRecordsRegister::pdfs()
{
    QFETCH(QString, backend);
    QList<SheetRecord> sheets;
    const QString location = freshJournal(backend, &sheets);
    QVERIFY(!location.isEmpty());
    const auto ok = [this, &location](QStringList arguments) {
        arguments << u"--journal"_s << location;
        const Run result = run(arguments);
        if (result.exitCode != 0)
            qWarning("%s", qPrintable(result.err));
        return result.exitCode == 0 ? std::optional(result.out.trimmed()) : std::nullopt;
    };
    QVERIFY(ok({u"station"_s, u"set"_s, u"--name"_s, u"Gestüt Nord"_s, u"--approval"_s,
                u"DE-EQ-0042"_s, u"--marking"_s, u"eu"_s}));
    QVERIFY(
        ok({u"stallion"_s, u"add"_s, u"--name"_s, u"Zeus"_s, u"--ueln"_s, u"276009876543210"_s}));
    // Enough movements for the register to take several pages.
    QString dispatch;
    for (const SheetRecord &sheet : sheets) {
        for (int n = 0; n < 3; ++n) {
            dispatch
                = ok({u"dispatch"_s, QString::number(sheet.id), u"--doses"_s, u"2"_s, u"--to"_s,
                      u"Haras du Pin %1"_s.arg(n), u"--container"_s, u"Box-%1"_s.arg(n)})
                      .value_or(QString());
            QVERIFY(!dispatch.isEmpty());
        }
    }
    const QString registerPdf = m_dir.filePath(u"register-%1.pdf"_s.arg(m_journals));
    QVERIFY(ok({u"register"_s, u"--output"_s, registerPdf}));
    const int pages = pdfInfo(registerPdf, u"Pages"_s).toInt();
    QVERIFY2(pages > 1, qPrintable(pdfInfo(registerPdf, u"Pages"_s)));
    const QString text
        = QString::fromUtf8(toolOutput(u"pdftotext"_s, {u"-layout"_s, registerPdf, u"-"_s}));
    for (const QString &shown :
         {u"Gestüt Nord"_s, u"DE-EQ-0042"_s, u"276009876543210"_s, u"Haras du Pin 2"_s,
          u"Page 1 of %1"_s.arg(pages), u"Page %1 of %1"_s.arg(pages)})
        QVERIFY2(text.contains(shown), qPrintable(shown));

    // The transport sheet of the last dispatch, a collection of Zeus's among them.
    const SheetRecord &last = sheets.back();
    const QString transportPdf = m_dir.filePath(u"transport-%1.pdf"_s.arg(m_journals));
    QVERIFY(ok({u"transport"_s, dispatch, u"--output"_s, transportPdf}));
    QCOMPARE(pdfInfo(transportPdf, u"Pages"_s), u"1"_s);
    const QString sheetText
        = QString::fromUtf8(toolOutput(u"pdftotext"_s, {u"-layout"_s, transportPdf, u"-"_s}));
    for (const QString &shown : {u"dispatch %1"_s.arg(dispatch), u"DE-EQ-0042"_s, last.stallion,
                                 u"Haras du Pin 2"_s, u"Box-2"_s, u"Collection"_s})
        QVERIFY2(sheetText.contains(shown), qPrintable(shown + u" in\n"_s + sheetText));
    const QString zeusSheet = QString::number(sheets[0].id); // sheet 0 is Zeus's
    Journal journal(location);
    const std::optional<DoseBatch> zeusBatch = journal.doseBatch(sheets[0].id);
    QVERIFY(zeusBatch && !zeusBatch->movements.isEmpty());
    const QString zeusPdf = m_dir.filePath(u"zeus-%1.pdf"_s.arg(m_journals));
    QVERIFY(ok({u"transport"_s, QString::number(zeusBatch->movements.front().id), u"--output"_s,
                zeusPdf}));
    const QString zeusText
        = QString::fromUtf8(toolOutput(u"pdftotext"_s, {u"-layout"_s, zeusPdf, u"-"_s}));
    QVERIFY2(zeusText.contains(u"276009876543210"_s), qPrintable(zeusText));
    QVERIFY2(zeusText.contains(u"Haras du Pin 0"_s), qPrintable(zeusText));

    // Only a dispatch has one; nothing is written for anything else.
    const QString destroyed
        = ok({u"destroy"_s, zeusSheet, u"--doses"_s, u"1"_s, u"--reason"_s, u"thawed"_s})
              .value_or(QString());
    QVERIFY(!destroyed.isEmpty());
    const QString refusedPdf = m_dir.filePath(u"refused-%1.pdf"_s.arg(m_journals));
    Run result
        = run({u"transport"_s, destroyed, u"--output"_s, refusedPdf, u"--journal"_s, location});
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(result.err, u"estrivo-records: %1 was not written: movement %2 is no dispatch (its "
                         "doses were destroyed).\n"_s.arg(refusedPdf, destroyed));
    QVERIFY(!QFileInfo::exists(refusedPdf));
    result = run({u"transport"_s, dispatch, u"--output"_s, u"x.csv"_s, u"--journal"_s, location});
    QCOMPARE(result.exitCode, 2);
    QVERIFY2(result.err.startsWith(u"estrivo-records: transport wants --output FILE.pdf."_s),
             qPrintable(result.err));
}

void TestRecordsRegister::labelsMarked_data()
{
    QTest::addColumn<QString>("backend");
    QTest::addColumn<bool>("eu");
    QTest::addColumn<bool>("registered");
    QTest::addColumn<int>("exitCode");

    for (const QString &backend : kBackends) {
        const auto row = [&backend](const char *name, bool eu, bool registered, int exitCode) {
            QTest::addRow("%s: %s", qPrintable(backend), name)
                << backend << eu << registered << exitCode;
        };
        row("no marking, donor unregistered", false, false, 0);
        row("EU marking, donor unregistered", true, false, 1);
        row("EU marking, donor registered", true, true, 0);
    }
}

void TestRecordsRegister::labelsMarked()
{
    // The labels the command line prints carry what the journal knows of the station and the
    // donor, and are refused as the window refuses them where the marking lacks an element.
    QFETCH(QString, backend);
    QFETCH(bool, eu);
    QFETCH(bool, registered);
    QFETCH(int, exitCode);
    QList<SheetRecord> sheets;
    const QString location = freshJournal(backend, &sheets);
    QVERIFY(!location.isEmpty());
    StationProfile station;
    station.name = u"Gestüt Nord"_s;
    station.approval = u"DE-EQ-0042"_s;
    station.marking = eu ? StationProfile::Marking::Eu : StationProfile::Marking::None;
    Run result = run({u"station"_s, u"set"_s, u"--name"_s, station.name, u"--approval"_s,
                      station.approval, u"--marking"_s, eu ? u"eu"_s : u"none"_s, u"--journal"_s,
                      location});
    QCOMPARE(result.exitCode, 0);
    std::optional<Stallion> donor;
    if (registered) {
        result = run({u"stallion"_s, u"add"_s, u"--name"_s, u"Zeus"_s, u"--ueln"_s,
                      u"276009876543210"_s, u"--journal"_s, location});
        QCOMPARE(result.exitCode, 0);
        donor = Journal(location).stallionNamed(u"Zeus"_s);
        QVERIFY(donor);
    }
    const SheetRecord &sheet = sheets.front(); // Zeus's
    const QString pdf = m_dir.filePath(u"labels-%1.pdf"_s.arg(m_journals));
    result = run({u"labels"_s, QString::number(sheet.id), u"--count"_s, u"2"_s, u"--output"_s, pdf,
                  u"--journal"_s, location});
    QCOMPARE(result.exitCode, exitCode);
    if (exitCode != 0) {
        const QStringList missing = missingMarking(station, donor, sheet);
        QVERIFY(!missing.isEmpty());
        QCOMPARE(result.err, u"estrivo-records: "_s + missingMarkingText(missing) + u'\n');
        QVERIFY(!QFileInfo::exists(pdf));
        return;
    }
    QCOMPARE(result.err, QString());
    QCOMPARE(pdfInfo(pdf, u"Pages"_s), u"2"_s);
    const QString text = QString::fromUtf8(toolOutput(u"pdftotext"_s, {pdf, u"-"_s}));
    QVERIFY2(text.contains(u"DE-EQ-0042"_s), qPrintable(text));
    QCOMPARE(text.contains(u"276009876543210"_s), registered);
}

void TestRecordsRegister::registerRefused_data()
{
    QTest::addColumn<QString>("line"); // {J}: the journal, {D}: the folder
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("error");

    const QString fails = u"estrivo-records: "_s;
    const QString journal = u"was not written: it is the journal being read, or one of its "
                            "files."_s;
    QTest::newRow("CSV over the journal")
        << u"register --output {J}"_s << 1 << fails + u"{J} "_s + journal;
    QTest::newRow("PDF into a folder")
        << u"register --output {D}/folder.pdf"_s << 1
        << fails + u"{D}/folder.pdf was not written: it is a folder, not a regular file.\n"_s;
    QTest::newRow("CSV into a folder")
        << u"register --output {D}"_s << 1
        << fails
               + u"{D} was not written: it is a folder, not a regular file. Give no --output "
                 "to write to standard output.\n"_s;
    QTest::newRow("transport of no movement")
        << u"transport 99 --output {D}/t.pdf"_s << 1
        << fails + u"{D}/t.pdf was not written: no movement has the ID 99.\n"_s;
    QTest::newRow("range the wrong way round")
        << u"register --since 2026-03-02 --until 2026-03-01"_s << 2
        << fails + u"--since is after --until."_s;
    QTest::newRow("an argument") << u"register 2026"_s << 2
                                 << fails + u"register takes no argument \"2026\"."_s;
    QTest::newRow("a stallion filter") << u"register --stallion Zeus"_s << 2
                                       << fails
                                              + u"--stallion is an option of the export "
                                                "command."_s;
    QTest::newRow("no such journal") << u"register --journal {D}/none.sqlite"_s << 1
                                     << fails
                                            + u"The journal {D}/none.sqlite could not be "
                                              "opened"_s;
}

void TestRecordsRegister::registerRefused()
{
    // What the register and the transport sheet never write over, and the forms they refuse.
    QFETCH(QString, line);
    QFETCH(int, exitCode);
    QFETCH(QString, error);
    static const QString location = freshJournal(u"sqlite"_s);
    QVERIFY(!location.isEmpty());
    const QString folder = m_dir.filePath(u"outputs"_s);
    QVERIFY(QDir().mkpath(folder + u"/folder.pdf"_s));
    const auto fill = [&](QString text) {
        return text.replace(u"{J}"_s, location).replace(u"{D}"_s, folder);
    };
    QFile journal(location);
    QVERIFY(journal.open(QIODevice::ReadOnly));
    const QByteArray before = journal.readAll();
    journal.close();
    QStringList arguments = fill(line).split(u' ');
    if (!arguments.contains(u"--journal"_s))
        arguments << u"--journal"_s << location;
    const Run result = run(arguments);
    QVERIFY2(result.err.startsWith(fill(error)), qPrintable(result.err));
    QCOMPARE(result.err.count(u'\n'), exitCode);
    QCOMPARE(result.exitCode, exitCode);
    QVERIFY(journal.open(QIODevice::ReadOnly));
    QCOMPARE(journal.readAll(), before);
    // Nothing written, not even a part file.
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{u"folder.pdf"_s});
}

QTEST_MAIN(TestRecordsRegister)
#include "tst_records_register.moc"
