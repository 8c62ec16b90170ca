#include "print_probe.h"

#include <QEventLoop>
#include <QFile>
#include <QFont>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

namespace printtest {

QString ToolRun::describe() const
{
    if (!finished)
        return QStringLiteral("did not run to its end: %1").arg(QString::fromLocal8Bit(errors));
    return QStringLiteral("exit %1: %2 %3")
        .arg(exitCode)
        .arg(QString::fromLocal8Bit(output.left(2000)), QString::fromLocal8Bit(errors.left(2000)));
}

ToolRun runTool(const QString &program, const QStringList &arguments,
                std::chrono::milliseconds timeout)
{
    ToolRun run;
    QProcess process;
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    process.start(program, arguments);
    if (process.state() != QProcess::NotRunning) {
        deadline.start(timeout);
        loop.exec();
    }
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        QEventLoop reaped;
        QObject::connect(&process, &QProcess::finished, &reaped, &QEventLoop::quit);
        if (process.state() != QProcess::NotRunning)
            reaped.exec();
        run.errors = "timed out";
        return run;
    }
    run.output = process.readAllStandardOutput();
    run.errors = process.readAllStandardError();
    if (process.error() == QProcess::FailedToStart) {
        run.errors = program.toLocal8Bit() + " could not be started";
        return run;
    }
    run.finished = process.exitStatus() == QProcess::NormalExit;
    run.exitCode = process.exitCode();
    return run;
}

int pdfPageCount(const QString &pdf)
{
    const ToolRun info = runTool(QStringLiteral("pdfinfo"), {pdf});
    if (!info.succeeded())
        return -1;
    static const QRegularExpression pages(QStringLiteral("^Pages:\\s+(\\d+)"),
                                          QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = pages.match(QString::fromLocal8Bit(info.output));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

QList<PdfImage> pdfImages(const QString &pdf)
{
    QList<PdfImage> images;
    const ToolRun list = runTool(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf});
    if (!list.succeeded())
        return images;
    // page num type width height color comp bpc enc interp object ID x-ppi y-ppi size ratio
    const QStringList lines = QString::fromLocal8Bit(list.output).split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        const QStringList cells = line.simplified().split(QLatin1Char(' '));
        bool isRow = false;
        const int page = cells.value(0).toInt(&isRow);
        if (!isRow || cells.size() < 14 || cells.value(2) != QLatin1String("image"))
            continue;
        images.append({page, cells.value(3).toInt(), cells.value(4).toInt(), cells.value(8),
                       cells.value(12).toInt(), cells.value(13).toInt()});
    }
    return images;
}

QImage renderFirstPage(const QString &pdf, int dpi, const QRect &crop)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return {};
    QStringList arguments{QStringLiteral("-r"),          QString::number(dpi),
                          QStringLiteral("-f"),          QStringLiteral("1"),
                          QStringLiteral("-l"),          QStringLiteral("1"),
                          QStringLiteral("-singlefile"), QStringLiteral("-png")};
    if (!crop.isNull()) {
        arguments << QStringLiteral("-x") << QString::number(crop.x()) << QStringLiteral("-y")
                  << QString::number(crop.y()) << QStringLiteral("-W")
                  << QString::number(crop.width()) << QStringLiteral("-H")
                  << QString::number(crop.height());
    }
    const QString stem = dir.filePath(QStringLiteral("page"));
    arguments << pdf << stem;
    if (!runTool(QStringLiteral("pdftoppm"), arguments).succeeded())
        return {};
    return QImage(stem + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

QRect inkBounds(const QImage &page)
{
    QRect bounds;
    const QRgb paper = qRgb(255, 255, 255);
    for (int y = 0; y < page.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(page.constScanLine(y));
        int left = -1;
        int right = -1;
        for (int x = 0; x < page.width(); ++x) {
            if ((line[x] & 0xffffff) != (paper & 0xffffff)) {
                if (left < 0)
                    left = x;
                right = x;
            }
        }
        if (left >= 0)
            bounds |= QRect(left, y, right - left + 1, 1);
    }
    return bounds;
}

QString rectMismatch(const QRect &actual, const QRectF &expected, double tolerance)
{
    const auto near = [tolerance](double a, double b) {
        return qAbs(a - b) <= tolerance;
    };
    if (near(actual.left(), expected.left()) && near(actual.top(), expected.top()) &&
        near(actual.x() + actual.width(), expected.right()) &&
        near(actual.y() + actual.height(), expected.bottom())) {
        return {};
    }
    return QStringLiteral("found %1,%2 %3x%4, expected %5,%6 %7x%8")
        .arg(actual.x())
        .arg(actual.y())
        .arg(actual.width())
        .arg(actual.height())
        .arg(expected.x())
        .arg(expected.y())
        .arg(expected.width())
        .arg(expected.height());
}

int differingPixels(const QImage &picture, const QImage &rendering, int scale)
{
    const QImage expected = picture.convertToFormat(QImage::Format_RGB32);
    const QImage actual = rendering.convertToFormat(QImage::Format_RGB32);
    int differing = 0;
    for (int y = 0; y < expected.height(); ++y) {
        for (int x = 0; x < expected.width(); ++x) {
            const QPoint centre(x * scale + scale / 2, y * scale + scale / 2);
            if (!actual.valid(centre) ||
                (actual.pixel(centre) & 0xffffff) != (expected.pixel(x, y) & 0xffffff)) {
                ++differing;
            }
        }
    }
    return differing;
}

TestSheet::TestSheet(const QSize &size, const QString &title)
{
    setWindowTitle(title);
    setFixedSize(size);
}

void TestSheet::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(222, 232, 242));
    painter.setPen(QColor(40, 40, 90));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    QFont small = font();
    small.setPointSizeF(7.5);
    painter.setFont(small);
    painter.setPen(Qt::black);
    const QString lines[] = {QStringLiteral("Concentration: 152.5 M/ml"),
                             QStringLiteral("Gel Free Volume: 63.0 ml   Motility: 55 %"),
                             QStringLiteral("6.0 ml Semen + 24.0 ml Extender = 30.0 ml"),
                             QStringLiteral("Stallion Name & Notes: Ilex, second collection")};
    int y = 14;
    while (y + 10 < height()) {
        for (const QString &line : lines) {
            painter.drawText(QPoint(6, y), line);
            y += 13;
        }
    }
}

} // namespace printtest
