// What the runners of the command line's commands share, and the runners themselves.
#pragma once

#include "command_line.h"
#include "journal_service.h"

#include <functional>
#include <memory>

namespace estrivo::runner {

// Says why on standard error, in one line, and returns the failure's exit status.
int fail(const QString &reason);
// The journal's service, once it has been opened for reading: one written by a newer program,
// or read-only, still reads. The command line waits for its answers; it has no window to keep
// answering.
std::unique_ptr<JournalService> openJournal(const CommandLine &line, QString *reason);
// A kept text as one cell of a tab-separated line: its tabs and line breaks made blanks, so a
// name can neither start a line nor move a column.
QString cell(const QString &text);
void printLine(const QStringList &cells);
QString isoDay(const QDate &day);
QString isoTime(const QDateTime &time);
int failed(const JournalError &error);
// The stallion a name belongs to, or the sentence saying why there is none.
JournalReply<Stallion> stallionNamed(Journal &source, const QString &name);

// Runs `job` on the journal's thread and waits for it: the command line has nothing else to do.
template<typename T> inline T onJournal(JournalService &service, std::function<T(Journal &)> job)
{
    return service.run<T>(std::move(job)).result();
}

// The register's commands: the station, the stallions, the movements of doses and their papers.
int showStation(JournalService &journal);
int setStation(JournalService &journal, const StationChange &change);
int listStallions(JournalService &journal);
int changeStallion(JournalService &journal, const CommandLine &line);
int addStallion(JournalService &journal, Stallion stallion);
// Keeps a movement; a return or a reversal first finds the movement it is about.
int move(JournalService &journal, const CommandLine &line);
int listContainers(JournalService &journal);
int writeRegister(JournalService &journal, const CommandLine &line);
int writeTransport(JournalService &journal, const CommandLine &line);

// The frozen semen's commands: batches, tests, tanks, positions, stock and figures.
int freeze(JournalService &journal, const FreezeBatch &asked);
int thawTest(JournalService &journal, const ThawTest &asked);
int release(JournalService &journal, const ReleaseChange &asked);
int addTank(JournalService &journal, const Tank &asked);
int listTanks(JournalService &journal);
int checkTank(JournalService &journal, const CommandLine &line);
int placeOrMove(JournalService &journal, const CommandLine &line);
// Straws leaving: the movement names the batch's first collection and the position.
JournalError completeStrawsOut(Journal &target, const CommandLine &line, Movement &movement);
int writeInventory(JournalService &journal, const CommandLine &line);
int frozenSettings(JournalService &journal, const CommandLine &line);
int tanksDue(JournalService &journal);
int caneLabels(JournalService &journal, const CommandLine &line);
// Prints the working and the straws, or the working and, on standard error, why not.
int printStrawsPerDose(double spermPerStraw, double progressive, double target);
// A batch's sperm per straw and its latest post-thaw progressive motility, where not given.
int strawsPerDoseOfBatch(JournalService &journal, const CommandLine &line);

} // namespace estrivo::runner
