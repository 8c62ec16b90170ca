// Timing of the instrument link over a pseudo-terminal: CPU use while a reading waits for
// "Done", latency from the instrument's last byte to Calculate, and memory over many readings.
// The instrument runs on its own thread with blocking I/O, so its work never delays the link.
#include "instrument_link.h"
#include "serial_port.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr std::chrono::milliseconds kCpuWait{10000}; // a reading that takes this long to end
constexpr int kLatencyReadings = 100;
constexpr std::chrono::milliseconds kBeforeDone{5}; // the link idles when "Done" goes out
constexpr int kWarmUpReadings = 200;
constexpr int kMemoryReadings = 10000;
// 10,000 readings at the real 100 ms pause would take over 17 minutes; the pause between
// passes allocates nothing, so a short one measures the same memory.
constexpr std::chrono::milliseconds kFastAckPause{1};

qint64 nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
}

double threadCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
           + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double processCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
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

// The photometer on the master side: "OK" CR at once, the reading when the bench says so.
class ThreadInstrument
{
public:
    ~ThreadInstrument() { stop(); }

    bool start()
    {
        m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0)
            return false;
        m_path = QString::fromLocal8Bit(ptsname(m_master));
        // Keeps the line from hanging up between the program's openings.
        m_keeper = open(ptsname(m_master), O_RDWR | O_NOCTTY | O_NONBLOCK);
        m_wake = eventfd(0, EFD_NONBLOCK);
        if (m_keeper < 0 || m_wake < 0)
            return false;
        m_thread = std::thread([this] { run(); });
        return true;
    }

    void stop()
    {
        if (!m_thread.joinable())
            return;
        m_stopping = true;
        poke();
        m_thread.join();
        close(m_wake);
        close(m_keeper);
        close(m_master);
    }

    QString devicePath() const { return m_path; }
    void greet() { m_greetWanted = true; poke(); }
    // The link has begun waiting for "Done": answer after the given delay.
    void readingAwaited(std::chrono::milliseconds delay)
    {
        m_doneDelayMs = delay.count();
        m_doneWanted = true;
        poke();
    }
    qint64 lastDoneWrittenNs() const { return m_doneWrittenNs; }

private:
    void poke()
    {
        const uint64_t one = 1;
        if (write(m_wake, &one, sizeof one) < 0)
            std::perror("eventfd");
    }

    void send(const char *text)
    {
        const size_t size = std::strlen(text);
        if (write(m_master, text, size) != ssize_t(size))
            std::perror("pty write");
    }

    void run()
    {
        bool replying = false;
        while (!m_stopping) {
            pollfd fds[2] = {{m_master, POLLIN, 0}, {m_wake, POLLIN, 0}};
            poll(fds, 2, -1);
            if (fds[1].revents & POLLIN) {
                uint64_t count = 0;
                if (read(m_wake, &count, sizeof count) < 0)
                    count = 0;
            }
            if (m_greetWanted.exchange(false))
                send("Photometer\r\nOK\r");
            if (m_doneWanted.exchange(false)) {
                std::this_thread::sleep_for(std::chrono::milliseconds(m_doneDelayMs.load()));
                m_doneWrittenNs = nowNs();
                send("\r123.4\rDone");
                replying = false;
                drain(); // a repeated "*" heard while replying is not heard at all
            }
            if (fds[0].revents & POLLIN) {
                char buffer[64];
                const ssize_t count = read(m_master, buffer, sizeof buffer);
                for (ssize_t i = 0; i < count && !replying; ++i) {
                    if (buffer[i] == '*') {
                        send("OK\r");
                        replying = true;
                    } else if (buffer[i] == 'O' || buffer[i] == 'F') {
                        send("OK\r");
                    }
                }
            }
        }
    }

    void drain()
    {
        char buffer[64];
        while (read(m_master, buffer, sizeof buffer) > 0) {
        }
    }

    int m_master = -1;
    int m_keeper = -1;
    int m_wake = -1;
    QString m_path;
    std::thread m_thread;
    std::atomic<bool> m_stopping{false};
    std::atomic<bool> m_greetWanted{false};
    std::atomic<bool> m_doneWanted{false};
    std::atomic<qint64> m_doneDelayMs{0};
    std::atomic<qint64> m_doneWrittenNs{0};
};

// A window that keeps the log and the fields as texts and tells the bench when things happen.
class BenchHost final : public estrivo::LinkHost
{
public:
    std::function<void()> onReadingAwaited;
    std::function<void()> onCalculate;
    QString log;
    QString con;
    QString date;

    QString portText() const override { return port; }
    QString connectCaption() const override { return caption; }
    void setConnectCaption(const QString &text) override { caption = text; }
    void setConnectEnabled(bool) override {}
    void setPortChoiceEnabled(bool) override {}
    void setExitEnabled(bool) override {}
    void setTitle(const QString &) override {}
    void disableCommands() override {}
    void enableCommands() override {}
    void appendLog(const QString &text) override
    {
        log += text;
        if (onReadingAwaited)
            onReadingAwaited();
    }
    void replaceLog(const QString &text) override { log = text; }
    void setConcentration(const QString &text) override { con = text; }
    void setDate(const QString &text) override { date = text; }
    void calculate() override
    {
        if (onCalculate)
            onCalculate();
    }
    void showLinkError(const QString &message, const QString &detail) override
    {
        std::fprintf(stderr, "%s %s\n", qPrintable(message), qPrintable(detail));
        QCoreApplication::exit(2);
    }

    QString port;
    QString caption = QStringLiteral("&Connect");
};

// The three measurements one after the other, each reading started from the event loop.
class Bench
{
public:
    Bench(ThreadInstrument &instrument, BenchHost &host, estrivo::InstrumentLink &link)
        : m_instrument(instrument)
        , m_host(host)
        , m_link(link)
    {
        m_host.onReadingAwaited = [this] { readingAwaited(); };
        m_host.onCalculate = [this] { readingDone(); };
    }

    void start()
    {
        QObject::connect(&m_link, &estrivo::InstrumentLink::connected, &m_link,
                         [this] { nextReading(); });
        m_link.connectOrDisconnect();
        m_instrument.greet();
    }

private:
    enum class Phase { Cpu, Latency, WarmUp, Memory };

    void nextReading()
    {
        // Not from inside calculate(): the link finishes the reading after it returns.
        QTimer::singleShot(0, &m_link, [this] { m_link.read(); });
    }

    void readingAwaited()
    {
        switch (m_phase) {
        case Phase::Cpu:
            m_cpuAtStart = threadCpuSeconds();
            m_processAtStart = processCpuSeconds();
            m_wallAtStart = nowNs();
            m_instrument.readingAwaited(kCpuWait);
            break;
        case Phase::Latency:
            m_instrument.readingAwaited(kBeforeDone);
            break;
        case Phase::WarmUp:
        case Phase::Memory:
            m_instrument.readingAwaited(0ms);
            break;
        }
    }

    void readingDone()
    {
        const qint64 now = nowNs();
        ++m_count;
        switch (m_phase) {
        case Phase::Cpu: {
            const double wall = double(now - m_wallAtStart) / 1e9;
            const double cpu = 100.0 * (threadCpuSeconds() - m_cpuAtStart) / wall;
            const double process = 100.0 * (processCpuSeconds() - m_processAtStart) / wall;
            std::printf("CPU while a reading waits %.2f s for \"Done\": %.4f %% of a core on the "
                        "GUI thread, %.4f %% for the whole process (target <= 1 %%: %s)\n",
                        wall, cpu, process, cpu <= 1.0 ? "met" : "MISSED");
            m_phase = Phase::Latency;
            m_count = 0;
            break;
        }
        case Phase::Latency:
            m_latenciesUs.push_back(double(now - m_instrument.lastDoneWrittenNs()) / 1e3);
            if (m_count == kLatencyReadings) {
                reportLatency();
                m_phase = Phase::WarmUp;
                m_count = 0;
                m_link.setPassInterval(kFastAckPause, 10ms);
            }
            break;
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
                            static_cast<long long>(m_host.log.size()),
                            growth < 1024 ? "met" : "MISSED");
                QCoreApplication::exit(0);
                return;
            }
            break;
        }
        nextReading();
    }

    void reportLatency()
    {
        std::vector<double> sorted = m_latenciesUs;
        std::sort(sorted.begin(), sorted.end());
        const auto at = [&sorted](double share) {
            return sorted[std::min(sorted.size() - 1, size_t(share * double(sorted.size())))];
        };
        const double median = at(0.5);
        std::printf("Latency from the last byte of \"Done\" to calculate(), %zu readings: "
                    "median %.0f us, 90th percentile %.0f us, worst %.0f us "
                    "(target median <= 5 ms: %s)\n",
                    sorted.size(), median, at(0.9), sorted.back(),
                    median <= 5000.0 ? "met" : "MISSED");
    }

    ThreadInstrument &m_instrument;
    BenchHost &m_host;
    estrivo::InstrumentLink &m_link;
    Phase m_phase = Phase::Cpu;
    int m_count = 0;
    double m_cpuAtStart = 0;
    double m_processAtStart = 0;
    qint64 m_wallAtStart = 0;
    std::vector<double> m_latenciesUs;
    long m_residentAtStart = 0;
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    ThreadInstrument instrument;
    if (!instrument.start()) {
        std::perror("pseudo-terminal");
        return 1;
    }
    BenchHost host;
    host.port = instrument.devicePath();
    estrivo::InstrumentLink link(host, estrivo::makeSystemSerialPort());
    link.applyLineSettings();
    Bench bench(instrument, host, link);
    QTimer::singleShot(0, &app, [&bench] { bench.start(); });
    return app.exec();
}
