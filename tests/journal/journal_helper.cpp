// A second program saving into a journal, for the tests that need another process: it saves
// COUNT sheets and prints "saved ID N" once each is committed, or "failed KIND REASON" and
// stops at the first failure. With COUNT 0 it only reads: "count SHEETS", or the failure.
// With the tag "kept", it saves as the window does, through a JournalService, printing
// "kept N" once each save has returned (the sheet is then on the disk, in the outbox), and
// then waits to be killed or for the deliveries to end.
//   journal_helper LOCATION COUNT TAG [PICTURE.png]
#include "journal.h"
#include "journal_service.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

using namespace estrivo;
using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 4) {
        std::fputs("usage: journal_helper LOCATION COUNT TAG [PICTURE.png]\n", stderr);
        return 2;
    }
    const int count = args[2].toInt();
    const QString tag = args[3];
    QByteArray picture;
    if (args.size() > 4) {
        QFile file(args[4]);
        if (!file.open(QIODevice::ReadOnly))
            return 2;
        picture = file.readAll();
    }

    if (tag == u"kept"_s) {
        JournalService service(args[1]);
        for (int n = 0; n < count; ++n) {
            SheetRecord sheet;
            for (const Field field : kAllFields)
                sheet.text(field) = QString::fromUtf8(initialText(field));
            sheet.text(Field::Text1) = u"Helper kept\nkept %1"_s.arg(n);
            sheet.picturePng = picture;
            service.saveSheet(sheet);
            std::printf("kept %d\n", n);
            std::fflush(stdout);
        }
        service.whenIdle().waitForFinished();
        std::printf("delivered %d\n", count - service.keptSheets());
        return 0;
    }

    Journal journal(args[1]);
    for (int n = 0; n < count; ++n) {
        SheetRecord sheet;
        for (const Field field : kAllFields)
            sheet.text(field) = QString::fromUtf8(initialText(field));
        sheet.text(Field::Text1) = u"Helper %1\n%2 %3"_s.arg(tag, tag).arg(n);
        sheet.programVersion = u"helper"_s;
        sheet.picturePng = picture;
        const JournalError error = journal.saveSheet(sheet);
        if (!error.ok()) {
            std::printf("failed %d %s\n", int(error.kind), qPrintable(error.reason));
            return 3;
        }
        std::printf("saved %lld %d\n", sheet.id, n);
        std::fflush(stdout); // reported only once committed, and seen before the next save
    }
    if (count == 0) {
        const qint64 sheets = journal.sheetCount();
        if (const JournalError error = journal.lastError(); !error.ok()) {
            std::printf("failed %d %s\n", int(error.kind), qPrintable(error.reason));
            return 3;
        }
        std::printf("count %lld\n", sheets);
    }
    return 0;
}
