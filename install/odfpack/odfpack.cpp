// qorvane-odfpack: makes an OpenDocument template from readable sources.
//
//   qorvane-odfpack OUT KIND BASIC XML...
//
// KIND is "text" (a word-processor template, .ott) or "spreadsheet" (.ots).
// BASIC names Basic source files, separated by commas; each becomes a module
// of the document's library "Standard", named after the file (Common.bas:
// the module "Common"). Each XML file (content.xml, styles.xml,
// meta.xml, settings.xml) is stored under its own file name. The manifest and
// the Basic library descriptions are written here. The package is a zip
// archive with every entry stored (not compressed) and "mimetype" first, as
// the format asks.
#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <vector>

namespace {

quint32 Crc32(const QByteArray& data)
{
    static quint32 table[256];
    static bool made = false;
    if (!made) {
        for (quint32 i = 0; i < 256; ++i) {
            quint32 c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[i] = c;
        }
        made = true;
    }
    quint32 crc = 0xFFFFFFFFu;
    for (char ch : data) crc = table[(crc ^ quint8(ch)) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

void Put16(QByteArray& b, quint16 v) { b.append(char(v & 0xFF)).append(char(v >> 8)); }
void Put32(QByteArray& b, quint32 v) { Put16(b, quint16(v & 0xFFFF)), Put16(b, quint16(v >> 16)); }

struct TEntry {
    QString Name;
    QByteArray Data;
};

QByteArray Zip(const std::vector<TEntry>& entries)
{
    // A fixed time stamp (1.1.2020 00:00) keeps builds reproducible.
    const quint16 time = 0, date = quint16(((2020 - 1980) << 9) | (1 << 5) | 1);
    QByteArray out, central;
    for (const TEntry& e : entries) {
        const QByteArray name = e.Name.toUtf8();
        const quint32 crc = Crc32(e.Data), offset = quint32(out.size());
        Put32(out, 0x04034b50);
        Put16(out, 10), Put16(out, 0), Put16(out, 0), Put16(out, time), Put16(out, date);
        Put32(out, crc), Put32(out, quint32(e.Data.size())), Put32(out, quint32(e.Data.size()));
        Put16(out, quint16(name.size())), Put16(out, 0);
        out += name;
        out += e.Data;
        Put32(central, 0x02014b50);
        Put16(central, 20), Put16(central, 10), Put16(central, 0), Put16(central, 0), Put16(central, time), Put16(central, date);
        Put32(central, crc), Put32(central, quint32(e.Data.size())), Put32(central, quint32(e.Data.size()));
        Put16(central, quint16(name.size())), Put16(central, 0), Put16(central, 0), Put16(central, 0), Put16(central, 0);
        Put32(central, 0), Put32(central, offset);
        central += name;
    }
    const quint32 cdOffset = quint32(out.size());
    out += central;
    Put32(out, 0x06054b50);
    Put16(out, 0), Put16(out, 0), Put16(out, quint16(entries.size())), Put16(out, quint16(entries.size()));
    Put32(out, quint32(central.size())), Put32(out, cdOffset), Put16(out, 0);
    return out;
}

QByteArray Escaped(const QByteArray& text)
{
    QByteArray r;
    for (char c : text) {
        switch (c) {
        case '&': r += "&amp;"; break;
        case '<': r += "&lt;"; break;
        case '>': r += "&gt;"; break;
        case '"': r += "&quot;"; break;
        case '\r': break;
        default: r += c;
        }
    }
    return r;
}

const char* kHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: qorvane-odfpack OUT text|spreadsheet BASIC XML...\n");
        return 2;
    }
    const QString kind = QString::fromLocal8Bit(argv[2]);
    if (kind != QLatin1String("text") && kind != QLatin1String("spreadsheet")) {
        std::fprintf(stderr, "qorvane-odfpack: the kind is text or spreadsheet\n");
        return 2;
    }
    const QByteArray mime = "application/vnd.oasis.opendocument." + kind.toLatin1() + "-template";
    std::vector<TEntry> entries{{QStringLiteral("mimetype"), mime}};
    for (int i = 4; i < argc; ++i) {
        QFile f(QString::fromLocal8Bit(argv[i]));
        if (!f.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "qorvane-odfpack: cannot read %s\n", argv[i]);
            return 1;
        }
        entries.push_back({QFileInfo(f).fileName(), f.readAll()});
    }
    QByteArray elements;
    for (const QString& file : QString::fromLocal8Bit(argv[3]).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        QFile basic(file);
        if (!basic.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "qorvane-odfpack: cannot read %s\n", qPrintable(file));
            return 1;
        }
        const QByteArray module = QFileInfo(file).completeBaseName().toUtf8();
        entries.push_back({QStringLiteral("Basic/Standard/%1.xml").arg(QString::fromUtf8(module)),
                           QByteArray(kHead) +
                               "<!DOCTYPE script:module PUBLIC \"-//OpenOffice.org//DTD OfficeDocument 1.0//EN\" \"module.dtd\">\n"
                               "<script:module xmlns:script=\"http://openoffice.org/2000/script\" script:name=\"" +
                               module + "\" script:language=\"StarBasic\" script:moduleType=\"normal\">" +
                               Escaped(basic.readAll()) + "</script:module>\n"});
        elements += " <library:element library:name=\"" + module + "\"/>\n";
    }
    entries.push_back({QStringLiteral("Basic/Standard/script-lb.xml"),
                       QByteArray(kHead) +
                           "<!DOCTYPE library:library PUBLIC \"-//OpenOffice.org//DTD OfficeDocument 1.0//EN\" \"library.dtd\">\n"
                           "<library:library xmlns:library=\"http://openoffice.org/2000/library\" library:name=\"Standard\" "
                           "library:readonly=\"false\" library:passwordprotected=\"false\">\n" +
                           elements + "</library:library>\n"});
    entries.push_back({QStringLiteral("Basic/script-lc.xml"),
                       QByteArray(kHead) +
                           "<!DOCTYPE library:libraries PUBLIC \"-//OpenOffice.org//DTD OfficeDocument 1.0//EN\" \"libraries.dtd\">\n"
                           "<library:libraries xmlns:library=\"http://openoffice.org/2000/library\" "
                           "xmlns:xlink=\"http://www.w3.org/1999/xlink\">\n"
                           " <library:library library:name=\"Standard\" library:link=\"false\"/>\n</library:libraries>\n"});
    QByteArray manifest = QByteArray(kHead) +
                          "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\" "
                          "manifest:version=\"1.2\">\n"
                          " <manifest:file-entry manifest:full-path=\"/\" manifest:version=\"1.2\" manifest:media-type=\"" +
                          mime + "\"/>\n";
    for (size_t i = 1; i < entries.size(); ++i)
        manifest += " <manifest:file-entry manifest:full-path=\"" + entries[i].Name.toUtf8() +
                    "\" manifest:media-type=\"text/xml\"/>\n";
    manifest += "</manifest:manifest>\n";
    entries.push_back({QStringLiteral("META-INF/manifest.xml"), manifest});

    QFile out(QString::fromLocal8Bit(argv[1]));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(Zip(entries)) < 0) {
        std::fprintf(stderr, "qorvane-odfpack: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
