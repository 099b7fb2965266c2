#include "ui/auth/TVKAPIAuthManagerViewUnit.h"

#include "ui/StyleResourceUnit.h"
#include "ui/auth/TAuthSignupPanelUnit.h"

#include <QAbstractButton>
#include <QStackedWidget>

TVKAPIAuthManagerView::TVKAPIAuthManagerView(QObject *AOwner, TAuthSignupPanel &ASurface) :
      QObject(AOwner), FSurface(ASurface)
{
    connect(ASurface.AuthTabButton, &QAbstractButton::clicked, this, [this] { SelectAuthTab(); });
    connect(ASurface.SignupTabButton, &QAbstractButton::clicked, this, [this] { SelectSignupTab(); });
    connect(ASurface.TabControl, &QStackedWidget::currentChanged, this, [this] { PageChanged(); });
    SelectAuthTab();
    PageChanged();
}

void TVKAPIAuthManagerView::SelectAuthTab()
{
    FSurface.TabControl->setCurrentIndex(AuthTabIndex);
}

void TVKAPIAuthManagerView::SelectSignupTab()
{
    FSurface.TabControl->setCurrentIndex(SignupTabIndex);
}

void TVKAPIAuthManagerView::PageChanged()
{
    const bool auth = FSurface.TabControl->currentIndex() == AuthTabIndex;
    QAbstractButton *chosen = auth ? FSurface.AuthTabButton : FSurface.SignupTabButton;
    QAbstractButton *other = auth ? FSurface.SignupTabButton : FSurface.AuthTabButton;
    SetStyleLookup(other, QStringLiteral("formtabbuttonstyle"));
    chosen->setChecked(true);
    other->setChecked(false);
    // The chosen tab stays reachable by the keyboard, so the order through
    // the form starts at it; a click on it changes nothing.
    chosen->setAttribute(Qt::WA_TransparentForMouseEvents, true);
    other->setAttribute(Qt::WA_TransparentForMouseEvents, false);
}
