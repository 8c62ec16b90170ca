#pragma once

#include "sample_sheet.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

#include <array>
#include <memory>
#include <optional>

namespace estrivo {

// One printed sheet as it was kept: the texts as shown, who printed it where, and its picture.
struct SheetRecord
{
    qint64 id = 0; // given by the journal when the sheet is saved
    std::array<QString, kFieldCount> fields; // each field's text exactly as shown, by Field
    QString stallion;                         // first non-blank line of Text1, trimmed
    QString notes;                            // the rest of Text1
    QDateTime savedAt;                        // UTC
    QString workstation;                      // host name
    QString operatorName;                     // login name
    QString programVersion;
    bool printed = false; // the job was handed to the spooler (or the file written)
    QString printer;      // the printer's name, or the PDF file's path
    QByteArray picturePng; // the picture that went to the printer; empty when not loaded
    std::optional<qint64> readingId; // the reading whose value Con still shows

    const QString &text(Field field) const { return fields[static_cast<std::size_t>(field)]; }
    QString &text(Field field) { return fields[static_cast<std::size_t>(field)]; }
};

// One concentration the instrument delivered.
struct ReadingRecord
{
    qint64 id = 0;
    QDateTime takenAt; // UTC
    QString port;      // the device it came from
    QByteArray reply;  // what arrived between "OK" and "Done", as it arrived
    QString value;     // the text put into the concentration
};

// Splits the stallion name & notes box: the first non-blank line, trimmed, and the rest.
struct StallionAndNotes
{
    QString stallion;
    QString notes;
};
StallionAndNotes splitStallionAndNotes(const QString &text1);

// Why a journal operation failed, for the operator: a sentence and, where it helps, the cause.
struct JournalError
{
    enum class Kind {
        None,
        CannotOpen,   // no driver, no such server, not a database, permission denied
        SchemaTooNew, // written by a newer program: opened read-only
        ReadOnly,     // the file, its folder or the server refuses writes
        WriteFailed,  // disk full, server gone mid-save, constraint failure
        NotFound,
    };
    Kind kind = Kind::None;
    QString reason; // a sentence for the operator; never holds a password

    bool ok() const { return kind == Kind::None; }
};

// Which sheets a query returns; empty members do not filter.
struct SheetFilter
{
    QString stallion;  // exact name
    QDate since;       // saved on or after this day (UTC)
    QDate until;       // saved on or before this day (UTC)
    QString search;    // a substring of the stallion's name or the notes, any case
};

struct StallionCount
{
    QString stallion;
    qint64 collections = 0;
};

// Where the journal lives: a SQLite file path or a PostgreSQL connection URI.
struct JournalLocation
{
    enum class Source { Option, Environment, Settings, Default };
    QString location;
    Source source = Source::Default;

    bool isPostgres() const;
};

// The first match wins: the --journal option, ESTRIVO_JOURNAL, the journal/location setting,
// else the default file under the user's data folder (demo-journal.sqlite in demo mode).
JournalLocation resolveJournalLocation(const QString &option, bool demo);

// The location as it may be shown or logged: a password in a URI is masked.
QString displayLocation(const QString &location);

// The collection journal on SQLite or PostgreSQL. One object is one connection and must stay
// on the thread that opened it, as Qt SQL requires.
class Journal
{
public:
    explicit Journal(QString location);
    ~Journal();
    Journal(const Journal &) = delete;
    Journal &operator=(const Journal &) = delete;

    // Opens (creating a SQLite file and its folder when missing) and brings the schema up to
    // date. A schema newer than this program opens read-only with SchemaTooNew.
    JournalError open();
    bool isOpen() const;
    bool isReadOnly() const;
    QString location() const;

    // The schema version this program writes, and the journal's.
    static int currentSchemaVersion();
    int schemaVersion() const;

    // Each save is one transaction; on success the record's id is set.
    JournalError saveSheet(SheetRecord &sheet);
    JournalError saveReading(ReadingRecord &reading);

    // Newest first. The picture is left out unless asked for.
    QList<SheetRecord> sheets(const SheetFilter &filter = {}, bool withPictures = false);
    std::optional<SheetRecord> sheet(qint64 id); // with its picture
    std::optional<ReadingRecord> reading(qint64 id);
    QList<StallionCount> stallions();
    qint64 sheetCount(const SheetFilter &filter = {});

    // The sheets the filter selects, newest first, as an executed forward query for Qt's SQL
    // models; its columns are sheetQueryColumns(), without the picture.
    QSqlQuery sheetQuery(const SheetFilter &filter);
    static QStringList sheetQueryColumns();

    QSqlDatabase database() const;
    JournalError lastError() const;

private:
    class Private;
    std::unique_ptr<Private> d;
};

} // namespace estrivo
