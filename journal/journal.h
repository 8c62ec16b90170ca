// The collection journal: sheets and readings on SQLite or PostgreSQL.
#pragma once

#include "sample_sheet.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QMetaType>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

#include <array>
#include <chrono>
#include <memory>
#include <optional>

namespace estrivo {

// One printed sheet as it was kept: the texts as shown, who printed it where, and its picture.
struct SheetRecord
{
    qint64 id = 0;                           // given by the journal when the sheet is saved
    std::array<QString, kFieldCount> fields; // each field's text exactly as shown, by Field
    // The first non-blank line of Text1, trimmed, and the rest; split from Text1 by the save
    // when both are left empty.
    QString stallion;
    QString notes;
    QDateTime savedAt;    // UTC, to the millisecond; now when left invalid
    QString workstation;  // host name; this host's when left empty
    QString operatorName; // login name; this user's when left empty
    QString programVersion;
    bool printed = false;            // the job was handed to the spooler (or the file written)
    QString printer;                 // the printer's name, or the PDF file's path
    QByteArray picturePng;           // the picture that went to the printer; empty when not loaded
    std::optional<qint64> readingId; // the reading whose value Con still shows

    const QString &text(Field field) const { return fields[static_cast<std::size_t>(field)]; }
    QString &text(Field field) { return fields[static_cast<std::size_t>(field)]; }
};

// One concentration the instrument delivered.
struct ReadingRecord
{
    qint64 id = 0;
    QDateTime takenAt; // UTC, to the millisecond; now when left invalid
    QString port;      // the device it came from
    QByteArray reply;  // what arrived between "OK" and "Done", as it arrived
    QString value;     // the text put into the concentration
};

// Splits the stallion name & notes box: the first non-blank line, trimmed, and the rest.
// The rest is everything after that line's line break ("\n", "\r\n" or "\r"), unchanged.
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

// A sheet's place in the newest-first order: when it was saved, and its id among equals.
struct SheetPosition
{
    QDateTime savedAt;
    qint64 id = 0;
};

// A page of the newest-first order: only the sheets after this one, and at most `limit` of
// them (0: no limit). Each page is a query of its own, so no statement stays open.
struct SheetPage
{
    std::optional<SheetPosition> after;
    int limit = 0;
};

// Which sheets a query returns; empty members do not filter.
struct SheetFilter
{
    QString stallion; // exact name
    QDate since;      // saved on or after this day (UTC)
    QDate until;      // saved on or before this day (UTC)
    QString search;   // a substring of the stallion's name or the notes, any case
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

// True for a libpq connection URI (postgresql:// or postgres://), false for a file path.
bool isPostgresLocation(const QString &location);

// The first match wins: the --journal option, ESTRIVO_JOURNAL, the journal/location setting,
// else the default file under the user's data folder (demo-journal.sqlite in demo mode). The
// setting is read from the settings both programs share (organisation and application
// "Estrivo"), whatever names the running program gives itself. A relative file path is made
// absolute against the current folder.
JournalLocation resolveJournalLocation(const QString &option, bool demo);

// The location as it may be shown or logged: a password in a URI is masked.
QString displayLocation(const QString &location);

// The collection journal on SQLite or PostgreSQL. One object is one connection and must stay
// on the thread that opened it, as Qt SQL requires.
//
// A save that fails closes the connection, and the next save opens it again, so a server
// that comes back, or a file that became writable, is used again without a new object.
class Journal
{
public:
    // How long a SQLite save waits for another program's save; the server connect time-out.
    static constexpr std::chrono::milliseconds kBusyTimeout{10000};
    static constexpr std::chrono::seconds kConnectTimeout{5};

    explicit Journal(QString location);
    ~Journal();
    Journal(const Journal &) = delete;
    Journal &operator=(const Journal &) = delete;

    // Opens (creating a SQLite file and its folder when missing) and brings the schema up to
    // date. A schema newer than this program opens read-only with SchemaTooNew; a file or
    // folder that refuses writes opens read-only, where it can be read, with ReadOnly.
    JournalError open();
    // Ends the connection; queries from sheetQuery() stop working. The destructor closes too.
    void close();
    bool isOpen() const;
    bool isReadOnly() const;
    QString location() const;

    // The schema version this program writes, and the journal's.
    static int currentSchemaVersion();
    int schemaVersion() const;

    // Each save is one transaction; on success the record's id is set. Both open the journal
    // first when it is not open.
    JournalError saveSheet(SheetRecord &sheet);
    JournalError saveReading(ReadingRecord &reading);
    // What became of the print of a saved sheet: handed to the spooler or not, and where.
    JournalError setPrintOutcome(qint64 sheetId, bool printed, const QString &printer);

    // Newest first. The picture is left out unless asked for.
    QList<SheetRecord> sheets(const SheetFilter &filter = {}, bool withPictures = false);
    std::optional<SheetRecord> sheet(qint64 id); // with its picture
    std::optional<ReadingRecord> reading(qint64 id);
    QList<StallionCount> stallions(); // by name, any case, each with its number of sheets
    qint64 sheetCount(const SheetFilter &filter = {});

    // The sheets the filter selects, newest first, as an executed query; its columns are
    // sheetQueryColumns(), without the picture. It must end before the journal closes.
    // Scrollable for Qt's SQL models, which seek in it; a reader that goes through once asks
    // for ForwardOnly, which keeps no row it passed (a scrollable PostgreSQL query fetches
    // every row before the first one can be read).
    enum class Scan { Scrollable, ForwardOnly };
    QSqlQuery sheetQuery(const SheetFilter &filter, Scan scan = Scan::Scrollable,
                         const SheetPage &page = {});
    // id, saved_at, stallion, notes, workstation, operator_name, program_version, printed
    // (0 or 1), printer, reading_id (NULL for none), then the twelve field texts in the order
    // of Field. saved_at is ISO 8601 UTC with milliseconds: "2026-12-06T23:40:12.000Z".
    static QStringList sheetQueryColumns();
    static int sheetQueryColumn(Field field); // where a field's text is in sheetQuery()

    QSqlDatabase database() const;
    JournalError lastError() const;

private:
    class Private;
    std::unique_ptr<Private> d;
};

} // namespace estrivo

Q_DECLARE_METATYPE(estrivo::JournalError)
