#include "print_probe.h"

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace printtest {

namespace {

constexpr std::chrono::milliseconds kToolTimeout{60000};
constexpr double kPointsPerInch = 72.0;

// The `crop` part (in pixels at `dpi`) of the first page, rendered at `dpi`.
QImage renderFirstPage(const QString &pdf, double dpi, const QRect &crop)
{
    QTemporaryDir dir;
    const QString stem = dir.filePath(QStringLiteral("page"));
    const QStringList options =
        QStringLiteral("-r %1 -x %2 -y %3 -W %4 -H %5 -singlefile -png")
            .arg(QString::number(dpi), QString::number(crop.x()), QString::number(crop.y()),
                 QString::number(crop.width()), QString::number(crop.height()))
            .split(QLatin1Char(' '));
    if (!runTool(QStringLiteral("pdftoppm"), options + QStringList{pdf, stem}).isEmpty())
        return {};
    return QImage(stem + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

} // namespace

QString runTool(const QString &program, const QStringList &arguments, QByteArray *output)
{
    QProcess process;
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(kToolTimeout, &loop, &QEventLoop::quit);
    process.start(program, arguments);
    if (process.state() != QProcess::NotRunning)
        loop.exec();
    const bool timedOut = process.state() != QProcess::NotRunning;
    if (timedOut) {
        process.kill();
        loop.exec(); // until it is reaped
    }
    if (output)
        *output = process.readAllStandardOutput();
    if (timedOut || process.error() == QProcess::FailedToStart ||
        process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        return program + QStringLiteral(" failed: %1 %2")
                             .arg(process.errorString(),
                                  QString::fromLocal8Bit(process.readAllStandardError()));
    }
    return {};
}

QString pageMismatch(const QString &pdf, const QImage &picture, const QRectF &placed)
{
    // One page, and on it one image of the picture's size, masks included.
    QByteArray info;
    QByteArray images;
    const QString failed =
        runTool(QStringLiteral("pdfinfo"), {pdf}, &info) +
        runTool(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf}, &images);
    static const QRegularExpression onePage(QStringLiteral("^Pages:\\s+1$"),
                                            QRegularExpression::MultilineOption);
    const QList<QByteArray> rows = images.trimmed().split('\n').mid(2); // after the heading
    const QList<QByteArray> cells = rows.value(0).simplified().split(' ');
    if (!failed.isEmpty() || !onePage.match(QString::fromLatin1(info)).hasMatch() ||
        rows.size() != 1 || cells.value(2) != "image" ||
        QSize(cells.value(3).toInt(), cells.value(4).toInt()) != picture.size()) {
        return QStringLiteral("not one page with the picture: %1 %2 %3")
            .arg(failed, QString::fromLatin1(info), QString::fromLatin1(images));
    }

    // Rendered so that every picture pixel covers 4 x 4 pixels, the picture comes back unchanged
    // where it should lie, as far as it is on the paper: a lossy encoding, a resampled picture
    // or one drawn at another place or size differs by thousands of pixels.
    constexpr int kScale = 4;
    const double dpi = kScale * kPointsPerInch * picture.width() / placed.width();
    const QRect crop((placed.topLeft() * dpi / kPointsPerInch).toPoint(), picture.size() * kScale);
    const QImage rendered = renderFirstPage(pdf, dpi, crop);
    if (rendered.width() != crop.width() || rendered.height() < kScale)
        return QStringLiteral("%1 could not be rendered").arg(pdf);
    const QImage onPaper = picture.copy(0, 0, picture.width(), rendered.height() / kScale);
    const int differing = differingPixels(onPaper, rendered, kScale);
    return differing == 0 ? QString() : QStringLiteral("%1 pixels differ").arg(differing);
}

int differingPixels(const QImage &expected, const QImage &actual, int scale, QPoint offset)
{
    const QImage want = expected.convertToFormat(QImage::Format_RGB32);
    const QImage got = actual.convertToFormat(QImage::Format_RGB32);
    int differing = 0;
    for (int y = 0; y < want.height(); ++y) {
        for (int x = 0; x < want.width(); ++x) {
            const QPoint centre = offset + QPoint(x * scale + scale / 2, y * scale + scale / 2);
            if (!got.valid(centre) || (got.pixel(centre) ^ want.pixel(x, y)) & 0xffffff)
                ++differing;
        }
    }
    return differing;
}

std::unique_ptr<QWidget> newSheet(QSize size, const QString &title)
{
    auto sheet = std::make_unique<QLabel>(
        QStringLiteral("Concentration: 152.5 M/ml\nGel Free Volume: 63.0 ml   Motility: 55 %\n"
                       "6.0 ml Semen + 24.0 ml Extender = 30.0 ml\nStallion: Ilex, second\n")
            .repeated(size.height() / 50 + 1));
    sheet->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    sheet->setStyleSheet(QStringLiteral("background: #dee8f2; color: black; font-size: 7pt"));
    sheet->setWindowTitle(title);
    sheet->setFixedSize(size);
    return sheet;
}

void answerSetup(estrivo::SnapshotPrinter &printer, QWidget *parent, const QString &entry,
                 const QString &file, QDialogButtonBox::StandardButton answer)
{
    QSignalSpy finished(&printer, &estrivo::SnapshotPrinter::setupFinished);
    printer.openPrinterSetup(parent);
    // It opens without blocking and then stands over the window until it is answered.
    QTRY_VERIFY(qobject_cast<QPrintDialog *>(QApplication::activeModalWidget()));
    // A dialog left open by a failure below goes with its parent.
    auto *dialog = qobject_cast<QPrintDialog *>(QApplication::activeModalWidget());
    QCOMPARE(dialog->parentWidget(), parent);
    // The setup form every time: no page range, and no copies among the further settings.
    QVERIFY(!dialog->testOption(QAbstractPrintDialog::PrintPageRange));
    auto *tabs = dialog->findChild<QTabWidget *>(QStringLiteral("tabs"));
    QVERIFY(tabs);
    const QList<QSpinBox *> spins = dialog->findChildren<QSpinBox *>(); // copies, hidden or not
    QVERIFY(!spins.isEmpty());
    for (const QSpinBox *spin : spins)
        QVERIFY2(!spin->isVisibleTo(tabs), qPrintable(spin->objectName()));

    auto *printers = dialog->findChild<QComboBox *>(QStringLiteral("printers"));
    QVERIFY(printers);
    const int index = printers->findText(entry);
    QVERIFY2(index >= 0, qPrintable(entry + QStringLiteral(" is not offered")));
    printers->setCurrentIndex(index);
    if (!file.isEmpty()) {
        auto *fileName = dialog->findChild<QLineEdit *>(QStringLiteral("filename"));
        QVERIFY(fileName && fileName->isEnabled());
        fileName->setText(file);
    }
    QTest::mouseClick(dialog->findChild<QDialogButtonBox *>()->button(answer), Qt::LeftButton);
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(finished.first().value(0).toBool(), answer == QDialogButtonBox::Ok);
}

} // namespace printtest
