#include "app/shell/TSettingsFormUnit.h"

#include "app/shell/UpdateCheckUnit.h"
#include "app/shell/WindowPlacementUnit.h"
#include "foundation/THierarchicalSingletonUnit.h"
#include "localization/TQelmLocalizationUnit.h"
#include "settings/TQelmSettingsUnit.h"
#include "ui/StyleResourceUnit.h"

#include "ui_TSettingsForm.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileDialog>
#include <QRadioButton>
#include <QShortcut>

#include <utility>

namespace {

QString Text(const QString &Key)
{
    return LocalizationManager->getValue(Key);
}

constexpr quint32 EnglishLCID = 1033;
constexpr quint32 RussianLCID = 1049;
// The language choices inside their section.
constexpr int RadioButtonLeft = 10;
constexpr int RadioButtonTop = 7;
constexpr int RadioButtonGap = 4;
// The side list's width, unless its caption needs more (its own padding and the item's).
constexpr int SettingsListBoxWidth = 140;
constexpr int SettingsListBoxTextPadding = 28;

// The stored language, or a null text when the stored value is of another kind.
QString StoredLang()
{
    try {
        return GetInstance<TQelmSettings>()->Lang();
    } catch (const Exception &) {
        return {};
    }
}

} // namespace

TSettingsForm::TSettingsForm() : FUi(std::make_unique<Ui::TSettingsFormLayout>())
{
    setObjectName(QStringLiteral("SettingsForm"));
    auto *surface = new QWidget(this);
    FUi->setupUi(surface);
    setCentralWidget(surface);
    setFixedSize(ClientWidth, ClientHeight);
}

TSettingsForm::~TSettingsForm() = default;

void TSettingsForm::FormCreate()
{
    Ui::TSettingsFormLayout &ui = *FUi;
    EnsureStyleApplied(ui.SettingsWindowBorder);
    HideTitleSettingsButton();
    FWindowTitleCaptionText = FindStylePart<QLabel>(
        ui.SettingsWindowBorder, QStringLiteral("title"), QStringLiteral(" not found inside of windowborderstyle"));
    ui.SettingsListBox->setCurrentRow(0);

    for (int i = 0; i < LocalizationManager->GetCount(); ++i) {
        auto *radio
            = new QRadioButton(LocalizationManager->getLocalization(i)->DisplayedName(), ui.LocalizationContent);
        radio->setObjectName(QStringLiteral("LocalizationRadioButton%1").arg(i));
        radio->adjustSize();
        radio->move(RadioButtonLeft, (radio->height() + RadioButtonGap) * i + RadioButtonTop);
        connect(radio, &QRadioButton::toggled, this,
            Application::Guarded([this, radio] { LanguageRadioButtonChange(radio); }));
        FLocalizationRadioButtons << radio;
        ui.LocalizationContent->setMinimumHeight(radio->geometry().bottom() + RadioButtonTop);
    }
    // Showing the stored values stores nothing.
    ShowSettingValues();
    FIsSaveCurrentLang = true;

    const auto bind = [this](QAbstractButton *Button, auto Handler) {
        connect(Button, &QAbstractButton::clicked, this, Application::Guarded(Handler));
    };
    bind(ui.ApplyButton, [this] { ApplyButtonClick(); });
    bind(ui.CancelButton, [this] { CancelButtonClick(); });
    bind(ui.UpdateButton, [this] { UpdateButtonClick(); });
    bind(ui.BrowseMusicFolderPathButton, [this] { BrowseMusicFolderPathButtonClick(); });
    bind(ui.AutoUpdateCheckBox, [this] { AutoUpdateCheckBoxChange(); });
    // Only the user's clicks: showing a value is no change.
    connect(ui.MusicFolderPathExpander, &QGroupBox::clicked, this,
        Application::Guarded([this] { MusicFolderPathExpanderCheckChange(); }));
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, Application::Guarded([this] { CancelButtonClick(); }));

    QEvent message(WM_LOCALIZATIONCHANGED);
    QCoreApplication::sendEvent(this, &message);
}

void TSettingsForm::HideTitleSettingsButton()
{
    // The options window has no settings button of its own, nor a sign-out.
    FindStylePart<QAbstractButton>(
        FUi->SettingsWindowBorder, QStringLiteral("settings"), QStringLiteral(" not found inside of style"))
        ->hide();
    if (auto *logout = FUi->SettingsWindowBorder->findChild<QWidget *>(QStringLiteral("logouttitlebutton")))
        logout->hide();
}

void TSettingsForm::ShowSettingValues()
{
    auto *settings = GetInstance<TQelmSettings>();
    const bool saving = std::exchange(FIsSaveCurrentLang, false);
    const int active = LocalizationManager->ActiveLocalizationIndex();
    // No localization loaded: no choice to show.
    if (active >= 0 && active < FLocalizationRadioButtons.size())
        FLocalizationRadioButtons[active]->setChecked(true);
    FIsSaveCurrentLang = saving;
    FUi->MusicFolderPathExpander->setChecked(settings->CustomMusicFolderFlag());
    FUi->MusicFolderPathEdit->setText(settings->CustomMusicFolderPath());
    FUi->AutoUpdateCheckBox->setChecked(settings->AutoUpdateCheck());
}

void TSettingsForm::FormShow()
{
    PlaceOverActiveWindow(this);
    HideTitleSettingsButton();
    auto *settings = GetInstance<TQelmSettings>();
    FOpened = {LocalizationManager->ActiveLocalizationIndex(), StoredLang(), settings->CustomMusicFolderFlag(),
        settings->CustomMusicFolderPath(), settings->AutoUpdateCheck()};
    ShowSettingValues();
}

void TSettingsForm::showEvent(QShowEvent *Event)
{
    THandleCreateExceptionForm::showEvent(Event);
    if (!Event->spontaneous())
        Application::Guarded([this] { FormShow(); })();
}

void TSettingsForm::ApplyButtonClick()
{
    FClosingByApply = true;
    close();
}

void TSettingsForm::CancelButtonClick()
{
    close();
}

void TSettingsForm::closeEvent(QCloseEvent *Event)
{
    THandleCreateExceptionForm::closeEvent(Event);
    if (!Event->isAccepted())
        return;
    if (FMusicFolderDialog && FMusicFolderDialog->isVisible())
        FMusicFolderDialog->reject();
    if (isVisible() && !std::exchange(FClosingByApply, false))
        RestoreOpenedValues();
}

void TSettingsForm::RestoreOpenedValues()
{
    auto *settings = GetInstance<TQelmSettings>();
    // Only what changed is written: a window opened and cancelled stores nothing.
    if (!FOpened.Lang.isNull() && StoredLang() != FOpened.Lang)
        settings->SetLang(FOpened.Lang);
    if (FOpened.LocalizationIndex >= 0)
        LocalizationManager->SetActiveLocalizationIndex(FOpened.LocalizationIndex);
    if (settings->CustomMusicFolderFlag() != FOpened.CustomMusicFolderFlag)
        settings->SetCustomMusicFolderFlag(FOpened.CustomMusicFolderFlag);
    if (settings->CustomMusicFolderPath() != FOpened.CustomMusicFolderPath)
        settings->SetCustomMusicFolderPath(FOpened.CustomMusicFolderPath);
    if (settings->AutoUpdateCheck() != FOpened.AutoUpdateCheck)
        settings->SetAutoUpdateCheck(FOpened.AutoUpdateCheck);
    ShowSettingValues();
}

void TSettingsForm::UpdateButtonClick()
{
    // One check at a time: the button comes back with its outcome.
    FUi->UpdateButton->setEnabled(false);
    UpdateCheck::CheckForUpdatesNow([form = QPointer<TSettingsForm>(this)] {
        if (form)
            form->FUi->UpdateButton->setEnabled(true);
    });
}

void TSettingsForm::BrowseMusicFolderPathButtonClick()
{
    // A closed picker may still be on its way out.
    if (FMusicFolderDialog && FMusicFolderDialog->isVisible()) {
        FMusicFolderDialog->raise();
        FMusicFolderDialog->activateWindow();
        return;
    }
    auto *dialog = new QFileDialog(this, Text(QStringLiteral("MOC_MusicFolderPathDialog_Title")),
        GetInstance<TQelmSettings>()->CustomMusicFolderPath());
    dialog->setObjectName(QStringLiteral("MusicFolderDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    connect(dialog, &QFileDialog::fileSelected, this, Application::Guarded([this](const QString &Folder) {
        if (Folder.isEmpty())
            return;
        FUi->MusicFolderPathEdit->setText(Folder);
        GetInstance<TQelmSettings>()->SetCustomMusicFolderPath(Folder);
    }));
    FMusicFolderDialog = dialog;
    dialog->open();
}

void TSettingsForm::MusicFolderPathExpanderCheckChange()
{
    // The path stays: checking the box again brings the same folder back.
    GetInstance<TQelmSettings>()->SetCustomMusicFolderFlag(FUi->MusicFolderPathExpander->isChecked());
}

void TSettingsForm::AutoUpdateCheckBoxChange()
{
    GetInstance<TQelmSettings>()->SetAutoUpdateCheck(FUi->AutoUpdateCheckBox->isChecked());
}

void TSettingsForm::LanguageRadioButtonChange(QRadioButton *Sender)
{
    const int index = FLocalizationRadioButtons.indexOf(Sender);
    if (index < 0 || !Sender->isChecked())
        return;
    // Both windows re-word themselves through the language-changed message.
    LocalizationManager->SetActiveLocalizationIndex(index);
    if (FIsSaveCurrentLang)
        GetInstance<TQelmSettings>()->SetLang(LocalizationManager->GetActiveLocalizationISOCode());
}

void TSettingsForm::LanguageChangedMessage()
{
    Ui::TSettingsFormLayout &ui = *FUi;
    const QString caption = Text(QStringLiteral("SettingsForm_Title"))
                                .replace(QStringLiteral("%s"), Text(QStringLiteral("ProgramTitle")));
    setWindowTitle(caption);
    if (FWindowTitleCaptionText)
        FWindowTitleCaptionText->setText(caption);
    ui.CancelButton->setText(Text(QStringLiteral("CancelButton_Caption")));
    ui.SettingsListBox->item(0)->setText(Text(QStringLiteral("MC_LangOptionsListBoxItem")));
    ui.SettingsListBox->setFixedWidth(qMax(SettingsListBoxWidth,
        ui.SettingsListBox->fontMetrics().horizontalAdvance(ui.SettingsListBox->item(0)->text())
            + SettingsListBoxTextPadding));
    ui.LocalizationExpander->setTitle(Text(QStringLiteral("MOC_LocalizationExpander_Caption")));
    ui.MusicFolderPathExpander->setTitle(Text(QStringLiteral("MOC_MusicFolderPathExpanderCheckBox_Caption")));
    ui.AutoUpdateCheckBox->setText(Text(QStringLiteral("UC_AutoUpdateCheckBox_Caption")));
    ui.BrowseMusicFolderPathButton->setAccessibleName(Text(QStringLiteral("MOC_MusicFolderPathDialog_Title")));
    if (FMusicFolderDialog)
        FMusicFolderDialog->setWindowTitle(Text(QStringLiteral("MOC_MusicFolderPathDialog_Title")));
    ui.UpdateButton->setText(Text(QStringLiteral("UC_Update_Label_Caption")));
    // The widths the look was made for, unless the text needs more.
    const quint32 lcid = LocalizationManager->GetActiveLCID();
    if (lcid == RussianLCID || lcid == EnglishLCID) {
        const int width = lcid == RussianLCID ? UpdateButtonWidthRussian : UpdateButtonWidthEnglish;
        ui.UpdateButton->setFixedWidth(qMax(width, ui.UpdateButton->sizeHint().width()));
    }
}

bool TSettingsForm::event(QEvent *Event)
{
    if (Event->type() == WM_LOCALIZATIONCHANGED && FWindowTitleCaptionText)
        LanguageChangedMessage();
    return THandleCreateExceptionForm::event(Event);
}
