// What the collection journal keeps and hands out: sheets, readings, filters and errors as
// plain values, with nothing of the database in them.
#pragma once

#include "sample_sheet.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <array>
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
    // Made at print time, so a sheet delivered twice (a retry after a lost answer) is kept
    // once; empty for none. The reading's, where only that is known yet.
    QString uid;
    QString readingUid;
    // What a read in an order other than newest first placed the sheet by (SheetOrder); a
    // page after this sheet starts from it.
    QVariant sortValue;

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
    QString uid;       // made when it was taken; empty for none
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
        Busy,         // another program held the journal's lock past the wait
        NotFound,
        Refused, // against the register's rules: more doses out than remain, a name taken
    };
    Kind kind = Kind::None;
    QString reason; // a sentence for the operator; never holds a password

    bool ok() const { return kind == Kind::None; }
};

// What a list of sheets can be ordered by. The number columns hold texts as shown: they are
// ordered by the number in them, and a text with none ("---.-", "Overflow", nothing) counts as
// less than every number. Names are ordered by their folded key (stallionKey), code point by
// code point, the same on every back end.
enum class SheetSortKey {
    Saved,
    Stallion,
    Concentration,
    GelFreeVolume,
    Motility,
    Doses,
    VolumePerDose,
    Printed,
};

// An order of sheets; among equal values the id decides, in the same direction. The default
// is newest first.
struct SheetOrder
{
    SheetSortKey key = SheetSortKey::Saved;
    bool ascending = false;

    bool isNewestFirst() const { return key == SheetSortKey::Saved && !ascending; }
    friend bool operator==(const SheetOrder &, const SheetOrder &) = default;
};

// Compares two sort values (SheetRecord::sortValue) as the journal orders them: -1, 0 or 1.
int compareSortValues(const QVariant &a, const QVariant &b);

// A sheet's place in an order: when it was saved (newest first, or its reverse), else the value
// it was placed by, and its id among equals.
struct SheetPosition
{
    QDateTime savedAt;
    qint64 id = 0;
    QVariant value;
};

// A page of an order: only the sheets after this one, and at most `limit` of them (0: no
// limit). Each page is a query of its own, so no statement stays open.
struct SheetPage
{
    std::optional<SheetPosition> after;
    int limit = 0;
    SheetOrder order;
};

// Which sheets a query returns; empty members do not filter.
struct SheetFilter
{
    QString stallion;   // any spelling of the name: compared by stallionKey()
    QDate since;        // saved on or after this day (local time)
    QDate until;        // saved on or before this day (local time)
    QString search;     // a substring of the stallion's name or the notes, any case or accents
    qint64 idAbove = 0; // only sheets saved after the one with this id (ids only grow)
};

struct StallionCount
{
    QString stallion; // the spelling used most, among those with the same key
    qint64 collections = 0;
    QString key; // stallionKey() of every spelling counted here
};

// What makes two spellings one stallion: compatibility forms and accents dropped, case
// folded, blanks made single ("André" in either Unicode form, "ANDRE", "andre" are one). The
// search over names and notes compares the same way.
QString stallionKey(const QString &name);

// How much of a sheet a read brings: everything but the picture (Row); the same with the notes
// and the name box cut to kListPreview characters, for a list that shows a line of them
// (List); or only what a trend needs: the time, the stallion and the concentration, gel-free
// volume, motility, doses and collection date texts (Trend).
enum class SheetDetail { Row, List, Trend };
inline constexpr int kListPreview = 300;

// The most of the stallion name & notes box a sheet keeps: a paste gone wrong must not make
// every list slow.
inline constexpr qsizetype kNameBoxKept = 4000;

// What a read came to: the value, or why there is none. Handed across threads by value.
template<typename T> struct JournalReply
{
    T value{};
    JournalError error;

    bool ok() const { return error.ok(); }
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

// Why a location can be neither a file path nor a postgresql:// URI ("postgresq://...",
// "postgresql:/..." with one slash, "file://..."); empty when it can be one of them.
QString locationProblem(const QString &location);

// A location's password taken out of it: the location as it may be kept, and the password,
// which never is (empty when there was none).
struct LocationSecret
{
    QString location;
    QString password;
};
LocationSecret splitPassword(const QString &location);

// Keeps the password for the location's server, database and user where libpq looks for it:
// a line of its password file ($PGPASSFILE, else ~/.pgpass), made readable by its owner only.
// The error (ok on success) says why not.
JournalError keepPasswordForLibpq(const QString &location, const QString &password);

// What opening a SQLite journal may create: the file and the folders down to it (only ever for
// the default location), the file alone in a folder that must exist, or nothing.
enum class JournalCreation { FileAndFolders, FileOnly, Nothing };

} // namespace estrivo

Q_DECLARE_METATYPE(estrivo::JournalError)
