#pragma once
// Date routines of the component library: leap years, month lengths, date
// validation, a tolerant date scanner driven by the locale's date order or by
// an edit mask, and the default date formats and edit masks of the date edits.
//
// The locale is the process's format settings (platform/core/DateTime.h):
// day-month-year order, "." as the date separator, Russian month names.
// Texts are UTF-16, so the multi-byte lead-byte rules of a code page do not
// arise: every character is one position.
#include <QString>

#include "platform/core/DateTime.h"

enum TDateOrder { doMDY, doDMY, doYMD };

// Two-digit years fall into the hundred years that start this many years
// before the current one.
constexpr quint8 CenturyOffset = 60;
// The date value that stands for "no date".
constexpr TDateTime NullDate = 0.0;

// Set at start-up: the upper-cased short date format contains "YYYY".
extern bool FourDigitYear;
// An East Asian locale (era-year formats, trailing day names); false here.
extern bool SysLocaleFarEast;

// IsLeapYear(year) is the run-time library's (platform/core/DateTime.h):
// divisible by 4 and (not by 100, or by 400).
// 31, 28/29, 31, ... for months 1 to 12; 0 for any other month.
int DaysPerMonth(int AYear, int AMonth);
// 1 <= Y <= 9999, 1 <= M <= 12, 1 <= D <= DaysPerMonth(Y, M).
bool ValidDate(quint16 Y, quint16 M, quint16 D);
// The value split into year, month and day and tested; false when it cannot be split.
bool ValidDate(TDateTime ADate);

int CurrentYear();   // local clock
// Years below 100 move into the window of CenturyOffset; 100 and above stay.
// A negative year (a blank or malformed field) stays as it is, invalid.
int ExpandYear(int Year);
// The first of D, E, M, Y in the format (any case): D doDMY, E/Y doYMD, M doMDY;
// doDMY when there is none.
TDateOrder GetDateOrder(const QString& DateFormat);

// The free-form scanner: two or three numbers joined by the date separator in
// the order of DateFormat, from Pos (1-based; left after what was read).
// True when the date is valid and the whole text was read.
bool ScanDate(const QString& S, const QString& DateFormat, int& Pos, int& Day, int& Month, int& Year);
// Reads the fields of a text typed into the edit mask of Format (letters D, M,
// MMM, Y at their positions); when they make no valid date, ScanDate decides.
bool ScanDateStr(const QString& Format, const QString& S, int& Day, int& Month, int& Year);
// The first month whose long name begins (case-insensitively) with the first
// MaxLen characters of S; 0 when none or S is empty.
int MonthFromName(const QString& S, int MaxLen);

// Empty text gives NullDate; a text that is no date raises EConvertError
// "'<text>' is not a valid date".
TDateTime StrToDateFmt(const QString& DateFormat, const QString& S);
// As StrToDateFmt, but Default (without its time) instead of the error.
TDateTime StrToDateDef(const QString& DateFormat, const QString& S, TDateTime Default);

// "DD/MM/YYYY", "MM/DD/YY", ... by the locale's date order; '/' stands for the
// locale's date separator.
QString DefDateFormat(bool AFourDigitYear);
// "!99/99/9999;1;" + BlanksChar and its friends, by the locale's date order.
QString DefDateMask(QChar BlanksChar, bool AFourDigitYear);
