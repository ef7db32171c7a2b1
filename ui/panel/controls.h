#pragma once
// The window's controls as both front-ends name and bind them: control names,
// the handler each event runs, the menu texts, the colours. Plain C++: the
// Qt and the Win32 front-end read the same table.

#include "roompanel.h"
#include "station.h"
#include "stationtile.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace panel {

inline constexpr char16_t WindowName[] = u"Salle30";
inline constexpr char16_t WindowTitle[] = u"Salle Talvero 30";

// Where each station button's click is bound: button N runs its own handler,
// which shuts down the computer that the button's Tag names. The fifth
// button has always been "Pc3005"; its caption and Tag still say "PC3005".
struct ButtonBinding {
    int station;
    const char16_t *control;
    const char16_t *handler;
};
inline constexpr std::array<ButtonBinding, room::StationCount> ButtonBindings{{
    {1, u"PC3001", u"PC3001_Click"},
    {2, u"PC3002", u"PC3002_Click"},
    {3, u"PC3003", u"PC3003_Click"},
    {4, u"PC3004", u"PC3004_Click"},
    {5, u"Pc3005", u"Pc3005_Click"},
    {6, u"PC3006", u"PC3006_Click"},
    {7, u"PC3007", u"PC3007_Click"},
    {8, u"PC3008", u"PC3008_Click"},
    {9, u"PC3009", u"PC3009_Click"},
    {10, u"PC3010", u"PC3010_Click"},
    {11, u"PC3011", u"PC3011_Click"},
    {12, u"PC3012", u"PC3012_Click"},
}};

// Where each timer's tick is bound: Timer1 refreshes the room, timer K
// (2 .. 12) shuts down station K in a room shutdown.
struct TimerBinding {
    int timer;
    const char16_t *control;
    const char16_t *handler;
};
inline constexpr std::array<TimerBinding, room::StationCount> TimerBindings{{
    {1, u"Timer1", u"Timer1_Timer"},
    {2, u"Timer2", u"Timer2_Timer"},
    {3, u"Timer3", u"Timer3_Timer"},
    {4, u"Timer4", u"Timer4_Timer"},
    {5, u"Timer5", u"Timer5_Timer"},
    {6, u"Timer6", u"Timer6_Timer"},
    {7, u"Timer7", u"Timer7_Timer"},
    {8, u"Timer8", u"Timer8_Timer"},
    {9, u"Timer9", u"Timer9_Timer"},
    {10, u"Timer10", u"Timer10_Timer"},
    {11, u"Timer11", u"Timer11_Timer"},
    {12, u"Timer12", u"Timer12_Timer"},
}};

// The menus, in the menu bar's order; an "&" marks the access key.
enum class MenuCommand { Quitter, Refresh, Stopall };
struct MenuItemBinding {
    MenuCommand command;
    const char16_t *control;
    const char16_t *caption;
    const char16_t *handler;
};
inline constexpr char16_t FichierMenu[] = u"fichier";
inline constexpr char16_t FichierCaption[] = u"&Fichier";
inline constexpr char16_t ApplicationMenu[] = u"Application";
inline constexpr char16_t ApplicationCaption[] = u"&Application";
inline constexpr MenuItemBinding QuitterItem{MenuCommand::Quitter, u"Quitter", u"&Quitter", u"Quitter_Click"};
inline constexpr MenuItemBinding RefreshItem{MenuCommand::Refresh, u"refresh", u"&Rafraîchir", u"refresh_Click"};
// Between the two items of Application: a separator that cannot be chosen.
inline constexpr char16_t SeparatorItem[] = u"blanc01";
inline constexpr MenuItemBinding StopallItem{MenuCommand::Stopall, u"Stopall", u"&Eteindre tous les ordinateurs",
                                             u"Stopall_Click"};

// Object name of station N's shutdown button.
inline std::u16string stationButtonName(int index)
{
    return ButtonBindings.at(std::size_t(index - 1)).control;
}

inline std::u16string tileElementName(int index, room::TileElement element)
{
    const std::u16string number = room::decimalText(index);
    using room::TileElement;
    switch (element) {
    case TileElement::Image:
        return u"Image" + number;
    case TileElement::ImageBis:
        return u"Image" + number + u"bis";
    case TileElement::ImageTer:
        return u"Image" + number + u"ter";
    case TileElement::ImageQ:
        return u"Image" + number + u"q";
    case TileElement::Label:
        return u"Label" + number;
    case TileElement::LabelBis:
        return u"Label" + number + u"bis";
    case TileElement::LabelTer:
        return u"Label" + number + u"ter";
    }
    return {};
}

struct Rgb {
    std::uint8_t red, green, blue;
};
inline constexpr Rgb PlanBackground{255, 255, 192};
inline constexpr Rgb ButtonFace{192, 255, 192};
inline constexpr Rgb UserLabelBackground{255, 224, 192};
inline constexpr Rgb IdleTimeLabelBackground{192, 192, 255};

// The button caption: "Times New Roman" 11.25 pt, bold, italic; the idle
// time: "Times New Roman" 9 pt, bold. The other labels use the default font.
inline constexpr char16_t CaptionFontFamily[] = u"Times New Roman";
inline constexpr double ButtonFontPoints = 11.25;
inline constexpr double IdleTimeFontPoints = 9;

// The picture P1 stands at its natural size above the caption.
inline constexpr int ButtonPictureWidth = 50;
inline constexpr int ButtonPictureHeight = 57;

} // namespace panel
