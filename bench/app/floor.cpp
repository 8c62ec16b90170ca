// The floor for the start-up figure: the smallest Qt Widgets window, shown, drawn into a picture
// and closed the way the program does it under ESTRIVO_SCREENSHOT, so the difference between
// the two is what the program's own window and modules cost.
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("Estrivo"));
    label.show();
    const QString picture = qEnvironmentVariable("ESTRIVO_SCREENSHOT");
    if (!picture.isEmpty()) {
        QTimer::singleShot(0, &label, [&label, picture] {
            const bool saved = label.grab().save(picture, "PNG");
            std::printf("%s %s\n", saved ? "Window picture written to" : "Could not write",
                        qPrintable(QDir::toNativeSeparators(picture)));
            std::fflush(stdout);
            label.close();
        });
    }
    return QApplication::exec();
}
