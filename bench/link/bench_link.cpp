// Timing of the instrument link over a pseudo-terminal: CPU use while a reading waits for
// "Done", latency from the instrument's last byte to the reading, and memory over many readings.
// The simulated instrument runs on its own thread and event loop, so its work never delays the
// link.
#include "instrument_link.h"
#include "serial_port.h"
#include "simulated_instrument.h"

#include <QCoreApplication>
#include <QMetaEnum>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

namespace {

using estrivo::InstrumentLink;
using estrivo::SimulatedInstrument;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr std::chrono::milliseconds kCpuWait{10000}; // a reading that takes this long to end
constexpr int kLatencyReadings = 100;
// The link reads "OK" on its second 100 ms pass at the latest and then waits for "Done"; the
// reading comes later than that, so the figure is the time to notice it, not a pass.
constexpr std::chrono::milliseconds kLatencyMeasureTime{300};
constexpr int kWarmUpReadings = 200;
constexpr int kMemoryReadings = 10000;
// 10,000 readings at the real 100 ms pause would take over 30 minutes; the pause between
// passes allocates nothing, so a short one measures the same memory. The reading still comes
// well after the link has seen "OK": a board that finished before the link stopped repeating
// "*" would start a reading nobody asked for, and the exchanges would drift apart.
constexpr std::chrono::milliseconds kFastAckPause{1};
constexpr std::chrono::milliseconds kFastMeasureTime{10};
constexpr std::chrono::milliseconds kGreetPause{10};
constexpr std::chrono::seconds kReplySentWait{1};

qint64 nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
}

double cpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
           + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long residentKiB()
{
    long pages = 0;
    long resident = 0;
    if (FILE *statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// The simulated photometer on a thread of its own. Everything it does happens there; the
// bench reaches it only through calls that run on that thread and wait for their end.
class InstrumentThread
{
public:
    ~InstrumentThread() { stop(); }

    bool start()
    {
        m_thread.start();
        m_instrument = new SimulatedInstrument;
        m_instrument->moveToThread(&m_thread);
        // Gone with its thread, on that thread, once the thread's event loop has ended.
        QObject::connect(&m_thread, &QThread::finished, m_instrument, &QObject::deleteLater);
        // Noted on the instrument's thread the moment the last piece of a reading has gone
        // onto the line, before the link can have seen it.
        QObject::connect(
            m_instrument, &SimulatedInstrument::replySent, m_instrument,
            [this](const QByteArray &bytes) {
                if (bytes.endsWith("Done"))
                    m_doneSentNs = nowNs();
            },
            Qt::DirectConnection);
        bool started = false;
        QString error;
        QMetaObject::invokeMethod(
            m_instrument,
            [&] {
                started = m_instrument->start(&error);
                m_devicePath = m_instrument->devicePath();
            },
            Qt::BlockingQueuedConnection);
        if (!started)
            std::fprintf(stderr, "simulated instrument: %s\n", qPrintable(error));
        return started;
    }

    void stop()
    {
        if (!m_instrument)
            return;
        m_thread.quit();
        m_thread.wait();
        m_instrument = nullptr;
    }

    QString devicePath() const { return m_devicePath; }

    void setMeasureTime(std::chrono::milliseconds measureTime)
    {
        QMetaObject::invokeMethod(
            m_instrument,
            [this, measureTime] {
                SimulatedInstrument::Behaviour behaviour = m_instrument->behaviour();
                behaviour.measureTime = measureTime;
                m_instrument->setBehaviour(behaviour);
            },
            Qt::BlockingQueuedConnection);
    }

    qint64 doneSentNs() const { return m_doneSentNs; }

private:
    QThread m_thread;
    SimulatedInstrument *m_instrument = nullptr;
    QString m_devicePath;
    std::atomic<qint64> m_doneSentNs{0};
};

// The three measurements one after the other, each reading started from the event loop.
class Bench
{
public:
    Bench(InstrumentThread &instrument, InstrumentLink &link)
        : m_instrument(instrument)
        , m_link(link)
    {
        QObject::connect(&m_link, &InstrumentLink::stateChanged, &m_link,
                         [this](InstrumentLink::State state) {
                             if (state == InstrumentLink::State::Connected && !m_started) {
                                 m_started = true;
                                 nextReading();
                             }
                         });
        QObject::connect(&m_link, &InstrumentLink::logReset, &m_link,
                         [this](const QString &text) { m_log = text; });
        QObject::connect(&m_link, &InstrumentLink::logAppended, &m_link,
                         [this](const QString &text) {
                             m_log += text;
                             // The acknowledgement: the link now waits for "Done".
                             if (m_link.state() == InstrumentLink::State::Reading)
                                 readingAwaited();
                             else
                                 ++m_unasked;
                         });
        QObject::connect(&m_link, &InstrumentLink::readingTaken, &m_link,
                         [this](const estrivo::Reading &reading) {
                             m_con = reading.value;
                             readingDone();
                         });
        QObject::connect(
            &m_link, &InstrumentLink::failed, &m_link, [](const estrivo::LinkError &error) {
                std::fprintf(
                    stderr, "%s %s %s\n",
                    QMetaEnum::fromType<estrivo::LinkError::Kind>().valueToKey(int(error.kind)),
                    qPrintable(error.port), qPrintable(error.reason));
                QCoreApplication::exit(2);
            });
    }

    void start()
    {
        m_instrument.setMeasureTime(kCpuWait);
        m_link.connectToInstrument(m_instrument.devicePath());
    }

private:
    enum class Phase { Cpu, Latency, WarmUp, Memory };

    void nextReading()
    {
        m_doneBefore = m_instrument.doneSentNs();
        // Not from inside readingTaken: the link finishes the reading after it returns.
        QTimer::singleShot(0, &m_link, [this] { m_link.read(); });
    }

    void readingAwaited()
    {
        m_awaitedNs = nowNs();
        if (m_phase == Phase::Cpu) {
            m_cpuAtStart = cpuSeconds(RUSAGE_THREAD);
            m_processAtStart = cpuSeconds(RUSAGE_SELF);
        }
    }

    // The instrument notes its last byte just after writing it; the link can be quicker.
    qint64 doneSentNs() const
    {
        const auto giveUp = Clock::now() + kReplySentWait;
        while (m_instrument.doneSentNs() == m_doneBefore && Clock::now() < giveUp)
            std::this_thread::yield();
        return m_instrument.doneSentNs();
    }

    void readingDone()
    {
        const qint64 now = nowNs();
        ++m_count;
        switch (m_phase) {
        case Phase::Cpu: {
            const double cpu = cpuSeconds(RUSAGE_THREAD) - m_cpuAtStart;
            const double process = cpuSeconds(RUSAGE_SELF) - m_processAtStart;
            const double wall = double(now - m_awaitedNs) / 1e9;
            const double share = 100.0 * cpu / wall;
            std::printf("CPU while a reading waits %.2f s for \"Done\": %.4f %% of a core on the "
                        "GUI thread, %.4f %% for the whole process (target <= 1 %%: %s)\n",
                        wall, share, 100.0 * process / wall, share <= 1.0 ? "met" : "MISSED");
            std::fflush(stdout);
            m_phase = Phase::Latency;
            m_count = 0;
            m_instrument.setMeasureTime(kLatencyMeasureTime);
            break;
        }
        case Phase::Latency: {
            const qint64 doneSent = doneSentNs();
            // A "Done" that went out before the link waited for it measures a pass, not this.
            if (doneSent < m_awaitedNs)
                ++m_doneEarly;
            else
                m_latenciesUs.push_back(double(std::max<qint64>(0, now - doneSent)) / 1e3);
            if (m_count == kLatencyReadings) {
                reportLatency();
                m_phase = Phase::WarmUp;
                m_count = 0;
                m_link.setPassInterval(kFastAckPause, kGreetPause);
                m_instrument.setMeasureTime(kFastMeasureTime);
            }
            break;
        }
        case Phase::WarmUp:
            if (m_count == kWarmUpReadings) {
                m_residentAtStart = residentKiB();
                m_phase = Phase::Memory;
                m_count = 0;
            }
            break;
        case Phase::Memory:
            if (m_count == kMemoryReadings) {
                const long growth = residentKiB() - m_residentAtStart;
                std::printf("Resident memory over %d readings: %ld KiB -> %ld KiB, growth %ld KiB "
                            "(log now %lld characters; target < 1024 KiB: %s)\n",
                            kMemoryReadings, m_residentAtStart, m_residentAtStart + growth, growth,
                            static_cast<long long>(m_log.size()),
                            growth < 1024 ? "met" : "MISSED");
                if (m_unasked > 0)
                    std::printf("  (%d times the board spoke between readings: out of step)\n",
                                m_unasked);
                QCoreApplication::exit(m_con.isEmpty() ? 3 : 0);
                return;
            }
            break;
        }
        nextReading();
    }

    void reportLatency()
    {
        if (m_latenciesUs.empty()) {
            std::printf("Latency: no reading ended after the link waited for it (%d early)\n",
                        m_doneEarly);
            return;
        }
        std::vector<double> sorted = m_latenciesUs;
        std::sort(sorted.begin(), sorted.end());
        const auto at = [&sorted](double share) {
            return sorted[std::min(sorted.size() - 1, size_t(share * double(sorted.size())))];
        };
        const double median = at(0.5);
        std::printf("Latency from the last byte of \"Done\" to the reading, %zu readings: "
                    "median %.0f us, 90th percentile %.0f us, worst %.0f us "
                    "(target median <= 5 ms: %s)\n",
                    sorted.size(), median, at(0.9), sorted.back(),
                    median <= 5000.0 ? "met" : "MISSED");
        if (m_doneEarly > 0)
            std::printf("  (%d readings left out: \"Done\" came before the link waited)\n",
                        m_doneEarly);
        std::fflush(stdout);
    }

    InstrumentThread &m_instrument;
    InstrumentLink &m_link;
    bool m_started = false;
    Phase m_phase = Phase::Cpu;
    int m_count = 0;
    QString m_log; // the window's log and concentration, as it would keep them
    QString m_con;
    qint64 m_doneBefore = 0;
    qint64 m_awaitedNs = 0;
    double m_cpuAtStart = 0;
    double m_processAtStart = 0;
    std::vector<double> m_latenciesUs;
    int m_doneEarly = 0;
    int m_unasked = 0;
    long m_residentAtStart = 0;
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    InstrumentThread instrument;
    if (!instrument.start())
        return 1;
    InstrumentLink link(estrivo::makeSystemSerialPort());
    link.applyLineSettings();
    Bench bench(instrument, link);
    QTimer::singleShot(0, &app, [&bench] { bench.start(); });
    const int result = app.exec();
    link.shutdown();
    instrument.stop();
    return result;
}
