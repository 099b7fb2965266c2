#pragma once

#include <QFrame>

#include <memory>

class QLabel;
class QTimer;
class QToolButton;

// A short note at the foot of a window that says what went wrong (or what
// changed) without stopping the user; it goes by itself after a while, or
// with its close button.
class TWindowNote : public QFrame
{
    Q_OBJECT
public:
    static constexpr int ShowTime = 8000; // ms

    explicit TWindowNote(QWidget *Parent);
    ~TWindowNote() override;

    // Replaces the note shown, if any. Plain text.
    void ShowNote(const QString &Text);
    QString Text() const;

protected:
    bool event(QEvent *Event) override;
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    void Place();

    QLabel *FText;
    QToolButton *FCloseButton;
    std::unique_ptr<QTimer> FHideTimer;
};
