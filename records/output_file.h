#pragma once

#include <QIODevice>
#include <QString>

namespace estrivo {

// Why an output was not written, or why writing it stopped.
struct OutputProblem
{
    enum class Kind {
        None,
        Refused,      // a link, the journal, a database: detail says which
        NotAFile,     // a device, FIFO, socket or folder: detail says which
        CannotCreate, // the file could not be made; systemError says why
        WriteFailed,  // writing or replacing it failed; systemError says why
    };
    Kind kind = Kind::None;
    int systemError = 0; // errno where the system said no, else 0
    QString detail;      // for the operator: why, in a few words

    bool ok() const { return kind == Kind::None; }
};

// The system's reason in plain words; a full disk, a used-up quota and the file size limit all
// say that the disk is full.
QString systemErrorText(int error);

// Writes through a file descriptor in blocks, keeping the system's reason for the first write
// that failed (QFile words some of them "Unknown error").
class DescriptorWriter : public QIODevice
{
public:
    // Writes to `descriptor`, which stays open after this object: standard output, say.
    explicit DescriptorWriter(int descriptor = -1);
    ~DescriptorWriter() override;

    bool isSequential() const override { return true; }
    // Hands what is buffered to the descriptor.
    bool flushBuffer();
    const OutputProblem &problem() const { return m_problem; }

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 size) override;
    void setDescriptor(int descriptor) { m_descriptor = descriptor; }
    int descriptor() const { return m_descriptor; }
    void fail(OutputProblem::Kind kind, int error);
    void setProblem(OutputProblem problem);

private:
    int m_descriptor = -1;
    QByteArray m_buffer;
    OutputProblem m_problem;
};

// An export's file, written so that the name ends up as a whole regular file of ours or stays
// as it was. The target is looked at first: a symbolic link (it may lead to anyone's file),
// anything but a regular file (a device or a FIFO is not turned into a file, nor is a FIFO
// waited on), the journal with its write-ahead log and index, and any SQLite database or
// write-ahead log are refused. The text goes into a new temporary file beside the target,
// which is made durable and then renamed over it; rename never follows a link. An existing
// file keeps its mode, a new one gets 0666 less the umask.
class OutputFile : public DescriptorWriter
{
public:
    // `journal` is the location of the journal being read, so it is never written over.
    OutputFile(QString fileName, QString journal);
    ~OutputFile() override; // an uncommitted temporary file is removed

    QString fileName() const { return m_fileName; }
    // Checks the target and makes the temporary file, open for writing; false with problem()
    // when refused or when the file could not be made.
    bool begin();
    // Makes what was written the target; false with problem() when that failed.
    bool commit();
    // Leaves the target as it was.
    void discard();

private:
    bool refused(OutputProblem::Kind kind, const QString &detail);

    QString m_fileName;
    QString m_journal;
    QByteArray m_temporary; // its path while it exists
    unsigned m_mode = 0;    // the target's permission bits
};

} // namespace estrivo
