#include "app/TextUtilsUnit.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

const QString Ellipsis = QStringLiteral("\u2026");

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
    auto width = [&](const QString &s) { return Metrics.horizontalAdvance(s); };
    if (width(Text) <= MaxWidth)
        return Text;

    IsCropped = true;
    const int letterWidth = std::max(1, width(QStringLiteral("a")));
    const int estimate = int(std::lround(double(MaxWidth) / letterWidth));
    qsizetype k = std::clamp<qsizetype>(estimate - 1, 0, Text.size());
    auto candidate = [&](qsizetype count) { return Text.left(count) + Ellipsis; };
    QString result = candidate(k);

    if (width(result) > MaxWidth) {
        while (k > 0 && width(result) > MaxWidth) {
            --k;
            while (k > 0 && Text[k - 1] == u' ')
                --k;
            result = candidate(k);
        }
    } else if (width(result) < MaxWidth) {
        while (k < Text.size()) {
            qsizetype next = k;
            while (next < Text.size() && Text[next] == u' ')
                ++next;
            next = std::min(next + 1, Text.size());
            const QString grown = candidate(next);
            if (width(grown) >= MaxWidth)
                break;
            k = next;
            result = grown;
        }
    }
    return result;
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
