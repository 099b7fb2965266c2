#pragma once

#include "foundation/BaseTypesUnit.h"

#include <QColor>
#include <QEvent>
#include <QObject>
#include <QPixmap>
#include <QString>

#include <functional>

class QWidget;

// The colours of the look, by role; the style sheet uses the same roles.
enum class TStyleColor {
    Background, // the window
    Surface, // lists and panels
    Raised, // buttons, edits, pop-ups
    Hover,
    Pressed,
    Separator, // hairlines
    Text,
    SecondaryText,
    DisabledText,
    Accent, // playing and active states
    AccentSoft, // toggled buttons, the active row
    Error,
};
QColor StyleColor(TStyleColor Role);

// The one font family of the look (installed by scripts/deps).
QString StyleFontFamily();

// A control's style lookup name is this dynamic property; the style sheet
// selects on it.
inline constexpr char StyleLookupProperty[] = "styleLookup";
// The text the program's tooltip shows for a control, as a dynamic property.
inline constexpr char HintProperty[] = "hint";

// An event whose sender is a control.
using TControlEvent = std::function<void(QObject *Sender)>;

// Puts the style sheet, the font and the palette into the application.
void InstallStyle();

QString GetStyleLookup(const QObject *Control);
// Stores the lookup name and applies the style at once.
void SetStyleLookup(QWidget *Control, const QString &Lookup);
// Builds the control's parts anew from the template of its lookup name (when
// it has one, and likewise for every part that has one), re-polishes it and
// runs its style-applied handlers; their errors reach the caller.
void ApplyStyle(QWidget *Control);
// Applies the style unless the control has its parts already; returns
// whether it did.
bool EnsureStyleApplied(QWidget *Control);
// Runs Handler after every application of Control's style, for as long as
// Receiver lives.
void OnStyleApplied(QWidget *Control, QObject *Receiver, std::function<void()> Handler);
bool HasStyleTemplate(const QString &Lookup);

// A bitmap of the style by its name, shared, sharp on high-density screens;
// raises "<Name> not found in style" when the style has none.
QPixmap StyleBitmap(const QString &Name);

// The part Name inside Inside, of class T; raises Name + MessageTail when
// there is none or it has another class.
template<class T> T *FindStylePart(const QObject *Inside, const QString &Name, const QString &MessageTail)
{
    T *part = Inside ? Inside->findChild<T *>(Name) : nullptr;
    if (!part)
        throw Exception(Name + MessageTail);
    return part;
}
