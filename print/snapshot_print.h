#pragma once

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QPrinter>
#include <QSizeF>
#include <QString>
#include <QtGlobal>

#include <memory>

class QDialog;
class QWidget;

namespace estrivo {

// Lengths on the window and on the page are kept in twips.
inline constexpr double kTwipsPerInch = 1440.0;
inline constexpr double kTwipsPerPoint = 20.0;

// The size, in twips, at which the window picture goes on the page.
struct DrawnSize
{
    qint32 width = 0;
    qint32 height = 0;

    friend bool operator==(const DrawnSize &, const DrawnSize &) = default;
};

// Fits the window to the page width only: a window strictly wider than the page is scaled down
// to it with its proportions kept, any other is drawn at its own size and never enlarged. The
// height is never compared with the page. Both values are rounded to whole twips, a half going
// to the even neighbour. All arguments are in twips.
DrawnSize drawnSize(double pageWidth, double windowWidth, double windowHeight);

// A picture of the whole top-level window of `window` as the operator sees it. Where the screen
// can be read back (X11, Windows) it is the screen area of the frame geometry, frame and title
// bar included; elsewhere (Wayland, offscreen) it is the window rendered by itself, menu bar and
// client area. The image's device-independent size is the size, in the screen's logical pixels,
// of the part of the window it shows. Null when no picture can be had.
QImage snapshotWindow(QWidget *window);

// The size in twips of a picture taken of `window`, at the logical dpi of its screen.
QSizeF pictureSizeInTwips(const QWidget *window, const QImage &picture);

// Why a print did not come out; each is shown to the operator as the same message.
enum class PrintError {
    None,
    NoPrinter,         // no printer is installed and no file was chosen
    InvalidPrinter,    // the chosen printer is gone or unusable
    NoPicture,         // no picture of the window could be taken
    DocumentNotOpened, // the print document could not be started or finished
    SpoolerRefused,    // the print spooler did not take the job
};

// How one print ended, with a sentence for the operator when it failed.
struct PrintOutcome
{
    PrintError error = PrintError::None;
    QString detail; // for the operator, in a sentence; empty on success

    bool ok() const { return error == PrintError::None; }
};

class PrinterBackend;

// Prints the window picture on one page of the printer chosen for this run, and lets the
// operator choose that printer and its page.
class SnapshotPrinter : public QObject
{
    Q_OBJECT

public:
    // Asks nothing of the print system: the window that owns this is built before anyone
    // prints, and loading Qt's print support, looking up the default printer and reading its
    // driver would slow every start. The printer of the run is set up at the first print,
    // printer setup, targetName() or printer(), with the system's default printer as it is
    // then; only printer setup changes it afterwards.
    explicit SnapshotPrinter(QObject *parent = nullptr);
    ~SnapshotPrinter() override;

    // Prints `window` as it stands on the screen, with no dialog; returns once the job has
    // been handed to the spooler (or the file written).
    PrintOutcome printWindow(QWidget *window);

    // Prints a picture already taken of `window` (snapshotWindow), for a caller that keeps the
    // very picture it printed.
    PrintOutcome printSnapshot(QWidget *window, const QImage &picture);

    // Where the next print goes: the printer's name, or the PDF file's path.
    QString targetName();

    // The platform's print dialog in its setup form: printer, paper and orientation, but no page
    // range and no copies. It is window-modal over `parent` and does not block; setupFinished
    // tells how it ended. Cancelling it changes nothing.
    void openPrinterSetup(QWidget *parent);

    // The printer the next print goes to, set up on the first call and the same one from then
    // on. The setup dialog edits it in place. A program that calls this links Qt's print
    // support itself; it ends the program when printing support cannot be loaded.
    QPrinter &printer();

signals:
    void setupFinished(bool accepted);

private:
    PrinterBackend *backend();

    std::unique_ptr<PrinterBackend> m_backend; // null until the first call that needs it
    QString m_backendError;                    // why it could not be loaded, if it could not
    QPointer<QDialog> m_setupDialog;
};

} // namespace estrivo
