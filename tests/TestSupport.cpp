#include "TestSupport.h"

#include <QFile>
#include <algorithm>

namespace quillum::test {

QString dataPath(const char* name)
{
    return QStringLiteral(QUILLUM_TEST_DATA "/") + QString::fromUtf8(name);
}
QString samplePath(const char* name)
{
    return QStringLiteral(QUILLUM_SAMPLES "/") + QString::fromUtf8(name);
}

QString fileFormatByContent(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray head = file.read(12);
    if (head.startsWith("\xFF\xD8\xFF"))
        return QStringLiteral("jpeg");
    if (head.startsWith(QByteArray("II*\0", 4)) || head.startsWith(QByteArray("MM\0*", 4)))
        return QStringLiteral("tiff");
    if (head.startsWith("\x89PNG\r\n\x1a\n"))
        return QStringLiteral("png");
    if (head.startsWith("RIFF") && head.mid(8, 4) == "WEBP")
        return QStringLiteral("webp");
    return {};
}

namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

QByteArray segment(int marker, const QByteArray& body)
{
    const int length = int(body.size()) + 2;
    return bytes({ 0xFF, marker, length >> 8, length & 0xFF }) + body;
}

// Entropy-coded bits, a 0x00 stuffed after every 0xFF byte, padded with ones.
class Bits {
public:
    void put(unsigned value, int length)
    {
        for (int i = length - 1; i >= 0; --i) {
            m_byte = (m_byte << 1) | ((value >> i) & 1u);
            if (++m_count == 8)
                flushByte();
        }
    }
    QByteArray finish()
    {
        if (m_count)
            put((1u << (8 - m_count)) - 1, 8 - m_count);
        return m_out;
    }

private:
    void flushByte()
    {
        m_out.append(char(m_byte));
        if (m_byte == 0xFF)
            m_out.append('\0');
        m_byte = 0;
        m_count = 0;
    }
    QByteArray m_out;
    unsigned m_byte = 0;
    int m_count = 0;
};

} // namespace

QByteArray progressiveGreyJpeg(int width, int height, int scans)
{
    const int blocks = ((width + 7) / 8) * ((height + 7) / 8);
    QByteArray jpeg = bytes({ 0xFF, 0xD8 });
    jpeg += segment(0xDB, QByteArray(1, 0) + QByteArray(64, 1));
    jpeg += segment(0xC2, bytes({ 8, height >> 8, height & 0xFF, width >> 8, width & 0xFF, 1, 1, 0x11, 0 }));
    // DC: one code "0" for a difference of 0. AC: "0" for an EOB14 run, "10" for one block.
    jpeg += segment(0xC4, bytes({ 0x00, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 }));
    jpeg += segment(0xC4, bytes({ 0x10, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xE0, 0x00 }));
    Bits dc;
    for (int i = 0; i < blocks; ++i)
        dc.put(0, 1);
    jpeg += segment(0xDA, bytes({ 1, 1, 0, 0, 0, 0 })) + dc.finish();
    Bits ac;
    for (int left = blocks; left > 0;) {
        if (left >= 16384) {
            const int run = std::min(left, 32767);
            ac.put(0, 1);
            ac.put(unsigned(run - 16384), 14);
            left -= run;
        } else {
            ac.put(0b10, 2);
            --left;
        }
    }
    const QByteArray acScan = segment(0xDA, bytes({ 1, 1, 0, 1, 63, 0 })) + ac.finish();
    for (int i = 1; i < scans; ++i)
        jpeg += acScan;
    return jpeg + bytes({ 0xFF, 0xD9 });
}

} // namespace quillum::test
