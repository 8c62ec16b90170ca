#pragma once

#include <QLabel>
#include <QtTest>

// Helpers of the print tests: command-line tools, printed pages read back and a sheet to print.
namespace printtest {

using namespace Qt::StringLiterals;

// Runs a command line of words without spaces of their own to its end (a minute at most) while
// the event loop turns; empty when it exited with 0, otherwise what went wrong.
inline QString run(const QString &command, QByteArray *out = {})
{
    const QStringList words = command.split(u' ');
    QProcess process;
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(std::chrono::minutes(1), &process, &QProcess::kill);
    process.start(words.value(0), words.mid(1));
    while (process.state() != QProcess::NotRunning)
        loop.exec();
    if (out)
        *out = process.readAllStandardOutput();
    if (process.error() == QProcess::UnknownError && process.exitCode() == 0)
        return {};
    return command + u" failed: "_s + process.errorString() + process.readAllStandardError();
}

// Empty when `pdf` is one page with `picture` at `placed` (points from the paper's corner),
// pixel for pixel as far as it is on the paper: a lossy, resampled or misplaced one differs.
inline QString pageMismatch(const QString &pdf, const QImage &picture, const QRectF &placed)
{
    constexpr int kScale = 4;
    const double dpi = kScale * 72.0 * picture.width() / placed.width(); // 72 points an inch
    const QRect crop((placed.topLeft() * dpi / 72.0).toPoint(), picture.size() * kScale);
    QByteArray pages; // a PNG for each page
    const QString failed = run(u"pdftoppm -png -r %1 -x %2 -y %3 -W %4 -H %5 %6"_s.arg(dpi)
                                   .arg(crop.x()).arg(crop.y()).arg(crop.width())
                                   .arg(crop.height()).arg(pdf), &pages);
    const QImage rendered = QImage::fromData(pages, "PNG");
    const int rows = rendered.height() / kScale; // of the picture on the paper
    if (pages.count("\x89PNG\r\n\x1a\n") != 1 || rendered.width() != crop.width() || rows == 0)
        return u"not one page of the picture's width: "_s + failed;
    // Nearest-neighbour sampling takes the middle of each 4 x 4 block, clear of smoothed edges.
    const QImage sampled = rendered.copy(0, 0, crop.width(), rows * kScale)
                               .scaled(picture.width(), rows)
                               .convertToFormat(QImage::Format_RGB32);
    const QImage onPaper = picture.copy(0, 0, picture.width(), rows);
    return onPaper.convertToFormat(QImage::Format_RGB32) == sampled ? QString() : u"differs"_s;
}

// Small text on a tinted ground, which only a lossless picture at the right place and size
// brings back pixel for pixel.
inline std::unique_ptr<QWidget> newSheet(QSize size)
{
    auto sheet = std::make_unique<QLabel>(
        u"Concentration: 152.5 M/ml\nMotility: 55 %\n6.0 ml Semen + 24.0 ml Extender\n"_s
            .repeated(size.height() / 30 + 1));
    sheet->setStyleSheet(u"background: #dee8f2; color: black; font-size: 7pt"_s);
    sheet->setFixedSize(size);
    return sheet;
}

} // namespace printtest
