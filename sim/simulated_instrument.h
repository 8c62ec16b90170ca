#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <chrono>
#include <deque>

class QSocketNotifier;
class QTimer;

namespace estrivo {

// A bench photometer on the far end of a pseudo-terminal, for tests and demo mode.
//
// The board greets whoever opens the line, then listens for the one-character commands
// "O" (light on), "F" (light off) and "*" (take a reading). Like the real board it hears a
// command only while listening: bytes that arrive while it greets, answers or measures are
// received (they show in heard()) but not acted on. Everything runs on the owner's event
// loop; nothing blocks.
class SimulatedInstrument : public QObject
{
    Q_OBJECT

public:
    struct Behaviour
    {
        QByteArray concentration = "123.4";      // what a reading reports
        std::chrono::milliseconds replyDelay{0}; // before each reply
        int chunkSize = 0;                       // >0: replies split into chunks
        std::chrono::milliseconds chunkGap{0};   // pause between chunks
        bool lowerCaseOk = false;                // answers "ok" instead of "OK"
        bool silent = false;                     // never answers anything
        bool noDone = false;                     // a reading never ends with "Done"
        bool garbage = false;                    // noise before each reply
        bool hangUpMidReply = false;             // closes the line in the middle of a reading
        bool greet = true;                       // greeting containing "OK" on connect
        int deafCommands = 0;                    // the first N commands are not heard

        // Between the acknowledgement of "*" and the reading itself. Longer than the
        // program's 100 ms pass, so the read that brings "OK" brings nothing of the value.
        std::chrono::milliseconds measureTime{200};
        QByteArray noise = QByteArray("\xff\x00#~", 4); // sent first when garbage is set
    };
    // The greeting and each acknowledgement wait replyDelay; the reading follows its
    // acknowledgement after measureTime. lowerCaseOk changes the greeting too, so such a
    // board never gets connected. A silent board acts on nothing, so its light stays as it was.

    // How the board notices the program opening the line. Notify reacts to each open and
    // close as it happens (inotify on the slave node); Poll checks the master for a hang-up
    // every few milliseconds while nobody has the line open, and cannot tell a close and a
    // reopen within one check from no change. Notify falls back to Poll where the system
    // refuses the watch.
    enum class OpenDetection { Notify, Poll };

    explicit SimulatedInstrument(QObject *parent = nullptr);
    ~SimulatedInstrument() override;

    // Takes effect from the next reply on; resets the count of deaf commands.
    void setBehaviour(const Behaviour &behaviour);
    Behaviour behaviour() const { return m_behaviour; }

    bool start(QString *error = nullptr); // opens a pty master, sets it raw
    void stop();                          // closes the line; the program sees a hang-up
    bool isRunning() const { return m_master >= 0; }
    void setOpenDetection(OpenDetection detection) { m_wantedDetection = detection; } // at start()
    OpenDetection openDetection() const; // in use while running

    QString devicePath() const; // the slave path a program opens (/dev/pts/N)
    QByteArray heard() const;   // every byte the board received, in order, ignored or not
    QByteArray commandsActedOn() const { return m_actedOn; } // in order
    bool lightOn() const;
    bool isProgramConnected() const { return m_programPresent; }
    bool isListening() const;

    // The text the board sends when the line is opened.
    static QByteArray greetingText(bool lowerCaseOk = false);

signals:
    void commandHeard(char command);         // after a command is acted on
    void replySent(const QByteArray &bytes); // each piece as it goes onto the line
    void programConnected();                 // the slave side was opened
    void programDisconnected();              // the last descriptor of the slave side was closed
    void hungUp();                           // the board closed the line (hangUpMidReply)

private:
    struct Step
    {
        std::chrono::milliseconds wait{0}; // before these bytes go out
        QByteArray bytes;
        bool hangUp = false; // instead of bytes: the board closes the line
    };

    void onMasterReadable();
    void onMasterWritable();
    void onWatchEvents();
    void pollPresence();
    void readWatchEvents();
    void resyncPresence();
    void setProgramPresent(bool present);
    void hear(char byte);
    void act(char command);
    QByteArray okText() const;
    void queueReply(QByteArray bytes, std::chrono::milliseconds wait, bool hangUpMidway = false);
    void scheduleNextStep();
    void sendStep();
    void flushOutput();
    void cancelReply();
    void drainInput();
    bool slaveHungUp() const;

    Behaviour m_behaviour;
    OpenDetection m_wantedDetection = OpenDetection::Notify;
    int m_deafLeft = 0;
    int m_master = -1;
    int m_watch = -1;    // inotify descriptor, -1 where the system offers none
    int m_openCount = 0; // open descriptions of the slave, as inotify reports them
    QString m_devicePath;
    QByteArray m_heard;
    QByteArray m_actedOn;
    bool m_light = false;
    bool m_programPresent = false;

    std::deque<Step> m_steps; // the rest of the reply under way; busy while not empty
    bool m_stepInFlight = false;
    QByteArray m_sending; // the step going out now
    QByteArray m_output;  // the part of it the line has not taken yet

    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
    QSocketNotifier *m_watchNotifier = nullptr;
    QTimer *m_stepTimer = nullptr;
    QTimer *m_presenceTimer = nullptr;
};

} // namespace estrivo
