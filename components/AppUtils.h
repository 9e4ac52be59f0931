#pragma once
// Settings-file routines of the component library: default section and file
// names, reading and writing values through a settings file (TIniFile) or a
// registry-ini object (TRegIniFile), and the complete window placement of a
// form.
//
// The settings object is passed untyped: a TRegIniFile gets the registry
// operation, a TIniFile the file operation; any other object (or none) makes
// reads give their default and writes do nothing.
//
// Placement keys of a form's section (screen 1024 x 768 as example):
//   Flags, ShowCmd, PixelsPerInch                     integers
//   MinMaxPos(1024x768), MinMaxPos                    "minX,minY,maxX,maxY"
//   NormPos(1024x768), NormPos                        "left,top,right,bottom"
#include <QString>
#include <functional>

#include "platform/core/Classes.h"

class TForm;

// Returns the default settings-file name when set (unset in this program).
extern std::function<QString()> DefaultIniNameHook;
extern bool RegistryUseAppTitle;
extern QString RegistryCompanyName;

// A form: its class name; a control: its form's class name (or its parent's
// name) and its name, joined without a separator; another component owned by
// a form: "<form class>.<name>"; otherwise its name.
QString GetDefaultSection(TComponent* Component);
// The executable's file name with the extension ".INI".
QString GetDefaultIniName();
// "Software\" [company "\"] (application title or executable name).
QString GetDefaultIniRegKey();

QString IniReadString(TObject* IniFile, const QString& Section, const QString& Ident, const QString& Default);
// A value that begins and ends with the same quote character (" or ') goes
// to a settings file inside one more pair of double quotes, so that it reads
// back unchanged; the registry gets values as they are.
void IniWriteString(TObject* IniFile, const QString& Section, const QString& Ident, const QString& Value);
int IniReadInteger(TObject* IniFile, const QString& Section, const QString& Ident, int Default);
void IniWriteInteger(TObject* IniFile, const QString& Section, const QString& Ident, int Value);
void IniEraseSection(TObject* IniFile, const QString& Section);

// "(<width>x<height>)" of the primary screen.
QString ScreenSizeSuffix();
// The value under Ident + ScreenSizeSuffix(), else under the plain Ident.
QString ReadPosStr(TObject* IniFile, const QString& Section, const QString& Ident);
// Writes under Ident + ScreenSizeSuffix(), then under the plain Ident.
void WritePosStr(TObject* IniFile, const QString& Section, const QString& Ident, const QString& Value);

void WriteFormPlacement(TForm* Form, TObject* IniFile, const QString& Section);
// A placement stored at another pixels-per-inch is not applied; the stored
// state still is.
void ReadFormPlacement(TForm* Form, TObject* IniFile, const QString& Section, bool LoadState, bool LoadPosition);
