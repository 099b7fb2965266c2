#pragma once

#include "app/shell/THandleCreateExceptionFormUnit.h"

#include <QFileDialog>
#include <QLabel>
#include <QList>
#include <QPointer>
#include <QString>

#include <memory>

class QAbstractButton;
class QRadioButton;
namespace Ui {
class TSettingsFormLayout;
}

// The settings window: interface language, music folder, update check. A
// change is stored at once and the language shows at once; Cancel (and Esc,
// and closing the window) puts back what the window opened with.
class TSettingsForm : public THandleCreateExceptionForm
{
    Q_OBJECT
public:
    static constexpr int ClientWidth = 560;
    static constexpr int ClientHeight = 291;
    // The update button's width for the languages it was measured in.
    static constexpr int UpdateButtonWidthRussian = 170;
    static constexpr int UpdateButtonWidthEnglish = 135;

    TSettingsForm();
    ~TSettingsForm() override;

    const Ui::TSettingsFormLayout &Layout() const { return *FUi; }
    const QList<QRadioButton *> &LocalizationRadioButtons() const { return FLocalizationRadioButtons; }
    // The folder picker while it is open, else null.
    QFileDialog *MusicFolderDialog() const { return FMusicFolderDialog; }

protected:
    friend class THandleCreateExceptionForm;
    void FormCreate() override;
    bool event(QEvent *Event) override;
    void showEvent(QShowEvent *Event) override;
    void closeEvent(QCloseEvent *Event) override;

private:
    void HideTitleSettingsButton();
    void FormShow();
    void ShowSettingValues();
    void ApplyButtonClick();
    void CancelButtonClick();
    void UpdateButtonClick();
    void BrowseMusicFolderPathButtonClick();
    void MusicFolderPathExpanderCheckChange();
    void AutoUpdateCheckBoxChange();
    void LanguageRadioButtonChange(QRadioButton *Sender);
    void LanguageChangedMessage();
    void RestoreOpenedValues();

    std::unique_ptr<Ui::TSettingsFormLayout> FUi;
    QList<QRadioButton *> FLocalizationRadioButtons;
    bool FIsSaveCurrentLang = false;
    QPointer<QFileDialog> FMusicFolderDialog;
    QPointer<QLabel> FWindowTitleCaptionText;

    // What the window opened with, for Cancel.
    struct TOpenedValues
    {
        int LocalizationIndex = -1;
        QString Lang;
        bool CustomMusicFolderFlag = false;
        QString CustomMusicFolderPath;
        bool AutoUpdateCheck = true;
    };
    TOpenedValues FOpened;
    // OK closes without putting anything back.
    bool FClosingByApply = false;
};
