#pragma once

#include <QByteArray>
#include <QString>

namespace Standin {

// A PNG showing the digits of Text as slanted seven-segment figures over noise.
// Drawn without fonts, so it needs no display or font set-up; Seed varies the noise.
QByteArray CaptchaPng(const QString &Text, quint64 Seed);

} // namespace Standin
