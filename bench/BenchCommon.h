#pragma once
// What the benchmarks over the generated databases share: medians, times,
// and the two generated files (made in /tmp on the first run, then reused).
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "dbtool/DbBuilder.h"

namespace bench {

inline double Median(std::vector<double> v)
{
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

inline double Ms(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e6; }

// A memory figure of this process from /proc/self/status ("VmRSS:" now,
// "VmHWM:" the peak), in MB.
inline double StatusMb(const char* key)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::string k(key);
    while (std::getline(in, line))
        if (line.rfind(k, 0) == 0) return std::stod(line.substr(k.size())) / 1024.0;
    return 0;
}

inline QString MakeFile(const QString& file, const QString& password, const dbtool::BenchOptions& o)
{
    if (!QFile::exists(file)) {
        std::fprintf(stderr, "Making %s ...\n", qPrintable(file));
        dbtool::CreateBenchDatabase(file, password, o);
    }
    return file;
}

// The large database: 100,000 sessions, 1,000,000 votes, 1,000 members.
inline dbtool::BenchOptions Large() { return {}; }
// A realistic board: 15 members, 600 sessions, 10 questions a session, 2
// decisions a question, every participant voting and paid.
inline dbtool::BenchOptions Board()
{
    dbtool::BenchOptions o;
    o.Sessions = 600;
    o.Members = 15;
    o.Questions = 10;
    o.Decisions = 2;
    return o;
}
// The files' names without ".db" (an encrypted copy adds "-enc").
inline QString LargeName()
{
    const dbtool::BenchOptions o = Large();
    return QStringLiteral("/tmp/qorvane-bench-%1s-%2v-%3m").arg(o.Sessions).arg(o.Votes).arg(o.Members);
}
inline QString BoardName() { return QStringLiteral("/tmp/qorvane-board-600s-15m-10q-2d"); }

}  // namespace bench
