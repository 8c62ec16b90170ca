// Frozen semen through the records program's command line, on a SQLite file and on a private
// PostgreSQL server: freeze batches from one or pooled collections, post-thaw tests against
// the station's release figure, straws placed, moved and sent out never beyond what a position
// holds, tank care, and the inventory and cane labels read back from the files written.
#include "csv_export.h"
#include "local_postgres.h"
#include "records_fixture.h"

#include <QRegularExpression>
#include <QTemporaryDir>

#include <memory>

using namespace estrivo;
using namespace recordstest;

namespace {

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

constexpr int kSeeded = 12; // sheets 0 and 6 are Zeus's (20 and 98 ml gel-free), 1 is Ábaco's
const QStringList kBackends{u"sqlite"_s, u"postgres"_s};
const QString kFails = u"estrivo-records: "_s;
const QByteArray kInventoryHeader
    = "tank_id,tank,stallion,batch_id,frozen_at,state,straws,straws_per_dose,doses,positions";

// What a stored batch's straws look like: "Tank 1/1/G1/C1=30", one a position, in order.
QString placed(const QList<Placement> &placements)
{
    QStringList held;
    for (const Placement &placement : placements) {
        QStringList parts{placement.tankName, QString::number(placement.position.canister)};
        if (!placement.position.goblet.isEmpty())
            parts << placement.position.goblet;
        if (!placement.position.cane.isEmpty())
            parts << placement.position.cane;
        held << u"%1=%2"_s.arg(parts.join(u'/')).arg(placement.straws);
    }
    held.sort();
    return held.join(u' ');
}

} // namespace

class TestRecordsFrozen : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void usage_data();
    void usage();
    void freeze_data();
    void freeze();
    void release_data();
    void release();
    void storage_data();
    void storage();
    void lastStrawsOnce_data();
    void lastStrawsOnce();
    void tankCare_data();
    void tankCare();
    void inventory_data();
    void inventory();
    void caneLabels_data();
    void caneLabels();
    void strawsPerDose_data();
    void strawsPerDose();

private:
    // A new journal of kSeeded collections; with `stored`, two tanks ("Tank 1" of 4 canisters,
    // "Tank 2" of 6) and two batches of Zeus tested at 40 %: {batch} of 40 straws (8 a dose)
    // released, {batch2} of 10 still in quarantine.
    QString freshJournal(const QString &backend, bool stored = false);
    // Runs a line of the program on `location`, words split at blanks (a no-break space is a
    // blank inside a word), the placeholders filled in.
    Run line(const QString &location, const QString &text);
    Run run(const QStringList &arguments);
    QProcess *start(const QStringList &arguments);
    static Run finish(QProcess &process);
    QString fill(QString text) const;

    QTemporaryDir m_dir;
    LocalPostgres m_postgres;
    int m_journals = 0;
    QHash<QString, QString> m_ids; // {z0}, {z6}, {a1}, {batch}, {batch2}
};

void TestRecordsFrozen::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qputenv("HOME", m_dir.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", m_dir.filePath(u"config"_s).toLocal8Bit());
    qputenv("TZ", "Europe/Berlin");
    qputenv("LC_ALL", "C.UTF-8");
    QLocale::setDefault(QLocale::c());
    qunsetenv("ESTRIVO_JOURNAL");
    QString error;
    QVERIFY2(m_postgres.start(&error), qPrintable(error));
}

QString TestRecordsFrozen::freshJournal(const QString &backend, bool stored)
{
    const QString name = u"frozen_%1"_s.arg(++m_journals);
    QString location = m_dir.filePath(name + u".sqlite"_s);
    if (backend == u"postgres"_s) {
        QString error;
        location = m_postgres.createDatabase(name, &error);
        if (location.isEmpty())
            qWarning("%s", qPrintable(error));
    }
    {
        Journal journal(location);
        for (int n = 0; n < kSeeded; ++n) {
            SheetRecord sheet = generatedSheet(n);
            if (!journal.saveSheet(sheet).ok())
                return {};
            if (n == 0 || n == 6 || n == 1)
                m_ids.insert(u"{%1%2}"_s.arg(n == 1 ? u"a"_s : u"z"_s).arg(n),
                             QString::number(sheet.id));
        }
    }
    if (!stored)
        return location;
    // Zeus's second collection holds 302 M/ml: 15 ml are 4,530 M, room for 40 straws of 100 M;
    // his first holds 80 M/ml: 10 ml are 800 M, room for 10 straws of 75 M.
    const QList<std::pair<QString, QString>> setUp{
        {u"tank add --name Tank\u00a01 --canisters 4"_s, {}},
        {u"tank add --name Tank\u00a02 --location Lab"_s, {}},
        {u"freeze {z6} --raw-ml 15 --straws 40 --straw-volume 0.5 --concentration 200 "
         "--straws-per-dose 8 --marking Z-0412"_s,
         u"{batch}"_s},
        {u"freeze {z0} --raw-ml 10 --straws 10 --straw-volume 0.25 --concentration 300"_s,
         u"{batch2}"_s},
    };
    for (const auto &[text, made] : setUp) {
        const Run done = line(location, text);
        if (done.exitCode != 0) {
            qWarning("%s: %s", qPrintable(text), qPrintable(done.err));
            return {};
        }
        if (!made.isEmpty())
            m_ids.insert(made, done.out.trimmed());
    }
    for (const QString &text :
         {u"thaw-test {batch} --total-motility 55 --progressive 40"_s,
          u"thaw-test {batch2} --total-motility 55 --progressive 40"_s, u"release {batch}"_s}) {
        if (const Run done = line(location, text); done.exitCode != 0) {
            qWarning("%s: %s", qPrintable(text), qPrintable(done.err));
            return {};
        }
    }
    return location;
}

QString TestRecordsFrozen::fill(QString text) const
{
    for (auto it = m_ids.cbegin(); it != m_ids.cend(); ++it)
        text.replace(it.key(), it.value());
    return text;
}

Run TestRecordsFrozen::line(const QString &location, const QString &text)
{
    QStringList arguments{u"--journal"_s, location};
    for (QString argument : fill(text).split(u' ')) {
        argument.replace(u'\u00a0', u' ');
        arguments << argument;
    }
    return run(arguments);
}

QProcess *TestRecordsFrozen::start(const QStringList &arguments)
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

Run TestRecordsFrozen::finish(QProcess &process)
{
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

Run TestRecordsFrozen::run(const QStringList &arguments)
{
    const std::unique_ptr<QProcess> process(start(arguments));
    return finish(*process);
}

void TestRecordsFrozen::usage_data()
{
    // Each is refused before any journal is opened: the one named does not exist.
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("error");

    const auto row
        = [](const char *name, const QString &text, int exitCode, const QString &error) {
              QTest::newRow(name) << text << exitCode << error;
          };
    const QString freeze = u"freeze 1 --raw-ml 10 --straws 20 --straw-volume 0.5 "
                           "--concentration 200"_s;
    row("freeze: raw ml for one of two",
        u"freeze 1,2 --raw-ml 10 --straws 20 --straw-volume "
        "0.5 --concentration 200"_s,
        2, u"--raw-ml wants one volume for each of the 2 sheets."_s);
    row("freeze: a sheet twice",
        u"freeze 1,1 --raw-ml 5,5 --straws 20 --straw-volume 0.5 "
        "--concentration 200"_s,
        2, u"Sheet 1 is given twice."_s);
    row("freeze: straw volume", QString(freeze).replace(u"0.5"_s, u"0.3"_s), 2,
        u"--straw-volume wants 0.25 or 0.5 (ml), not \"0.3\"."_s);
    row("freeze: no concentration", QString(freeze).remove(u" --concentration 200"_s), 2,
        u"freeze wants --concentration."_s);
    row("freeze: negative raw ml", QString(freeze).replace(u"10"_s, u"-10"_s), 2,
        u"--raw-ml wants a number above 0, at most 1000, not \"-10\"."_s);
    row("freeze: exponent", QString(freeze).replace(u"200"_s, u"2e2"_s), 2,
        u"--concentration wants a number above 0, at most 10000, not \"2e2\"."_s);
    row("freeze: centrifuge half given", freeze + u" --centrifuge-g 600"_s, 2,
        u"--centrifuge-g and --centrifuge-min go together."_s);
    row("freeze: more sperm than the straw holds", freeze + u" --sperm-per-straw 150"_s, 1,
        u"--sperm-per-straw 150 M is more than 0.5 ml at 200 M/ml hold (100 M)."_s);
    row("freeze: empty marking", freeze + u" --marking ''"_s, 2,
        u"--marking needs what is printed on the straws."_s);
    row("thaw-test: progressive above total",
        u"thaw-test 1 --total-motility 30 --progressive 35"_s, 1,
        u"--progressive 35 % is more than the total motility 30 %."_s);
    row("thaw-test: motility above 100", u"thaw-test 1 --total-motility 130 --progressive 35"_s, 2,
        u"--total-motility wants a number from 0 to 100, not \"130\"."_s);
    row("thaw-test: one velocity", u"thaw-test 1 --total-motility 50 --progressive 35 --vcl 80"_s,
        2, u"--vcl, --vsl and --vap go together."_s);
    row("release: hold and quarantine", u"release 1 --hold a --quarantine b"_s, 2,
        u"--hold and --quarantine are exclusive."_s);
    row("tank add: a slash", u"tank add --name A/B"_s, 1, u"A tank's name cannot hold \"/\""_s);
    row("tank add: a number", u"tank add --name 12"_s, 1,
        u"A tank's name cannot be a number alone"_s);
    row("tank: nothing more", u"tank"_s, 2, u"tank wants add or list."_s);
    row("tank-check: no level", u"tank-check Tank\u00a01"_s, 2, u"tank-check wants --level."_s);
    row("place: canister 0", u"place 1 --straws 5 --tank T --canister 0"_s, 2,
        u"--canister wants a whole number from 1 to 1000, not \"0\"."_s);
    row("move: position without canister", u"move 1 --straws 5 --from T --to T/2"_s, 2,
        u"--from wants a position TANK/CANISTER[/GOBLET[/CANE]], not \"T\"."_s);
    row("move: an empty goblet", u"move 1 --straws 5 --from T/1//C --to T/2"_s, 2,
        u"--from wants a position"_s);
    row("move: to where it is", u"move 1 --straws 5 --from T/1/G --to T/1/G"_s, 2,
        u"--from and --to are the same position."_s);
    row("move: bulk with straws", u"move --all-from T/1 --to T/2 --straws 3"_s, 2,
        u"--all-from moves every straw there: give no --straws."_s);
    row("move: bulk with a batch", u"move 4 --all-from T/1 --to T/2"_s, 2,
        u"--all-from moves every batch's straws: give no BATCH_ID."_s);
    row("dispatch: straws counted as doses", u"dispatch --batch 1 --doses 2 --to X --from T/1"_s,
        2, u"Straws of a freeze batch are counted with --straws, not --doses."_s);
    row("dispatch: straws without a position", u"dispatch --batch 1 --straws 2 --to X"_s, 2,
        u"dispatch wants --from."_s);
    row("use: a position without a batch", u"use 3 --doses 1 --mare M --from T/1"_s, 2,
        u"--from goes with --batch."_s);
    row("inventory: by what", u"inventory --by canister"_s, 2,
        u"--by wants tank or stallion, not \"canister\"."_s);
    row("cane-labels: no PDF", u"cane-labels 1 --output x.csv"_s, 2,
        u"cane-labels wants --output FILE.pdf."_s);
    row("frozen-settings: threshold", u"frozen-settings --release-motility 101"_s, 2,
        u"--release-motility wants a number from 0 to 100, not \"101\"."_s);
    row("an option of another command", u"tanks-due --straws 3"_s, 2,
        u"--straws is an option of the freeze, thaw-test, place, move, dispatch, use and "
        "destroy commands."_s);
}

void TestRecordsFrozen::usage()
{
    QFETCH(QString, text);
    QFETCH(int, exitCode);
    QFETCH(QString, error);
    const QString absent = m_dir.filePath(u"absent/journal.sqlite"_s);
    QStringList arguments{u"--journal"_s, absent};
    for (QString argument : text.split(u' ')) {
        argument.replace(u'\u00a0', u' ');
        arguments << (argument == u"''"_s ? QString() : argument);
    }
    const Run result = run(arguments);
    QCOMPARE(result.exitCode, exitCode);
    QVERIFY2(result.err.startsWith(kFails + error), qPrintable(result.err));
    QCOMPARE(result.err.count(u'\n'), exitCode); // one line; a usage error adds the hint
    QCOMPARE(result.out, QString());
    QVERIFY(!QFileInfo::exists(absent));
}

void TestRecordsFrozen::freeze_data()
{
    QTest::addColumn<QString>("backend");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QList<qint64>>("sources"); // the sheets' indexes: 0, 6 or 1
    QTest::addColumn<double>("spermPerStraw");

    const QString rest = u" --straws 10 --straw-volume 0.5 --concentration 200"_s;
    for (const QString &backend : kBackends) {
        const auto row = [&backend](const char *name, const QString &text, int exitCode,
                                    const QList<qint64> &sources, double sperm) {
            QTest::addRow("%s: %s", qPrintable(backend), name)
                << backend << text << exitCode << sources << sperm;
        };
        row("one collection", u"freeze {z0} --raw-ml 12.5"_s + rest, 0, {0}, 100.0);
        row("all its gel-free volume", u"freeze {z0} --raw-ml 20"_s + rest, 0, {0}, 100.0);
        row("two pooled of one stallion", u"freeze {z0},{z6} --raw-ml 10,60"_s + rest, 0, {0, 6},
            100.0);
        row("sperm per straw given", u"freeze {z6} --raw-ml 10 --sperm-per-straw 80"_s + rest, 0,
            {6}, 80.0);
        row("centrifuged, every detail",
            u"freeze {z0} --raw-ml 15 --centrifuge-g 600 --centrifuge-min 10 --extender "
            "Lactose-EDTA --colour red --marking Z\u00a00412 --straws-per-dose 8 --notes "
            "=cmd|x"_s
                + rest,
            0, {0}, 100.0);
        row("two stallions", u"freeze {z0},{a1} --raw-ml 5,5"_s + rest, 1, {}, 0.0);
        row("beyond the gel-free volume", u"freeze {z0} --raw-ml 20.5"_s + rest, 1, {}, 0.0);
        row("pooled beyond one's volume", u"freeze {z0},{z6} --raw-ml 10,99"_s + rest, 1, {}, 0.0);
        row("no such sheet", u"freeze 999 --raw-ml 5"_s + rest, 1, {}, 0.0);
    }
}

void TestRecordsFrozen::freeze()
{
    QFETCH(QString, backend);
    QFETCH(QString, text);
    QFETCH(int, exitCode);
    QFETCH(QList<qint64>, sources);
    QFETCH(double, spermPerStraw);
    const QString location = freshJournal(backend);
    QVERIFY(!location.isEmpty());
    const Run result = line(location, text);
    QVERIFY2(result.exitCode == exitCode, qPrintable(result.err));
    Journal journal(location);
    const QList<FreezeBatch> batches = journal.freezeBatches();
    if (exitCode != 0) {
        QVERIFY2(result.err.startsWith(kFails), qPrintable(result.err));
        QCOMPARE(result.err.count(u'\n'), 1);
        QCOMPARE(result.out, QString());
        QCOMPARE(batches.size(), 0);
        return;
    }
    QCOMPARE(result.err, QString());
    QCOMPARE(batches.size(), 1);
    const FreezeBatch &batch = batches.front();
    QCOMPARE(result.out, u"%1\n"_s.arg(batch.id));
    QStringList kept;
    for (const FreezeSource &source : batch.sources)
        kept << QString::number(source.sheetId);
    QStringList asked;
    for (qint64 index : sources)
        asked << m_ids.value(index == 1 ? u"{a1}"_s : u"{z%1}"_s.arg(index));
    QCOMPARE(kept, asked);
    QCOMPARE(batch.stallion, u"Zeus"_s);
    QCOMPARE(batch.strawsMade, 10);
    QCOMPARE(batch.strawVolumeMl, 0.5);
    QCOMPARE(batch.spermPerStraw, spermPerStraw);
    QCOMPARE(batch.state, ReleaseState::Quarantine);
    QCOMPARE(batch.strawsUnplaced, 10);
    QCOMPARE(batch.strawsStored, 0);
    if (text.contains(u"--extender"_s)) {
        QCOMPARE(batch.centrifugationG, 600.0);
        QCOMPARE(batch.centrifugationMinutes, 10.0);
        QCOMPARE(batch.extender, u"Lactose-EDTA"_s);
        QCOMPARE(batch.strawColour, u"red"_s);
        QCOMPARE(batch.strawMarking, u"Z 0412"_s);
        QCOMPARE(batch.strawsPerDose, 8);
        QCOMPARE(batch.notes, u"=cmd|x"_s);
    }
}

void TestRecordsFrozen::release_data()
{
    QTest::addColumn<QString>("backend");
    QTest::addColumn<QStringList>("lines"); // after a freeze of Zeus's first collection
    QTest::addColumn<QList<int>>("exitCodes");
    QTest::addColumn<ReleaseState>("state");

    const QString test35 = u"thaw-test {batch} --total-motility 60 --progressive 35"_s;
    for (const QString &backend : kBackends) {
        const auto row = [&backend](const char *name, const QStringList &lines,
                                    const QList<int> &exitCodes, ReleaseState state) {
            QTest::addRow("%s: %s", qPrintable(backend), name)
                << backend << lines << exitCodes << state;
        };
        row("without a test", {u"release {batch}"_s}, {1}, ReleaseState::Quarantine);
        row("tested at 35 %", {test35, u"release {batch}"_s}, {0, 0}, ReleaseState::Released);
        row("tested at 30 %, the figure itself",
            {u"thaw-test {batch} --total-motility 50 --progressive 30 --straws 2 --minutes 10 "
             "--vcl 90 --vsl 40 --vap 60 --bacteriology no\u00a0growth"_s,
             u"release {batch}"_s},
            {0, 0}, ReleaseState::Released);
        row("tested at 29.5 %",
            {u"thaw-test {batch} --total-motility 50 --progressive 29.5"_s, u"release {batch}"_s},
            {0, 1}, ReleaseState::Quarantine);
        row("the latest test counts",
            {test35, u"thaw-test {batch} --total-motility 40 --progressive 20"_s,
             u"release {batch}"_s},
            {0, 0, 1}, ReleaseState::Quarantine);
        row("the station asks 40 %",
            {u"frozen-settings --release-motility 40"_s, test35, u"release {batch}"_s}, {0, 0, 1},
            ReleaseState::Quarantine);
        row("the station settles for 20 %",
            {u"frozen-settings --release-motility 20"_s,
             u"thaw-test {batch} --total-motility 40 --progressive 25"_s, u"release {batch}"_s},
            {0, 0, 0}, ReleaseState::Released);
        row("held after its release",
            {test35, u"release {batch}"_s,
             u"release {batch} --hold mould\u00a0in\u00a0canister"_s},
            {0, 0, 0}, ReleaseState::OnHold);
        row("back to quarantine",
            {test35, u"release {batch}"_s, u"release {batch} --quarantine recheck"_s}, {0, 0, 0},
            ReleaseState::Quarantine);
        row("a batch that is none", {u"thaw-test 999 --total-motility 50 --progressive 40"_s}, {1},
            ReleaseState::Quarantine);
    }
}

void TestRecordsFrozen::release()
{
    QFETCH(QString, backend);
    QFETCH(QStringList, lines);
    QFETCH(QList<int>, exitCodes);
    QFETCH(ReleaseState, state);
    const QString location = freshJournal(backend);
    QVERIFY(!location.isEmpty());
    const Run made = line(location, u"freeze {z6} --raw-ml 10 --straws 20 --straw-volume 0.5 "
                                    "--concentration 200"_s);
    QCOMPARE(made.exitCode, 0);
    m_ids.insert(u"{batch}"_s, made.out.trimmed());
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const Run result = line(location, lines[n]);
        QVERIFY2(result.exitCode == exitCodes[n], qPrintable(lines[n] + u": "_s + result.err));
        if (result.exitCode == 0) {
            QCOMPARE(result.err, QString());
        } else {
            QCOMPARE(result.out, QString());
            QVERIFY2(result.err.startsWith(kFails), qPrintable(result.err));
            QCOMPARE(result.err.count(u'\n'), 1);
        }
    }
    Journal journal(location);
    const std::optional<FreezeBatch> batch = journal.freezeBatch(made.out.trimmed().toLongLong());
    QVERIFY(batch);
    QCOMPARE(batch->state, state);
    if (lines.first().contains(u"--vcl"_s)) {
        const QList<ThawTest> tests = journal.thawTests(batch->id);
        QCOMPARE(tests.size(), 1);
        QCOMPARE(tests.front().strawsThawed, 2);
        QCOMPARE(tests.front().minutesAfterThaw, 10.0);
        QCOMPARE(tests.front().vcl, std::optional<double>(90.0));
        QCOMPARE(tests.front().vsl, std::optional<double>(40.0));
        QCOMPARE(tests.front().vap, std::optional<double>(60.0));
        QCOMPARE(tests.front().bacteriology, u"no growth"_s);
    }
}

void TestRecordsFrozen::storage_data()
{
    QTest::addColumn<QString>("backend");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QList<int>>("exitCodes");
    QTest::addColumn<QString>("batch");  // where {batch}'s straws are afterwards
    QTest::addColumn<QString>("batch2"); // and {batch2}'s
    QTest::addColumn<int>("unplaced");   // {batch}'s straws not placed, or taken out

    const QString place30 = u"place {batch} --straws 30 --tank Tank\u00a01 --canister 1 "
                            "--goblet G1 --cane C1"_s;
    for (const QString &backend : kBackends) {
        const auto row
            = [&backend](const char *name, const QStringList &lines, const QList<int> &exitCodes,
                         const QString &batch, const QString &batch2, int unplaced) {
                  QTest::addRow("%s: %s", qPrintable(backend), name)
                      << backend << lines << exitCodes << batch << batch2 << unplaced;
              };
        row("placed", {place30}, {0}, u"Tank 1/1/G1/C1=30"_s, {}, 10);
        row("never more placed than made",
            {place30, u"place {batch} --straws 11 --tank Tank\u00a02 --canister 1"_s}, {0, 1},
            u"Tank 1/1/G1/C1=30"_s, {}, 10);
        row("a canister the tank lacks",
            {u"place {batch} --straws 5 --tank Tank\u00a01 --canister 5"_s}, {1}, {}, {}, 40);
        row("a tank that is none", {u"place {batch} --straws 5 --tank Tank\u00a09 --canister 1"_s},
            {1}, {}, {}, 40);
        row("the tank by its ID", {u"place {batch} --straws 5 --tank 2 --canister 3"_s}, {0},
            u"Tank 2/3=5"_s, {}, 35);
        row("moved, never more than held",
            {place30,
             u"move {batch} --straws 31 --from Tank\u00a01/1/G1/C1 --to Tank\u00a02/2/G4"_s,
             u"move {batch} --straws 12 --from Tank\u00a01/1/G1/C1 --to Tank\u00a02/2/G4"_s},
            {0, 1, 0}, u"Tank 1/1/G1/C1=18 Tank 2/2/G4=12"_s, {}, 10);
        row("moved from where none are",
            {place30, u"move {batch} --straws 1 --from Tank\u00a01/1/G1 --to Tank\u00a02/2"_s},
            {0, 1}, u"Tank 1/1/G1/C1=30"_s, {}, 10);
        row("a whole canister to another tank",
            {u"place {batch} --straws 20 --tank Tank\u00a01 --canister 2 --goblet G1"_s,
             u"place {batch} --straws 10 --tank Tank\u00a01 --canister 2 --goblet G2 --cane C"_s,
             u"place {batch2} --straws 6 --tank Tank\u00a01 --canister 2 --goblet G1"_s,
             u"place {batch} --straws 4 --tank Tank\u00a01 --canister 3"_s,
             u"move --all-from Tank\u00a01/2 --to Tank\u00a02/5"_s},
            {0, 0, 0, 0, 0}, u"Tank 1/3=4 Tank 2/5/G1=20 Tank 2/5/G2/C=10"_s, u"Tank 2/5/G1=6"_s,
            6);
        row("one goblet into a new one",
            {u"place {batch} --straws 20 --tank Tank\u00a01 --canister 2 --goblet G1"_s,
             u"place {batch} --straws 10 --tank Tank\u00a01 --canister 2 --goblet G2"_s,
             u"move --all-from Tank\u00a01/2/G1 --to Tank\u00a01/4/G9"_s},
            {0, 0, 0}, u"Tank 1/2/G2=10 Tank 1/4/G9=20"_s, {}, 10);
        row("a bulk move from nothing", {u"move --all-from Tank\u00a01/2 --to Tank\u00a02/5"_s},
            {1}, {}, {}, 40);
        row("a bulk move into a canister the tank lacks",
            {place30, u"move --all-from Tank\u00a01/1 --to Tank\u00a01/7"_s}, {0, 1},
            u"Tank 1/1/G1/C1=30"_s, {}, 10);
        row("dispatched from a released batch",
            {place30,
             u"dispatch --batch {batch} --straws 8 --from Tank\u00a01/1/G1/C1 --to Haras"_s},
            {0, 0}, u"Tank 1/1/G1/C1=22"_s, {}, 10);
        row("its collection named too",
            {place30,
             u"use {z6} --batch {batch} --straws 8 --from Tank\u00a01/1/G1/C1 --mare Bella"_s},
            {0, 0}, u"Tank 1/1/G1/C1=22"_s, {}, 10);
        row("another collection named",
            {place30,
             u"use {z0} --batch {batch} --straws 8 --from Tank\u00a01/1/G1/C1 --mare Bella"_s},
            {0, 1}, u"Tank 1/1/G1/C1=30"_s, {}, 10);
        row("never more out than the position holds",
            {place30,
             u"dispatch --batch {batch} --straws 31 --from Tank\u00a01/1/G1/C1 --to Haras"_s,
             u"dispatch --batch {batch} --straws 1 --from Tank\u00a01/1/G1 --to Haras"_s},
            {0, 1, 1}, u"Tank 1/1/G1/C1=30"_s, {}, 10);
        row("not from a batch in quarantine",
            {u"place {batch2} --straws 10 --tank Tank\u00a02 --canister 1"_s,
             u"dispatch --batch {batch2} --straws 2 --from Tank\u00a02/1 --to Haras"_s,
             u"use --batch {batch2} --straws 2 --from Tank\u00a02/1 --mare Bella"_s},
            {0, 1, 1}, {}, u"Tank 2/1=10"_s, 40);
        row("destroyed from quarantine",
            {u"place {batch2} --straws 10 --tank Tank\u00a02 --canister 1"_s,
             u"destroy --batch {batch2} --straws 3 --from Tank\u00a02/1 --reason thawed"_s},
            {0, 0}, {}, u"Tank 2/1=7"_s, 40);
    }
}

void TestRecordsFrozen::storage()
{
    QFETCH(QString, backend);
    QFETCH(QStringList, lines);
    QFETCH(QList<int>, exitCodes);
    QFETCH(QString, batch);
    QFETCH(QString, batch2);
    QFETCH(int, unplaced);
    const QString location = freshJournal(backend, true);
    QVERIFY(!location.isEmpty());
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const Run result = line(location, lines[n]);
        QVERIFY2(result.exitCode == exitCodes[n], qPrintable(lines[n] + u": "_s + result.err));
        if (result.exitCode != 0) {
            QCOMPARE(result.out, QString());
            QCOMPARE(result.err.count(u'\n'), 1);
        } else if (lines[n].contains(u"--batch"_s)) {
            QVERIFY2(QRegularExpression(u"\\A[1-9][0-9]*\n\\z"_s).match(result.out).hasMatch(),
                     qPrintable(result.out));
        } else {
            QCOMPARE(result.out, QString()); // a place or a move keeps no record of its own
        }
    }
    Journal journal(location);
    const qint64 first = m_ids.value(u"{batch}"_s).toLongLong();
    QCOMPARE(placed(journal.placementsOfBatch(first)), batch);
    QCOMPARE(placed(journal.placementsOfBatch(m_ids.value(u"{batch2}"_s).toLongLong())), batch2);
    const std::optional<FreezeBatch> kept = journal.freezeBatch(first);
    QVERIFY(kept);
    QCOMPARE(kept->strawsUnplaced, unplaced);
}

void TestRecordsFrozen::lastStrawsOnce_data()
{
    QTest::addColumn<QString>("backend");
    for (const QString &backend : kBackends)
        QTest::newRow(qPrintable(backend)) << backend;
}

void TestRecordsFrozen::lastStrawsOnce()
{
    // Two workstations take the last straws of a position at the same moment, round after
    // round: one has them, the other is refused, and the position never goes below nothing.
    QFETCH(QString, backend);
    const QString location = freshJournal(backend, true);
    QVERIFY(!location.isEmpty());
    const qint64 batch = m_ids.value(u"{batch}"_s).toLongLong();
    for (int round = 1; round <= 4; ++round) {
        const QString goblet = u"G%1"_s.arg(round);
        const Run put = line(location, u"place {batch} --straws 10 --tank Tank\u00a01 "
                                       "--canister 1 --goblet "_s
                                           + goblet);
        QVERIFY2(put.exitCode == 0, qPrintable(put.err));
        QList<QProcess *> racing;
        for (const QString &consignee : {u"Stable A"_s, u"Stable B"_s}) {
            racing << start({u"dispatch"_s, u"--batch"_s, QString::number(batch), u"--straws"_s,
                             u"8"_s, u"--from"_s, u"Tank 1/1/"_s + goblet, u"--to"_s, consignee,
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
        QCOMPARE(runs[1].exitCode, 1);
        QCOMPARE(runs[1].out, QString());
        QCOMPARE(runs[1].err.count(u'\n'), 1);
        Journal journal(location);
        QCOMPARE(placed(journal.placementsOfBatch(batch)).count(u"=2"_s), round);
    }
}

void TestRecordsFrozen::tankCare_data()
{
    QTest::addColumn<QString>("backend");
    for (const QString &backend : kBackends)
        QTest::newRow(qPrintable(backend)) << backend;
}

void TestRecordsFrozen::tankCare()
{
    QFETCH(QString, backend);
    const QString location = freshJournal(backend, true);
    QVERIFY(!location.isEmpty());
    for (const QString &text :
         {u"tank add --name Tank\u00a03"_s, u"tank add --name Dewar --min-level 8"_s,
          u"tank-check tank\u00a01 --level 21.5 --refilled --note topped\u00a0up"_s,
          u"tank-check Dewar --level 7.5"_s,
          u"place {batch} --straws 40 --tank Tank\u00a01 --canister 1"_s,
          u"frozen-settings --low-stock-doses 6"_s}) {
        const Run result = line(location, text);
        QVERIFY2(result.exitCode == 0, qPrintable(text + u": "_s + result.err));
    }
    QCOMPARE(line(location, u"tank add --name TANK\u00a01"_s).exitCode, 1); // names any case
    QCOMPARE(line(location, u"tank-check Tank\u00a09 --level 20"_s).err,
             kFails + u"No tank is named \"Tank 9\".\n"_s);

    // Tank 2 was last checked eight days ago: kept with that time by another workstation.
    const QDateTime old = QDateTime::currentDateTimeUtc().addDays(-8);
    {
        Journal journal(location);
        const QList<Tank> tanks = journal.tanks();
        const auto tank2 = std::find_if(tanks.begin(), tanks.end(),
                                        [](const Tank &tank) { return tank.name == u"Tank 2"_s; });
        QVERIFY(tank2 != tanks.end());
        TankCheck check;
        check.tankId = tank2->id;
        check.checkedAt = old;
        check.levelCm = 30;
        QVERIFY(journal.recordTankCheck(check).ok());
        QCOMPARE(journal.tankChecks(tank2->id).size(), 1);
    }
    // 40 released straws of 8 a dose make 5 doses, fewer than the 6 the station wants.
    Run result = line(location, u"tanks-due"_s);
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.err, QString());
    QCOMPARE(result.out, u"low\tDewar\t7.5\t8\n"
                         "due\tTank 2\t%1\n"
                         "due\tTank 3\tnever\n"
                         "low-stock\tZeus\t5\n"_s.arg(csvTime(old)));

    result = line(location, u"tank list"_s);
    QCOMPARE(result.exitCode, 0);
    QStringList rows = result.out.split(u'\n');
    QCOMPARE(rows.takeFirst(), u"id\tname\tlocation\tcanisters\tmin_level_cm\tlast_check_at\t"
                               "last_level_cm\tstate"_s);
    // When Tank 1 and Dewar were checked is now: only its form is known.
    const QString listed = rows.join(u'\n').replace(
        QRegularExpression(u"\t20[0-9]{2}-[0-9]{2}-[0-9]{2}T[0-9:]{8}[+-][0-9:]{5}\t"_s),
        u"\t*\t"_s);
    QCOMPARE(listed, u"4\tDewar\t\t6\t8\t*\t7.5\tlow\n"
                     "1\tTank 1\t\t4\t5\t*\t21.5\tok\n"
                     "2\tTank 2\tLab\t6\t5\t*\t30\tdue\n"
                     "3\tTank 3\t\t6\t5\t\t\tdue\n"_s);

    // Lowering the figure to his 5 doses takes him off the list.
    QCOMPARE(line(location, u"frozen-settings --low-stock-doses 5"_s).out,
             u"release_motility: 30\nlow_stock_doses: 5\n"_s);
    result = line(location, u"tanks-due"_s);
    QVERIFY2(!result.out.contains(u"low-stock"_s), qPrintable(result.out));
}

void TestRecordsFrozen::inventory_data()
{
    QTest::addColumn<QString>("backend");
    QTest::addColumn<bool>("byStallion");
    QTest::addColumn<bool>("toFile");
    for (const QString &backend : kBackends) {
        QTest::addRow("%s: by tank, standard output", qPrintable(backend))
            << backend << false << false;
        QTest::addRow("%s: by tank, a file", qPrintable(backend)) << backend << false << true;
        QTest::addRow("%s: by stallion, a file", qPrintable(backend)) << backend << true << true;
    }
}

void TestRecordsFrozen::inventory()
{
    QFETCH(QString, backend);
    QFETCH(bool, byStallion);
    QFETCH(bool, toFile);
    const QString location = freshJournal(backend, true);
    QVERIFY(!location.isEmpty());
    // Placed: {batch} 12 + 8 in Tank 1, 15 in Tank 2; {batch2} 10 in Tank 2; 5 of {batch} out.
    for (const QString &text :
         {u"place {batch} --straws 12 --tank Tank\u00a01 --canister 1 --goblet =G1"_s,
          u"place {batch} --straws 8 --tank Tank\u00a01 --canister 2"_s,
          u"place {batch} --straws 20 --tank Tank\u00a02 --canister 6 --goblet G --cane C,1"_s,
          u"place {batch2} --straws 10 --tank Tank\u00a02 --canister 6"_s,
          u"dispatch --batch {batch} --straws 5 --from Tank\u00a02/6/G/C,1 --to Haras"_s}) {
        const Run result = line(location, text);
        QVERIFY2(result.exitCode == 0, qPrintable(text + u": "_s + result.err));
    }
    Journal journal(location);
    const qint64 first = m_ids.value(u"{batch}"_s).toLongLong();
    const qint64 second = m_ids.value(u"{batch2}"_s).toLongLong();
    const std::optional<FreezeBatch> batch = journal.freezeBatch(first);
    const std::optional<FreezeBatch> batch2 = journal.freezeBatch(second);
    QVERIFY(batch && batch2);
    const QString frozen = csvTime(batch->frozenAt);
    const QString frozen2 = csvTime(batch2->frozenAt);
    QList<QStringList> expected;
    if (byStallion) {
        expected = {{{},
                     {},
                     u"Zeus"_s,
                     QString::number(first),
                     frozen,
                     u"released"_s,
                     u"35"_s,
                     u"8"_s,
                     u"4"_s,
                     u"3"_s},
                    {{},
                     {},
                     u"Zeus"_s,
                     QString::number(second),
                     frozen2,
                     u"quarantine"_s,
                     u"10"_s,
                     {},
                     {},
                     u"1"_s}};
    } else {
        expected = {{u"1"_s, u"Tank 1"_s, u"Zeus"_s, QString::number(first), frozen, u"released"_s,
                     u"20"_s, u"8"_s, u"2"_s, u"2"_s},
                    {u"2"_s, u"Tank 2"_s, u"Zeus"_s, QString::number(first), frozen, u"released"_s,
                     u"15"_s, u"8"_s, u"1"_s, u"1"_s},
                    {u"2"_s,
                     u"Tank 2"_s,
                     u"Zeus"_s,
                     QString::number(second),
                     frozen2,
                     u"quarantine"_s,
                     u"10"_s,
                     {},
                     {},
                     u"1"_s}};
    }
    QStringList arguments{u"inventory"_s, u"--journal"_s, location};
    if (byStallion)
        arguments << u"--by"_s << u"stallion"_s;
    const QString csv = m_dir.filePath(u"inventory-%1.csv"_s.arg(m_journals));
    if (toFile)
        arguments << u"--output"_s << csv;
    const Run result = run(arguments);
    QCOMPARE(result.err, QString());
    QCOMPARE(result.exitCode, 0);
    QByteArray bytes = result.out.toUtf8();
    if (toFile) {
        QCOMPARE(result.out, QString());
        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        bytes = file.readAll();
    }
    QVERIFY(bytes.startsWith(kInventoryHeader + "\r\n"));
    QList<QStringList> rows = parseCsv(bytes);
    QVERIFY(!rows.isEmpty());
    rows.removeFirst();
    QCOMPARE(rows, expected);

    // On paper: each tank or the stallion, and the straws in store.
    const QString pdf = m_dir.filePath(u"inventory-%1.pdf"_s.arg(m_journals));
    arguments = QStringList{u"inventory"_s, u"--journal"_s, location, u"--output"_s, pdf};
    if (byStallion)
        arguments << u"--by"_s << u"stallion"_s;
    QCOMPARE(run(arguments).exitCode, 0);
    const QString text
        = QString::fromUtf8(toolOutput(u"pdftotext"_s, {u"-layout"_s, pdf, u"-"_s}));
    QVERIFY2(text.contains(u"Zeus"_s), qPrintable(text));
    QVERIFY2(text.contains(u"45 straws"_s), qPrintable(text));
    QVERIFY2(text.contains(u"Page 1 of 1"_s), qPrintable(text));
    if (!byStallion) {
        QVERIFY2(text.contains(u"Tank 1; last checked"_s) || text.contains(u"Tank 1; never"_s),
                 qPrintable(text));
        QVERIFY2(text.contains(u"Tank 2, Lab; never checked"_s), qPrintable(text));
    }
}

void TestRecordsFrozen::caneLabels_data()
{
    QTest::addColumn<QString>("backend");
    for (const QString &backend : kBackends)
        QTest::newRow(qPrintable(backend)) << backend;
}

void TestRecordsFrozen::caneLabels()
{
    QFETCH(QString, backend);
    const QString location = freshJournal(backend, true);
    QVERIFY(!location.isEmpty());
    const QString pdf = m_dir.filePath(u"canes-%1.pdf"_s.arg(m_journals));
    // Nothing placed yet: nothing to label, and no file.
    Run result = line(location, u"cane-labels {batch} --output "_s + pdf);
    QCOMPARE(result.exitCode, 1);
    QVERIFY2(result.err.contains(u"is placed in a tank"_s), qPrintable(result.err));
    QVERIFY(!QFileInfo::exists(pdf));
    for (const QString &text :
         {u"place {batch} --straws 12 --tank Tank\u00a01 --canister 1 --goblet G\u00a01 "
          "--cane C;1"_s,
          u"place {batch} --straws 8 --tank Tank\u00a02 --canister 3"_s}) {
        result = line(location, text);
        QVERIFY2(result.exitCode == 0, qPrintable(text + u": "_s + result.err));
    }
    result = line(location, u"cane-labels {batch} --output "_s + pdf);
    QCOMPARE(result.err, QString());
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(pdfInfo(pdf, u"Pages"_s), u"2"_s);

    // Each code read back from its page, each page's text with the batch on it.
    const QString batch = m_ids.value(u"{batch}"_s);
    QStringList codes;
    for (int page = 1; page <= 2; ++page) {
        codes << QString::fromUtf8(
                     pdfPageCodes(pdf, page, m_dir.filePath(u"cane-%1.png"_s.arg(page))))
                     .trimmed();
    }
    codes.sort();
    QCOMPARE(codes, QStringList({u"ESTRIVO-FROZEN;batch=%1;tank=1;canister=1;goblet=G%201;"
                                 "cane=C%3B1"_s.arg(batch),
                                 u"ESTRIVO-FROZEN;batch=%1;tank=2;canister=3"_s.arg(batch)}));
    const QString text = QString::fromUtf8(toolOutput(u"pdftotext"_s, {pdf, u"-"_s}));
    QVERIFY2(text.contains(u"Zeus"_s), qPrintable(text));
    QVERIFY2(text.contains(u"Batch %1, frozen"_s.arg(batch)), qPrintable(text));
    QVERIFY2(text.contains(u"12 straws of 0.5 ml"_s), qPrintable(text));
    QVERIFY2(text.contains(u"Tank 1, canister 1\ngoblet G 1, cane C;1"_s), qPrintable(text));
    QVERIFY2(text.contains(u"Tank 2, canister 3\nZ-0412"_s), qPrintable(text));

    result = line(location, u"cane-labels 999 --output "_s + pdf);
    QCOMPARE(result.exitCode, 1);
    QVERIFY2(result.err.contains(u"no freeze batch has the ID 999"_s), qPrintable(result.err));
}

void TestRecordsFrozen::strawsPerDose_data()
{
    QTest::addColumn<QString>("backend"); // empty: figures alone, no journal at all
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("last"); // the last line of standard output
    QTest::addColumn<QString>("error");

    const auto row = [](const QString &backend, const char *name, const QString &text,
                        int exitCode, const QString &last, const QString &error) {
        QTest::addRow("%s: %s", qPrintable(backend.isEmpty() ? u"figures"_s : backend), name)
            << backend << text << exitCode << last << error;
    };
    row({}, "rounded up", u"straws-per-dose --sperm-per-straw 100 --progressive 40 --target 300"_s,
        0, u"straws_per_dose: 8"_s, {});
    row({}, "whole", u"straws-per-dose --sperm-per-straw 100 --progressive 40 --target 320"_s, 0,
        u"straws_per_dose: 8"_s, {});
    row({}, "absurd", u"straws-per-dose --sperm-per-straw 1 --progressive 1 --target 500"_s, 1, {},
        u"More than 100 straws for one dose"_s);
    row({}, "figures missing", u"straws-per-dose --target 500"_s, 2, {},
        u"straws-per-dose wants --sperm-per-straw."_s);
    for (const QString &backend : kBackends) {
        // {batch}: 100 M a straw; {batch2}: 75 M; both tested at 40 % progressive.
        row(backend, "a batch's own figures", u"straws-per-dose {batch} --target 320"_s, 0,
            u"straws_per_dose: 8"_s, {});
        row(backend, "the smaller straws", u"straws-per-dose {batch2} --target 300"_s, 0,
            u"straws_per_dose: 10"_s, {});
        row(backend, "another motility than tested",
            u"straws-per-dose {batch} --target 300 --progressive 60"_s, 0, u"straws_per_dose: 5"_s,
            {});
        row(backend, "a batch that is none", u"straws-per-dose 999 --target 300"_s, 1, {},
            u"No freeze batch has the ID 999."_s);
    }
}

void TestRecordsFrozen::strawsPerDose()
{
    QFETCH(QString, backend);
    QFETCH(QString, text);
    QFETCH(int, exitCode);
    QFETCH(QString, last);
    QFETCH(QString, error);
    const QString location = backend.isEmpty() ? m_dir.filePath(u"absent/journal.sqlite"_s)
                                               : freshJournal(backend, true);
    QVERIFY(!location.isEmpty());
    const Run result = line(location, text);
    QCOMPARE(result.exitCode, exitCode);
    if (!error.isEmpty())
        QVERIFY2(result.err.startsWith(kFails + error), qPrintable(result.err));
    else
        QCOMPARE(result.err, QString());
    if (exitCode == 0) {
        // The working, a line a step, then the straws.
        QStringList lines = result.out.split(u'\n');
        QCOMPARE(lines.takeLast(), QString());
        QCOMPARE(lines.size(), 3);
        QVERIFY2(lines.first().contains(u"progressively motile"_s), qPrintable(result.out));
        QCOMPARE(lines.last(), last);
    }
    if (backend.isEmpty())
        QVERIFY(!QFileInfo::exists(location));
}

QTEST_MAIN(TestRecordsFrozen)
#include "tst_records_frozen.moc"
