#pragma once

#include <QString>
#include <QStringList>

class QFontMetrics;
class QLabel;
class QPainter;

// "mm:ss" with the minutes unwrapped ("60:00"); a negative time shows as
// "00:00" and anything beyond "9999:59" as that.
QString SecondsToTimeString(int Seconds);
// The same for Seconds - Elapsed, with "-" in front while time remains.
QString SecondsToRemainingTimeString(int Seconds, int Elapsed);

// Fits Text into MaxWidth pixels, ending a cut text in "…" and never leaving a
// space right before it: the longest start of whole characters that fits. A
// character carrying more marks than any script uses ends the text shown.
// The label form measures with the label's font and treats widths below 15 as
// 15; the canvas form uses the painter's font and never goes below the width
// of "…".
QString CropTextByWidth(const QLabel &Label, const QString &Text, int MaxWidth, bool &IsCropped);
QString CropTextByWidth(const QPainter &Canvas, const QString &Text, int MaxWidth, bool &IsCropped);
QString CropTextByWidth(const QFontMetrics &Metrics, const QString &Text, int MaxWidth, int MinWidth, bool &IsCropped);

// HTML to plain text: tags removed, a line end (with the blanks around it) as
// one space, a blank line as a paragraph break ("\n\n"), then every
// character reference decoded.
QString StripHTMLTags(const QString &Text);
// Decodes HTML character references: every named reference HTML defines and
// numeric ones in decimal or hexadecimal. A run that is no reference (a lone
// "&", "Rock & Roll; Live", an unknown name) stays as it stands.
QString UnEntity(const QString &Text);
QByteArray StringToUTF8Bytes(const QString &Text);
// The value of one hexadecimal digit (either case); -1 for any other character.
int HexDigitValue(QChar C);

// Percent-encodes the UTF-8 bytes of Value for a query string or a form body:
// upper-case hexadecimal, a space as %20.
QString EncodeURLParamValue(const QString &Value);
// "name=value" lines to a query string: names as they are, values encoded.
QString EncodeURLParams(const QStringList &List);
