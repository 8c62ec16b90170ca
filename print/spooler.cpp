#include "spooler.h"
#include "print_text.h"

#include <QCoreApplication>
#include <QStringList>

#ifdef ESTRIVO_HAVE_CUPS
#include <cups/cups.h>
#endif

namespace estrivo::spooler {

namespace {

#ifdef ESTRIVO_HAVE_CUPS
QString lastErrorText()
{
    return QString::fromLocal8Bit(cupsLastErrorString());
}
#endif

} // namespace

PrintOutcome checkQueue(const QString &printerName)
{
#ifdef ESTRIVO_HAVE_CUPS
    // Qt names a queue instance "queue/instance"; the spooler knows the two apart.
    const QStringList parts = printerName.split(QLatin1Char('/'));
    const QByteArray queue = parts.value(0).toLocal8Bit();
    const QByteArray instance = parts.value(1).toLocal8Bit();
    // This request also leaves the thread's last spooler status at success when the queue is
    // there, so what lastJobOutcome reads afterwards belongs to the job alone.
    cups_dest_t *dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue.constData(),
                                         instance.isEmpty() ? nullptr : instance.constData());
    if (!dest) {
        return {PrintError::InvalidPrinter,
                PrintText::tr("The printer \"%1\" is not available: %2")
                    .arg(printerName, lastErrorText())};
    }
    const char *accepting
        = cupsGetOption("printer-is-accepting-jobs", dest->num_options, dest->options);
    const bool refuses = accepting && qstrcmp(accepting, "false") == 0;
    cupsFreeDests(1, dest);
    if (refuses) {
        return {PrintError::SpoolerRefused,
                PrintText::tr("The printer \"%1\" is not accepting jobs.").arg(printerName)};
    }
#else
    Q_UNUSED(printerName)
#endif
    return {};
}

PrintOutcome lastJobOutcome(const QString &printerName)
{
#ifdef ESTRIVO_HAVE_CUPS
    if (cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE) {
        return {PrintError::SpoolerRefused,
                PrintText::tr("The printer \"%1\" did not take the job: %2")
                    .arg(printerName, lastErrorText())};
    }
#else
    Q_UNUSED(printerName)
#endif
    return {};
}

bool serviceAnswers()
{
#ifdef ESTRIVO_HAVE_CUPS
    // Any answer to a question of its own will do, "no default printer" included: only a
    // scheduler that cannot be reached, or that drops the request, gives none.
    constexpr int kConnectMs = 3000;
    http_t *http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                                kConnectMs, nullptr);
    if (!http)
        return false;
    ipp_t *answer = cupsDoRequest(http, ippNewRequest(IPP_OP_CUPS_GET_DEFAULT), "/");
    const bool answered = answer != nullptr;
    ippDelete(answer);
    httpClose(http);
    return answered;
#else
    return true;
#endif
}

PrintOutcome noPrinterOutcome()
{
    if (!serviceAnswers()) {
        return {PrintError::NoPrinter,
                PrintText::tr("The print service does not answer (is CUPS running?).")};
    }
    return {PrintError::NoPrinter, PrintText::tr("No printer is installed.")};
}

} // namespace estrivo::spooler
