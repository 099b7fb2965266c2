#include "localization/TQelmLocalizationUnit.h"

#include "settings/TQelmSettingsUnit.h"

#include <QCoreApplication>
#include <QPointer>
#include <QWidget>

// Outside any namespace, as the resource macro requires.
static void InitLocalizationResources()
{
    Q_INIT_RESOURCE(localization);
}

namespace {

constexpr quint32 EnglishLCID = 1033;
// The program's files are Windows-1251 (the English one is plain ASCII).
const QByteArray LocalizationEncoding = QByteArrayLiteral("windows-1251");

// The built-in texts, in file order.
const std::pair<const char16_t *, const char16_t *> BuiltInTexts[] = {
    {u"ProgramTitle", u"Кирвасол"},
    {u"EM_IncorrectPassword", u"Некорректный пароль, попробуйте ещё раз"},
    {u"EM_CustomError", u"Ошибка, попробуйте позднее"},
    {u"EM_UnknownError", u"Неизвестная ошибка"},
    {u"EM_IncorrectAuthCode", u"Некорректный код подверждения"},
    {u"EM_UsedPhone", u"Введенный телефон уже использован"},
    {u"EM_IncorrectPhone", u"Некорректный номер"},
    {u"EM_PasswordTooShort", u"Пароль не может быть короче %d символов"},
    {u"EM_InvalidPasswordConfirmation", u"Введенные пароли не совпадают"},
    {u"EM_IncorrectAuthData", u"Некорректные данные"},
    {u"EM_InputSearchQuery", u"Введите поисковый запрос"},
    {u"EM_RequestFailed", u"Не удалось выполнить запрос"},
    {u"EM_LastFMEmptyArtistSearchResult", u"По запросу \"%s\" ничего не найдено"},
    {u"EM_LastFMEmptyAlbumsSearchResult", u"По запросу \"%s\" ничего не найдено"},
    {u"EM_ImageLoadingFailed", u"Ошибка загрузки изображения"},
    {u"EM_ImageNotFound", u"Изображение не найдено"},
    {u"EM_NoArtistsFound", u"Исполнители не найдены"},
    {u"EM_NoAlbumsFound", u"Альбомы не найдены"},
    {u"EM_NoTracksFound", u"Треки не найдены"},
    {u"EM_NoArtistFound", u"Исполнитель не найден"},
    {u"EM_NoAlbumFound", u"Альбом не найден"},
    {u"EM_NoRelatedAlbumsFound", u"Похожие альбомы не найдены"},
    {u"EM_TrackNotFoundVK", u"Композиция отсутствует в базе VK"},
    {u"EM_TrackSearchError", u"При поиске композиции произошла ошибка"},
    {u"EM_CorruptedSavedTracksDB", u"Файл базы сохраненных станций повреждён"},
    {u"EM_SavedTracksDBNotOpened", u"Не удалось открыть файл базы сохраненных треков: %s"},
    {u"EM_NoLogicalDrive",
        u"Ошибка при попытке сохранить трек в папку на несуществующем диске %s. Пожалуйста, настройке папку для "
        u"сохранения музыки в настройках."},
    {u"CancelButton_Caption", u"Отмена"},
    {u"LoggedAs_String", u"Вы вошли как:"},
    {u"MF_SavedTracksRestored_Note",
        u"Файл сохранённых треков был повреждён и восстановлен из резервной копии: треки, скачанные после неё, больше "
        u"не показаны."},
    {u"MF_DownloadFailed_Note", u"Не удалось скачать %s."},
    {u"MF_DeleteFailed_Note", u"Не удалось удалить трек: %s"},
    {u"MF_DeletePermanently_Confirm", u"Файл «%s» нельзя переместить в корзину. Удалить его навсегда?"},
    {u"MF_DeleteFromMyMusic_Confirm", u"Удалить «%s» из Моих аудиозаписей?"},
    {u"MF_DeleteButton_Caption", u"Удалить"},
    {u"MF_SettingsButton_Caption", u"Настройки"},
    {u"MF_LogoutButton_Caption", u"Выйти"},
    {u"WN_CloseButton_Caption", u"Закрыть"},
    {u"PC_PlayButton_Caption", u"Воспроизвести"},
    {u"PC_PauseButton_Caption", u"Пауза"},
    {u"PC_PrevButton_Caption", u"Предыдущий трек"},
    {u"PC_NextButton_Caption", u"Следующий трек"},
    {u"PC_MuteButton_Caption", u"Выключить звук"},
    {u"PC_VolumeTrackBar_Caption", u"Громкость"},
    {u"PC_PlaybackTrackBar_Caption", u"Позиция воспроизведения"},
    {u"SearchEdit_Placeholder", u"Введите название"},
    {u"MMI_Options_Caption", u"Настройки..."},
    {u"MMI_MusicFolder", u"Открыть папку с музыкой"},
    {u"MMI_Quit", u"Завершить %s"},
    {u"ALCI_DownloadButton_Hint", u"Скачать трек"},
    {u"ALCI_ExploreButton_Hint_Windows", u"Показать в проводнике"},
    {u"ALCI_ExploreButton_Hint_MacOS", u"Открыть в Finder"},
    {u"ALCI_DeleteButton_Hint", u"Удалить скачанный трек"},
    {u"ALCI_AddToMyMusicButton_Hint", u"Добавить в Мои аудиозаписи"},
    {u"ALCI_DeleteFromMyMusicButton_Hint", u"Удалить из Моих аудиозаписей"},
    {u"ALCI_AddedToMyMusicButton_Hint", u"Трек добавлен в Мои аудиозаписи"},
    {u"ALCI_LoadingIndicator_LoadedState_Hint", u"Трек скачан"},
    {u"ALCI_PlayButton_Hint", u"Воспроизвести"},
    {u"ALCI_PauseButton_Hint", u"Пауза"},
    {u"ALCI_ConnectingState_Text", u"соединение..."},
    {u"ALCI_PlayingState_Text", u"воспроизводится"},
    {u"ALCI_PausedState_Text", u"на паузе"},
    {u"ALCI_DownloadingState_Text", u"скачивается"},
    {u"ALCI_DownloadedState_Text", u"скачан"},
    {u"ALCI_SearchingState_Text", u"идёт поиск"},
    {u"SaveTrackButton_SaveTrack_Hint", u"Скачать текущий трек"},
    {u"SaveTrackButton_SavedTrack_Hint", u"Текущий трек уже скачан"},
    {u"AddToMyMusicButton_AddTrack_Hint", u"Добавить текущий трек в Мои аудиозаписи"},
    {u"AddToMyMusicButton_AddedTrack_Hint", u"Текущий трек уже добавлен в Мои аудиозаписи"},
    {u"SaveTrackButton_Caption", u"Скачать"},
    {u"PC_CurrentPlaylistButton_Caption", u"Текущий плейлист"},
    {u"PC_RepeatButton_Caption", u"Повторять текущий трек"},
    {u"PC_ShuffleButton_Caption", u"Случайный порядок воспроизведения"},
    {u"MTCB_MyMusicTabButton_Caption", u"Мои аудиозаписи"},
    {u"MTCB_SearchTabButton_Caption", u"Поиск"},
    {u"MTCB_LocalTabButton_Caption", u"Загрузки"},
    {u"SMTB_SearchTrackButton_Caption", u"Поиск треков"},
    {u"SMTB_SearchArtistButton_Caption", u"Поиск исполнителей"},
    {u"SMTB_SearchAlbumButton_Caption", u"Поиск альбомов"},
    {u"CMVC_DescriptionText_Text", u"VK запрашивает код с изображения"},
    {u"CMVC_EnterButton_Caption", u"Ввод"},
    {u"CMVC_CaptchaEdit_Placeholder", u"Код с изображения"},
    {u"ASTB_AuthorizationTabButton_Caption", u"Вход"},
    {u"ASTB_SignupTabButton_Caption", u"Регистрация"},
    {u"APC_DescriptionText_Text",
        u"Введите логин и пароль от социальной сети ВКонтакте. Ваши личные данные не сохраняются и не используются."},
    {u"APC_Button_Caption", u"Войти"},
    {u"APC_LoginEdit_Placeholder", u"E-mail или номер телефона"},
    {u"APC_PasswordEdit_Placeholder", u"Пароль"},
    {u"SPC_DescriptionText_Text", u"Регистрация проходит через официальный сервер VK (vk.com)"},
    {u"SPC_SexMaleRadioButton_Caption", u"М"},
    {u"SPC_SexFemaleRadioButton_Caption", u"Ж"},
    {u"SPC_Button_Caption", u"Зарегистрироваться"},
    {u"SPC_FirstNameEdit_Placeholder", u"Имя"},
    {u"SPC_LastNameEdit_Placeholder", u"Фамилия"},
    {u"SPC_PhoneEdit_Placeholder", u"Телефон"},
    {u"SPC_PasswordEdit_Placeholder", u"Пароль"},
    {u"SPC_PasswordConfirmation_Placeholder", u"Подтверждение пароля"},
    {u"CPC_ConfirmDescriptionText_Text", u"Ожидайте SMS с кодом на введенный вами номер телефона"},
    {u"CPC_ConfirmButton_Caption", u"Подтвердить"},
    {u"CPC_RepeatCodeDescriptionText_Text", u"Если вы не получили код подтверждения, его можно запросить ещё раз"},
    {u"CPC_RepeatCodeButton_Caption", u"Запросить"},
    {u"CPC_RepeatCodeTypeSMSRadioButton_Caption", u"SMS"},
    {u"CPC_RepeatCodeTypeCallRadioButton_Caption", u"Звонок"},
    {u"CPC_NewSignupLabel_Caption", u"Новая регистрация"},
    {u"CPC_AuthCodeEdit_Placeholder", u"Код подтверждения"},
    {u"MDV_ArtistSimilarArtistsExpander_Caption", u"Похожие исполнители"},
    {u"MDV_ArtistTopAlbumsExpander_Caption", u"TOP 5 Альбомов"},
    {u"MDV_ArtistTopTracksExpander_Caption", u"TOP 5 Композиций"},
    {u"MDV_AlbumTracksExpander", u"Список композиций"},
    {u"NTH_BackToSearch", u"Назад к результатам поиска"},
    {u"NTH_GoToArtist", u"Назад к странице исполнителя"},
    {u"NTH_CloseAlbumGoToArtist", u"Закрыть альбом и перейти к странице исполнителя"},
    {u"SettingsForm_Title", u"Настройки %s"},
    {u"MC_UpdateOptionsListBoxItem", u"Обновление"},
    {u"MC_LangOptionsListBoxItem", u"Язык интерфейса"},
    {u"MOC_LocalizationExpander_Caption", u"Язык интерфейса"},
    {u"MOC_MusicFolderPathExpanderCheckBox_Caption", u"Изменить папку для скачивания музыки"},
    {u"MOC_MusicFolderPathDialog_Title", u"Выберите папку для скачивания музыки"},
    {u"UC_AutoUpdateCheckBox_Caption", u"Автоматически проверять обновления"},
    {u"UC_Update_Label_Caption", u"Проверить обновления"},
    {u"UC_AutoUpdateIntervalLabel_Caption", u"Период автообновления:"},
    {u"UC_AutoUpdateIntervalDailyListBoxItem_Caption", u"Раз в день"},
    {u"UC_AutoUpdateIntervalWeeklyListBoxItem_Caption", u"Раз в неделю"},
    {u"UC_AutoUpdateIntervalMonthlyListBoxItem_Caption", u"Раз в месяц"},
    {u"UC_AutoUpdateIntervalNeverListBoxItem_Caption", u"Никогда"},
    {u"Update_UpdateChecking_Text", u"Идёт проверка обновлений"},
    {u"Update_NewVersionDetected", u"Обнаружена новая версия"},
    {u"Update_NewFeatures_Text", u"Что нового"},
    {u"Update_DownloadConfirmation_Text", u"Нажмите OK, чтобы начать загрузку"},
    {u"Update_NoUpdates_Text", u"Обновлений не найдено"},
    {u"Update_UpdateError_Text", u"При загрузке произошла ошибка, попробуйте позднее"},
    {u"Update_UpdateSuccess_Text",
        u"Загрузка завершена, нажмите OK, чтобы закрыть программу и запустить установку новой версии"},
    {u"Update_UpdateProgress_Text", u"загрузка"},
    {u"Update_Dialog_Heading", u"Обнаружена новая версия программы"},
    {u"Update_Dialog_Version", u"Версия  %s"},
    {u"Update_Dialog_SkipVersion", u"пропустить эту версию"},
    {u"Update_Dialog_DownloadPageButton", u"Перейти на страницу загрузки"},
    {u"Update_Dialog_CloseButton", u"Закрыть"},
    {u"Update_NoNewVersions_Text", u"Новых версий программы не обнаружено!"},
    {u"Update_CheckFailed_Text", u"Не удалось проверить обновление программы"},
    {u"Update_CheckFailed_Hint", u"Проверьте подключение к сети"},
    {u"APC_RetryButton_Caption", u"Повторить"},
    {u"APC_SessionCheckFailed_Text",
        u"Не удалось связаться с VK, чтобы проверить вход. Проверьте подключение и повторите попытку."},
    {u"APC_SignedUp_Note", u"Аккаунт создан. Войдите, указав номер телефона и пароль."},
    {u"AVP_DescriptionText_Text", u"Введите код из сообщения VK или из приложения для генерации кодов."},
    {u"SPC_FieldStatusOK_Text", u"Подходит"},
    {u"MF_LogoutNotStored_Note",
        u"Не удалось удалить сеанс с диска (%s): при следующем запуске вход может выполниться снова."},
    {u"MDV_Loading_Text", u"загрузка"},
};

} // namespace

TQelmLocalizationManager *LocalizationManager = nullptr;

TQelmLocalization::TQelmLocalization(
    quint32 ALocaleID, QString ADisplayedNameA, QString AISOCode, const TLocalizationStringArray &AStrings) :
      TLocalization(ALocaleID, std::move(ADisplayedNameA), AStrings),
      FISOCode(std::move(AISOCode))
{
}

QString TQelmFileParser::ValueOfName(const QString &Name, const QString &MissingMessage) const
{
    for (const QString &line : FileStrings) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq > 0 && line.left(eq).compare(Name, Qt::CaseInsensitive) == 0)
            return line.mid(eq + 1);
    }
    throw Exception(MissingMessage);
}

quint32 TQelmFileParser::GetLCID()
{
    const QString text = ValueOfName(QStringLiteral("LCID"), QStringLiteral("No LCID found in file"));
    bool ok = false;
    const quint32 lcid = text.toUInt(&ok, 10);
    if (!ok)
        throw Exception(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return lcid;
}

QString TQelmFileParser::GetDisplayedName()
{
    return ValueOfName(QStringLiteral("DisplayedName"), QStringLiteral("No displayed name found in file"));
}

QString TQelmFileParser::GetISOCode()
{
    return ValueOfName(QStringLiteral("ISOCode"), QStringLiteral("No ISO code found in file"));
}

TLocalizationStringArray TQelmFileParser::GetStrings()
{
    qsizetype header = -1;
    for (qsizetype i = 0; i < FileStrings.size() && header < 0; ++i)
        if (FileStrings[i].compare(QLatin1String("[Data]"), Qt::CaseInsensitive) == 0)
            header = i;
    if (header < 0)
        throw Exception(QStringLiteral("No data header found in file"));
    TLocalizationStringArray strings;
    for (qsizetype i = header + 1; i < FileStrings.size(); ++i) {
        const QString &line = FileStrings[i];
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        // A line without "=" has no key either.
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0)
            throw Exception(QStringLiteral("Empty param name"));
        strings.push_back({line.left(eq), line.mid(eq + 1)});
    }
    return strings;
}

std::unique_ptr<TLocalization> TQelmFileParser::CreateLocalization()
{
    QString displayedName = GetDisplayedName();
    QString isoCode = GetISOCode();
    const TLocalizationStringArray strings = GetStrings();
    return std::make_unique<TQelmLocalization>(GetLCID(), std::move(displayedName), std::move(isoCode), strings);
}

TQelmLocalizationManager::TQelmLocalizationManager()
{
    InitializeDefaultValues();
    InitLocalizationResources();
    TQelmResourcesLocalizationLoader loader(
        QStringLiteral("LOCALIZATION"),
        [](QIODevice &Stream, const QByteArray &Encoding) {
            return std::make_unique<TQelmFileParser>(Stream, Encoding);
        },
        LocalizationEncoding);
    Load(loader);
}

TQelmLocalizationManager::TQelmLocalizationManager(ILocalizationLoader &Loader)
{
    InitializeDefaultValues();
    Load(Loader);
}

void TQelmLocalizationManager::Load(ILocalizationLoader &Loader)
{
    const int count = Loader.GetCount();
    for (int i = 0; i < count; ++i) {
        std::unique_ptr<TLocalization> localization;
        try {
            localization = Loader.GetLocalization(i);
        } catch (const std::exception &) {
            continue; // a malformed file is skipped without a word
        }
        const bool complete = std::all_of(DefaultValues.keyBegin(), DefaultValues.keyEnd(),
            [&](const QString &Key) { return localization->ContainsKey(Key); });
        if (complete)
            FLocalizations.push_back(std::move(localization));
    }
}

void TQelmLocalizationManager::InitializeDefaultValues()
{
    for (const auto &[key, text] : BuiltInTexts)
        DefaultValues.insert(QString::fromUtf16(key), QString::fromUtf16(text));
}

QString TQelmLocalizationManager::GetActiveLocalizationISOCode() const
{
    return ActiveLocalizationIndex() < 0 ? QStringLiteral("ru") : getLocalization(ActiveLocalizationIndex())->ISOCode();
}

TQelmLocalization *TQelmLocalizationManager::getLocalization(int Index) const
{
    // Only TQelmLocalization objects are ever loaded here.
    return static_cast<TQelmLocalization *>(TCustomLocalizationManager::getLocalization(Index));
}

void TQelmLocalizationManager::SelectStartupLocalization(const QString &Lang)
{
    for (int i = 0; i < GetCount() && ActiveLocalizationIndex() == -2; ++i)
        if (getLocalization(i)->ISOCode() == Lang)
            SetActiveLocalizationIndex(i);
    if (ActiveLocalizationIndex() == -2)
        SetActiveLCID(EnglishLCID);
}

namespace {

// The application's window list: the top-level widgets in the order they were
// created or became windows. Qt keeps its own in a set, in no stable order.
class TWindowList : public QObject
{
public:
    explicit TWindowList(QObject *Application) : QObject(Application)
    {
        GInstance = this;
        Application->installEventFilter(this);
    }
    ~TWindowList() override { GInstance = nullptr; }

    static const TWindowList *Instance() { return GInstance; }
    QList<QPointer<QWidget>> Windows() const { return {FWindows.begin(), FWindows.end()}; }

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override
    {
        const QEvent::Type type = Event->type();
        if (!Watched->isWidgetType()
            || (type != QEvent::Create && type != QEvent::ParentChange && type != QEvent::Destroy))
            return false;
        auto *widget = static_cast<QWidget *>(Watched);
        const bool window = type != QEvent::Destroy && widget->isWindow();
        if (window != FWindows.contains(widget)) {
            if (window)
                FWindows.append(widget);
            else
                FWindows.removeOne(widget);
        }
        return false;
    }

private:
    QList<QWidget *> FWindows;
    static inline TWindowList *GInstance = nullptr;
};

// Runs as the application object is made, before any widget exists.
void InstallWindowList()
{
    new TWindowList(QCoreApplication::instance());
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(InstallWindowList)

void SendLocalizationChangedMessage(QObject *Target)
{
    QEvent message(WM_LOCALIZATIONCHANGED);
    QCoreApplication::sendEvent(Target, &message);
    // A handler may create or delete children: walk a guarded snapshot.
    QList<QPointer<QObject>> children;
    for (QObject *child : Target->children())
        children << child;
    for (const QPointer<QObject> &child : children)
        if (child)
            SendLocalizationChangedMessage(child);
}

void TQelmLocalizationManager::DoActiveLocalizationChanged()
{
    const TWindowList *windowList = TWindowList::Instance();
    if (!windowList)
        return; // no application object, so no windows either
    // A handler may create or delete windows: walk a guarded snapshot.
    const QList<QPointer<QWidget>> windows = windowList->Windows();
    for (const QPointer<QWidget> &window : windows)
        if (window && window->isWindow())
            SendLocalizationChangedMessage(window);
}

void InitializeLocalizationManager()
{
    LocalizationManager = new TQelmLocalizationManager();
    QString lang;
    try {
        lang = GetInstance<TQelmSettings>()->Lang();
    } catch (const Exception &) {
        // A "Lang" value of another data kind must not keep the program from
        // starting: it gets the fallback language.
    }
    LocalizationManager->SelectStartupLocalization(lang);
}

void FinalizeLocalizationManager()
{
    delete LocalizationManager;
    LocalizationManager = nullptr;
}
