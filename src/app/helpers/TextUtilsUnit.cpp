#include "app/helpers/TextUtilsUnit.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QRegularExpression>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <string_view>
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

struct TNamedReference
{
    const char *Name;
    char32_t First;
    char32_t Second;
};

const TNamedReference NamedReferences[] = {
#include "app/helpers/HTMLEntities.inc"
};

constexpr qsizetype LongestReferenceName = 32;

bool IsASCIIAlphaNumeric(QChar C)
{
    const char16_t c = C.unicode();
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

void AppendCodePoint(QString &Result, char32_t Code)
{
    // A code HTML cannot carry becomes the replacement character, as a browser shows it.
    if (Code == 0 || Code > 0x10FFFF || (Code >= 0xD800 && Code <= 0xDFFF))
        Code = 0xFFFD;
    if (QChar::requiresSurrogates(Code)) {
        Result.append(QChar(QChar::highSurrogate(Code)));
        Result.append(QChar(QChar::lowSurrogate(Code)));
    } else {
        Result.append(QChar(char16_t(Code)));
    }
}

// When a reference starts at Text[Start] (an "&"), appends its characters to
// Result and returns the position after its ";"; otherwise returns -1.
qsizetype DecodeReference(const QString &Text, qsizetype Start, QString &Result)
{
    qsizetype i = Start + 1;
    if (i < Text.size() && Text[i] == u'#') {
        ++i;
        const bool isHex = i < Text.size() && (Text[i] == u'x' || Text[i] == u'X');
        if (isHex)
            ++i;
        const int base = isHex ? 16 : 10;
        const qsizetype digitsStart = i;
        char32_t code = 0;
        for (; i < Text.size(); ++i) {
            const int digit = isHex ? HexDigitValue(Text[i])
                                    : (Text[i].isDigit() && Text[i].unicode() < 0x80 ? Text[i].unicode() - '0' : -1);
            if (digit < 0)
                break;
            code = std::min<char32_t>(code * base + char32_t(digit), 0x110000);
        }
        if (i == digitsStart || i >= Text.size() || Text[i] != u';')
            return -1;
        AppendCodePoint(Result, code);
        return i + 1;
    }
    while (i < Text.size() && i - Start - 1 < LongestReferenceName && IsASCIIAlphaNumeric(Text[i]))
        ++i;
    if (i == Start + 1 || i >= Text.size() || Text[i] != u';')
        return -1;
    char name[LongestReferenceName + 1];
    const qsizetype length = i - Start - 1;
    for (qsizetype k = 0; k < length; ++k)
        name[k] = char(Text[Start + 1 + k].unicode());
    const std::string_view key(name, std::size_t(length));
    const auto found = std::lower_bound(std::begin(NamedReferences), std::end(NamedReferences), key,
        [](const TNamedReference &Entry, std::string_view Key) { return std::string_view(Entry.Name) < Key; });
    if (found == std::end(NamedReferences) || std::string_view(found->Name) != key)
        return -1;
    AppendCodePoint(Result, found->First);
    if (found->Second != 0)
        AppendCodePoint(Result, found->Second);
    return i + 1;
}

// Line ends are layout in HTML source: one, with the blanks around it, is a
// space; a blank line is a paragraph break.
QString FoldLineBreaks(const QString &Text)
{
    static const QRegularExpression breaks(QStringLiteral("[ \\t]*(?:\\r?\\n[ \\t]*)+"));
    QString out;
    out.reserve(Text.size());
    qsizetype copied = 0;
    for (QRegularExpressionMatchIterator matches = breaks.globalMatch(Text); matches.hasNext();) {
        const QRegularExpressionMatch match = matches.next();
        out += QStringView(Text).mid(copied, match.capturedStart() - copied);
        out += match.capturedView().count(u'\n') > 1 ? QStringLiteral("\n\n") : QStringLiteral(" ");
        copied = match.capturedEnd();
    }
    out += QStringView(Text).mid(copied);
    return out;
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

QString CropTextByWidth(const QFontMetrics &Metrics, const QString &Text, int MaxWidth, int MinWidth, bool &IsCropped)
{
    IsCropped = false;
    MaxWidth = std::max(MaxWidth, MinWidth);
    // The places a cut may go: between whole characters (never inside a
    // surrogate pair or between a base and its marks), and not after white
    // space, so that no space stands before the ellipsis. A character piled
    // with more marks than any script uses is never shown: shaping it costs
    // time that grows with the square of its length, and no font draws it.
    std::vector<qsizetype> cuts {0};
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
        if (inTag)
            inTag = c != u'>';
        else if (c == u'<')
            inTag = true;
        else
            out += c;
    }
    // References are decoded last, so an escaped "<" stays text.
    return UnEntity(FoldLineBreaks(out));
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

QString UnEntity(const QString &Text)
{
    qsizetype ampersand = Text.indexOf(u'&');
    if (ampersand < 0)
        return Text;
    QString result;
    result.reserve(Text.size());
    qsizetype copied = 0;
    while (ampersand >= 0) {
        result.append(QStringView(Text).mid(copied, ampersand - copied));
        const qsizetype next = DecodeReference(Text, ampersand, result);
        if (next < 0) {
            result.append(u'&');
            copied = ampersand + 1;
        } else {
            copied = next;
        }
        ampersand = Text.indexOf(u'&', copied);
    }
    result.append(QStringView(Text).mid(copied));
    return result;
}
