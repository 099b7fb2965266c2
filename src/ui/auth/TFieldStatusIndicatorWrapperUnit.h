#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QLabel;
class QWidget;

enum TFieldStatus { fsUnitinialized, fsOK, fsError };

// The mark beside a form field (a tick or a cross) with its meaning in words
// beside it and in its tooltip, so the status is not told by the picture alone.
class TFieldStatusIndicatorWrapper : public QObject
{
public:
    TFieldStatusIndicatorWrapper(QObject *AOwner, QWidget *AControl, QLabel *AWords);

    TFieldStatus Status() const { return FStatus; }
    void SetStatus(TFieldStatus Value);
    // The words of the status, already in the active language.
    const QString &Hint() const { return FHint; }
    void SetHint(const QString &Value);
    QString Words() const;

private:
    void Show();

    QPointer<QWidget> FControl;
    QPointer<QLabel> FWords;
    TFieldStatus FStatus = fsUnitinialized;
    QString FHint;
};
