#include "decorations/CaptionTags.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quillum;

namespace {

// A 2048-byte "photo.jpg" last modified on 4 March 2021 at 05:06:07 local time.
class CaptionTags : public ::testing::Test {
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        ASSERT_TRUE(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("photo.jpg"));
        QFile f(m_path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(2048, 'x'));
        ASSERT_TRUE(f.flush());
        ASSERT_TRUE(f.setFileTime(QDateTime(QDate(2021, 3, 4), QTime(5, 6, 7)), QFileDevice::FileModificationTime));
    }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    QTemporaryDir m_dir;
    QString m_path;
};

} // namespace

TEST_F(CaptionTags, ExpandsFileTagsInOrder)
{
    const QString folder = QDir::cleanPath(m_dir.path());
    struct Row {
        const char* text;
        QString expected;
    };
    const Row rows[] = {
        { "$FX", m_path },
        { "$F", folder },
        { "$f", QStringLiteral("photo.jpg") },
        { "[$F|$f]", QStringLiteral("[%1|photo.jpg]").arg(folder) },
        { "$SX bytes", QStringLiteral("2048 bytes") },
        { "$S", QStringLiteral("2,048 B") },
        { "$s", QStringLiteral("2.0 KB") },
        { "$SXX", QStringLiteral("2048X") },
        { "$f$P$s", QStringLiteral("photo.jpg\r\n2.0 KB") },
        { "$P$P", QString() },
        { "$P", QString() },
        { "$P ", QStringLiteral("\r\n ") },
        { "a$Pb$Pc", QStringLiteral("a\r\nb\r\nc") },
        { "$x $Q $ f $$", QStringLiteral("$x $Q $ f $$") },
        { "cost: 5$", QStringLiteral("cost: 5$") },
        { "$p $fx", QStringLiteral("$p photo.jpgx") },
        { "", QString() },
    };
    for (const Row& r : rows)
        EXPECT_EQ(formatZentCaption(QString::fromUtf8(r.text), m_path, QStringLiteral("en_US")), r.expected) << r.text;
}

TEST_F(CaptionTags, WithoutAFileTheFileTagsVanish)
{
    const QString gone = m_dir.filePath(QStringLiteral("gone.jpg"));
    struct Row {
        const char* text;
        const char* expected;
    };
    const Row rows[] = {
        { "$f", "" },
        { "$FX$F$f$SX$S$s$DX$D$d$TX$T$t", "" },
        { "$f - $s", " - " },
        { "$f$P$s", "" },
        { "Shot $d$P$t", "Shot \r\n" },
        { "Plain", "Plain" },
    };
    for (const QString& path : { gone, QString(), m_dir.path() }) {
        for (const Row& r : rows)
            EXPECT_EQ(formatZentCaption(QString::fromUtf8(r.text), path), QString::fromUtf8(r.expected))
                << r.text << " at " << qPrintable(path);
    }
}

TEST_F(CaptionTags, DatesAndTimesFollowTheLocale)
{
    auto expand = [&](const char* tag, const char* locale) {
        return formatZentCaption(QString::fromLatin1(tag), m_path, QString::fromLatin1(locale));
    };
    struct Row {
        const char* tag;
        const char* inEnglish; // a piece each rendering must hold
        const char* inGerman;
    };
    const Row rows[] = {
        { "$DX", "March", "März" },
        { "$D", "Mar", "2021" },
        { "$d", "21", "21" },
        { "$TX", "06", "06" },
        { "$T", "5:06:07", "05:06:07" },
        { "$t", "5:06", "05:06" },
    };
    for (const Row& r : rows) {
        const QString en = expand(r.tag, "en_US"), de = expand(r.tag, "de_DE");
        EXPECT_TRUE(en.contains(QString::fromUtf8(r.inEnglish))) << r.tag << ": " << qPrintable(en);
        EXPECT_TRUE(de.contains(QString::fromUtf8(r.inGerman))) << r.tag << ": " << qPrintable(de);
        EXPECT_NE(en, de) << r.tag;
    }
    for (const char* tag : { "$DX", "$D" }) {
        EXPECT_TRUE(expand(tag, "en_US").contains(QStringLiteral("2021"))) << tag;
        EXPECT_TRUE(expand(tag, "de_DE").contains(QStringLiteral("2021"))) << tag;
    }
    // The styles differ from one another and carry no time (dates) or date (times).
    EXPECT_NE(expand("$DX", "en_US"), expand("$D", "en_US"));
    EXPECT_NE(expand("$D", "en_US"), expand("$d", "en_US"));
    EXPECT_FALSE(expand("$DX", "en_US").contains(QStringLiteral("5:06")));
    EXPECT_FALSE(expand("$T", "en_US").contains(QStringLiteral("2021")));
    EXPECT_FALSE(expand("$d", "").isEmpty()) << "the default locale";
}

TEST(CaptionTagMenu, ItemsEditTheText)
{
    struct Row {
        int item;
        const char* expected; // from "Hi "
    };
    const Row rows[] = {
        { 10, "" },
        { 20, "Hi $P" },
        { 100, "Hi $f" },
        { 101, "Hi $F" },
        { 102, "Hi $FX" },
        { 200, "Hi $d" },
        { 201, "Hi $D" },
        { 202, "Hi $DX" },
        { 300, "Hi $t" },
        { 301, "Hi $T" },
        { 302, "Hi $TX" },
        { 400, "Hi $" },
        { 402, "Hi $" },
        { 501, "Hi $" },
        { 600, "Hi $s" },
        { 601, "Hi $S" },
        { 0, "Hi " },
        { 103, "Hi " },
        { 602, "Hi " },
        { -10, "Hi " },
    };
    for (const Row& r : rows)
        EXPECT_EQ(captionTextAfterTagItem(QStringLiteral("Hi "), r.item), QString::fromLatin1(r.expected)) << r.item;
    EXPECT_EQ(captionTextAfterTagItem(QString(), 20), QStringLiteral("$P")) << "a missing text counts as empty";
}
