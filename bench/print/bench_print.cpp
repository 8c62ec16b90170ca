// How long the operator waits after Print: the picture, the page and the hand-over of the job.
// Runs offscreen. The spooler case needs a default printer; with_cups.sh provides one that
// discards its jobs, on a private scheduler.
#include "snapshot_print.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// About the program's window: 314 x 475 pixels of client area under a menu bar, labels and
// fields of small text.
std::unique_ptr<QMainWindow> sheetWindow()
{
    auto window = std::make_unique<QMainWindow>();
    window->setWindowTitle(QStringLiteral("Estrivo bench"));
    window->menuBar()->addMenu(QStringLiteral("&File"));
    window->menuBar()->addMenu(QStringLiteral("&Settings"));
    auto *client = new QWidget;
    client->setFixedSize(314, 475);
    auto *layout = new QVBoxLayout(client);
    for (int row = 0; row < 12; ++row) {
        layout->addWidget(new QLabel(QStringLiteral("Concentration %1: 152.5 M/ml").arg(row)));
        layout->addWidget(new QLineEdit(QStringLiteral("6.66666666666667")));
    }
    window->setCentralWidget(client);
    window->show();
    return window;
}

void snapshot(benchmark::State &state)
{
    const auto window = sheetWindow();
    for (auto _ : state)
        benchmark::DoNotOptimize(estrivo::snapshotWindow(window.get()));
}
BENCHMARK(snapshot)->Unit(benchmark::kMillisecond);

void printToPdfFile(benchmark::State &state)
{
    const auto window = sheetWindow();
    QTemporaryDir dir;
    estrivo::SnapshotPrinter printer;
    printer.printer().setOutputFileName(dir.filePath(QStringLiteral("sheet.pdf")));
    for (auto _ : state) {
        const estrivo::PrintOutcome outcome = printer.printWindow(window.get());
        if (!outcome.ok()) {
            state.SkipWithError(qPrintable(outcome.detail));
            break;
        }
    }
}
BENCHMARK(printToPdfFile)->Unit(benchmark::kMillisecond);

void printToSpooler(benchmark::State &state)
{
    const auto window = sheetWindow();
    estrivo::SnapshotPrinter printer;
    if (printer.printer().outputFormat() != QPrinter::NativeFormat) {
        state.SkipWithError("no default printer; run through bench/print/with_cups.sh");
        return;
    }
    for (auto _ : state) {
        const estrivo::PrintOutcome outcome = printer.printWindow(window.get());
        if (!outcome.ok()) {
            state.SkipWithError(qPrintable(outcome.detail));
            break;
        }
    }
    state.SetLabel(qPrintable(printer.printer().printerName()));
}
// Every iteration is a real job; a few dozen show the figure without flooding the queue.
BENCHMARK(printToSpooler)->Unit(benchmark::kMillisecond)->Iterations(30);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    benchmark::Initialize(&argc, argv);
    QApplication app(argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
