#include "ui/StyleResourceUnit.h"

#include "ui/StyledControlsUnit.h"

#include "foundation/THierarchicalSingletonUnit.h"

// The templates of the style, as uic makes them from the Designer files.
#include <ui_artistimagestyle.h>
#include <ui_controlPanelstyle.h>
#include <ui_coverimagePanelstyle.h>
#include <ui_expanderstyle.h>
#include <ui_loadingprogressbarstyle.h>
#include <ui_placeholderEditstyle.h>
#include <ui_playlistcontrolPanelstyle.h>
#include <ui_searchEditstyle.h>
#include <ui_settingsexpanderstyle.h>
#include <ui_tagButtonstyle.h>
#include <ui_titleLabelstyle.h>
#include <ui_tooltipstyle.h>
#include <ui_windowborderstyle.h>

#include <QApplication>
#include <QBoxLayout>
#include <QFile>
#include <QGraphicsOpacityEffect>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QPointer>
#include <QPropertyAnimation>
#include <QProxyStyle>
#include <QStyle>
#include <QSvgRenderer>

#include <map>

// Outside any namespace, as the resource macro requires.
static void InitStyleResources()
{
    Q_INIT_RESOURCE(style);
}

namespace {

void EnsureStyleResources()
{
    static const bool initialized = (InitStyleResources(), true);
    Q_UNUSED(initialized);
}

struct TColorRole
{
    TStyleColor Role;
    const char *Token;
    QRgb Value;
};

// Near-black ground, slightly lighter surfaces, light text, one calm accent;
// red only for errors.
constexpr TColorRole ColorRoles[] = {
    {TStyleColor::Background, "@background", 0xff121417},
    {TStyleColor::Surface, "@surface", 0xff16191d},
    {TStyleColor::Raised, "@raised", 0xff1f2328},
    {TStyleColor::Hover, "@hover", 0xff292e35},
    {TStyleColor::Pressed, "@pressed", 0xff191c20},
    {TStyleColor::Separator, "@separator", 0xff2b3037},
    {TStyleColor::Text, "@text", 0xffe6e8eb},
    {TStyleColor::SecondaryText, "@secondary", 0xff9aa1ab},
    {TStyleColor::DisabledText, "@disabled", 0xff5d636c},
    {TStyleColor::Accent, "@accent", 0xff4fb3a9},
    {TStyleColor::AccentSoft, "@accentsoft", 0xff1f3a38},
    {TStyleColor::Error, "@error", 0xffe5534b},
};

const char RootName[] = "styleroot";

} // namespace

// The style-applied handlers of one control, kept with it.
class TStyleAppliedHooks : public QObject
{
public:
    explicit TStyleAppliedHooks(QObject *Control) : QObject(Control) { setObjectName(QLatin1String(Name)); }

    static constexpr char Name[] = "styleappliedhooks";
    static TStyleAppliedHooks *Of(const QObject *Control)
    {
        return dynamic_cast<TStyleAppliedHooks *>(
            Control->findChild<QObject *>(QLatin1String(Name), Qt::FindDirectChildrenOnly));
    }

    void Add(QObject *Receiver, std::function<void()> Handler) { FHooks.push_back({Receiver, std::move(Handler)}); }

    void Run()
    {
        std::erase_if(FHooks, [](const THook &Hook) { return Hook.Receiver.isNull(); });
        // A handler may add handlers (wrappers of new parts).
        const auto hooks = FHooks;
        for (const auto &hook : hooks)
            if (hook.Receiver)
                hook.Handler();
    }

private:
    struct THook
    {
        QPointer<QObject> Receiver;
        std::function<void()> Handler;
    };
    std::vector<THook> FHooks;
};

namespace {

template<class TTemplate> void Build(QWidget *Root)
{
    TTemplate form;
    form.setupUi(Root);
}

// A part the builders below add to; a template without it fails as any
// missing part does.
template<class T> T *TemplatePart(QWidget *Root, const char *Name, const char *Lookup)
{
    return FindStylePart<T>(Root, QLatin1String(Name), QStringLiteral(" not found in ") + QLatin1String(Lookup));
}

// Animation parts cannot be written in a template; they are added here.
void BuildLoadingProgressBar(QWidget *Root)
{
    Build<Ui::LoadingProgressBarTemplate>(Root);
    auto *stripe = TemplatePart<QWidget>(Root, "overlayimage", "loadingprogressbarstyle");
    auto *animation = new QPropertyAnimation(stripe, "pos", stripe);
    animation->setObjectName(QStringLiteral("animation"));
    animation->setDuration(900);
    animation->setLoopCount(-1);
    animation->setStartValue(QPoint(0, 0));
    animation->setEndValue(QPoint(0, 0));
    // The stripe runs across its indicator; the indicator's width is known
    // only when the animation starts.
    QObject::connect(animation, &QAbstractAnimation::stateChanged, stripe,
        [animation, stripe](QAbstractAnimation::State New, QAbstractAnimation::State) {
            if (New != QAbstractAnimation::Running)
                return;
            const int width = stripe->parentWidget()->width();
            stripe->resize(qMax(24, width / 5), stripe->parentWidget()->height());
            animation->setStartValue(QPoint(-stripe->width(), 0));
            animation->setEndValue(QPoint(width, 0));
        });
}

void BuildArtistImage(QWidget *Root)
{
    Build<Ui::ArtistImageTemplate>(Root);
    auto *container = TemplatePart<QLabel>(Root, "artistimagecontainer", "artistimagestyle");
    auto *fade = new TBitmapAnimation(container);
    fade->setObjectName(QStringLiteral("artistimageanimation"));
    fade->setDuration(400);
    auto *shadow = TemplatePart<QWidget>(Root, "shadowsubimage", "artistimagestyle");
    auto *effect = new QGraphicsOpacityEffect(shadow);
    effect->setOpacity(1);
    shadow->setGraphicsEffect(effect);
    auto *shadowFade = new QPropertyAnimation(effect, "opacity", shadow);
    shadowFade->setObjectName(QStringLiteral("shadowopacityanimation"));
    shadowFade->setDuration(400);
    shadowFade->setStartValue(0.0);
    shadowFade->setEndValue(1.0);
}

void BuildPlaceholderEdit(QWidget *Root)
{
    Build<Ui::PlaceholderEditTemplate>(Root);
    auto *placeholder = TemplatePart<QLabel>(Root, "placeholder", "placeholderEditstyle");
    auto *effect = new QGraphicsOpacityEffect(placeholder);
    placeholder->setGraphicsEffect(effect);
    // A short blink of the placeholder: "fill this in".
    auto *warning = new QPropertyAnimation(effect, "opacity", Root);
    warning->setObjectName(QStringLiteral("WarningAnimation"));
    warning->setDuration(600);
    warning->setKeyValues({{0.0, 1.0}, {0.25, 0.2}, {0.5, 1.0}, {0.75, 0.2}, {1.0, 1.0}});
}

using TTemplateBuilder = void (*)(QWidget *Root);

const std::map<QString, TTemplateBuilder> &Templates()
{
    static const std::map<QString, TTemplateBuilder> templates = {
        {QStringLiteral("controlPanelstyle"), &Build<Ui::PlayerControlsPanelTemplate>},
        {QStringLiteral("titleLabelstyle"), &Build<Ui::TitleLabelTemplate>},
        {QStringLiteral("loadingprogressbarstyle"), &BuildLoadingProgressBar},
        {QStringLiteral("playlistcontrolPanelstyle"), &Build<Ui::PlaylistControlsPanelTemplate>},
        {QStringLiteral("expanderstyle"), &Build<Ui::ExpanderTemplate>},
        {QStringLiteral("settingsexpanderstyle"), &Build<Ui::SettingsExpanderTemplate>},
        {QStringLiteral("tooltipstyle"), &Build<Ui::TooltipTemplate>},
        {QStringLiteral("artistimagestyle"), &BuildArtistImage},
        {QStringLiteral("searchEditstyle"), &Build<Ui::SearchEditTemplate>},
        {QStringLiteral("placeholderEditstyle"), &BuildPlaceholderEdit},
        {QStringLiteral("windowborderstyle"), &Build<Ui::WindowBorderTemplate>},
        {QStringLiteral("coverimagePanelstyle"), &Build<Ui::CoverImagePanelTemplate>},
        {QStringLiteral("taggenreButtonstyle"), &Build<Ui::TagButtonTemplate>},
        {QStringLiteral("tagartistButtonstyle"), &Build<Ui::TagButtonTemplate>},
        {QStringLiteral("tagalbumButtonstyle"), &Build<Ui::TagButtonTemplate>},
    };
    return templates;
}

// Parts over an edit or a bar must not take its clicks.
bool PartsPassMouse(const QString &Lookup)
{
    return Lookup == u"searchEditstyle" || Lookup == u"placeholderEditstyle" || Lookup == u"tooltipstyle";
}

// Fusion under our sheet; disabled icons fade instead of turning grey, which
// on a dark ground would look enabled.
class TMarvaneStyle : public QProxyStyle
{
public:
    TMarvaneStyle() : QProxyStyle(QStringLiteral("Fusion")) { }

    QPixmap generatedIconPixmap(QIcon::Mode Mode, const QPixmap &Pixmap, const QStyleOption *Option) const override
    {
        if (Mode != QIcon::Disabled)
            return QProxyStyle::generatedIconPixmap(Mode, Pixmap, Option);
        QPixmap faded(Pixmap.size());
        faded.setDevicePixelRatio(Pixmap.devicePixelRatio());
        faded.fill(Qt::transparent);
        QPainter painter(&faded);
        painter.setOpacity(0.3);
        painter.drawPixmap(0, 0, Pixmap);
        return faded;
    }
};

void Repolish(QWidget *Control)
{
    Control->style()->unpolish(Control);
    Control->style()->polish(Control);
    Control->update();
}

} // namespace

QColor StyleColor(TStyleColor Role)
{
    for (const auto &role : ColorRoles)
        if (role.Role == Role)
            return QColor::fromRgba(role.Value);
    return {};
}

QString StyleFontFamily()
{
    return QStringLiteral("DejaVu Sans");
}

void InstallStyle()
{
    EnsureStyleResources();
    QFile file(QStringLiteral(":/style/marvane.qss"));
    if (!file.open(QIODevice::ReadOnly))
        throw Exception(QStringLiteral("marvane.qss not found in style"));
    QString sheet = QString::fromUtf8(file.readAll());
    // Longer tokens first, so "@accentsoft" is not taken for "@accent".
    std::vector<const TColorRole *> roles;
    for (const auto &role : ColorRoles)
        roles.push_back(&role);
    std::sort(roles.begin(), roles.end(),
        [](const TColorRole *A, const TColorRole *B) { return qstrlen(A->Token) > qstrlen(B->Token); });
    for (const auto *role : roles)
        sheet.replace(QLatin1String(role->Token), QColor::fromRgba(role->Value).name(QColor::HexRgb));

    QFont font(StyleFontFamily());
    font.setPixelSize(12);
    QApplication::setFont(font);
    QPalette palette;
    palette.setColor(QPalette::Window, StyleColor(TStyleColor::Background));
    palette.setColor(QPalette::Base, StyleColor(TStyleColor::Raised));
    palette.setColor(QPalette::Button, StyleColor(TStyleColor::Raised));
    palette.setColor(QPalette::WindowText, StyleColor(TStyleColor::Text));
    palette.setColor(QPalette::Text, StyleColor(TStyleColor::Text));
    palette.setColor(QPalette::ButtonText, StyleColor(TStyleColor::Text));
    palette.setColor(QPalette::PlaceholderText, StyleColor(TStyleColor::SecondaryText));
    palette.setColor(QPalette::Highlight, StyleColor(TStyleColor::Accent));
    palette.setColor(QPalette::HighlightedText, StyleColor(TStyleColor::Background));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, StyleColor(TStyleColor::DisabledText));
    palette.setColor(QPalette::Disabled, QPalette::Text, StyleColor(TStyleColor::DisabledText));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, StyleColor(TStyleColor::DisabledText));
    QApplication::setPalette(palette);
    QApplication::setStyle(new TMarvaneStyle());
    qApp->setStyleSheet(sheet);
}

QString GetStyleLookup(const QObject *Control)
{
    return Control ? Control->property(StyleLookupProperty).toString() : QString();
}

void SetStyleLookup(QWidget *Control, const QString &Lookup)
{
    Control->setProperty(StyleLookupProperty, Lookup);
    ApplyStyle(Control);
}

bool HasStyleTemplate(const QString &Lookup)
{
    return Templates().count(Lookup) != 0;
}

void ApplyStyle(QWidget *Control)
{
    const QString lookup = GetStyleLookup(Control);
    const auto found = Templates().find(lookup);
    // The parts go first in the control's own box layout; any other layout
    // is the caller's, and is left as it is with the parts it holds.
    auto *layout = qobject_cast<QBoxLayout *>(Control->layout());
    if (found != Templates().end() && !layout && Control->layout())
        throw Exception(lookup + QStringLiteral(" needs a box layout"));
    auto *old = Control->findChild<QWidget *>(QLatin1String(RootName), Qt::FindDirectChildrenOnly);
    if (old) {
        // Out of the tree at once, so no lookup finds the old parts; freed
        // later, as a click on one of them may be what re-applies the style.
        old->hide();
        old->setParent(nullptr);
        old->deleteLater();
    }
    if (found != Templates().end()) {
        if (!layout) {
            layout = new QVBoxLayout(Control);
            layout->setContentsMargins(0, 0, 0, 0);
            layout->setSpacing(0);
        }
        auto *root = new QWidget(Control);
        root->setObjectName(QLatin1String(RootName));
        found->second(root);
        layout->insertWidget(0, root);
        const bool passMouse = PartsPassMouse(lookup);
        root->setAttribute(Qt::WA_TransparentForMouseEvents, passMouse);
        const auto parts = root->findChildren<QWidget *>();
        for (auto *part : parts) {
            part->setAttribute(Qt::WA_StyledBackground);
            if (passMouse)
                part->setAttribute(Qt::WA_TransparentForMouseEvents);
        }
        for (auto *part : parts)
            if (HasStyleTemplate(GetStyleLookup(part)))
                ApplyStyle(part);
        if (Control->isVisible())
            root->show();
    }
    Repolish(Control);
    if (auto *hooks = TStyleAppliedHooks::Of(Control))
        hooks->Run();
}

bool EnsureStyleApplied(QWidget *Control)
{
    if (!HasStyleTemplate(GetStyleLookup(Control))
        || Control->findChild<QWidget *>(QLatin1String(RootName), Qt::FindDirectChildrenOnly))
        return false;
    ApplyStyle(Control);
    return true;
}

void OnStyleApplied(QWidget *Control, QObject *Receiver, std::function<void()> Handler)
{
    auto *hooks = TStyleAppliedHooks::Of(Control);
    if (!hooks)
        hooks = new TStyleAppliedHooks(Control);
    hooks->Add(Receiver, std::move(Handler));
}

// The style's bitmaps, made once and shared; freed with the other singletons,
// while the application still exists.
class TStyleBitmaps : public THierarchicalSingleton
{
public:
    QHash<QString, QPixmap> Bitmaps;

protected:
    template<class C> friend C *GetInstance();
    TStyleBitmaps() = default;
};

QPixmap StyleBitmap(const QString &Name)
{
    EnsureStyleResources();
    auto &bitmaps = GetInstance<TStyleBitmaps>()->Bitmaps;
    if (const auto found = bitmaps.constFind(Name); found != bitmaps.cend())
        return *found;
    const QString path = QStringLiteral(":/style/bitmaps/") + Name + QStringLiteral(".svg");
    if (Name.isEmpty() || !QFile::exists(path))
        throw Exception(Name + QStringLiteral(" not found in style"));
    QSvgRenderer renderer(path);
    // Drawn at twice the size, so it stays sharp on high-density screens.
    constexpr qreal Scale = 2;
    QImage image(renderer.defaultSize() * Scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    QPixmap bitmap = QPixmap::fromImage(image);
    bitmap.setDevicePixelRatio(Scale);
    bitmaps.insert(Name, bitmap);
    return bitmap;
}
