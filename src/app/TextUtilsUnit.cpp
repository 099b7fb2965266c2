#include "app/TextUtilsUnit.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <vector>

namespace {

const QString Ellipsis = QStringLiteral("\u2026");

// The most UTF-16 units one character may take and still be shown: far above
// any real one (the stream-safe limit is 30 marks), far below a pile of marks.
constexpr qsizetype MaxCharacterLength = 64;

// The longest time shown, 9999:59; anything longer is no real duration.
constexpr qint64 MaxShownSeconds = 9999 * 60 + 59;

// Negative times show as zero, absurd ones as the cap.
QString ClampedTimeString(qint64 Seconds)
{
    const auto shown = int(std::clamp<qint64>(Seconds, 0, MaxShownSeconds));
    return QString::asprintf("%.2d:%.2d", shown / 60, shown % 60);
}

bool MustEscape(unsigned char Byte)
{
    if (Byte <= 0x20 || Byte >= 0x7F)
        return true;
    static constexpr char Reserved[] = "\"#%&+/:;<=>?@[\\]^`{|}";
    for (const char *c = Reserved; *c; ++c)
        if (Byte == static_cast<unsigned char>(*c))
            return true;
    return false;
}

} // namespace

QString SecondsToTimeString(int Seconds)
{
    return ClampedTimeString(Seconds);
}

QString SecondsToRemainingTimeString(int Seconds, int Elapsed)
{
    // In 64 bits, so extreme arguments cannot overflow the difference.
    const qint64 remaining = qint64(Seconds) - qint64(Elapsed);
    const QString text = ClampedTimeString(remaining);
    return remaining > 0 ? u'-' + text : text;
}

QString CropTextByWidth(const QFontMetrics &Metrics, const QString &Text, int MaxWidth, int MinWidth,
                        bool &IsCropped)
{
    IsCropped = false;
    MaxWidth = std::max(MaxWidth, MinWidth);
    // The places a cut may go: between whole characters (never inside a
    // surrogate pair or between a base and its marks), and not after white
    // space, so that no space stands before the ellipsis. A character piled
    // with more marks than any script uses is never shown: shaping it costs
    // time that grows with the square of its length, and no font draws it.
    std::vector<qsizetype> cuts{0};
    bool whole = true;
    QTextBoundaryFinder boundaries(QTextBoundaryFinder::Grapheme, Text);
    for (qsizetype from = 0, at = boundaries.toNextBoundary(); at > 0; from = at, at = boundaries.toNextBoundary()) {
        if (at - from > MaxCharacterLength) {
            whole = false;
            break;
        }
        if (!Text[at - 1].isSpace())
            cuts.push_back(at);
    }
    if (whole && Metrics.horizontalAdvance(Text) <= MaxWidth)
        return Text;

    IsCropped = true;
    auto candidate = [&](std::size_t index) { return Text.left(cuts[index]) + Ellipsis; };
    auto fits = [&](std::size_t index) { return Metrics.horizontalAdvance(candidate(index)) <= MaxWidth; };

    // Each measurement costs the length of its text: gallop from the start,
    // then halve, so a long title costs a few measurements of about the part
    // that is kept. The bare ellipsis is the last resort.
    std::size_t fitting = 0;
    std::size_t tooWide = 1;
    while (tooWide < cuts.size() && fits(tooWide)) {
        fitting = tooWide;
        tooWide *= 2;
    }
    tooWide = std::min(tooWide, cuts.size());
    while (tooWide - fitting > 1) {
        const std::size_t middle = fitting + (tooWide - fitting) / 2;
        (fits(middle) ? fitting : tooWide) = middle;
    }
    return candidate(fitting);
}

QString CropTextByWidth(const QLabel &Label, const QString &Text, int MaxWidth, bool &IsCropped)
{
    return CropTextByWidth(Label.fontMetrics(), Text, MaxWidth, 15, IsCropped);
}

QString CropTextByWidth(const QPainter &Canvas, const QString &Text, int MaxWidth, bool &IsCropped)
{
    const QFontMetrics metrics = Canvas.fontMetrics();
    return CropTextByWidth(metrics, Text, MaxWidth, metrics.horizontalAdvance(Ellipsis), IsCropped);
}

QString StripHTMLTags(const QString &Text)
{
    QString out;
    out.reserve(Text.size());
    bool inTag = false;
    for (const QChar c : Text) {
        if (inTag) {
            inTag = c != u'>';
        } else if (c == u'<') {
            inTag = true;
        } else if (c != u'\n') {
            out += c;
        }
    }
    return out.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
}

QByteArray StringToUTF8Bytes(const QString &Text)
{
    return Text.toUtf8();
}

int HexDigitValue(QChar C)
{
    const char16_t c = C.unicode();
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

QString EncodeURLParamValue(const QString &Value)
{
    static constexpr char Hex[] = "0123456789ABCDEF";
    const QByteArray bytes = StringToUTF8Bytes(Value);
    QString out;
    out.reserve(bytes.size() * 3);
    for (const char raw : bytes) {
        const auto byte = static_cast<unsigned char>(raw);
        if (MustEscape(byte)) {
            out += u'%';
            out += QLatin1Char(Hex[byte >> 4]);
            out += QLatin1Char(Hex[byte & 0x0F]);
        } else {
            out += QLatin1Char(char(byte));
        }
    }
    return out;
}

QString EncodeURLParams(const QStringList &List)
{
    QStringList items;
    items.reserve(List.size());
    for (const QString &line : List) {
        const qsizetype eq = line.indexOf(u'=');
        const QString name = eq < 0 ? line : line.left(eq);
        const QString value = eq < 0 ? QString() : line.mid(eq + 1);
        items << name + u'=' + EncodeURLParamValue(value);
    }
    return items.join(u'&');
}
