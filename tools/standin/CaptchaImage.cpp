#include "standin/CaptchaImage.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>

#include <array>

namespace Standin {

namespace {

// Segments a..g of each digit, as bits 0..6.
constexpr std::array<int, 10> SegmentsOfDigit = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};

void DrawDigit(QPainter &Painter, int Digit, qreal Left)
{
    const qreal w = 14, h = 14, top = 10;
    const std::array<QLineF, 7> segments = {QLineF(0, 0, w, 0), QLineF(w, 0, w, h), QLineF(w, h, w, 2 * h),
        QLineF(0, 2 * h, w, 2 * h), QLineF(0, h, 0, 2 * h), QLineF(0, 0, 0, h), QLineF(0, h, w, h)};
    Painter.save();
    Painter.translate(Left, top);
    Painter.shear(-0.15, 0);
    for (std::size_t i = 0; i < segments.size(); ++i)
        if (SegmentsOfDigit[std::size_t(Digit)] & (1 << i))
            Painter.drawLine(segments[i]);
    Painter.restore();
}

} // namespace

QByteArray CaptchaPng(const QString &Text, quint64 Seed)
{
    QImage image(130, 50, QImage::Format_RGB32);
    image.fill(QColor(0xf0, 0xf2, 0xf5));
    QRandomGenerator random(Seed);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(0xa8, 0xb8, 0xcc), 1));
        for (int i = 0; i < 12; ++i)
            painter.drawLine(random.bounded(130), random.bounded(50), random.bounded(130), random.bounded(50));
        painter.setPen(QPen(QColor(0x2a, 0x52, 0x85), 3, Qt::SolidLine, Qt::RoundCap));
        qreal left = 14;
        for (const QChar c : Text) {
            if (c.isDigit())
                DrawDigit(painter, c.digitValue(), left + random.bounded(4));
            left += 22;
        }
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

} // namespace Standin
