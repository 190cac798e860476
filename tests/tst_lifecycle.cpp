// Start-up, shutdown, and moving the table between the window and configuration files.
#include "app/DataFolder.h"
#include "app/LearningTable.h"
#include "config/ConfigKeys.h"
#include "config/GbkText.h"
#include "config/IniDocument.h"
#include "link/SerialPort.h"
#include "support/WindowFixture.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QRandomGenerator>
#include <QTabWidget>
#include <QtTest>

#include <csignal>

namespace {

const QString base = QStringLiteral("TVK配置程序_继电器模块_V1.1   ");

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Every entry gets values of its own, so a mix-up of any two shows.
void fillDistinctly(LearningTable& table)
{
    for (int entry = 1; entry <= LearningTable::entryCount; ++entry) {
        const bool feedback = entry >= 83;
        table.setRelayIndex(entry, entry % (feedback ? 17 : 18));
        table.setFunctionIndex(entry, entry % (feedback ? 2 : 5));
        table.setDataText(entry,
                          QStringLiteral("%1 AB").arg(entry, 4, 16, QLatin1Char('0')).toUpper());
    }
    table.setRelayIndex(5, -1); // a selector holding nothing is kept as such
}

QLineEdit* portBox(WindowFixture& f)
{
    return f.find<QLineEdit>(QStringLiteral("编辑框1"));
}

// The child side of the kill test: saves two different large documents in turn, forever.
int saveForever(const QString& path)
{
    const IniDocument first(QByteArray("[a]\r\nk=") + QByteArray(3 << 20, '1') + "\r\n");
    const IniDocument second(QByteArray("[b]\r\nk=") + QByteArray(2 << 20, '2') + "\r\n");
    for (bool useFirst = true;; useFirst = !useFirst) {
        QString reason;
        if (!writeIniFile(path, useFirst ? first : second, &reason))
            return 2;
    }
}

} // namespace

class LifecycleTest : public QObject
{
    Q_OBJECT
private slots:
    void firstStartWithoutFile();
    void quittingWritesEveryKey();
    void tableSurvivesARestart();
    void openThenChangeThenQuit();
    void cancelledDialogsChangeNothing();
    void saveAsRemembersTheFileAndSuffix();
    void loadLeavesWhatTheFileDoesNotHold();
    void shutdownSavesBeforeClosingThePort();
    void failedSavesAreReportedAndKeepTheOldFile_data();
    void failedSavesAreReportedAndKeepTheOldFile();
    void killDuringSaveLeavesAWholeFile();
    void dataFolderFallsBackToThePerUserFolder();
    void terminationSignalSavesTheTable_data();
    void terminationSignalSavesTheTable();
};

void LifecycleTest::firstStartWithoutFile()
{
    WindowFixture f;
    QCOMPARE(f.window->windowTitle(), base + f.window->automaticConfigFile());
    QVERIFY(f.window->automaticConfigFile().endsWith(QStringLiteral("配置.tvk")));
    QCOMPARE(portBox(f)->text(), QString());
    QCOMPARE(f.find<QLineEdit>(QStringLiteral("编辑框2"))->text(), QString());
    LearningTable& table = f.window->learningTable();
    for (int entry = 1; entry <= LearningTable::entryCount; ++entry) {
        QCOMPARE(table.relayIndex(entry), 0);
        QCOMPARE(table.functionIndex(entry), 0); // "关", not the design's "开"
        QCOMPARE(table.dataText(entry), QString());
    }
    QCOMPARE(f.window->statusText(), QStringLiteral("状态：串口未打开..."));
    QCOMPARE(f.find<QTabWidget>(QStringLiteral("选择夹1"))->currentIndex(), 0);
    QVERIFY(!f.button(QStringLiteral("按钮001"))->isEnabled());
    QVERIFY(!QFile::exists(f.window->automaticConfigFile()));
}

void LifecycleTest::quittingWritesEveryKey()
{
    WindowFixture f;
    const QString automatic = f.window->automaticConfigFile();
    f.closeWindow();
    QVERIFY(QFile::exists(automatic));
    const QByteArray bytes = fileBytes(automatic);
    QCOMPARE(bytes.count("\r\n"), 10 + 371); // ten section lines and every key
    QVERIFY(bytes.startsWith(gbk::encode(
        QStringLiteral("[串口配置]\r\n端口号=\r\n波特率=\r\n[学习区指令1]\r\n数据01=\r\n"))));
    QVERIFY(bytes.endsWith(gbk::encode(QStringLiteral("功能配置框123=0\r\n"))));
}

void LifecycleTest::tableSurvivesARestart()
{
    WindowFixture f;
    fillDistinctly(f.window->learningTable());
    portBox(f)->setText(QStringLiteral("３"));
    f.find<QLineEdit>(QStringLiteral("编辑框2"))->setText(QStringLiteral("19200"));
    const ConfigValues before = [&] {
        ConfigValues v;
        LearningTable& t = f.window->learningTable();
        for (int e = 1; e <= 123; ++e) {
            v.dataText[e - 1] = t.dataText(e);
            v.relayIndex[e - 1] = t.relayIndex(e);
            v.functionIndex[e - 1] = t.functionIndex(e);
        }
        return v;
    }();
    f.restartWindow();
    LearningTable& table = f.window->learningTable();
    for (int entry = 1; entry <= LearningTable::entryCount; ++entry) {
        QCOMPARE(table.dataText(entry), before.dataText[entry - 1]);
        QCOMPARE(table.relayIndex(entry), before.relayIndex[entry - 1]);
        QCOMPARE(table.functionIndex(entry), before.functionIndex[entry - 1]);
    }
    QCOMPARE(portBox(f)->text(), QStringLiteral("３"));
    QCOMPARE(f.find<QLineEdit>(QStringLiteral("编辑框2"))->text(), QStringLiteral("19200"));
}

void LifecycleTest::openThenChangeThenQuit()
{
    WindowFixture f;
    const QString opened = f.folder.filePath(QStringLiteral("客户A.tvkcf"));
    const QByteArray openedBytes = gbk::encode(
        QStringLiteral("[学习区指令1]\r\n数据01=0102\r\n[学习区1继电器]\r\n继电器框01=3\r\n"));
    writeBytes(opened, openedBytes);

    f.dialogs.chooseNext(opened);
    f.click(QStringLiteral("按钮003"));
    QCOMPARE(f.dialogs.fileRequests.back().kind, FileDialogRequest::Kind::Open);
    QCOMPARE(f.dialogs.fileRequests.back().filter, QStringLiteral("配置文件(*.tvkcf)"));
    QCOMPARE(f.window->windowTitle(), base + QDir::toNativeSeparators(opened));
    LearningTable& table = f.window->learningTable();
    QCOMPARE(table.dataText(1), QStringLiteral("0102"));
    QCOMPARE(table.relayIndex(1), 3);
    QCOMPARE(table.functionIndex(1), 0);

    table.setDataText(2, QStringLiteral("AA BB"));
    f.restartWindow();
    QCOMPARE(fileBytes(opened), openedBytes); // the opened file is not written at exit
    QCOMPARE(f.window->windowTitle(), base + f.window->automaticConfigFile());
    QCOMPARE(f.window->learningTable().dataText(1), QStringLiteral("0102"));
    QCOMPARE(f.window->learningTable().dataText(2), QStringLiteral("AA BB"));
}

void LifecycleTest::cancelledDialogsChangeNothing()
{
    WindowFixture f;
    f.window->learningTable().setDataText(9, QStringLiteral("09"));
    const QString title = f.window->windowTitle();
    f.dialogs.chooseNext(std::nullopt);
    f.click(QStringLiteral("按钮003"));
    f.dialogs.chooseNext(std::nullopt);
    f.click(QStringLiteral("按钮004"));
    QCOMPARE(f.window->windowTitle(), title);
    QCOMPARE(f.window->configPath(), f.window->automaticConfigFile());
    QCOMPARE(f.window->learningTable().dataText(9), QStringLiteral("09"));
    QCOMPARE(QDir(f.folder.path()).entryList({QStringLiteral("*.tvkcf")}).size(), 0);
}

void LifecycleTest::saveAsRemembersTheFileAndSuffix()
{
    WindowFixture f;
    const QString target = f.folder.filePath(QStringLiteral("saved.tvkcf"));
    // Another tool's section in the chosen file stays.
    writeBytes(target, "[other]\r\nx=1\r\n");
    f.window->learningTable().setDataText(123, QStringLiteral("7B"));

    f.dialogs.chooseNext(target);
    f.click(QStringLiteral("按钮004"));
    const FileDialogRequest save = f.dialogs.fileRequests.back();
    QCOMPARE(save.kind, FileDialogRequest::Kind::Save);
    QCOMPARE(save.defaultSuffix, QStringLiteral("tvkcf"));
    QCOMPARE(f.window->windowTitle(), base + QDir::toNativeSeparators(target));
    const QByteArray saved = fileBytes(target);
    QVERIFY(saved.startsWith("[other]\r\nx=1\r\n"));
    QCOMPARE(readConfigValues(IniDocument(saved)).dataText[122], QStringLiteral("7B"));

    f.dialogs.chooseNext(std::nullopt);
    f.click(QStringLiteral("按钮003"));
    const FileDialogRequest open = f.dialogs.fileRequests.back();
    QCOMPARE(open.fileName, target);
    QCOMPARE(open.defaultSuffix, QStringLiteral("tvkcf"));
}

void LifecycleTest::loadLeavesWhatTheFileDoesNotHold()
{
    WindowFixture f;
    auto* mode = f.find<QComboBox>(QStringLiteral("组合框1"));
    mode->setCurrentIndex(2);
    auto* test = f.find<QLineEdit>(QStringLiteral("编辑框5"));
    test->setText(QStringLiteral("FD"));
    const QString file = f.folder.filePath(QStringLiteral("x.tvkcf"));
    writeBytes(file, gbk::encode(QStringLiteral("[反馈区继电器]\r\n继电器框90=17\r\n")));
    f.dialogs.chooseNext(file);
    f.click(QStringLiteral("按钮003"));
    QCOMPARE(f.window->learningTable().relayIndex(90), 16); // no "场景" in the feedback area
    QCOMPARE(mode->currentIndex(), 2);
    QCOMPARE(test->text(), QStringLiteral("FD"));
}

void LifecycleTest::shutdownSavesBeforeClosingThePort()
{
    WindowFixture f;
    QVERIFY(f.openPort());
    // A folder where the file should be makes the save fail, and its report shows while the
    // port is still open.
    QVERIFY(QDir().mkpath(f.window->automaticConfigFile()));
    bool portOpenAtSave = false;
    f.dialogs.onShow = [&](const ScriptedDialogs::Shown&) {
        portOpenAtSave = f.window->serialPort().isOpen();
    };
    f.closeWindow();
    QCOMPARE(f.dialogs.shown.size(), std::size_t(1));
    QVERIFY(portOpenAtSave);
    QVERIFY(!f.window->serialPort().isOpen());
}

void LifecycleTest::failedSavesAreReportedAndKeepTheOldFile_data()
{
    QTest::addColumn<bool>("automatic");
    QTest::newRow("automatic save at shutdown") << true;
    QTest::newRow("save as") << false;
}

void LifecycleTest::failedSavesAreReportedAndKeepTheOldFile()
{
    QFETCH(bool, automatic);
    WindowFixture f;
    const QString target = automatic ? f.window->automaticConfigFile()
                                     : f.folder.filePath(QStringLiteral("locked.tvkcf"));
    const QByteArray old = "[mine]\r\nkeep=1\r\n";
    writeBytes(target, old);
    QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    f.window->learningTable().setDataText(1, QStringLiteral("01"));

    if (automatic) {
        f.closeWindow();
    } else {
        f.dialogs.chooseNext(target);
        f.click(QStringLiteral("按钮004"));
    }
    QCOMPARE(f.dialogs.shown.size(), std::size_t(1));
    const ScriptedDialogs::Shown report = f.dialogs.shown.front();
    QCOMPARE(report.caption, QStringLiteral("信息："));
    QVERIFY2(report.text.contains(QDir::toNativeSeparators(target)), qPrintable(report.text));
    QVERIFY(report.text.contains(QStringLiteral("只读")));
    QCOMPARE(fileBytes(target), old);
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
}

void LifecycleTest::killDuringSaveLeavesAWholeFile()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("配置.tvk"));
    const QByteArray first = QByteArray("[a]\r\nk=") + QByteArray(3 << 20, '1') + "\r\n";
    const QByteArray second = QByteArray("[b]\r\nk=") + QByteArray(2 << 20, '2') + "\r\n";
    writeBytes(path, first);
    for (int round = 0; round < 8; ++round) {
        QProcess saver;
        saver.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--save-forever"), path});
        QVERIFY(saver.waitForStarted());
        QTest::qSleep(40 + QRandomGenerator::global()->bounded(120));
        ::kill(pid_t(saver.processId()), SIGKILL);
        QVERIFY(saver.waitForFinished());
        const QByteArray now = fileBytes(path);
        QVERIFY2(now == first || now == second, qPrintable(QString::number(now.size())));
    }
}

void LifecycleTest::dataFolderFallsBackToThePerUserFolder()
{
    QTemporaryDir folder;
    const QString perUser = folder.filePath(QStringLiteral("user/relaytool"));
    QCOMPARE(chooseDataFolder(folder.path(), perUser), folder.path());
    QVERIFY(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).isEmpty()); // no probe left
    // A folder no one can create files in, administrators included.
    QCOMPARE(chooseDataFolder(QStringLiteral("/proc"), perUser), perUser);
    QVERIFY(QFileInfo(perUser).isDir());
}

void LifecycleTest::terminationSignalSavesTheTable_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGHUP") << int(SIGHUP);
}

void LifecycleTest::terminationSignalSavesTheTable()
{
    QFETCH(int, signalNumber);
    // The program keeps its work beside itself when that folder can be written.
    QTemporaryDir folder;
    const QString program = folder.filePath(QStringLiteral("relaytool"));
    QVERIFY(QFile::copy(QStringLiteral(RELAYTOOL_PATH), program));
    const QByteArray stored = gbk::encode(QStringLiteral("[学习区指令1]\r\n数据01=01 02\r\n"));
    writeBytes(folder.filePath(QStringLiteral("配置.tvk")), stored);

    QProcess tool;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    tool.setProcessEnvironment(environment);
    tool.start(program, {});
    QVERIFY(tool.waitForStarted());
    // Ready once it catches the signal: bit (signal - 1) of the caught-signals mask.
    const QString status = QStringLiteral("/proc/%1/status").arg(tool.processId());
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            const QByteArray text = fileBytes(status);
            const int at = text.indexOf("SigCgt:");
            return at >= 0 &&
                   (text.mid(at + 7, 17).trimmed().toULongLong(nullptr, 16) >> (signalNumber - 1)) & 1;
        }(),
        20000);
    ::kill(pid_t(tool.processId()), signalNumber);
    QVERIFY(tool.waitForFinished(20000));
    QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
    QCOMPARE(tool.exitCode(), 0);

    const ConfigValues saved = readConfigValues(readIniFile(folder.filePath(QStringLiteral("配置.tvk"))));
    QCOMPARE(saved.dataText[0], QStringLiteral("01 02"));
    QCOMPARE(fileBytes(folder.filePath(QStringLiteral("配置.tvk"))).count("\r\n"), 10 + 371);
}

int main(int argc, char* argv[])
{
    if (argc == 3 && qstrcmp(argv[1], "--save-forever") == 0) {
        QCoreApplication app(argc, argv);
        return saveForever(QString::fromLocal8Bit(argv[2]));
    }
    QApplication app(argc, argv);
    LifecycleTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_lifecycle.moc"
