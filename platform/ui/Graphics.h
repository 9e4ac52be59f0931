#pragma once
// Colours and fonts.
//
// TColor is the framework's colour number: 0x00BBGGRR for a plain colour, or a
// system colour: clSystemColor (0x80000000, so negative as a signed number)
// plus the index of the system colour (COLOR_BTNFACE = 15, ...), resolved
// through the application palette. clNone and clDefault are special numbers.
#include <QColor>
#include <QFont>
#include <QString>

#include "platform/core/Classes.h"
#include "platform/core/Sets.h"

using TColor = int;

constexpr TColor clSystemColor = TColor(0x80000000);
constexpr TColor clScrollBar = clSystemColor | 0, clBackground = clSystemColor | 1,
                 clActiveCaption = clSystemColor | 2, clInactiveCaption = clSystemColor | 3,
                 clMenu = clSystemColor | 4, clWindow = clSystemColor | 5, clWindowFrame = clSystemColor | 6,
                 clMenuText = clSystemColor | 7, clWindowText = clSystemColor | 8,
                 clCaptionText = clSystemColor | 9, clActiveBorder = clSystemColor | 10,
                 clInactiveBorder = clSystemColor | 11, clAppWorkSpace = clSystemColor | 12,
                 clHighlight = clSystemColor | 13, clHighlightText = clSystemColor | 14,
                 clBtnFace = clSystemColor | 15, clBtnShadow = clSystemColor | 16, clGrayText = clSystemColor | 17,
                 clBtnText = clSystemColor | 18, clInactiveCaptionText = clSystemColor | 19,
                 clBtnHighlight = clSystemColor | 20, cl3DDkShadow = clSystemColor | 21,
                 cl3DLight = clSystemColor | 22, clInfoText = clSystemColor | 23, clInfoBk = clSystemColor | 24,
                 clHotLight = clSystemColor | 26;

constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
                 clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
                 clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
                 clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clLtGray = 0xC0C0C0,
                 clDkGray = 0x808080, clWhite = 0xFFFFFF, clNone = 0x1FFFFFFF, clDefault = 0x20000000;

inline constexpr TColor RGB(int r, int g, int b) { return TColor((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16)); }
inline constexpr int GetRValue(TColor c) { return c & 0xFF; }
inline constexpr int GetGValue(TColor c) { return (c >> 8) & 0xFF; }
inline constexpr int GetBValue(TColor c) { return (c >> 16) & 0xFF; }

// A plain 0x00BBGGRR number: system colours resolved through the palette.
TColor ColorToRGB(TColor c);
QColor ColorToQColor(TColor c);
TColor QColorToColor(const QColor& c);

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
enum TFontPitch { fpDefault, fpVariable, fpFixed };
using TFontCharset = int;
constexpr TFontCharset ANSI_CHARSET = 0, DEFAULT_CHARSET = 1, SYMBOL_CHARSET = 2, RUSSIAN_CHARSET = 204,
                       OEM_CHARSET = 255;

// A font: name, size in points (Height is the negative pixel height at the
// font's pixels per inch, the screen's when made), style, colour, character
// set and pitch. OnChange fires after every change.
class TFont : public TPersistent {
    QV_CLASS(TFont, TPersistent)
public:
    TFont();
    TFont(const TFont& o);
    TFont& operator=(const TFont& o);

    QString Name() const { return FName; }
    void SetName(const QString& v);
    int Size() const;
    void SetSize(int points);
    int Height() const { return FHeight; }
    void SetHeight(int v);
    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles v);
    TColor Color() const { return FColor; }
    void SetColor(TColor v);
    TFontCharset Charset() const { return FCharset; }
    void SetCharset(TFontCharset v);
    TFontPitch Pitch() const { return FPitch; }
    void SetPitch(TFontPitch v);
    int PixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(int v) { if (v > 0) FPixelsPerInch = v; }

    void Assign(TPersistent* Source) override;
    bool operator==(const TFont& o) const;

    QFont ToQFont() const;
    void FromQFont(const QFont& f);

    TNotifyEvent OnChange;

protected:
    virtual void Changed();

private:
    QString FName = QStringLiteral("MS Sans Serif");
    int FHeight = -11;   // 8 points at 96 pixels per inch
    TFontStyles FStyle;
    TColor FColor = clWindowText;
    TFontCharset FCharset = DEFAULT_CHARSET;
    TFontPitch FPitch = fpDefault;
    int FPixelsPerInch = 96;
};
