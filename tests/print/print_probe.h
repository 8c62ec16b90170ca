#pragma once

#include "snapshot_print.h"

#include <QDialogButtonBox>
#include <QImage>
#include <QRectF>
#include <QStringList>
#include <QWidget>

#include <memory>

// Helpers of the print tests: command-line tools, printed pages read back, a sheet to print and
// the printer setup answered as an operator would.
namespace printtest {

inline const QString kPrintToFile = QStringLiteral("Print to File (PDF)");

// Runs `program` to its end while the event loop turns, its standard output into `*output`.
// Empty when it exited with 0 within a minute; otherwise what went wrong.
QString runTool(const QString &program, const QStringList &arguments, QByteArray *output = {});

// Empty when `pdf` is one page holding `picture` alone at `placed` (in points from the paper's
// corner), pixel for pixel as far as it is on the paper; otherwise what differs.
QString pageMismatch(const QString &pdf, const QImage &picture, const QRectF &placed);

// How many pixels of `expected` differ from `actual` at `offset`, where each covers `scale` x
// `scale` pixels of `actual` and is compared at their centre, out of reach of edge smoothing.
int differingPixels(const QImage &expected, const QImage &actual, int scale = 1,
                    QPoint offset = {});

// A stand-in for the sample sheet: small text on a tinted ground, which only a lossless picture
// at the right place and size brings back pixel for pixel.
std::unique_ptr<QWidget> newSheet(QSize size, const QString &title = QStringLiteral("Sheet"));

// Opens the printer setup over `parent`, checks that it is the setup form, picks `entry` and, if
// given, the file name `file`, and answers with `answer`. Then check QTest::currentTestFailed().
void answerSetup(estrivo::SnapshotPrinter &printer, QWidget *parent, const QString &entry,
                 const QString &file, QDialogButtonBox::StandardButton answer);

} // namespace printtest
