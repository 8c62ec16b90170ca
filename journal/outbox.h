// Sheets, readings and print outcomes kept on this workstation until the journal has them.
#pragma once

#include "journal_types.h"

#include <QStringList>

#include <variant>

namespace estrivo {

// What became of a kept sheet's print, to be recorded once the sheet is in the journal.
struct PrintOutcomeRecord
{
    QString sheetUid;
    bool printed = false;
    QString printer;
};

// A folder of entries for one journal location, under $XDG_STATE_HOME/estrivo/outbox. An
// entry is durable once keep() returns: written to a file of its own, flushed to the disk and
// renamed into place, so a crash, a kill or a power cut at any moment leaves either the whole
// entry or none. Entries are read back in the order they were kept and removed only once the
// journal has them; the uid they carry keeps a second delivery from making a second record.
// Plain files and no locks: programs that share the folder may deliver the same entry twice,
// which the uid makes harmless.
class Outbox
{
public:
    enum class Kind { Sheet, Reading, Outcome };
    using Item = std::variant<SheetRecord, ReadingRecord, PrintOutcomeRecord>;

    explicit Outbox(const QString &location);

    // Where entries for `location` are kept: $XDG_STATE_HOME (or ~/.local/state)/estrivo/
    // outbox/ and a name made from the location.
    static QString folderFor(const QString &location);
    QString folder() const { return m_folder; }

    // Each is on the disk when it returns; the error says why not.
    JournalError keep(const SheetRecord &sheet);
    JournalError keep(const ReadingRecord &reading);
    JournalError keep(const PrintOutcomeRecord &outcome);

    // The entries waiting, oldest first, as file names in folder().
    QStringList pending() const;
    int count(Kind kind) const;
    // An entry's contents; empty when it cannot be read (it is then set aside as .bad).
    std::optional<Item> read(const QString &entry) const;
    bool remove(const QString &entry) const;

private:
    JournalError write(Kind kind, const QString &uid, const QByteArray &bytes);

    QString m_location;
    QString m_folder;
};

} // namespace estrivo
