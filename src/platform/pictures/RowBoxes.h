#pragma once
// Rows of a part of a picture summed into boxes: each pixel of the result is
// the mean of the source pixels that fall in it, so that a part is scaled
// down as it is read, row by row, never held whole at its own size.
#include <QRgb>
#include <QtGlobal>

#include <algorithm>
#include <vector>

namespace platform {

class RowBoxes {
public:
    // The order of the four bytes of a source pixel in memory.
    enum class Order { Bgra, Rgba };

    // sourceWidth pixels of a source row fall in width boxes (at most
    // sourceWidth of them), each a run of neighbouring pixels.
    RowBoxes(int sourceWidth, int width, Order order = Order::Bgra)
        : m_sums(size_t(width) * 4, 0), m_first(size_t(width) + 1, sourceWidth), m_red(order == Order::Bgra ? 2 : 0)
    {
        // Source column c falls in box c * width / sourceWidth.
        for (int c = sourceWidth - 1; c >= 0; --c)
            m_first[size_t(qint64(c) * width / sourceWidth)] = c;
    }
    // Adds a source row (sourceWidth pixels of four bytes).
    void add(const uchar* px)
    {
        for (size_t x = 0; x + 1 < m_first.size(); ++x) {
            quint32 s0 = 0, s1 = 0, s2 = 0, s3 = 0;
            for (const uchar *p = px + size_t(m_first[x]) * 4, *end = px + size_t(m_first[x + 1]) * 4; p < end; p += 4) {
                s0 += p[0];
                s1 += p[1];
                s2 += p[2];
                s3 += p[3];
            }
            quint64* s = &m_sums[x * 4];
            s[0] += s0;
            s[1] += s1;
            s[2] += s2;
            s[3] += s3;
        }
        ++m_rows;
    }
    // Empties the boxes into a row of the result (32-bit ARGB pixels).
    void take(QRgb* line)
    {
        for (size_t x = 0; x + 1 < m_first.size(); ++x) {
            const quint64 n = std::max<quint64>(1, quint64(m_rows) * quint64(m_first[x + 1] - m_first[x]));
            const quint64* s = &m_sums[x * 4];
            line[x] = qRgba(int(s[m_red] / n), int(s[1] / n), int(s[2 - m_red] / n), int(s[3] / n));
        }
        std::fill(m_sums.begin(), m_sums.end(), 0);
        m_rows = 0;
    }

private:
    std::vector<quint64> m_sums;
    std::vector<int> m_first; // the first source column of each box, and the end of the last
    quint32 m_rows = 0;
    int m_red; // the byte of a source pixel that holds red
};

} // namespace platform
