#include "rx_tail.h"

#include <algorithm>

namespace estrivo {

void RxTail::clear()
{
    m_text.clear();
    m_scanFrom = 0;
}

void RxTail::reset(QByteArrayView text)
{
    m_text = text.toByteArray();
    m_scanFrom = 0;
    trim();
}

qsizetype RxTail::appendAndFind(QByteArrayView chunk, QByteArrayView marker)
{
    m_text.append(chunk);
    const qsizetype found = m_text.indexOf(marker, m_scanFrom);
    if (found >= 0)
        return found;
    // A marker split over two reads starts in the last few bytes already searched.
    m_scanFrom = std::max<qsizetype>(0, m_text.size() - marker.size() + 1);
    trim();
    return -1;
}

void RxTail::trim()
{
    const qsizetype excess = m_text.size() - kLimitBytes;
    if (excess <= 0)
        return;
    m_text.remove(0, excess);
    m_scanFrom = std::max<qsizetype>(0, m_scanFrom - excess);
    // remove() keeps the capacity: give back what one huge read made it grow to.
    if (m_text.capacity() > 2 * kLimitBytes)
        m_text.squeeze();
}

} // namespace estrivo
