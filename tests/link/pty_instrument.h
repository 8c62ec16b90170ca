#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>

class QSocketNotifier;

// The instrument's end of a pseudo-terminal, played by the test through the master side:
// "O" and "F" are answered "OK" CR, "*" with "OK" CR, CR, the concentration, CR and "Done".
class PtyInstrument : public QObject
{
    Q_OBJECT

public:
    explicit PtyInstrument(QObject *parent = nullptr);
    ~PtyInstrument() override;

    bool open(QString *error);
    QString devicePath() const { return m_path; }
    void send(const QByteArray &bytes);
    void hangUp();

    bool answers = true;
    QByteArray concentration = "123.4";
    // Replaces the standard answer to a command when set.
    std::function<void(char command)> onCommand;
    QByteArray heard; // every byte the program sent, in order

signals:
    void commandHeard(char command);

private:
    void readCommands();

    int m_master = -1;
    // Held open so the master never sees a hang-up between the program's openings.
    int m_slaveKeeper = -1;
    QString m_path;
    QSocketNotifier *m_notifier = nullptr;
};
