// qorvane-db: makes the database file of the program.
//
//   qorvane-db create FILE [--password P] [--demo]
//   qorvane-db bench-data FILE [--sessions N] [--votes N] [--members N] [--questions N [--decisions N]]
//                             [--password P]
//
// An existing FILE is never overwritten. Exit codes: 0 done, 1 the file was
// not made (the reason is printed), 2 wrong command line.
#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <cstdio>

#include "dbtool/DbBuilder.h"

namespace {

void Print(FILE* to, const QString& text)
{
    std::fputs(text.toUtf8().constData(), to);
    std::fputc('\n', to);
    std::fflush(to);
}

const char* const kUsage =
    "Использование:\n"
    "  qorvane-db create FILE [--password P] [--demo]\n"
    "      создает файл базы данных FILE с таблицами и начальными данными;\n"
    "      --password P  задает пароль базы данных (без него база не зашифрована);\n"
    "      --demo        добавляет демонстрационный совет директоров.\n"
    "  qorvane-db bench-data FILE [--sessions N] [--votes N] [--members N]\n"
    "                        [--questions N [--decisions N]] [--password P]\n"
    "      создает большую базу данных для замеров производительности\n"
    "      (по умолчанию 100000 заседаний, 1000000 голосов, 1000 членов совета);\n"
    "      --questions N  по N вопросов на заседании и по --decisions (2) проекта\n"
    "                     решения на вопрос, голосуют и получают вознаграждение все\n"
    "                     участники (--votes тогда не учитывается).\n"
    "Существующий файл не перезаписывается.";

struct UsageError {
    QString text;
};

struct Options {
    QString command, file, password;
    bool demo = false;
    dbtool::BenchOptions bench;
};

qint64 Count(const QString& option, const QString& text, qint64 least)
{
    bool ok = false;
    const qint64 v = text.toLongLong(&ok);
    if (!ok || v < least)
        throw UsageError{QStringLiteral("%1: ожидается целое число не меньше %2, задано «%3»").arg(option).arg(least).arg(text)};
    return v;
}

Options Parse(const QStringList& args)
{
    Options o;
    if (args.isEmpty())
        throw UsageError{QStringLiteral("не задана команда")};
    o.command = args[0];
    if (o.command != QLatin1String("create") && o.command != QLatin1String("bench-data"))
        throw UsageError{QStringLiteral("неизвестная команда «%1»").arg(o.command)};
    const bool bench = o.command == QLatin1String("bench-data");
    bool havePassword = false;
    for (int i = 1; i < args.size(); ++i) {
        QString a = args[i];
        QString value;
        bool inlineValue = false;
        if (a.startsWith(QLatin1String("--")) && a.contains(QLatin1Char('='))) {
            value = a.mid(a.indexOf(QLatin1Char('=')) + 1);
            a = a.left(a.indexOf(QLatin1Char('=')));
            inlineValue = true;
        }
        auto takeValue = [&]() -> QString {
            if (inlineValue)
                return value;
            if (i + 1 >= args.size())
                throw UsageError{QStringLiteral("после %1 ожидается значение").arg(a)};
            return args[++i];
        };
        if (a == QLatin1String("--password")) {
            o.password = takeValue();
            havePassword = true;
        } else if (a == QLatin1String("--demo") && !bench && !inlineValue) {
            o.demo = true;
        } else if (a == QLatin1String("--sessions") && bench) {
            o.bench.Sessions = Count(a, takeValue(), 0);
        } else if (a == QLatin1String("--votes") && bench) {
            o.bench.Votes = Count(a, takeValue(), 0);
        } else if (a == QLatin1String("--members") && bench) {
            o.bench.Members = Count(a, takeValue(), 1);
        } else if (a == QLatin1String("--questions") && bench) {
            o.bench.Questions = Count(a, takeValue(), 1);
        } else if (a == QLatin1String("--decisions") && bench) {
            o.bench.Decisions = Count(a, takeValue(), 1);
        } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            throw UsageError{QStringLiteral("неизвестный параметр «%1» команды %2").arg(args[i], o.command)};
        } else if (o.file.isEmpty()) {
            o.file = a;
        } else {
            throw UsageError{QStringLiteral("лишний аргумент «%1»").arg(a)};
        }
    }
    if (o.file.isEmpty())
        throw UsageError{QStringLiteral("не задан файл базы данных")};
    if (havePassword && o.password.isEmpty())
        throw UsageError{QStringLiteral("--password: пустой пароль; для базы без пароля не указывайте --password")};
    return o;
}

}  // namespace

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    if (args.size() == 1 && (args[0] == QLatin1String("--help") || args[0] == QLatin1String("-h"))) {
        Print(stdout, QString::fromUtf8(kUsage));
        return 0;
    }
    Options o;
    try {
        o = Parse(args);
    } catch (const UsageError& e) {
        Print(stderr, QStringLiteral("qorvane-db: ") + e.text);
        Print(stderr, QString::fromUtf8(kUsage));
        return 2;
    }
    try {
        QElapsedTimer timer;
        timer.start();
        if (o.command == QLatin1String("create")) {
            dbtool::CreateDatabase(o.file, o.password, o.demo);
            Print(stdout, QStringLiteral("Создана база данных %1%2%3")
                              .arg(o.file,
                                   o.demo ? QStringLiteral(" с демонстрационными данными") : QString(),
                                   o.password.isEmpty() ? QString() : QStringLiteral(" (защищена паролем)")));
        } else {
            const dbtool::BenchCounts c = dbtool::CreateBenchDatabase(o.file, o.password, o.bench);
            Print(stdout, QStringLiteral("Создана база данных %1 за %2 с: заседаний %3, членов совета %4, "
                                         "вопросов %5, проектов решений %6, участников %7, голосов %8, "
                                         "вознаграждений %9")
                              .arg(o.file)
                              .arg(double(timer.elapsed()) / 1000.0, 0, 'f', 1)
                              .arg(c.Sessions)
                              .arg(c.Members)
                              .arg(c.Questions)
                              .arg(c.Decisions)
                              .arg(c.Participants)
                              .arg(c.Votes)
                              .arg(c.Payments));
        }
        return 0;
    } catch (const Exception& e) {
        Print(stderr, QStringLiteral("qorvane-db: ") + e.Message());
        return 1;
    } catch (const std::exception& e) {
        Print(stderr, QStringLiteral("qorvane-db: ") + QString::fromLocal8Bit(e.what()));
        return 1;
    }
}
