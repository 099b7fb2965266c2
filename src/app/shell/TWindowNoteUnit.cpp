#include "app/shell/TWindowNoteUnit.h"

#include "localization/TQelmLocalizationUnit.h"
#include "ui/StyleResourceUnit.h"

#include <QAccessible>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>
#include <QToolButton>

namespace {
constexpr int NoteMargin = 12;
}

TWindowNote::TWindowNote(QWidget *Parent) :
      QFrame(Parent), FText(new QLabel(this)), FCloseButton(new QToolButton(this)),
      FHideTimer(std::make_unique<QTimer>())
{
    setObjectName(QStringLiteral("WindowNote"));
    setProperty(StyleLookupProperty, QStringLiteral("notestyle"));
    setAttribute(Qt::WA_StyledBackground);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(12, 6, 6, 6);
    FText->setTextFormat(Qt::PlainText);
    FText->setWordWrap(true);
    FText->setProperty(StyleLookupProperty, QStringLiteral("notetextstyle"));
    layout->addWidget(FText, 1);
    FCloseButton->setProperty(StyleLookupProperty, QStringLiteral("tagcloseButtonstyle"));
    FCloseButton->setFocusPolicy(Qt::TabFocus);
    layout->addWidget(FCloseButton);
    connect(FCloseButton, &QToolButton::clicked, this, &QWidget::hide);
    // Runs only while a note shows.
    FHideTimer->setSingleShot(true);
    connect(FHideTimer.get(), &QTimer::timeout, this, &QWidget::hide);
    Parent->installEventFilter(this);
    hide();
}

TWindowNote::~TWindowNote() = default;

void TWindowNote::ShowNote(const QString &Text)
{
    FText->setText(Text);
    setAccessibleName(Text);
    Place();
    show();
    raise();
    FHideTimer->start(ShowTime);
    QAccessibleEvent alert(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

QString TWindowNote::Text() const
{
    return FText->text();
}

bool TWindowNote::event(QEvent *Event)
{
    if (Event->type() == WM_LOCALIZATIONCHANGED)
        FCloseButton->setAccessibleName(LocalizationManager->getValue(QStringLiteral("WN_CloseButton_Caption")));
    return QFrame::event(Event);
}

bool TWindowNote::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Watched == parent() && Event->type() == QEvent::Resize && isVisible())
        Place();
    return QFrame::eventFilter(Watched, Event);
}

void TWindowNote::Place()
{
    const QWidget *window = parentWidget();
    const int width = qMin(window->width() - 2 * NoteMargin, 520);
    setFixedWidth(width);
    adjustSize();
    move((window->width() - width) / 2, window->height() - height() - NoteMargin);
}
