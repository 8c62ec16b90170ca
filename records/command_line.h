#pragma once

#include "journal_types.h"

#include <QSizeF>
#include <QString>
#include <QStringList>

#include <optional>

namespace estrivo {

// How the program ends: success, the work failed, or the command line was wrong.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// What the command line asks for: the window, a CSV export or a run of labels.
struct CommandLine
{
    enum class Action { Window, Export, Labels, Help, Version, UsageError };
    Action action = Action::Window;
    QString journal; // --journal; empty when not given

    // export
    SheetFilter filter;         // stallion, search, since and until only
    QString output;             // export: empty for standard output; labels: a PDF, not a printer
    bool byteOrderMark = false; // --bom

    // labels
    qint64 sheetId = 0;
    std::optional<int> count; // none: the sheet's Total Doses Possible
    QString printer;          // empty: the system's default printer
    QSizeF labelSize;         // in mm

    // The help or version text to print, or the reason for a usage error.
    QString text;

    int exitCode() const { return action == Action::UsageError ? kExitUsage : kExitOk; }
};

// Reads the program's arguments, the program's own name first.
CommandLine parseCommandLine(const QStringList &arguments);

// The help text of the program, or of one of its commands ("export", "labels").
QString helpText(const QString &command = {});

} // namespace estrivo
