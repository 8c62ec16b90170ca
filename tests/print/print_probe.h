#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <chrono>

namespace printtest {

using namespace std::chrono_literals;

// The outcome of a command-line tool run to its end.
struct ToolRun
{
    bool finished = false; // ran and exited by itself within the time allowed
    int exitCode = -1;
    QByteArray output;
    QByteArray errors;

    bool succeeded() const { return finished && exitCode == 0; }
    QString describe() const;
};

// Runs `program` to its end; the event loop keeps turning while it runs.
ToolRun runTool(const QString &program, const QStringList &arguments,
                std::chrono::milliseconds timeout = 60s);

// One row of `pdfimages -list`.
struct PdfImage
{
    int page = 0;
    int width = 0;
    int height = 0;
    QString encoding; // "image" for Flate, "jpeg" for DCT, ...
    int xPpi = 0;
    int yPpi = 0;
};

// What poppler's tools find in a PDF file; -1 or empty when they cannot read it.
int pdfPageCount(const QString &pdf);
QList<PdfImage> pdfImages(const QString &pdf);

// The first page rendered at `dpi`, or only the `crop` part of it (in pixels at that dpi).
QImage renderFirstPage(const QString &pdf, int dpi, const QRect &crop = {});

// The bounding box of everything on the page that is not paper white.
QRect inkBounds(const QImage &page);

// Empty when `actual` lies within `tolerance` pixels of `expected` on every edge, else both.
QString rectMismatch(const QRect &actual, const QRectF &expected, double tolerance = 1.0);

// How many pixels of `picture` differ from the rendering in which each of its pixels covers
// `scale` x `scale` device pixels; each is compared at the centre of its square, where the
// renderer's edge smoothing does not reach.
int differingPixels(const QImage &picture, const QImage &rendering, int scale);

// A stand-in for the sample sheet: small text over a tinted, framed background, so that the
// picture's extent and its sharpness can be found again on the printed page.
class TestSheet : public QWidget
{
public:
    explicit TestSheet(const QSize &size, const QString &title = QStringLiteral("Test sheet"));

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace printtest
