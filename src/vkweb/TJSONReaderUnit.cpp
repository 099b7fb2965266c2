#include "vkweb/TJSONReaderUnit.h"

#include "foundation/BaseTypesUnit.h"

namespace {

// Qt's parser's own limit; far deeper than any answer, and a guard against
// running out of stack.
constexpr int MaxDepth = 1024;
// Without an exponent, a number this short cannot leave the range of a double.
constexpr qsizetype MaxPlainNumberLength = 300;
constexpr char16_t ByteOrderMark = 0xFEFF;

bool IsDigit(char16_t C)
{
    return C >= u'0' && C <= u'9';
}

int HexValue(char16_t C)
{
    if (C >= u'0' && C <= u'9')
        return C - u'0';
    if (C >= u'a' && C <= u'f')
        return C - u'a' + 10;
    if (C >= u'A' && C <= u'F')
        return C - u'A' + 10;
    return -1;
}

} // namespace

TJSONReader::TJSONReader(QStringView Text) : FText(Text)
{
    // Qt's parser skips a byte order mark before the document.
    if (FText.startsWith(QChar(ByteOrderMark)))
        FPosition = 1;
}

void TJSONReader::Fail(const char *What) const
{
    throw Exception(QStringLiteral("JSON: %1 at %2").arg(QLatin1String(What)).arg(FPosition));
}

void TJSONReader::SkipWhitespace()
{
    while (FPosition < FText.size()) {
        const char16_t c = FText[FPosition].unicode();
        if (c != u' ' && c != u'\t' && c != u'\n' && c != u'\r')
            return;
        ++FPosition;
    }
}

bool TJSONReader::Consume(char16_t C)
{
    SkipWhitespace();
    if (FPosition < FText.size() && FText[FPosition] == C) {
        ++FPosition;
        return true;
    }
    return false;
}

void TJSONReader::Expect(char16_t C)
{
    if (!Consume(C))
        Fail("unexpected character");
}

void TJSONReader::Enter()
{
    if (++FDepth > MaxDepth)
        Fail("nesting too deep");
}

TJSONReader::TKind TJSONReader::Peek()
{
    SkipWhitespace();
    if (FPosition >= FText.size())
        Fail("unexpected end");
    const char16_t c = FText[FPosition].unicode();
    switch (c) {
    case u'{':
        return TKind::Object;
    case u'[':
        return TKind::Array;
    case u'"':
        return TKind::String;
    case u't':
    case u'f':
    case u'n':
        return TKind::Literal;
    default:
        if (c == u'-' || c == u'.' || IsDigit(c))
            return TKind::Number;
        Fail("no value");
    }
}

QString TJSONReader::ReadString()
{
    QString result;
    ScanString(&result);
    return result;
}

void TJSONReader::ScanString(QString *Result)
{
    Expect(u'"');
    // Most strings hold no escapes: they are taken in one piece.
    const qsizetype start = FPosition;
    while (FPosition < FText.size()) {
        const char16_t c = FText[FPosition].unicode();
        if (c == u'"') {
            ++FPosition;
            if (Result) {
                // Qt's parser drops a byte order mark that opens a string
                // without escapes.
                *Result = FText.mid(start, FPosition - 1 - start).toString();
                if (Result->startsWith(QChar(ByteOrderMark))) [[unlikely]]
                    Result->remove(0, 1);
            }
            return;
        }
        if (c == u'\\')
            break;
        ++FPosition;
    }
    QString result = FText.mid(start, FPosition - start).toString();
    while (FPosition < FText.size()) {
        const char16_t c = FText[FPosition++].unicode();
        if (c == u'"') {
            if (Result)
                *Result = std::move(result);
            return;
        }
        if (c != u'\\') {
            result.append(QChar(c));
            continue;
        }
        if (FPosition >= FText.size())
            break;
        switch (FText[FPosition++].unicode()) {
        case u'"':
            result.append(u'"');
            break;
        case u'\\':
            result.append(u'\\');
            break;
        case u'/':
            result.append(u'/');
            break;
        case u'b':
            result.append(u'\b');
            break;
        case u'f':
            result.append(u'\f');
            break;
        case u'n':
            result.append(u'\n');
            break;
        case u'r':
            result.append(u'\r');
            break;
        case u't':
            result.append(u'\t');
            break;
        case u'u': {
            if (FPosition + 4 > FText.size())
                Fail("short \\u escape");
            int code = 0;
            for (int i = 0; i < 4; ++i) {
                const int digit = HexValue(FText[FPosition++].unicode());
                if (digit < 0)
                    Fail("bad \\u escape");
                code = code * 16 + digit;
            }
            result.append(QChar(char16_t(code)));
            break;
        }
        default:
            // Qt's parser takes an unknown escape as the character itself,
            // but only an ASCII one: it escapes a single byte of the UTF-8.
            if (FText[FPosition - 1].unicode() >= 0x80)
                Fail("bad escape");
            result.append(FText[FPosition - 1]);
        }
    }
    Fail("unterminated string");
}

QStringView TJSONReader::ReadNumber()
{
    SkipWhitespace();
    const qsizetype start = FPosition;
    auto skipDigits = [this] {
        const qsizetype first = FPosition;
        while (FPosition < FText.size() && IsDigit(FText[FPosition].unicode()))
            ++FPosition;
        return FPosition - first;
    };
    auto skipIf = [this](char16_t A, char16_t B) {
        if (FPosition < FText.size() && (FText[FPosition] == A || FText[FPosition] == B))
            ++FPosition;
    };
    // Qt's grammar: a sign, a zero or digits, a fraction and an exponent,
    // each part's digits optional, but some digit in the mantissa and in an
    // exponent that is there.
    skipIf(u'-', u'-');
    qsizetype mantissaDigits = 0;
    if (FPosition < FText.size() && FText[FPosition] == u'0') {
        ++FPosition;
        mantissaDigits = 1;
    } else {
        mantissaDigits = skipDigits();
    }
    if (FPosition < FText.size() && FText[FPosition] == u'.') {
        ++FPosition;
        mantissaDigits += skipDigits();
    }
    if (mantissaDigits == 0)
        Fail("bad number");
    bool exponent = false;
    if (FPosition < FText.size() && (FText[FPosition] == u'e' || FText[FPosition] == u'E')) {
        ++FPosition;
        skipIf(u'+', u'-');
        if (skipDigits() == 0)
            Fail("bad exponent");
        exponent = true;
    }
    const QStringView number = FText.mid(start, FPosition - start);
    // Qt's parser refuses a number past the range of a double (1e400, 1e-400)
    // by converting it as below; only a rare number can be one.
    if (exponent || number.size() > MaxPlainNumberLength) {
        bool inRange = false;
        number.toLatin1().toDouble(&inRange);
        if (!inRange)
            Fail("number out of range");
    }
    return number;
}

void TJSONReader::SkipValue()
{
    switch (Peek()) {
    case TKind::Object:
        ReadObject([this](const QString &) { SkipValue(); });
        return;
    case TKind::Array:
        ReadArray([this](qsizetype) { SkipValue(); });
        return;
    case TKind::String:
        ScanString(nullptr);
        return;
    case TKind::Number:
        ReadNumber();
        return;
    case TKind::Literal:
        for (const char16_t *literal : {u"true", u"false", u"null"}) {
            const QStringView word(literal);
            if (FText.mid(FPosition).startsWith(word)) {
                FPosition += word.size();
                return;
            }
        }
        Fail("unknown literal");
    }
}

void TJSONReader::End()
{
    SkipWhitespace();
    if (FPosition != FText.size())
        Fail("text after the document");
}
