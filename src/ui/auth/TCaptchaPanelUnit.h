#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

// The captcha overlay over the whole window: the picture, the edit for its
// text and the enter button. Esc leaves it (OnEscape). Only the controls and
// their fixed captions; the captcha view binds them.
class TCaptchaPanel : public QWidget
{
    Q_OBJECT
public:
    explicit TCaptchaPanel(QWidget *Parent);
    void LanguageChanged();

    QLabel *CaptchaImage;
    QWidget *CaptchaImageBorderRectangle;
    QLineEdit *CaptchaEdit;
    QPushButton *EnterButton;

Q_SIGNALS:
    void Escaped();

protected:
    void keyPressEvent(QKeyEvent *Event) override;
    void paintEvent(QPaintEvent *Event) override;

private:
    QLabel *FDescription;
};
