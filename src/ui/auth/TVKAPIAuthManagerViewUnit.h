#pragma once

#include <QObject>

class TAuthSignupPanel;

// The Log In and Sign Up tabs of the overlay: each button selects its page,
// and the chosen one shows pressed and takes no clicks.
class TVKAPIAuthManagerView : public QObject
{
public:
    static constexpr int AuthTabIndex = 1;
    static constexpr int SignupTabIndex = 0;

    TVKAPIAuthManagerView(QObject *AOwner, TAuthSignupPanel &ASurface);

    void SelectAuthTab();
    void SelectSignupTab();

private:
    void PageChanged();

    TAuthSignupPanel &FSurface;
};
