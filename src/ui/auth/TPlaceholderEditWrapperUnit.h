#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QLabel;
class QLineEdit;
class QVariantAnimation;

// An edit with a placeholder text (a localization key) drawn over it while it
// has neither the focus nor text, and a short warning flash for a refused
// field. The placeholder is also the edit's accessible name, so a screen
// reader names the field.
class TPlaceholderEditWrapper : public QObject
{
public:
    TPlaceholderEditWrapper(QObject *AOwner, QLineEdit *AControl, const QString &APlaceholderTextValue);

    QLineEdit *Control() const { return FControl; }
    QString Text() const;
    void SetText(const QString &Value);
    const QString &PlaceholderTextValue() const { return FPlaceholderTextValue; }
    void SetPlaceholderTextValue(const QString &Value);
    // The placeholder in the active language.
    void ReloadPlaceholder();
    void PerformWarningAnimation();
    // How many warnings were started.
    int WarningCount() const { return FWarningCount; }
    bool IsPlaceholderShown() const;
    void SetFocus();

    // Every change of the text while typing or set by the program.
    std::function<void(TPlaceholderEditWrapper *Sender)> OnChange;
    // Return or Enter pressed in the edit.
    std::function<void(TPlaceholderEditWrapper *Sender)> OnEnter;

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    void StyleApplied();
    void UpdatePlaceholder();

    QPointer<QLineEdit> FControl;
    QString FPlaceholderTextValue;
    QPointer<QLabel> FPlaceholderText;
    QVariantAnimation *FWarningAnimation;
    int FWarningCount = 0;
};
