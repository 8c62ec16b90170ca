#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace estrivo {

// What one wait has read from the port. Keeps only a bounded tail, so an instrument
// that floods without markers cannot grow memory, and looks for a marker in new text only.
class RxTail
{
public:
    // Enough for any greeting or reading many times over; a flood loses its older part.
    static constexpr qsizetype kLimitBytes = 64 * 1024;

    void clear();
    // Starts over with text already received (the part of a read that followed "OK").
    void reset(QByteArrayView text);

    // Appends a read and returns where marker first occurs in the buffer, or -1. Without a
    // marker the buffer is cut back to its tail; with one it stays whole until trim().
    qsizetype appendAndFind(QByteArrayView chunk, QByteArrayView marker);

    void trim();
    const QByteArray &text() const { return m_text; }

private:
    QByteArray m_text;
    qsizetype m_scanFrom = 0; // the marker cannot start before this: searched already
};

} // namespace estrivo
