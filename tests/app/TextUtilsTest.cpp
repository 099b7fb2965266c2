#include "app/helpers/TextUtilsUnit.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QTextBoundaryFinder>

#include <gtest/gtest.h>

#include <climits>

TEST(TextUtils, TimeStrings)
{
    struct TCase
    {
        int Seconds, Elapsed;
        const char *Time, *Remaining;
    } cases[] = {
        {0, 0, "00:00", "00:00"},
        {59, 0, "00:59", "-00:59"},
        {3600, 0, "60:00", "-60:00"},
        {200, 50, "03:20", "-02:30"},
        {125, 125, "02:05", "00:00"},
        {360000, 0, "6000:00", "-6000:00"},
        // Past the end, or a negative position: zero, never "-01:-15".
        {50, 125, "00:50", "00:00"},
        {-75, 0, "00:00", "00:00"},
        // Extremes are capped and their difference does not overflow.
        {599999, 0, "9999:59", "-9999:59"},
        {600000, 0, "9999:59", "-9999:59"},
        {INT_MAX, -1, "9999:59", "-9999:59"},
        {INT_MAX, INT_MIN, "9999:59", "-9999:59"},
        {INT_MIN, INT_MAX, "00:00", "00:00"},
        {INT_MIN, 0, "00:00", "00:00"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(SecondsToTimeString(c.Seconds), QLatin1String(c.Time)) << c.Seconds;
        EXPECT_EQ(SecondsToRemainingTimeString(c.Seconds, c.Elapsed), QLatin1String(c.Remaining))
            << c.Seconds << " " << c.Elapsed;
    }
}

// A line end once vanished ("plays\nmusic" gave "playsmusic") and only
// "&quot;" was decoded.
TEST(TextUtils, StripHTMLTags)
{
    const struct
    {
        QString HTML;
        QString Text;
    } cases[] = {
        {QStringLiteral("<p class=\"x\">Hello <b>world</b></p>\nsay &quot;hi&quot; &amp; go"),
            QStringLiteral("Hello world say \"hi\" & go")},
        {QStringLiteral("a < b"), QStringLiteral("a ")},
        {QStringLiteral("plays\nmusic"), QStringLiteral("plays music")},
        {QStringLiteral("plays \r\n\t music"), QStringLiteral("plays music")},
        {QStringLiteral("One.\n\nTwo. \r\n \r\n\n Three."), QStringLiteral("One.\n\nTwo.\n\nThree.")},
        {QStringLiteral("&lt;b&gt;not a tag&lt;/b&gt;"), QStringLiteral("<b>not a tag</b>")},
        {QStringLiteral("Caf&eacute; &#233; &#x1F3B5; it&#39;s&nbsp;so"),
            QStringLiteral("Café é \U0001F3B5 it's\u00A0so")},
        {QStringLiteral("Rock & Roll; Live &unknown;"), QStringLiteral("Rock & Roll; Live &unknown;")},
    };
    for (const auto &c : cases)
        EXPECT_EQ(StripHTMLTags(c.HTML), c.Text) << c.HTML.toStdString();
}

TEST(TextUtils, EncodesValuesWithTheFixedEscapeSet)
{
    struct TCase
    {
        QString Value;
        const char *Encoded;
    } cases[] = {
        {QStringLiteral("a b&c=d"), "a%20b%26c%3Dd"},
        {QStringLiteral("П"), "%D0%9F"},
        {QStringLiteral("!$'()*,-._~Az09"), "!$'()*,-._~Az09"},
        {QStringLiteral("\"#%+/:;<>?@[\\]^`{|}"), "%22%23%25%2B%2F%3A%3B%3C%3E%3F%40%5B%5C%5D%5E%60%7B%7C%7D"},
        {QString(QChar(0x7F)) + QChar(u'\t'), "%7F%09"},
        {QStringLiteral("Кино"), "%D0%9A%D0%B8%D0%BD%D0%BE"},
        {QStringLiteral("\U0001F3B5"), "%F0%9F%8E%B5"},
        {QString(), ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(EncodeURLParamValue(c.Value), QLatin1String(c.Encoded)) << c.Value.toStdString();

    EXPECT_EQ(EncodeURLParams({}), QString());
    EXPECT_EQ(EncodeURLParams({QStringLiteral("q=a b"), QStringLiteral("count=5"), QStringLiteral("x=a=b")}),
        QStringLiteral("q=a%20b&count=5&x=a%3Db"));
}

namespace {

class CropTextTest : public ::testing::Test
{
protected:
    QFont Font {QStringLiteral("DejaVu Sans"), 10};
    QFontMetrics Metrics {Font};
    const QString Ellipsis = QStringLiteral("\u2026");

    int Width(const QString &Text) const { return Metrics.horizontalAdvance(Text); }

    // Crops Text at every width from the ellipsis's up to its own and checks
    // that each result fits, cuts between whole characters, has no white
    // space before the ellipsis and keeps all that fits.
    void CheckEveryWidth(const QString &Text)
    {
        for (int maxWidth = Width(Ellipsis); maxWidth < Width(Text); ++maxWidth) {
            bool cropped = false;
            const QString result = CropTextByWidth(Metrics, Text, maxWidth, 0, cropped);
            const auto where = [&] { return std::to_string(maxWidth) + " " + result.toStdString(); };
            ASSERT_TRUE(cropped) << where();
            ASSERT_TRUE(result.endsWith(Ellipsis)) << where();
            ASSERT_LE(Width(result), maxWidth) << where();
            const QString kept = result.chopped(1);
            ASSERT_TRUE(Text.startsWith(kept)) << where();
            QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, Text);
            characters.setPosition(kept.size());
            EXPECT_TRUE(characters.isAtBoundary()) << where();
            if (!kept.isEmpty()) {
                EXPECT_FALSE(kept.back().isSpace()) << where();
            }
            // The next possible cut, past any white space, would not fit.
            qsizetype next = characters.toNextBoundary();
            while (next > 0 && Text[next - 1].isSpace())
                next = characters.toNextBoundary();
            if (next > 0) {
                EXPECT_GT(Width(Text.left(next) + Ellipsis), maxWidth) << where();
            }
        }
    }
};

} // namespace

TEST_F(CropTextTest, TextThatFitsIsUnchanged)
{
    bool cropped = true;
    const QString text = QStringLiteral("Short");
    EXPECT_EQ(CropTextByWidth(Metrics, text, Width(text), 15, cropped), text);
    EXPECT_FALSE(cropped);
}

TEST_F(CropTextTest, CutTextFitsAndIsAPrefixEndingInEllipsis)
{
    const QString text = QStringLiteral("The quick   brown fox jumps over the lazy dog again and again");
    for (int maxWidth = Width(Ellipsis); maxWidth < Width(text); maxWidth += 3) {
        bool cropped = false;
        const QString result = CropTextByWidth(Metrics, text, maxWidth, 0, cropped);
        ASSERT_TRUE(cropped) << maxWidth;
        ASSERT_TRUE(result.endsWith(Ellipsis)) << maxWidth;
        ASSERT_LE(Width(result), maxWidth) << result.toStdString();
        ASSERT_TRUE(text.startsWith(result.chopped(1))) << result.toStdString();
    }
}

TEST_F(CropTextTest, ShrinkingNeverLeavesASpaceBeforeTheEllipsis)
{
    // Wide letters make the estimate from the width of "a" overshoot, so the
    // result is found by shrinking.
    const QString text = QStringLiteral("WWW  WWW  WWW  WWW  WWW  WWW  WWW  WWW");
    for (int maxWidth = Width(Ellipsis); maxWidth < Width(text); maxWidth += 2) {
        bool cropped = false;
        const QString result = CropTextByWidth(Metrics, text, maxWidth, 0, cropped);
        ASSERT_LE(Width(result), maxWidth);
        if (result.size() > 1) {
            EXPECT_NE(result[result.size() - 2], u' ') << maxWidth << " " << result.toStdString();
        }
    }
}

TEST_F(CropTextTest, LabelAndCanvasFormsUseTheirMinimumWidths)
{
    QLabel label;
    label.setFont(Font);
    bool cropped = false;
    const QString text = QStringLiteral("Long enough to need cropping");
    const QString labelResult = CropTextByWidth(label, text, 1, cropped);
    EXPECT_TRUE(cropped);
    EXPECT_LE(Width(labelResult), 15);

    QPixmap pixmap(10, 10);
    QPainter painter(&pixmap);
    painter.setFont(Font);
    EXPECT_EQ(CropTextByWidth(painter, text, 0, cropped), Ellipsis);
    EXPECT_TRUE(cropped);
}

TEST_F(CropTextTest, EveryWidthGivesTheLongestFittingCutWithoutASpaceBeforeTheEllipsis)
{
    const QString texts[] = {
        QStringLiteral("The quick   brown fox jumps over the lazy dog"),
        QStringLiteral("i i i i i i i i i i i i i i i i i i i i"),
        QStringLiteral("WWW  WWW  WWW  WWW  WWW"),
        QStringLiteral("tab\tand\u00a0no-break  spaces"),
        QStringLiteral("Кино \u2014 Группа крови"),
    };
    for (const QString &text : texts)
        CheckEveryWidth(text);
}

TEST_F(CropTextTest, NeverCutsInsideACharacter)
{
    const QString texts[] = {
        // Letters with combining marks, a surrogate pair, a joined emoji sequence.
        QStringLiteral("Cafe\u0301 de\u0301ja\u0300 vu\u0308 ") + QStringLiteral("e\u0301\u0302\u0303").repeated(3),
        QString::fromUtf8("Track \xf0\x9f\x8e\xb5\xf0\x9f\x8e\xb5\xf0\x9f\x8e\xb5 "
                          "\xf0\x9f\x91\xa8\xe2\x80\x8d\xf0\x9f\x91\xa9\xe2\x80\x8d\xf0\x9f\x91\xa7 end"),
    };
    for (const QString &text : texts)
        CheckEveryWidth(text);
}

TEST_F(CropTextTest, LongRunsOfMarksCropLikeAnyText)
{
    // Thousands of marked letters crop like an ordinary title.
    CheckEveryWidth(QStringLiteral("e\u0301\u0302").repeated(40));
    bool cropped = false;
    const QString marked = QStringLiteral("e\u0301\u0302").repeated(3000);
    const QString result = CropTextByWidth(Metrics, marked, 200, 0, cropped);
    EXPECT_TRUE(cropped);
    EXPECT_LE(Width(result), 200);
    EXPECT_GT(result.size(), 30);
    EXPECT_TRUE(marked.startsWith(result.chopped(1)));

    // One letter carrying thousands of marks is no character any font draws:
    // the text ends before it, even where it would fit.
    const QString piled = QStringLiteral("Song ") + u'a' + QString(8000, QChar(0x0301)) + QStringLiteral(" remix");
    EXPECT_EQ(CropTextByWidth(Metrics, piled, 10000, 0, cropped), QStringLiteral("Song") + Ellipsis);
    EXPECT_TRUE(cropped);
    // A letter with a few marks is shown whole.
    const QString few = QStringLiteral("a\u0301\u0302\u0303\u0304 b");
    EXPECT_EQ(CropTextByWidth(Metrics, few, Width(few), 0, cropped), few);
    EXPECT_FALSE(cropped);
}
