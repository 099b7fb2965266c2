#pragma once

#include <QDialog>
#include <QStringList>

class QAbstractButton;
class QCheckBox;
class QLabel;
class QPushButton;

// The offer of a newer version: its number and what is new, "skip this
// version", the way to the download page and Cancel. It speaks the interface
// language and re-words itself when that changes.
class TUpdateDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr int DialogWidth = 400;
    static constexpr int DialogHeight = 370;
    static constexpr int HeaderHeight = 40;
    static constexpr int CloseButtonSize = 19;
    // How the dialog ended: its result code.
    enum TUpdateDialogCommand { udcDownloadPage = 1, udcCancel = 2, udcClose = 3 };

    TUpdateDialog(const QString &AVersionText, const QStringList &AFeatures, QWidget *Parent = nullptr);

    bool IsSkipChecked() const;
    QAbstractButton *DownloadPageButton() const;
    QAbstractButton *CancelButton() const;
    QAbstractButton *CloseButton() const;
    QCheckBox *SkipCheckBox() const { return FSkipCheckBox; }
    // Esc is Cancel.
    void reject() override;

protected:
    bool event(QEvent *Event) override;
    void mousePressEvent(QMouseEvent *Event) override;

private:
    void LanguageChangedMessage();

    QString FVersionText;
    QLabel *FHeading;
    QLabel *FVersion;
    QLabel *FFeatures;
    QCheckBox *FSkipCheckBox;
    QPushButton *FDownloadPageButton;
    QPushButton *FCancelButton;
    QAbstractButton *FCloseButton;
};
