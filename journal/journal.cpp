#include "journal.h"
#include "journal_text.h"

#include "journal_private.h"
#include "schema.h"
#include "sheet_queries.h"

#include <QAtomicInteger>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

namespace estrivo {

using namespace Qt::StringLiterals;
using Kind = JournalError::Kind;
using Purpose = JournalBackend::Purpose;

bool run(QSqlQuery &query, const QString &sql, const QVariantList &values)
{
    if (!query.prepare(sql))
        return false;
    for (const QVariant &value : values)
        query.addBindValue(value);
    return query.exec();
}

QString driverText(const QSqlError &error)
{
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.driverText().trimmed();
    if (text.isEmpty())
        text = u"unknown error"_s;
    while (text.endsWith(u'.'))
        text.chop(1);
    return text.simplified();
}

void Journal::Private::closeConnection()
{
    if (QSqlDatabase::contains(connectionName)) {
        db().close();
        QSqlDatabase::removeDatabase(connectionName);
    }
    isOpen = false;
    readOnly = false;
    reopenOnSave = false;
    watching = false;
    schemaVersion = 0;
}

JournalError Journal::Private::openConnection(Purpose purpose)
{
    const JournalBackend::Opened opened = backend->open(connectionName, purpose);
    if (!opened.error.ok())
        return failed(opened.error.kind, opened.error.reason);
    return prepareSchema(opened.readOnlyReason);
}

JournalError Journal::Private::prepareSchema(const QString &readOnlyReason)
{
    const bool writable = readOnlyReason.isEmpty();
    QSqlDatabase connection = db();
    SchemaState state;
    if (const JournalError read = readSchemaState(connection, *backend, state); !read.ok())
        // SQLite may need to write beside a file even to read it; say what stands in the way.
        return writable ? failed(read.kind, read.reason) : failed(Kind::ReadOnly, readOnlyReason);
    if (state.version == 0 && state.foreignTables && backend->foreignTablesRefused())
        return failed(Kind::CannotOpen,
                      JournalText::tr("The journal file is a database of another program; "
                                      "it was left as it is."));
    if (state.version > kSchemaVersion) {
        readOnly = true;
        isOpen = true;
        schemaVersion = state.version;
        QSqlQuery(connection).exec(backend->readOnlyStatement());
        openError = failed(
            Kind::SchemaTooNew,
            JournalText::tr("The journal was written by a newer version of Estrivo (schema "
                            "%1; this program knows %2), so it is open for reading only.")
                .arg(state.version)
                .arg(kSchemaVersion));
        return openError;
    }
    if (!writable) {
        readOnly = true;
        reopenOnSave = true;
        isOpen = state.version == kSchemaVersion; // an older or empty one cannot be read here
        schemaVersion = state.version;
        openError = failed(Kind::ReadOnly, readOnlyReason);
        return openError;
    }
    if (const JournalError prepared = backend->prepareWritable(connection); !prepared.ok())
        return failed(prepared.kind, prepared.reason);
    if (state.version < kSchemaVersion) {
        if (const JournalError migrated = migrateSchema(connection, *backend); !migrated.ok())
            return failed(migrated.kind, migrated.reason);
    }
    isOpen = true;
    schemaVersion = kSchemaVersion;
    return succeeded();
}

JournalError Journal::Private::ensureOpen(Purpose purpose)
{
    if (isOpen && !(reopenOnSave && purpose == Purpose::Write))
        return succeeded();
    closeConnection();
    const JournalError opened = openConnection(purpose);
    if (!isOpen) {
        closeConnection();
        return opened;
    }
    ++connectionsOpened;
    if (changed) {
        QSqlDatabase connection = db();
        watching = backend->watch(connection, changed);
    }
    return opened;
}

Journal::Journal(QString location, JournalCreation creation)
    : d(std::make_unique<Private>(std::move(location), creation))
{}

void Journal::setCreation(JournalCreation creation)
{
    d->backend->setCreation(creation);
}

Journal::~Journal()
{
    close();
}

JournalError Journal::open()
{
    d->closeConnection();
    return d->ensureOpen(Purpose::Read);
}

void Journal::close()
{
    d->closeConnection();
}

bool Journal::isOpen() const
{
    return d->isOpen;
}

bool Journal::isReadOnly() const
{
    return d->readOnly;
}

QString Journal::location() const
{
    return d->location;
}

int Journal::currentSchemaVersion()
{
    return kSchemaVersion;
}

int Journal::schemaVersion() const
{
    return d->schemaVersion;
}

JournalError Journal::saveSheet(SheetRecord &sheet)
{
    complete(sheet);
    qint64 id = 0;
    const JournalError saved = d->write([&](QSqlQuery &query) {
        // The reading it names by uid, delivered before it, is in the journal by now.
        if (!sheet.readingId && !sheet.readingUid.isEmpty()) {
            if (!run(query, u"SELECT id FROM readings WHERE uid = ?"_s, {sheet.readingUid}))
                return false;
            if (query.next())
                sheet.readingId = query.value(0).toLongLong();
            query.finish();
        }
        QVariantList values;
        const QString insert = sheetInsert(sheet, values);
        if (!run(query, insert, values))
            return false;
        if (!query.next()) {
            // Kept before: this is a second delivery of the same sheet.
            query.finish();
            if (!run(query, u"SELECT id FROM sheets WHERE uid = ?"_s, {sheet.uid})
                || !query.next())
                return false;
            id = query.value(0).toLongLong();
            return true;
        }
        id = query.value(0).toLongLong();
        query.finish();
        return sheet.picturePng.isEmpty()
               || run(query, u"INSERT INTO sheet_pictures (sheet_id, png) VALUES (?, ?)"_s,
                      {id, sheet.picturePng});
    });
    if (saved.ok())
        sheet.id = id;
    return saved;
}

JournalError Journal::setPrintOutcome(qint64 sheetId, bool printed, const QString &printer)
{
    return d->write([&](QSqlQuery &query) {
        return run(query, u"UPDATE sheets SET printed = ?, printer = ? WHERE id = ?"_s,
                   {printed ? 1 : 0, textValue(printer), sheetId});
    });
}

JournalError Journal::setPrintOutcomeOf(const QString &sheetUid, bool printed,
                                        const QString &printer)
{
    return d->write([&](QSqlQuery &query) {
        return run(query, u"UPDATE sheets SET printed = ?, printer = ? WHERE uid = ?"_s,
                   {printed ? 1 : 0, textValue(printer), sheetUid});
    });
}

JournalError Journal::saveReading(ReadingRecord &reading)
{
    if (!reading.takenAt.isValid())
        reading.takenAt = QDateTime::currentDateTimeUtc();
    qint64 id = 0;
    const JournalError saved = d->write([&](QSqlQuery &query) {
        const QVariant uid = reading.uid.isEmpty() ? QVariant(QMetaType::fromType<QString>())
                                                   : QVariant(reading.uid);
        if (!run(query,
                 u"INSERT INTO readings (taken_at, port, reply, value, uid) VALUES (?, ?, ?, ?, ?)"
                 " ON CONFLICT (uid) DO NOTHING RETURNING id"_s,
                 {timeText(reading.takenAt), textValue(reading.port), bytesValue(reading.reply),
                  textValue(reading.value), uid}))
            return false;
        if (!query.next()) { // delivered before
            query.finish();
            if (!run(query, u"SELECT id FROM readings WHERE uid = ?"_s, {uid}) || !query.next())
                return false;
        }
        id = query.value(0).toLongLong();
        return true;
    });
    if (saved.ok())
        reading.id = id;
    return saved;
}

QList<SheetRecord> Journal::sheets(const SheetFilter &filter, const SheetPage &page,
                                   SheetDetail detail)
{
    QList<SheetRecord> found;
    const bool done = d->read([&](QSqlQuery &query) {
        found.clear();
        QVariantList values;
        QStringList otherKeys;
        if (!findOtherKeys(query, filter, otherKeys))
            return false;
        const QString select = sheetSelect(detail, filter, page, *d->backend, values, otherKeys);
        if (!run(query, select, values))
            return false;
        const bool sorted = page.order.key != SheetSortKey::Saved;
        const int sortColumn = sorted ? query.record().count() - 1 : -1;
        while (query.next()) {
            found << sheetFromRow(query, detail);
            if (sorted)
                found.back().sortValue = query.value(sortColumn);
        }
        return !query.lastError().isValid();
    });
    if (!done)
        return {};
    d->succeeded();
    return found;
}

JournalError Journal::forEachSheet(const SheetFilter &filter, SheetDetail detail,
                                   const SheetVisitor &visit)
{
    bool visited = false;
    bool stopped = false;
    const bool done = d->read([&](QSqlQuery &query) {
        if (visited) // rows were handed on already: starting over would hand them twice
            return true;
        QVariantList values;
        QStringList otherKeys;
        if (!findOtherKeys(query, filter, otherKeys))
            return false;
        const QString select = sheetSelect(detail, filter, {}, *d->backend, values, otherKeys);
        if (!run(query, select, values))
            return false;
        while (query.next()) {
            visited = true;
            if (!visit(sheetFromRow(query, detail))) {
                stopped = true;
                return true;
            }
        }
        return !query.lastError().isValid();
    });
    if (!done)
        return d->lastError;
    Q_UNUSED(stopped)
    return d->succeeded();
}

std::optional<SheetRecord> Journal::sheet(qint64 id)
{
    std::optional<SheetRecord> found;
    const bool done = d->read([&](QSqlQuery &query) {
        if (!run(query, sheetWithPictureSelect(), {id}))
            return false;
        if (query.next())
            found = sheetFromRow(query, SheetDetail::Row, true);
        return !query.lastError().isValid();
    });
    if (!done)
        return {};
    if (!found) {
        d->failed(Kind::NotFound, JournalText::tr("The journal holds no sheet %1.").arg(id));
        return {};
    }
    d->succeeded();
    return found;
}

std::optional<ReadingRecord> Journal::reading(qint64 id)
{
    std::optional<ReadingRecord> found;
    const bool done = d->read([&](QSqlQuery &query) {
        if (!run(query,
                 u"SELECT id, taken_at, port, reply, value, uid FROM readings WHERE id = ?"_s,
                 {id}))
            return false;
        if (query.next())
            found = ReadingRecord{
                query.value(0).toLongLong(), timeFromText(query.value(1).toString()),
                query.value(2).toString(),   query.value(3).toByteArray(),
                query.value(4).toString(),   query.value(5).toString()};
        return !query.lastError().isValid();
    });
    if (!done)
        return {};
    if (!found) {
        d->failed(Kind::NotFound, JournalText::tr("The journal holds no reading %1.").arg(id));
        return {};
    }
    d->succeeded();
    return found;
}

QList<StallionCount> Journal::stallions()
{
    QList<StallionCount> spellings;
    const bool done = d->read([&](QSqlQuery &query) {
        spellings.clear();
        if (!run(query, u"SELECT stallion_key, stallion, COUNT(*) FROM sheets"
                        " GROUP BY stallion_key, stallion"_s))
            return false;
        while (query.next())
            spellings << StallionCount{query.value(1).toString(), query.value(2).toLongLong(),
                                       query.value(0).toString()};
        return !query.lastError().isValid();
    });
    // A registered stallion is one entry under his name, whatever names his sheets use.
    QHash<QString, std::pair<QString, QString>> registered; // key -> his name's key, his name
    const bool named = done && d->read([&](QSqlQuery &query) {
        registered.clear();
        if (!run(query,
                 u"SELECT o.name_key, n.name_key, n.name FROM stallion_names o"
                 " JOIN stallion_names n ON n.stallion_id = o.stallion_id AND n.alias = 0"_s))
            return false;
        while (query.next())
            registered.insert(query.value(0).toString(),
                              {query.value(1).toString(), query.value(2).toString()});
        return !query.lastError().isValid();
    });
    if (!named)
        return {};
    QList<StallionCount> found = oneEntryAStallion(std::move(spellings));
    if (!registered.isEmpty()) {
        QList<StallionCount> byStallion;
        QHash<QString, qsizetype> placed;
        for (StallionCount entry : std::as_const(found)) {
            if (const auto his = registered.constFind(entry.key); his != registered.cend()) {
                entry.key = his->first;
                entry.stallion = his->second;
            }
            if (const auto at = placed.constFind(entry.key); at != placed.cend()) {
                byStallion[*at].collections += entry.collections;
                continue;
            }
            placed.insert(entry.key, byStallion.size());
            byStallion << entry;
        }
        std::sort(byStallion.begin(), byStallion.end(),
                  [](const StallionCount &a, const StallionCount &b) { return a.key < b.key; });
        found = std::move(byStallion);
    }
    d->succeeded();
    return found;
}

qint64 Journal::sheetCount(const SheetFilter &filter)
{
    qint64 count = 0;
    const bool done = d->read([&](QSqlQuery &query) {
        QVariantList values;
        QStringList otherKeys;
        if (!findOtherKeys(query, filter, otherKeys))
            return false;
        const QString select = sheetCountSelect(filter, values, otherKeys);
        if (!run(query, select, values) || !query.next())
            return false;
        count = query.value(0).toLongLong();
        return true;
    });
    if (!done)
        return 0;
    d->succeeded();
    return count;
}

bool Journal::watchChanges(std::function<void()> changed)
{
    d->changed = std::move(changed);
    if (d->isOpen && d->changed) {
        QSqlDatabase connection = d->db();
        d->watching = d->backend->watch(connection, d->changed);
    }
    return d->watching;
}

qint64 Journal::changeCounter()
{
    if (!d->isOpen)
        return -1;
    QSqlDatabase connection = d->db();
    return d->backend->changeCounter(connection);
}

JournalError Journal::ping()
{
    const bool done = d->read([](QSqlQuery &query) { return query.exec(u"SELECT 1"_s); });
    return done ? d->succeeded() : d->lastError;
}

quint64 Journal::connectionsOpened() const
{
    return d->connectionsOpened;
}

JournalError Journal::lastError() const
{
    return d->lastError;
}

std::unique_ptr<JournalBackend> makeSqliteBackend(const QString &location,
                                                  JournalCreation creation);
std::unique_ptr<JournalBackend> makePostgresBackend(const QString &location);

std::unique_ptr<JournalBackend> makeJournalBackend(const QString &location,
                                                   JournalCreation creation)
{
    return isPostgresLocation(location) ? makePostgresBackend(location)
                                        : makeSqliteBackend(location, creation);
}

} // namespace estrivo
