#pragma once
// Exceptions, string and conversion routines of the run-time library that the
// system code is written against.
#include <QString>
#include <exception>
#include <string>

class Exception : public std::exception {
public:
    explicit Exception(const QString& msg = QString()) : FMessage(msg), FUtf8(msg.toUtf8().toStdString()) {}
    ~Exception() override = default;
    const QString& Message() const { return FMessage; }
    void SetMessage(const QString& m) { FMessage = m; FUtf8 = m.toUtf8().toStdString(); }
    const char* what() const noexcept override { return FUtf8.c_str(); }
    virtual QString ClassName() const { return QStringLiteral("Exception"); }
private:
    QString FMessage;
    std::string FUtf8;
};

#define QV_DECLARE_EXCEPTION(Name, Base)                                   \
    class Name : public Base {                                             \
    public:                                                                \
        using Base::Base;                                                  \
        QString ClassName() const override { return QStringLiteral(#Name); } \
    };

// The silent exception: stops an operation without a message.
class EAbort : public Exception {
public:
    EAbort() : Exception(QStringLiteral("Operation aborted")) {}
    QString ClassName() const override { return QStringLiteral("EAbort"); }
};
QV_DECLARE_EXCEPTION(EConvertError, Exception)
QV_DECLARE_EXCEPTION(EDatabaseError, Exception)
QV_DECLARE_EXCEPTION(EOleError, Exception)
QV_DECLARE_EXCEPTION(EInOutError, Exception)
QV_DECLARE_EXCEPTION(EListError, Exception)
QV_DECLARE_EXCEPTION(EStringListError, EListError)
QV_DECLARE_EXCEPTION(EComponentError, Exception)
QV_DECLARE_EXCEPTION(EInvalidOperation, Exception)
QV_DECLARE_EXCEPTION(EIniFileException, Exception)
QV_DECLARE_EXCEPTION(EFilerError, Exception)
QV_DECLARE_EXCEPTION(EReadError, EFilerError)

// Raises the silent abort.
[[noreturn]] void Abort();

// Case rules of the user's locale (Unicode), as the run-time library's Ansi* routines.
QString AnsiUpperCase(const QString& s);
QString AnsiLowerCase(const QString& s);
int AnsiCompareText(const QString& a, const QString& b);   // case-insensitive
int AnsiCompareStr(const QString& a, const QString& b);    // case-sensitive
bool SameText(const QString& a, const QString& b);
int CompareStr(const QString& a, const QString& b);        // ordinal

QString Trim(const QString& s);       // removes characters <= ' ' at both ends
QString TrimLeft(const QString& s);
QString TrimRight(const QString& s);

QString IntToStr(qint64 v);
int StrToInt(const QString& s);                   // raises EConvertError
int StrToIntDef(const QString& s, int def);
bool TryStrToInt(const QString& s, int& v);      // decimal or $hex / 0x hex
double StrToFloat(const QString& s);             // raises EConvertError
bool TryStrToFloat(const QString& s, double& v); // accepts ',' (locale) and '.'
QString FloatToStr(double v);
// Formats a number with a format picture ("0.00", "#,##0.00", "0.###", sections
// "positive;negative;zero", quoted literals); the decimal separator is ','
// (the Russian settings). Implemented in FormatFloat.cpp.
QString FormatFloat(const QString& format, double value);

QString StringReplaceAll(const QString& s, const QString& from, const QString& to);
QString QuotedStr(const QString& s, QChar quote = QLatin1Char('\''));  // doubles the quote inside
QString ExtractFilePath(const QString& fileName);   // with the trailing separator
QString ExtractFileName(const QString& fileName);
QString ExtractFileExt(const QString& fileName);
QString IncludeTrailingPathDelimiter(const QString& s);
bool FileExists(const QString& fileName);
bool DeleteFile(const QString& fileName);
QString ExeFolder();            // folder of the running executable, with the trailing separator
