// Load and save of the 371 configuration keys, measured against one plain read of the same
// file, for an ordinary configuration file and for a 1 MiB file with many other sections.
// Goal: each ratio at most 3.

#include "config/ConfigKeys.h"
#include "config/IniDocument.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

volatile qint64 sink = 0;

ConfigValues sampleValues(int variant)
{
    ConfigValues values;
    values.portNumber = QString::number(3 + variant);
    values.baudRate = QStringLiteral("9600");
    for (int i = 0; i < 123; ++i) {
        if (i % 3 != 2)
            values.dataText[size_t(i)] =
                QStringLiteral("01 %1 AA BB CC DD").arg(i + variant, 2, 16, QLatin1Char('0'));
        values.relayIndex[size_t(i)] = (i + variant) % 17;
        values.functionIndex[size_t(i)] = (i + variant) % 2;
    }
    return values;
}

QByteArray plainConfig()
{
    IniDocument document;
    writeConfigValues(document, sampleValues(0));
    return document.content();
}

// Other programs' sections around the configuration, about 1 MiB in all.
QByteArray largeFile()
{
    const QByteArray config = plainConfig();
    QByteArray otherSections;
    for (int section = 0; otherSections.size() + config.size() < (1 << 20); ++section) {
        otherSections += "[Device " + QByteArray::number(section) + "]\r\n";
        for (int key = 0; key < 24; ++key) {
            otherSections += "Parameter" + QByteArray::number(key) + " = " +
                             QByteArray::number(section * 1000 + key) + " 0A 0B 0C\r\n";
        }
        otherSections += "\r\n";
    }
    const qsizetype middle = otherSections.indexOf("[Device ", otherSections.size() / 2);
    return otherSections.left(middle) + config + otherSections.mid(middle);
}

bool putFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

double medianMicroseconds(int runs, const std::function<void(int)>& work)
{
    for (int run = 0; run < 3; ++run)
        work(run);
    std::vector<qint64> times;
    times.reserve(size_t(runs));
    QElapsedTimer timer;
    for (int run = 0; run < runs; ++run) {
        timer.start();
        work(run);
        times.push_back(timer.nsecsElapsed());
    }
    std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
    return double(times[size_t(runs / 2)]) / 1000.0;
}

void measure(const char* name, const QString& path, const QByteArray& content, int runs)
{
    if (!putFile(path, content)) {
        std::printf("%s: cannot write %s\n", name, qPrintable(path));
        return;
    }
    const ConfigValues variants[2] = {sampleValues(0), sampleValues(1)};

    const double read = medianMicroseconds(runs, [&](int) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            sink = sink + file.readAll().size();
    });
    const double load = medianMicroseconds(runs, [&](int) {
        const ConfigValues values = readConfigValues(readIniFile(path));
        sink = sink + values.relayIndex[122] + values.dataText[0].size();
    });
    const double saveInMemory = medianMicroseconds(runs, [&](int run) {
        IniDocument document = readIniFile(path);
        writeConfigValues(document, variants[run % 2]);
        sink = sink + document.content().size();
    });
    bool saved = true;
    const double save = medianMicroseconds(runs, [&](int run) {
        IniDocument document = readIniFile(path);
        writeConfigValues(document, variants[run % 2]);
        QString reason;
        saved = writeIniFile(path, document, &reason) && saved;
    });

    std::printf("%-22s %9lld %10.1f %10.1f %6.2f %10.1f %6.2f %10.1f %6.2f%s\n", name,
                static_cast<long long>(content.size()), read, load, load / read, save, save / read,
                saveInMemory, saveInMemory / read, saved ? "" : "  (save failed)");
}

} // namespace

int main()
{
    QTemporaryDir folder;
    if (!folder.isValid()) {
        std::printf("no temporary folder\n");
        return 1;
    }
    std::printf("medians in microseconds; ratio = time / plain read of the file (goal <= 3)\n");
    std::printf("save = read + write 371 keys + atomic replace (flushed to disk); "
                "save-mem = the same without writing the file\n\n");
    std::printf("%-22s %9s %10s %10s %6s %10s %6s %10s %6s\n", "file", "bytes", "read", "load",
                "ratio", "save", "ratio", "save-mem", "ratio");
    measure("plain configuration", folder.filePath(QStringLiteral("plain.tvkcf")), plainConfig(),
            301);
    measure("1 MiB, other sections", folder.filePath(QStringLiteral("large.tvkcf")), largeFile(),
            61);
    return 0;
}
