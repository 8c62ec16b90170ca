#include "bench_sheets.h"

#include "extension_calc.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUrlQuery>

#include <numeric>

using namespace Qt::StringLiterals;
using estrivo::Field;
using estrivo::SheetRecord;

namespace bench {

namespace {

constexpr int kMostStallions = 40;
// The repeats of the generated numbers, operators and workstations (sheet n uses n % each).
constexpr int kConRepeat = 300;
constexpr int kGfvRepeat = 90;
constexpr int kMotilityRepeat = 50;
const QStringList kOperators{u"anna"_s, u"jörg"_s, u"marie"_s};
const QStringList kWorkstations{u"lab-pc"_s, u"stable-pc"_s};
// As the journal writes times; the server's copies use the same form.
const QString kTimeFormat = u"yyyy-MM-dd'T'HH:mm:ss.zzz'Z'"_s;

// After this many sheets every generated value has come round again.
qint64 turn(const SheetPlan &plan)
{
    qint64 repeat = 1;
    for (const qint64 each :
         {qint64(kConRepeat), qint64(kGfvRepeat), qint64(kMotilityRepeat), qint64(plan.stallions),
          qint64(kOperators.size()), qint64(kWorkstations.size()), qint64(plan.pictureEvery)})
        repeat = std::lcm(repeat, each);
    return repeat;
}

QString sqlError(const QSqlQuery &query)
{
    return query.lastError().text();
}

// The columns the journal's save writes, in one order for the statements below.
const QStringList kColumns{u"saved_at"_s,
                           u"stallion"_s,
                           u"notes"_s,
                           u"workstation"_s,
                           u"operator_name"_s,
                           u"program_version"_s,
                           u"printed"_s,
                           u"printer"_s,
                           u"reading_id"_s,
                           u"con"_s,
                           u"gfv"_s,
                           u"motility"_s,
                           u"total_dose"_s,
                           u"min_ext"_s,
                           u"max_con"_s,
                           u"semen_vol"_s,
                           u"ext_vol"_s,
                           u"vpd"_s,
                           u"num_doses"_s,
                           u"collection_date"_s,
                           u"stallion_and_notes"_s,
                           u"search_text"_s,
                           u"stallion_key"_s};

QVariantList columnValues(const SheetRecord &sheet)
{
    QVariantList values{sheet.savedAt.toUTC().toString(kTimeFormat),
                        sheet.stallion,
                        sheet.notes,
                        sheet.workstation,
                        sheet.operatorName,
                        sheet.programVersion,
                        sheet.printed ? 1 : 0,
                        sheet.printer,
                        QVariant(QMetaType::fromType<qint64>())};
    for (const QString &text : sheet.fields)
        values << text;
    values << estrivo::stallionKey(sheet.stallion) + u'\n' + estrivo::stallionKey(sheet.notes)
           << estrivo::stallionKey(sheet.stallion);
    return values;
}

QString compare(const SheetRecord &read, const SheetRecord &planned, qint64 n, bool picture)
{
    const auto is = [&](bool same, const char *what) {
        return same ? QString()
                    : u"sheet %1: %2 differs from the plan"_s.arg(n).arg(QLatin1StringView(what));
    };
    for (const QString &difference :
         {is(read.id == n + 1, "id"), is(read.savedAt == planned.savedAt, "saved_at"),
          is(read.stallion == planned.stallion, "stallion"),
          is(read.notes == planned.notes, "notes"),
          is(read.workstation == planned.workstation, "workstation"),
          is(read.operatorName == planned.operatorName, "operator"),
          is(read.programVersion == planned.programVersion, "program version"),
          is(read.printed == planned.printed && read.printer == planned.printer, "print"),
          is(!read.readingId, "reading"),
          is(read.picturePng == (picture ? plannedPicture() : QByteArray()), "picture")}) {
        if (!difference.isEmpty())
            return difference;
    }
    for (const Field field : estrivo::kAllFields) {
        if (read.text(field) != planned.text(field))
            return u"sheet %1: field %2 reads \"%3\", planned \"%4\""_s.arg(n).arg(
                QString::fromLatin1(estrivo::fieldName(field)), read.text(field),
                planned.text(field));
    }
    return {};
}

// A connection of the filler's own, apart from the journal's.
class RawConnection
{
public:
    explicit RawConnection(const QString &driver)
        : m_name(u"bench-fill-%1"_s.arg(driver))
    {
        QSqlDatabase::addDatabase(driver, m_name);
    }
    ~RawConnection()
    {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }

private:
    QString m_name;
};

bool saveThroughJournal(estrivo::Journal &journal, const SheetPlan &plan, qint64 from, qint64 to,
                        QString *error)
{
    for (qint64 n = from; n < to; ++n) {
        SheetRecord sheet = plannedSheet(plan, n);
        if (n % plan.pictureEvery == 0)
            sheet.picturePng = plannedPicture();
        if (const estrivo::JournalError saved = journal.saveSheet(sheet); !saved.ok()) {
            *error = saved.reason;
            return false;
        }
        if (sheet.id != n + 1) {
            *error = u"the journal gave sheet %1 the id %2"_s.arg(n).arg(sheet.id);
            return false;
        }
    }
    return true;
}

} // namespace

QString stallionName(int n)
{
    static const QStringList names{
        u"Zeus"_s,          u"Ábaco"_s,      u"Nordlicht"_s,  u"Sören"_s,      u"Quiet Storm"_s,
        u"Baron"_s,         u"Cassius"_s,    u"Donnerhall"_s, u"Elvis"_s,      u"Fürst Heinrich"_s,
        u"Galant"_s,        u"Hermès"_s,     u"Indigo"_s,     u"Jazz"_s,       u"Kaiser"_s,
        u"Lord Sinclair"_s, u"Mistral"_s,    u"Nobel"_s,      u"Orlando"_s,    u"Pikeur"_s,
        u"Quaterback"_s,    u"Rubinstein"_s, u"Sandro Hit"_s, u"Totilas"_s,    u"Uriel"_s,
        u"Vivaldi"_s,       u"Weltmeyer"_s,  u"Xenon"_s,      u"Yeoman"_s,     u"Zirkon"_s,
        u"Amor"_s,          u"Bolero"_s,     u"Contendro"_s,  u"Diamant"_s,    u"Escudo"_s,
        u"Florestan"_s,     u"Grannus"_s,    u"Habicht"_s,    u"Ijsselmeer"_s, u"Jöns"_s};
    static_assert(kMostStallions == 40);
    return names[n % kMostStallions];
}

SheetRecord plannedSheet(const SheetPlan &plan, qint64 n)
{
    estrivo::SampleSheet sheet;
    const auto set = [&sheet](Field field, double value) {
        sheet.setText(field, estrivo::writeNumber(value));
    };
    set(Field::Con, 80.0 + double((n * 37) % kConRepeat));
    set(Field::GFV, 20.0 + double((n * 13) % kGfvRepeat));
    set(Field::Motility, 40.0 + double((n * 7) % kMotilityRepeat));
    estrivo::Calculate(sheet);
    const QDateTime saved = plan.first.addSecs(n * plan.every.count());
    sheet.setText(Field::Date, saved.toString(u"d MMM yyyy HH:mm:ss"_s).toStdString());
    sheet.setText(
        Field::Text1,
        (stallionName(int(n % plan.stallions)) + u"\ncollection %1, calm"_s.arg(n)).toStdString());
    SheetRecord record;
    for (Field field : estrivo::kAllFields)
        record.text(field) = QString::fromStdString(sheet.text(field));
    const estrivo::StallionAndNotes split
        = estrivo::splitStallionAndNotes(record.text(Field::Text1));
    record.stallion = split.stallion;
    record.notes = split.notes;
    record.savedAt = saved;
    record.workstation = kWorkstations[int(n % kWorkstations.size())];
    record.operatorName = kOperators[int(n % kOperators.size())];
    record.printed = true;
    record.printer = u"Lab"_s;
    record.programVersion = u"0.1.0"_s;
    return record;
}

const QByteArray &plannedPicture()
{
    static const QByteArray png = [] {
        QImage picture(620, 480, QImage::Format_RGB32);
        picture.fill(Qt::white);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, "PNG");
        return bytes;
    }();
    return png;
}

bool matchesPlan(estrivo::Journal &journal, const SheetPlan &plan, QString *error)
{
    if (const qint64 count = journal.sheetCount(); count != plan.count) {
        *error = u"%1 sheets where %2 were planned"_s.arg(count).arg(plan.count);
        return false;
    }
    const qint64 repeat = turn(plan);
    QList<qint64> sample{0, 1, 2, repeat - 1, repeat, repeat + 1, plan.count / 2, plan.count - 1};
    for (qint64 k = 1; k <= 24; ++k)
        sample << (k * 7919 * 7907) % plan.count;
    for (const qint64 n : std::as_const(sample)) {
        if (n < 0 || n >= plan.count)
            continue;
        const std::optional<SheetRecord> read = journal.sheet(n + 1);
        if (!read) {
            *error = u"sheet %1: %2"_s.arg(n).arg(journal.lastError().reason);
            return false;
        }
        if (const QString difference
            = compare(*read, plannedSheet(plan, n), n, n % plan.pictureEvery == 0);
            !difference.isEmpty()) {
            *error = difference;
            return false;
        }
    }
    // The search text is folded as the journal folds it: a name in capitals finds him.
    const int stallion = 1;
    const qint64 his
        = plan.count > stallion ? (plan.count - 1 - stallion) / plan.stallions + 1 : 0;
    estrivo::SheetFilter search;
    search.search = stallionName(stallion).toUpper();
    if (const qint64 found = journal.sheetCount(search); found != his) {
        *error = u"a search for %1 finds %2 sheets, planned %3"_s.arg(search.search)
                     .arg(found)
                     .arg(his);
        return false;
    }
    return true;
}

bool fillSqlite(const QString &path, const SheetPlan &plan, QString *error)
{
    for (const QString &suffix : {u""_s, u"-wal"_s, u"-shm"_s})
        QFile::remove(path + suffix);
    {
        estrivo::Journal journal(path);
        if (const estrivo::JournalError opened = journal.open(); !opened.ok()) {
            *error = opened.reason;
            return false;
        }
        if (!saveThroughJournal(journal, plan, 0, std::min<qint64>(1, plan.count), error))
            return false;
    }
    RawConnection raw(u"QSQLITE"_s);
    QSqlDatabase db = raw.db();
    db.setDatabaseName(path);
    if (!db.open()) {
        *error = db.lastError().text();
        return false;
    }
    QSqlQuery query(db);
    // Made once for measuring: no waiting for the disk on the way.
    if (!query.exec(u"PRAGMA synchronous = OFF"_s) || !query.exec(u"BEGIN"_s)) {
        *error = sqlError(query);
        return false;
    }
    QSqlQuery sheet(db);
    QSqlQuery picture(db);
    const QStringList marks(kColumns.size(), u"?"_s);
    if (!sheet.prepare(u"INSERT INTO sheets (id, %1) VALUES (?, %2)"_s.arg(kColumns.join(u", "_s),
                                                                           marks.join(u", "_s)))
        || !picture.prepare(u"INSERT INTO sheet_pictures (sheet_id, png) VALUES (?, ?)"_s)) {
        *error = sqlError(sheet) + sqlError(picture);
        return false;
    }
    for (qint64 n = 1; n < plan.count; ++n) {
        sheet.addBindValue(n + 1);
        for (const QVariant &value : columnValues(plannedSheet(plan, n)))
            sheet.addBindValue(value);
        if (!sheet.exec()) {
            *error = sqlError(sheet);
            return false;
        }
        if (n % plan.pictureEvery == 0) {
            picture.addBindValue(n + 1);
            picture.addBindValue(plannedPicture());
            if (!picture.exec()) {
                *error = sqlError(picture);
                return false;
            }
        }
    }
    if (!query.exec(u"COMMIT"_s)) {
        *error = sqlError(query);
        return false;
    }
    return true;
}

bool fillPostgres(const QString &uri, const SheetPlan &plan, QString *error)
{
    const qint64 repeat = std::min(turn(plan), plan.count);
    {
        estrivo::Journal journal(uri);
        if (const estrivo::JournalError opened = journal.open(); !opened.ok()) {
            *error = opened.reason;
            return false;
        }
        if (journal.sheetCount() != 0) {
            *error = u"the journal to fill is not empty"_s;
            return false;
        }
        if (!saveThroughJournal(journal, plan, 0, repeat, error))
            return false;
    }
    const QUrl url(uri);
    RawConnection raw(u"QPSQL"_s);
    QSqlDatabase db = raw.db();
    db.setHostName(QUrlQuery(url).queryItemValue(u"host"_s, QUrl::FullyDecoded));
    db.setUserName(url.userName());
    db.setDatabaseName(url.path().mid(1));
    if (!db.open()) {
        *error = db.lastError().text();
        return false;
    }
    // Each copy is the sheet of the first turn with the same place in the repeats; its time,
    // collection date and notes are its own, written in the forms the program writes.
    QStringList copied;
    for (const QString &column : kColumns) {
        if (column == u"saved_at"_s)
            copied << u"to_char(own.at, 'YYYY-MM-DD\"T\"HH24:MI:SS.MS\"Z\"')"_s;
        else if (column == u"notes"_s)
            copied << u"own.notes"_s;
        else if (column == u"reading_id"_s)
            copied << u"NULL"_s;
        else if (column == u"collection_date"_s)
            copied << u"to_char(own.at, 'FMDD Mon YYYY HH24:MI:SS')"_s;
        else if (column == u"stallion_and_notes"_s)
            copied << u"t.stallion || E'\\n' || own.notes"_s;
        else if (column == u"search_text"_s)
            copied << u"split_part(t.search_text, E'\\n', 1) || E'\\n' || lower(own.notes)"_s;
        else
            copied << u"t."_s + column;
    }
    const QString copySheets = uR"(INSERT INTO sheets (id, %1)
SELECT g + 1, %2
FROM generate_series(?::bigint, ?::bigint) AS g
CROSS JOIN LATERAL (SELECT ?::timestamp + g * (?::bigint * interval '1 second') AS at,
                           'collection ' || g || ', calm' AS notes) AS own
JOIN sheets AS t ON t.id = g % ? + 1
ORDER BY g)"_s.arg(kColumns.join(u", "_s), copied.join(u", "_s));
    const QString copyPictures = uR"(INSERT INTO sheet_pictures (sheet_id, png)
SELECT g + 1, p.png
FROM generate_series(?::bigint, ?::bigint) AS g
JOIN sheet_pictures AS p ON p.sheet_id = g % ? + 1)"_s;
    QSqlQuery query(db);
    const auto run = [&query](const QString &sql, const QVariantList &values) {
        if (!query.prepare(sql))
            return false;
        for (const QVariant &value : values)
            query.addBindValue(value);
        return query.exec();
    };
    const QString first = plan.first.toUTC().toString(u"yyyy-MM-dd HH:mm:ss.zzz"_s);
    const bool filled
        = query.exec(u"BEGIN"_s)
          && run(copySheets, {repeat, plan.count - 1, first, qint64(plan.every.count()), repeat})
          && run(copyPictures, {repeat, plan.count - 1, repeat})
          && run(u"SELECT setval(pg_get_serial_sequence('sheets', 'id'), ?::bigint)"_s,
                 {plan.count})
          && query.exec(u"COMMIT"_s) && query.exec(u"VACUUM ANALYZE sheets"_s)
          && query.exec(u"VACUUM ANALYZE sheet_pictures"_s) && query.exec(u"CHECKPOINT"_s);
    if (!filled) {
        *error = sqlError(query);
        return false;
    }
    return true;
}

} // namespace bench
