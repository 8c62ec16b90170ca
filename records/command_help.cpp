// The help texts of the program and of each of its commands.
#include "command_line.h"
#include "command_line_parts.h"
#include "records_text.h"

namespace estrivo {

using namespace Qt::StringLiterals;
using namespace cli;

namespace {

// The straws of a freeze batch leave through the same commands as a collection's doses.
QString strawsOutHelp(const QString &form)
{
    return RecordsText::tr(
               "\nStraws of a freeze batch (SHEET_ID may then be left out):\n"
               "  estrivo-records %1 --batch BATCH_ID --straws N\n"
               "                  --from TANK/CANISTER[/GOBLET[/CANE]]\n"
               "A dispatch or use needs a released batch; never more straws leave than the\n"
               "position holds.\n")
        .arg(form);
}

QString helpOf(const QString &command)
{
    if (command == kExport) {
        return RecordsText::tr(
            "Usage: estrivo-records export [--stallion NAME] [--search TEXT]\n"
            "                              [--since YYYY-MM-DD] [--until YYYY-MM-DD]\n"
            "                              [--bom] [--output FILE]\n"
            "Writes the kept sheets, newest first, as CSV (RFC 4180, UTF-8).\n"
            "\n"
            "  --stallion NAME     only this stallion's collections (any spelling)\n"
            "  --search TEXT       only sheets whose name or notes hold TEXT (any case\n"
            "                      or accents)\n"
            "  --since YYYY-MM-DD  only sheets saved on or after this day\n"
            "  --until YYYY-MM-DD  only sheets saved on or before this day\n"
            "                      (days and saved_at in local time, as $TZ sets it)\n"
            "  --bom               start with a UTF-8 byte-order mark, for spreadsheet\n"
            "                      programs that assume a Windows code page\n"
            "  --output FILE       write FILE (replaced once complete), not standard "
            "output\n");
    }
    if (command == kLabels) {
        return RecordsText::tr(
            "Usage: estrivo-records labels ID [--count N]\n"
            "                                 [--printer NAME | --output FILE.pdf]\n"
            "                                 [--label-size WxHmm]\n"
            "Prints the dose labels of the kept sheet ID, one label a page.\n"
            "\n"
            "  --count N           print N labels (default: its Total Doses Possible)\n"
            "  --printer NAME      the printer (default: the system's default printer)\n"
            "  --output FILE.pdf   a PDF file instead of a printer\n"
            "  --label-size WxHmm  the label's size in mm (default: 62x29mm)\n");
    }
    if (command == kStation) {
        return RecordsText::tr(
            "Usage: estrivo-records station show\n"
            "       estrivo-records station set [--name NAME] [--address ADDRESS]\n"
            "                                   [--approval CC-XXXX] [--marking eu|none]\n"
            "                                   [--retention-years N]\n"
            "                                   [--label-date yymmdd|dd.mm.yy]\n"
            "Shows or sets the station's profile, which its labels and its register carry.\n"
            "Only what is given changes.\n"
            "\n"
            "  --name NAME            the station's name\n"
            "  --address ADDRESS      its address\n"
            "  --approval CC-XXXX     its approval number with the ISO 3166-1 country code\n"
            "                         in front, such as DE-EQ-0042\n"
            "  --marking eu|none      the marking labels must carry (eu: the EU marking,\n"
            "                         which needs an approval number)\n"
            "  --retention-years N    how long the register is kept, 1 to 100 (default 3)\n"
            "  --label-date FORM      the collection date on labels: yymmdd (261207) or\n"
            "                         dd.mm.yy (07.12.26)\n");
    }
    if (command == kStallion) {
        return RecordsText::tr(
            "Usage: estrivo-records stallion list\n"
            "       estrivo-records stallion add --name NAME [identity]\n"
            "       estrivo-records stallion set NAME [identity]\n"
            "       estrivo-records stallion rename NAME NEW_NAME\n"
            "       estrivo-records stallion merge NAME INTO_NAME\n"
            "Keeps the stallion register. A sheet is a stallion's when the first line of its\n"
            "name box is his name or one of his aliases, in any spelling. rename keeps the\n"
            "old name as an alias; merge makes the first stallion one with the second, his\n"
            "names and sheets with them. list writes one tab-separated line a stallion.\n"
            "\n"
            "Identity (add, set):\n"
            "  --ueln UELN            the Universal Equine Life Number (15 characters)\n"
            "  --breed BREED          the breed\n"
            "  --born YYYY-MM-DD      the date of birth\n"
            "  --registration NUMBER  the studbook's registration number\n"
            "  --owner OWNER          the owner\n"
            "  --alias NAME           another name of his sheets (may be repeated)\n");
    }
    if (command == kDispatch) {
        return RecordsText::tr(
                   "Usage: estrivo-records dispatch SHEET_ID --doses N --to CONSIGNEE\n"
                   "           [--mare NAME] [--mare-ueln UELN] [--address ADDRESS] [--country "
                   "CC]\n"
                   "           [--vet NAME] [--carrier NAME] [--tracking NUMBER]\n"
                   "           [--container CONTAINER] [--due-back YYYY-MM-DD]\n"
                   "Keeps doses of collection SHEET_ID sent away and prints the movement's ID.\n"
                   "Refused, saying what remains, when fewer doses remain.\n"
                   "\n"
                   "  --doses N              the doses sent\n"
                   "  --to CONSIGNEE         who receives them\n"
                   "  --mare NAME            the mare they are for\n"
                   "  --mare-ueln UELN       her UELN\n"
                   "  --address ADDRESS      where they go\n"
                   "  --country CC           the country, ISO 3166-1 (DE, FR, ...)\n"
                   "  --vet NAME             the vet who inseminates\n"
                   "  --carrier NAME         the carrier\n"
                   "  --tracking NUMBER      the carrier's tracking number\n"
                   "  --container CONTAINER  the shipping container, to have it back\n"
                   "  --due-back YYYY-MM-DD  when the container is due back\n")
               + strawsOutHelp(u"dispatch --to CONSIGNEE"_s);
    }
    if (command == kUse) {
        return RecordsText::tr(
                   "Usage: estrivo-records use SHEET_ID --doses N --mare NAME [--mare-ueln UELN]\n"
                   "Keeps doses of collection SHEET_ID used on the station and prints the "
                   "movement's\n"
                   "ID.\n")
               + strawsOutHelp(u"use --mare NAME"_s);
    }
    if (command == kDestroy) {
        return RecordsText::tr(
                   "Usage: estrivo-records destroy SHEET_ID --doses N --reason TEXT\n"
                   "Keeps doses of collection SHEET_ID destroyed and prints the movement's ID.\n")
               + strawsOutHelp(u"destroy --reason TEXT"_s);
    }
    if (command == kReturn) {
        return RecordsText::tr(
            "Usage: estrivo-records return MOVEMENT_ID [--doses N] [--container-back]\n"
            "Keeps what came back from the dispatch MOVEMENT_ID: N unused doses, its\n"
            "container, or both; prints the movement's ID.\n");
    }
    if (command == kAdjust) {
        return RecordsText::tr(
            "Usage: estrivo-records adjust SHEET_ID --doses +N|-N --reason TEXT\n"
            "Changes the doses collection SHEET_ID made (-N: fewer were filled) and prints\n"
            "the movement's ID.\n");
    }
    if (command == kReverse) {
        return RecordsText::tr(
            "Usage: estrivo-records reverse MOVEMENT_ID --reason TEXT\n"
            "Corrects a mistaken movement with one that undoes it (a movement is never\n"
            "deleted) and prints the new movement's ID.\n");
    }
    if (command == kContainers) {
        return RecordsText::tr(
            "Usage: estrivo-records containers\n"
            "Lists the containers sent with a dispatch and not back, oldest first, one\n"
            "tab-separated line each: dispatch, sheet, container, consignee, sent, due back\n"
            "and out, due (today) or overdue.\n");
    }
    if (command == kRegister) {
        return RecordsText::tr(
            "Usage: estrivo-records register [--since YYYY-MM-DD] [--until YYYY-MM-DD]\n"
            "                                [--output FILE]\n"
            "Writes the register: every collection with its donor and every movement of its\n"
            "doses, oldest first; a PDF for an inspector when FILE ends in .pdf, else CSV\n"
            "(to standard output without --output).\n"
            "\n"
            "  --since YYYY-MM-DD  only collections saved on or after this day\n"
            "  --until YYYY-MM-DD  only collections saved on or before this day\n"
            "  --output FILE       write FILE (replaced once complete)\n");
    }
    if (command == kTransport) {
        return RecordsText::tr(
            "Usage: estrivo-records transport MOVEMENT_ID --output FILE.pdf\n"
            "Writes the transport sheet of the dispatch MOVEMENT_ID as a PDF.\n");
    }
    if (command == kFreeze) {
        return RecordsText::tr(
            "Usage: estrivo-records freeze SHEET_ID[,SHEET_ID...] --raw-ml ML[,ML...]\n"
            "           --straws N --straw-volume 0.25|0.5 --concentration M_PER_ML\n"
            "           [--sperm-per-straw M] [--straws-per-dose N] [--extender E]\n"
            "           [--centrifuge-g G --centrifuge-min MIN] [--colour C]\n"
            "           [--marking TEXT] [--notes TEXT]\n"
            "Keeps a freeze batch made from one collection, or from several of one stallion\n"
            "pooled, and prints its ID. It starts in quarantine, its straws not yet placed.\n"
            "\n"
            "  --raw-ml ML[,ML...]     raw semen taken from each sheet, in ml (at most its\n"
            "                          gel-free volume less what earlier batches took)\n"
            "  --straws N              straws made\n"
            "  --straw-volume 0.25|0.5 the straw's volume in ml\n"
            "  --concentration M       final concentration in the straw, M/ml\n"
            "  --sperm-per-straw M     sperm per straw, M (default: concentration x volume)\n"
            "  --straws-per-dose N     straws to one insemination dose\n"
            "  --extender E            the freezing extender\n"
            "  --centrifuge-g G        centrifugation force in g, with --centrifuge-min\n"
            "  --centrifuge-min MIN    centrifugation time in minutes\n"
            "  --colour C              the straws' colour\n"
            "  --marking TEXT          what is printed on each straw\n"
            "  --notes TEXT            notes\n");
    }
    if (command == kThawTest) {
        return RecordsText::tr(
            "Usage: estrivo-records thaw-test BATCH_ID --total-motility P --progressive P\n"
            "           [--straws N] [--minutes M] [--vcl V --vsl V --vap V]\n"
            "           [--bacteriology TEXT]\n"
            "Keeps a post-thaw test of freeze batch BATCH_ID and prints its ID.\n"
            "\n"
            "  --total-motility P   total motility after thawing, %\n"
            "  --progressive P      progressive motility after thawing, %\n"
            "  --straws N           straws thawed (default 1)\n"
            "  --minutes M          minutes after thawing (default 0)\n"
            "  --vcl/--vsl/--vap V  velocities in um/s from an analyser, all three\n"
            "  --bacteriology TEXT  the bacteriology finding\n");
    }
    if (command == kRelease) {
        return RecordsText::tr(
            "Usage: estrivo-records release BATCH_ID [--hold REASON | --quarantine REASON]\n"
            "Releases freeze batch BATCH_ID for use and sale, or holds it back. A release\n"
            "needs a post-thaw test whose progressive motility reaches the station's figure\n"
            "(frozen-settings, default 30 %).\n"
            "\n"
            "  --hold REASON        put it on hold\n"
            "  --quarantine REASON  put it back in quarantine\n");
    }
    if (command == kTank) {
        return RecordsText::tr(
            "Usage: estrivo-records tank add --name NAME [--location L] [--canisters N]\n"
            "                                [--min-level CM]\n"
            "       estrivo-records tank list\n"
            "Adds a liquid-nitrogen tank and prints its ID, or lists the tanks, one\n"
            "tab-separated line each: id, name, location, canisters, min_level_cm,\n"
            "last_check_at, last_level_cm, state (ok, due, low or due,low).\n"
            "\n"
            "  --name NAME       the tank's name, unique (no \"/\", not a number alone)\n"
            "  --location L      where it stands\n"
            "  --canisters N     its canisters (default 6)\n"
            "  --min-level CM    the level below which its straws are at risk (default 5)\n");
    }
    if (command == kTankCheck) {
        return RecordsText::tr(
            "Usage: estrivo-records tank-check TANK --level CM [--refilled] [--note TEXT]\n"
            "Keeps a liquid-nitrogen level check of TANK (its name or ID) and prints its ID.\n"
            "\n"
            "  --level CM     the level measured, in cm\n"
            "  --refilled     the tank was refilled at this check\n"
            "  --note TEXT    a note\n");
    }
    if (command == kPlace) {
        return RecordsText::tr(
            "Usage: estrivo-records place BATCH_ID --straws N --tank TANK --canister N\n"
            "                             [--goblet G] [--cane C]\n"
            "Places N straws of freeze batch BATCH_ID not yet placed in a tank's canister,\n"
            "goblet and cane.\n");
    }
    if (command == kMove) {
        return RecordsText::tr(
            "Usage: estrivo-records move BATCH_ID --straws N --from POSITION --to POSITION\n"
            "       estrivo-records move --all-from POSITION --to POSITION\n"
            "Moves straws between positions, never more than the position holds. A position\n"
            "is TANK/CANISTER[/GOBLET[/CANE]], the tank by name or ID. --all-from moves the\n"
            "straws of every batch at POSITION and below it in one step, all or none; a\n"
            "goblet or cane --to leaves out stays as it was.\n");
    }
    if (command == kInventory) {
        return RecordsText::tr(
            "Usage: estrivo-records inventory [--by tank|stallion] [--output FILE]\n"
            "Writes the straws in store, each batch per tank (default) or per stallion over\n"
            "all tanks: a PDF when FILE ends in .pdf, else CSV (to standard output without\n"
            "--output) with the columns tank_id, tank, stallion, batch_id, frozen_at, state,\n"
            "straws, straws_per_dose, doses, positions.\n");
    }
    if (command == kFrozenSettings) {
        return RecordsText::tr(
            "Usage: estrivo-records frozen-settings [--release-motility P]\n"
            "                                       [--low-stock-doses N]\n"
            "Sets what is given and shows the station's rules for frozen semen.\n"
            "\n"
            "  --release-motility P  the post-thaw progressive motility a release needs, %\n"
            "  --low-stock-doses N   fewer released doses in store make a stallion low\n"
            "                        (0: never)\n");
    }
    if (command == kTanksDue) {
        return RecordsText::tr(
            "Usage: estrivo-records tanks-due\n"
            "Lists, one tab-separated line each, the tanks whose last level check is more\n"
            "than 7 days old (\"due\"), the tanks whose last level is below their minimum\n"
            "(\"low\") and the stallions low in released doses (\"low-stock\"). Exit status 0\n"
            "whether or not anything is listed.\n");
    }
    if (command == kStrawsPerDose) {
        return RecordsText::tr(
            "Usage: estrivo-records straws-per-dose --sperm-per-straw M --progressive P\n"
            "                                       --target M\n"
            "       estrivo-records straws-per-dose BATCH_ID --target M\n"
            "                                       [--sperm-per-straw M] [--progressive P]\n"
            "Works out the straws one dose takes to hold --target million progressively\n"
            "motile sperm, printing the working a line a step and then\n"
            "\"straws_per_dose: N\". With BATCH_ID the sperm per straw is the batch's and the\n"
            "progressive motility that of its latest post-thaw test, unless given.\n");
    }
    if (command == kCaneLabels) {
        return RecordsText::tr(
            "Usage: estrivo-records cane-labels BATCH_ID --output FILE.pdf\n"
            "Writes a label for each cane or goblet holding straws of freeze batch BATCH_ID:\n"
            "stallion, batch, freeze date, straws, position and a QR code.\n");
    }
    return {};
}

} // namespace

QString helpText(const QString &command)
{
    const QString common = RecordsText::tr("  --journal LOCATION  the journal: a SQLite file or a "
                                           "postgresql:// URI\n"
                                           "  --help              show this help and exit\n"
                                           "  --version           show the version and exit\n");
    const QString own = helpOf(command.section(u' ', 0, 0));
    if (!own.isEmpty())
        return own + common;
    return RecordsText::tr(
               "Usage: estrivo-records [--journal LOCATION]\n"
               "       estrivo-records COMMAND [ARGUMENTS] [options]\n"
               "Browses, charts, exports and labels the collections in the Estrivo journal and\n"
               "keeps the register of stallions and doses. Without a command the window opens.\n"
               "\n"
               "Commands (see estrivo-records COMMAND --help):\n"
               "  export              write the kept sheets as CSV\n"
               "  labels ID           print the dose labels of sheet ID\n"
               "  station show|set    show or set the station's name, approval and marking\n"
               "  stallion list|add|set|rename|merge\n"
               "                      keep the stallion register\n"
               "  dispatch SHEET_ID   keep doses sent away\n"
               "  use SHEET_ID        keep doses used on the station\n"
               "  destroy SHEET_ID    keep doses destroyed\n"
               "  return MOVEMENT_ID  keep doses or a container back from a dispatch\n"
               "  adjust SHEET_ID     change the doses a collection made\n"
               "  reverse MOVEMENT_ID undo a mistaken movement\n"
               "  containers          list the containers out\n"
               "  register            write the register as CSV or PDF\n"
               "  transport MOVEMENT_ID\n"
               "                      write the transport sheet of a dispatch as PDF\n"
               "  freeze SHEET_ID[,...] keep a freeze batch\n"
               "  thaw-test BATCH_ID  keep a post-thaw test\n"
               "  release BATCH_ID    release a batch, or hold it back\n"
               "  tank add|list       keep the liquid-nitrogen tanks\n"
               "  tank-check TANK     keep a level check of a tank\n"
               "  place BATCH_ID      place straws in a tank\n"
               "  move                move straws between positions\n"
               "  inventory           write the straws in store as CSV or PDF\n"
               "  frozen-settings     show or set the release and low-stock figures\n"
               "  tanks-due           list the tanks due for a check or low, stallions low\n"
               "  straws-per-dose     work out the straws a frozen dose takes\n"
               "  cane-labels BATCH_ID\n"
               "                      write labels for the canes and goblets of a batch\n"
               "\n")
           + common
           + RecordsText::tr(
               "\nExit status: 0 on success, 1 when the work fails, 2 for a usage error.\n");
}

} // namespace estrivo
