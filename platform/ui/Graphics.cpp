#include "platform/ui/Graphics.h"

#include <QApplication>
#include <QPalette>
#include <cmath>

#include "platform/core/TypInfo.h"
#include "platform/ui/Forms.h"

namespace {

int MulDivRound(int a, int b, int c)
{
    if (c == 0) return -1;
    double r = double(a) * double(b) / double(c);
    return int(r < 0 ? -std::floor(-r + 0.5) : std::floor(r + 0.5));
}

QColor SystemColor(int index)
{
    TApplication::EnsureQtApplication();
    const QPalette p = QApplication::palette();
    switch (index) {
    case 0: return p.color(QPalette::Button);                         // scroll bar
    case 1: return p.color(QPalette::Dark);                           // desktop
    case 2: return p.color(QPalette::Active, QPalette::Highlight);    // active caption
    case 3: return p.color(QPalette::Inactive, QPalette::Highlight);  // inactive caption
    case 4: return p.color(QPalette::Window);                         // menu
    case 5: return p.color(QPalette::Base);                           // window
    case 6: return p.color(QPalette::Shadow);                         // window frame
    case 7: return p.color(QPalette::WindowText);                     // menu text
    case 8: return p.color(QPalette::Text);                           // window text
    case 9: return p.color(QPalette::Active, QPalette::HighlightedText);
    case 10:
    case 11: return p.color(QPalette::Window);                        // borders
    case 12: return p.color(QPalette::Dark);                          // application work space
    case 13: return p.color(QPalette::Highlight);
    case 14: return p.color(QPalette::HighlightedText);
    case 15: return p.color(QPalette::Button);                        // button face
    case 16: return p.color(QPalette::Mid);                           // button shadow
    case 17: return p.color(QPalette::Disabled, QPalette::Text);      // grey text
    case 18: return p.color(QPalette::ButtonText);
    case 19: return p.color(QPalette::Inactive, QPalette::HighlightedText);
    case 20: return p.color(QPalette::Light);                         // button highlight
    case 21: return p.color(QPalette::Shadow);                        // 3-D dark shadow
    case 22: return p.color(QPalette::Midlight);                      // 3-D light
    case 23: return p.color(QPalette::ToolTipText);
    case 24: return p.color(QPalette::ToolTipBase);
    case 26: return p.color(QPalette::Link);                          // hot-track (links)
    default: return QColor(Qt::black);
    }
}

}  // namespace

TColor ColorToRGB(TColor c)
{
    if (c < 0) return QColorToColor(SystemColor(c & 0xFF));
    return c;
}

QColor ColorToQColor(TColor c)
{
    if (c == clNone || c == clDefault) return QColor();
    if (c < 0) return SystemColor(c & 0xFF);
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

TColor QColorToColor(const QColor& c)
{
    if (!c.isValid()) return clNone;
    return RGB(c.red(), c.green(), c.blue());
}

// ------------------------------------------------------------------- TFont

TFont::TFont() : FPixelsPerInch(Screen->PixelsPerInch())
{
    FHeight = -MulDivRound(8, FPixelsPerInch, 72);
}

TFont::TFont(const TFont& o)
    : TPersistent(), FName(o.FName), FHeight(o.FHeight), FStyle(o.FStyle), FColor(o.FColor), FCharset(o.FCharset),
      FPitch(o.FPitch), FPixelsPerInch(o.FPixelsPerInch)
{
}

TFont& TFont::operator=(const TFont& o)
{
    if (this != &o) Assign(const_cast<TFont*>(&o));
    return *this;
}

void TFont::SetName(const QString& v)
{
    if (v.isEmpty() || v == FName) return;
    FName = v;
    Changed();
}

int TFont::Size() const { return -MulDivRound(FHeight, 72, FPixelsPerInch); }

void TFont::SetSize(int points) { SetHeight(-MulDivRound(points, FPixelsPerInch, 72)); }

void TFont::SetHeight(int v)
{
    if (v == FHeight) return;
    FHeight = v;
    Changed();
}

void TFont::SetStyle(TFontStyles v)
{
    if (v == FStyle) return;
    FStyle = v;
    Changed();
}

void TFont::SetColor(TColor v)
{
    if (v == FColor) return;
    FColor = v;
    Changed();
}

void TFont::SetCharset(TFontCharset v)
{
    if (v == FCharset) return;
    FCharset = v;
    Changed();
}

void TFont::SetPitch(TFontPitch v)
{
    if (v == FPitch) return;
    FPitch = v;
    Changed();
}

void TFont::Assign(TPersistent* Source)
{
    if (auto* f = dynamic_cast<TFont*>(Source)) {
        if (f == this) return;
        bool changed = !(*this == *f);
        FName = f->FName;
        // The size in points is what carries over between resolutions.
        FHeight = f->FPixelsPerInch == FPixelsPerInch ? f->FHeight
                                                      : -MulDivRound(f->Size(), FPixelsPerInch, 72);
        FStyle = f->FStyle;
        FColor = f->FColor;
        FCharset = f->FCharset;
        FPitch = f->FPitch;
        if (changed) Changed();
        return;
    }
    TPersistent::Assign(Source);
}

bool TFont::operator==(const TFont& o) const
{
    return FName == o.FName && Size() == o.Size() && FStyle == o.FStyle && FColor == o.FColor &&
           FCharset == o.FCharset && FPitch == o.FPitch;
}

QFont TFont::ToQFont() const
{
    QFont f(FName);
    // The pixel height is what the framework keeps; pixels map 1:1 here.
    if (FHeight < 0)
        f.setPixelSize(-FHeight);
    else if (FHeight > 0)
        f.setPixelSize(FHeight);
    f.setBold(FStyle.Contains(fsBold));
    f.setItalic(FStyle.Contains(fsItalic));
    f.setUnderline(FStyle.Contains(fsUnderline));
    f.setStrikeOut(FStyle.Contains(fsStrikeOut));
    if (FPitch == fpFixed) f.setFixedPitch(true), f.setStyleHint(QFont::TypeWriter);
    return f;
}

void TFont::FromQFont(const QFont& f)
{
    FName = f.family();
    if (f.pixelSize() > 0)
        FHeight = -f.pixelSize();
    else if (f.pointSizeF() > 0)
        FHeight = -MulDivRound(int(std::lround(f.pointSizeF())), FPixelsPerInch, 72);
    TFontStyles s;
    if (f.bold()) s += fsBold;
    if (f.italic()) s += fsItalic;
    if (f.underline()) s += fsUnderline;
    if (f.strikeOut()) s += fsStrikeOut;
    FStyle = s;
    FPitch = f.fixedPitch() ? fpFixed : fpDefault;
    Changed();
}

void TFont::Changed()
{
    if (OnChange) OnChange(this);
}

// --------------------------------------------------------- property tables

static const TPropertyRegistration regFont(QStringLiteral("TFont"), QString(), [] {
    PTypeInfo color = RegisterOrdinalType(QStringLiteral("TColor"), tkInteger);
    PTypeInfo charset = RegisterOrdinalType(QStringLiteral("TFontCharset"), tkInteger);
    PTypeInfo pitch = RegisterEnumType(QStringLiteral("TFontPitch"),
                                       {QStringLiteral("fpDefault"), QStringLiteral("fpVariable"), QStringLiteral("fpFixed")});
    PTypeInfo style = RegisterSetType(
        QStringLiteral("TFontStyles"),
        RegisterEnumType(QStringLiteral("TFontStyle"), {QStringLiteral("fsBold"), QStringLiteral("fsItalic"),
                                                         QStringLiteral("fsUnderline"), QStringLiteral("fsStrikeOut")}));
    return std::vector<TPropInfo>{
        OrdProp(QStringLiteral("Charset"), charset, &TFont::Charset, &TFont::SetCharset),
        OrdProp(QStringLiteral("Color"), color, &TFont::Color, &TFont::SetColor),
        OrdProp(QStringLiteral("Height"), TypeInfoInteger(), &TFont::Height, &TFont::SetHeight),
        StrProp(QStringLiteral("Name"), &TFont::Name, &TFont::SetName),
        OrdProp(QStringLiteral("Pitch"), pitch, &TFont::Pitch, &TFont::SetPitch, fpDefault),
        OrdProp(QStringLiteral("Size"), TypeInfoInteger(), &TFont::Size, &TFont::SetSize),
        OrdProp(QStringLiteral("Style"), style, &TFont::Style, &TFont::SetStyle, 0),
    };
});
