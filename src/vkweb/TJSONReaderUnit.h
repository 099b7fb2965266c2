#pragma once

#include <QString>
#include <QStringView>

// A JSON reader that walks a document in place instead of building a tree:
// the audio endpoint's lists run to megabytes, and Qt's object model costs
// more than all the rest of reading them. It accepts exactly what Qt's parser
// accepts of the same text in UTF-8, and reads the same values (RFC 8259
// with the same leniencies and limits: control characters inside strings, an
// unknown ASCII escape as its character, "1." and ".5", numbers only within
// the range of a double, nesting to 1024, a byte order mark before the
// document or at the start of a string without escapes dropped). The caller
// asks for what it expects next; anything else, or text that is no JSON,
// throws Exception.
class TJSONReader
{
public:
    enum class TKind { Object, Array, String, Number, Literal };

    explicit TJSONReader(QStringView Text);

    TKind Peek();
    // Calls Element(Index) for each element; Element reads exactly one value.
    template<class F> void ReadArray(F &&Element);
    // Calls Member(Name) for each member; Member reads exactly one value.
    template<class F> void ReadObject(F &&Member);
    QString ReadString();
    // The number's text as written ("-12", "2.5e3").
    QStringView ReadNumber();
    // Reads and checks any value.
    void SkipValue();
    // Only white space may follow the document.
    void End();

private:
    [[noreturn]] void Fail(const char *What) const;
    void SkipWhitespace();
    // Reads a string into Result, or past it when Result is null.
    void ScanString(QString *Result);
    bool Consume(char16_t C);
    void Expect(char16_t C);
    void Enter();
    void Leave() { --FDepth; }

    QStringView FText;
    qsizetype FPosition = 0;
    int FDepth = 0;
};

template<class F> void TJSONReader::ReadArray(F &&Element)
{
    Expect(u'[');
    Enter();
    if (!Consume(u']')) {
        qsizetype index = 0;
        do
            Element(index++);
        while (Consume(u','));
        Expect(u']');
    }
    Leave();
}

template<class F> void TJSONReader::ReadObject(F &&Member)
{
    Expect(u'{');
    Enter();
    if (!Consume(u'}')) {
        do {
            const QString name = ReadString();
            Expect(u':');
            Member(name);
        } while (Consume(u','));
        Expect(u'}');
    }
    Leave();
}
