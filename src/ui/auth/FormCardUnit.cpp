#include "ui/auth/FormCardUnit.h"

#include "ui/StyleResourceUnit.h"

#include <QVBoxLayout>
#include <QWidget>

QWidget *NewFormCard(QWidget *Surface, const QString &Name, int Width)
{
    auto *outer = new QVBoxLayout(Surface);
    auto *card = new QWidget(Surface);
    card->setObjectName(Name);
    card->setProperty(StyleLookupProperty, QStringLiteral("formcardstyle"));
    card->setAttribute(Qt::WA_StyledBackground);
    card->setFixedWidth(Width);
    outer->addStretch();
    outer->addWidget(card, 0, Qt::AlignHCenter);
    outer->addStretch();
    return card;
}
