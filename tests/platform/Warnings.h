#pragma once
// The warnings logged (by the toolkit or the program) while it lives; they
// still go on to the handler before it.
#include <QString>
#include <QStringList>
#include <QtGlobal>

class TWarnings {
public:
    TWarnings() { Current() = this, FPrevious = qInstallMessageHandler(&TWarnings::Handler); }
    ~TWarnings() { qInstallMessageHandler(FPrevious), Current() = nullptr; }
    TWarnings(const TWarnings&) = delete;
    TWarnings& operator=(const TWarnings&) = delete;
    QStringList Texts;

private:
    QtMessageHandler FPrevious;
    static TWarnings*& Current()
    {
        static TWarnings* current = nullptr;
        return current;
    }
    static void Handler(QtMsgType type, const QMessageLogContext& context, const QString& text)
    {
        if (type == QtWarningMsg && Current()) Current()->Texts << text;
        if (Current() && Current()->FPrevious) Current()->FPrevious(type, context, text);
    }
};
