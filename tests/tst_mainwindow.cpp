// The window as designed, the learning table's controls, and the Start button on a real tty.
#include "app/AppIcon.h"
#include "app/LearningTable.h"
#include "app/WindowLayout.h"
#include "link/SerialPort.h"
#include "support/WindowFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QtTest>

namespace {

const QString base = QStringLiteral("TVK配置程序_继电器模块_V1.1   ");
const char* const linkButtonNames[] = {"按钮001", "按钮002", "按钮007", "按钮008", "按钮005",
                                       "按钮9",   "按钮10",  "按钮11",  "按钮12"};

QStringList choicesOf(const QComboBox* box)
{
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts.append(box->itemText(i));
    return texts;
}

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void controlsStandWhereDesigned_data();
    void controlsStandWhereDesigned();
    void entriesStandInTheirGrid_data();
    void entriesStandInTheirGrid();
    void choiceLists();
    void pagesShowOnlyTheirOwnControls();
    void fontsAndHiddenControls();
    void windowIsFixedCentredAndIconed();
    void usagePageIsFixedAndReadOnly();
    void startUpState();
    void typedLettersBecomeUpperCaseWhereAsked();
    void selectorIndicesAreClamped_data();
    void selectorIndicesAreClamped();
    void startOnTheTtyShowsItsSettings_data();
    void startOnTheTtyShowsItsSettings();
    void startOnMissingPortShowsClosedState();
    void hangUpWhileOpenShowsClosedState();
    void alwaysOnTopFollowsTheBox();

private:
    static void verifyLinkButtons(const WindowFixture& f, bool enabled);
};

void MainWindowTest::controlsStandWhereDesigned_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("relativeTo"); // parent group or the tab control
    QTest::addColumn<QRect>("place");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("page"); // tab page it shows on, -1 for none

    auto row = [](const char* name, const char* relativeTo, QRect place, const char* caption,
                  int page = -1) {
        QTest::newRow(name) << QString::fromUtf8(name) << QString::fromUtf8(relativeTo) << place
                            << QString::fromUtf8(caption) << page;
    };
    row("分组框2", "client", {0, 0, 184, 152}, "串口");
    row("分组框1", "client", {184, 0, 512, 152}, "接收\\反馈");
    row("分组框4", "client", {704, 0, 360, 152}, "配置");
    row("分组框3", "client", {0, 160, 1072, 492}, "学习区-填入十六进制数据");
    row("透明标签1", "分组框2", {14, 33, 43, 16}, "端口号：");
    row("编辑框1", "分组框2", {62, 29, 98, 22}, "");
    row("透明标签2", "分组框2", {14, 64, 48, 16}, "波特率：");
    row("编辑框2", "分组框2", {62, 61, 98, 21}, "");
    row("按钮1", "分组框2", {14, 91, 70, 30}, "启动");
    row("按钮3", "分组框2", {98, 91, 70, 30}, "清空→");
    row("选择框3", "分组框2", {12, 125, 120, 20}, "在所有窗口最前端");
    row("编辑框4", "分组框1", {8, 13, 488, 129}, "");
    row("按钮003", "分组框4", {8, 16, 72, 35}, "打开文件");
    row("按钮004", "分组框4", {93, 16, 72, 35}, "另存文件");
    row("按钮007", "分组框4", {190, 16, 72, 35}, "重置并进\n入配网状态");
    row("按钮008", "分组框4", {275, 16, 72, 35}, "生成开\n关面板");
    row("组合框1", "分组框4", {8, 125, 88, 20}, "");
    row("按钮005", "分组框4", {100, 125, 72, 20}, "设置模式");
    row("组合框2", "分组框4", {184, 125, 88, 20}, "");
    row("按钮006", "分组框4", {276, 125, 72, 20}, "设置地址");
    row("选择夹1", "分组框3", {7, 16, 1060, 472}, "");
    row("进度条1", "分组框3", {7, 477, 1050, 10}, "");
    row("按钮002", "选择夹1", {777, 383, 100, 35}, "擦除模块学习区1", 0);
    row("按钮001", "选择夹1", {902, 383, 100, 35}, "本页写入模块", 0);
    row("编辑框5", "选择夹1", {720, 280, 337, 48}, "", 0);
    row("按钮13", "选择夹1", {832, 336, 100, 35}, "发送测试↑", 0);
    row("按钮10", "选择夹1", {777, 383, 100, 35}, "擦除模块学习区2", 1);
    row("按钮9", "选择夹1", {902, 383, 100, 35}, "本页写入模块", 1);
    row("按钮11", "选择夹1", {777, 383, 100, 35}, "擦除模块反馈区", 2);
    row("按钮12", "选择夹1", {902, 383, 100, 35}, "本页写入模块", 2);
    row("超级编辑框1", "选择夹1", {4, 24, 736, 408}, "", 3);
}

void MainWindowTest::controlsStandWhereDesigned()
{
    QFETCH(QString, name);
    QFETCH(QString, relativeTo);
    QFETCH(QRect, place);
    QFETCH(QString, caption);
    QFETCH(int, page);

    WindowFixture f;
    auto* control = f.find<QWidget>(name);
    QVERIFY2(control, qPrintable(name));
    auto* reference = f.find<QWidget>(relativeTo);
    QVERIFY(reference);
    if (page >= 0)
        f.find<QTabWidget>(QStringLiteral("选择夹1"))->setCurrentIndex(page);
    QCOMPARE(QRect(control->mapTo(reference, QPoint(0, 0)), control->size()), place);

    QString shown;
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        shown = button->text();
    else if (auto* group = qobject_cast<QGroupBox*>(control))
        shown = group->title();
    else if (auto* label = qobject_cast<QLabel*>(control))
        shown = label->text();
    QCOMPARE(shown, caption);
}

void MainWindowTest::entriesStandInTheirGrid_data()
{
    QTest::addColumn<int>("entry");
    QTest::addColumn<QPoint>("relay");
    QTest::addColumn<QPoint>("function");
    QTest::addColumn<QPoint>("data");
    auto row = [](int entry, QPoint relay, QPoint function, QPoint data) {
        QTest::addRow("entry %d", entry) << entry << relay << function << data;
    };
    row(1, {0, 23}, {59, 23}, {102, 23});
    row(16, {0, 398}, {59, 398}, {102, 398});
    row(17, {360, 23}, {419, 23}, {464, 23});
    row(33, {720, 23}, {779, 23}, {824, 23});
    row(41, {720, 223}, {779, 223}, {824, 223});
    row(42, {3, 24}, {62, 24}, {105, 24});
    row(58, {360, 24}, {419, 24}, {464, 24});
    row(82, {720, 224}, {779, 224}, {824, 224});
    row(83, {3, 23}, {62, 23}, {105, 23});
    row(99, {360, 23}, {419, 23}, {462, 23});
    row(123, {720, 223}, {779, 223}, {822, 223});
}

void MainWindowTest::entriesStandInTheirGrid()
{
    QFETCH(int, entry);
    QFETCH(QPoint, relay);
    QFETCH(QPoint, function);
    QFETCH(QPoint, data);
    WindowFixture f;
    auto* tabs = f.find<QWidget>(QStringLiteral("选择夹1"));
    auto* relayBox =
        f.find<QComboBox>(QStringLiteral("组合框%1").arg(entry, 3, 10, QLatin1Char('0')));
    auto* functionBox = f.find<QComboBox>(QStringLiteral("组合框%1").arg(600 + entry));
    auto* dataBox = f.find<QLineEdit>(QStringLiteral("编辑框%1").arg(100 + entry));
    QVERIFY(relayBox && functionBox && dataBox);
    QCOMPARE(QRect(relayBox->mapTo(tabs, QPoint()), relayBox->size()), QRect(relay, QSize(55, 20)));
    QCOMPARE(QRect(functionBox->mapTo(tabs, QPoint()), functionBox->size()),
             QRect(function, QSize(38, 20)));
    QCOMPARE(QRect(dataBox->mapTo(tabs, QPoint()), dataBox->size()), QRect(data, QSize(230, 20)));
    QCOMPARE(LearningTable::areaOfEntry(entry), (entry - 1) / 41 + 1);
}

void MainWindowTest::choiceLists()
{
    WindowFixture f;
    QStringList relays{QStringLiteral("禁用")};
    for (int i = 1; i <= 16; ++i)
        relays.append(QStringLiteral("第%1路").arg(i));
    const QStringList functions{QStringLiteral("关"), QStringLiteral("开"), QStringLiteral("翻转"),
                                QStringLiteral("点动"), QStringLiteral("场景")};
    LearningTable& table = f.window->learningTable();
    for (int entry = 1; entry <= 123; ++entry) {
        const bool feedback = entry >= 83;
        QCOMPARE(choicesOf(table.relaySelector(entry)),
                 feedback ? relays : relays + QStringList{QStringLiteral("场景")});
        QCOMPARE(choicesOf(table.functionSelector(entry)),
                 feedback ? functions.mid(0, 2) : functions);
        QCOMPARE(table.relaySelector(entry)->objectName(),
                 QStringLiteral("组合框%1").arg(entry, 3, 10, QLatin1Char('0')));
    }
    auto* mode = f.find<QComboBox>(QStringLiteral("组合框1"));
    QCOMPARE(choicesOf(mode), (QStringList{QStringLiteral("复位开关"), QStringLiteral("船型开关"),
                                           QStringLiteral("传感器")}));
    QCOMPARE(mode->currentIndex(), 0);
    auto* address = f.find<QComboBox>(QStringLiteral("组合框2"));
    QCOMPARE(address->count(), 255);
    QCOMPARE(address->itemText(0), QStringLiteral("00"));
    QCOMPARE(address->itemText(10), QStringLiteral("0A"));
    QCOMPARE(address->itemText(254), QStringLiteral("FE"));
    QCOMPARE(address->currentIndex(), 0);
}

void MainWindowTest::pagesShowOnlyTheirOwnControls()
{
    WindowFixture f;
    auto* tabs = f.find<QTabWidget>(QStringLiteral("选择夹1"));
    QCOMPARE(tabs->count(), 4);
    QCOMPARE(tabs->tabText(0), QStringLiteral("控制学习区1"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("控制学习区2"));
    QCOMPARE(tabs->tabText(2), QStringLiteral("状态反馈学习区"));
    QCOMPARE(tabs->tabText(3), QStringLiteral("使用说明"));
    auto* progress = f.find<QProgressBar>(QStringLiteral("进度条1"));
    LearningTable& table = f.window->learningTable();
    for (int page = 0; page < 4; ++page) {
        tabs->setCurrentIndex(page);
        for (int entry : {1, 41, 42, 82, 83, 123}) {
            const bool onPage = LearningTable::areaOfEntry(entry) - 1 == page;
            QCOMPARE(table.dataBox(entry)->isVisible(), onPage);
            QCOMPARE(table.relaySelector(entry)->isVisible(), onPage);
        }
        QCOMPARE(f.find<QWidget>(QStringLiteral("编辑框5"))->isVisible(), page == 0);
        QCOMPARE(f.find<QWidget>(QStringLiteral("超级编辑框1"))->isVisible(), page == 3);
        QVERIFY(progress->isVisible());
    }
    QCOMPARE(progress->minimum(), 0);
    QCOMPARE(progress->maximum(), 100);
    QCOMPARE(progress->value(), 0);
}

void MainWindowTest::fontsAndHiddenControls()
{
    WindowFixture f;
    QCOMPARE(f.find<QLineEdit>(QStringLiteral("编辑框5"))->font().pixelSize(), 12);
    QCOMPARE(f.find<QLineEdit>(QStringLiteral("编辑框101"))->font().pixelSize(), 10);
    QCOMPARE(f.find<QLineEdit>(QStringLiteral("编辑框223"))->font().pixelSize(), 10);
    QVERIFY(!f.find<QWidget>(QStringLiteral("组合框2"))->isVisible());
    QVERIFY(!f.find<QWidget>(QStringLiteral("按钮006"))->isVisible());
    QVERIFY(!f.find<QCheckBox>(QStringLiteral("选择框3"))->isChecked());
    QCOMPARE(f.find<QGroupBox>(QStringLiteral("分组框1"))->title(), QStringLiteral("接收\\反馈"));
    QCOMPARE(f.find<QLineEdit>(QStringLiteral("编辑框1"))->alignment() & Qt::AlignHCenter,
             Qt::AlignHCenter);
}

void MainWindowTest::windowIsFixedCentredAndIconed()
{
    WindowFixture f;
    MainWindow& w = *f.window;
    QCOMPARE(w.minimumSize(), w.maximumSize());
    QVERIFY(w.minimumWidth() >= 1072 && w.minimumHeight() >= 652 + 20);
    QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(w.windowFlags() & Qt::WindowMinimizeButtonHint);
    const QImage icon = appIconImage();
    QCOMPARE(icon.size(), QSize(256, 256));
    QCOMPARE(icon.depth(), 32);
    QVERIFY(icon.hasAlphaChannel());
    QVERIFY(!w.windowIcon().isNull());
}

void MainWindowTest::usagePageIsFixedAndReadOnly()
{
    WindowFixture f;
    auto* usage = f.find<QTextEdit>(QStringLiteral("超级编辑框1"));
    QVERIFY(usage->isReadOnly());
    const QString text = usageText();
    QVERIFY(text.startsWith(QString(109, QLatin1Char(' ')) + QStringLiteral("\r\n1、端口号：")));
    QVERIFY(text.endsWith(QStringLiteral("或16字节+用户数据")));
    QCOMPARE(text.count(QStringLiteral("\r\n")), 13);
    QCOMPARE(usage->toPlainText(),
             QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    QCOMPARE(usage->palette().color(QPalette::Base), QColor(236, 236, 236));
}

void MainWindowTest::verifyLinkButtons(const WindowFixture& f, bool enabled)
{
    for (const char* name : linkButtonNames)
        QVERIFY2(f.button(QString::fromUtf8(name))->isEnabled() == enabled, name);
    // These never depend on the port.
    for (const char* name : {"按钮1", "按钮3", "按钮003", "按钮004", "按钮13"})
        QVERIFY2(f.button(QString::fromUtf8(name))->isEnabled(), name);
}

void MainWindowTest::startUpState()
{
    WindowFixture f;
    QCOMPARE(f.window->statusText(), QStringLiteral("状态：串口未打开..."));
    QCOMPARE(f.find<QTabWidget>(QStringLiteral("选择夹1"))->currentIndex(), 0);
    QCOMPARE(f.button(QStringLiteral("按钮1"))->text(), QStringLiteral("启动"));
    QCOMPARE(f.find<QPlainTextEdit>(QStringLiteral("编辑框4"))->toPlainText(), QString());
    QCOMPARE(f.window->windowTitle(), base + f.window->automaticConfigFile());
    verifyLinkButtons(f, false);
}

void MainWindowTest::typedLettersBecomeUpperCaseWhereAsked()
{
    WindowFixture f;
    auto typed = [&](const char* name, const QString& keys) {
        auto* edit = f.find<QLineEdit>(QString::fromUtf8(name));
        edit->clear();
        QTest::keyClicks(edit, keys);
        return edit->text();
    };
    QCOMPARE(typed("编辑框5", QStringLiteral("ab 0f")), QStringLiteral("AB 0F"));
    QCOMPARE(typed("编辑框101", QStringLiteral("0a")), QStringLiteral("0A"));
    QCOMPARE(typed("编辑框223", QStringLiteral("fd")), QStringLiteral("FD"));
    QCOMPARE(typed("编辑框1", QStringLiteral("com")), QStringLiteral("com"));
    // No length limit in the data and test boxes.
    const QString longText(40000, QLatin1Char('A'));
    f.find<QLineEdit>(QStringLiteral("编辑框5"))->setText(longText);
    QCOMPARE(f.find<QLineEdit>(QStringLiteral("编辑框5"))->text().size(), longText.size());
    QCOMPARE(typed("编辑框2", QStringLiteral("ab")), QStringLiteral("ab"));
}

void MainWindowTest::selectorIndicesAreClamped_data()
{
    QTest::addColumn<int>("entry");
    QTest::addColumn<bool>("relay");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("selected");
    QTest::newRow("relay 20, area 1: scene") << 1 << true << 20 << 17;
    QTest::newRow("relay 20, area 2: scene") << 50 << true << 20 << 17;
    QTest::newRow("relay 20, feedback: relay 16") << 83 << true << 20 << 16;
    QTest::newRow("function 3, area 1: jog") << 1 << false << 3 << 3;
    QTest::newRow("function 3, feedback: on") << 123 << false << 3 << 1;
    QTest::newRow("-5 clears") << 41 << true << -5 << -1;
    QTest::newRow("-1 clears") << 42 << false << -1 << -1;
    QTest::newRow("0 selects") << 7 << true << 0 << 0;
}

void MainWindowTest::selectorIndicesAreClamped()
{
    QFETCH(int, entry);
    QFETCH(bool, relay);
    QFETCH(int, value);
    QFETCH(int, selected);
    WindowFixture f;
    LearningTable& table = f.window->learningTable();
    if (relay) {
        table.setRelayIndex(entry, value);
        QCOMPARE(table.relayIndex(entry), selected);
    } else {
        table.setFunctionIndex(entry, value);
        QCOMPARE(table.functionIndex(entry), selected);
    }
    if (selected == -1)
        QCOMPARE(
            (relay ? table.relaySelector(entry) : table.functionSelector(entry))->currentText(),
            QString());
}

void MainWindowTest::startOnTheTtyShowsItsSettings_data()
{
    QTest::addColumn<QString>("portText");
    QTest::addColumn<int>("linkedAs");
    QTest::addColumn<QString>("baudText");
    QTest::addColumn<QString>("status");
    const QString at1 = QStringLiteral("状态：串口号:1,波特率:9600,数据位:8,停止位:1,奇偶效验:假");
    QTest::newRow("port 1") << "1" << 1 << "9600" << at1;
    QTest::newRow("0 is clamped to 1") << "0" << 1 << "9600" << at1;
    QTest::newRow("empty box is port 1") << "" << 1 << "9600" << at1;
    QTest::newRow("COM3 has no leading number") << "COM3" << 1 << "9600" << at1;
    QTest::newRow("full-width digit")
        << "３" << 3 << "9600"
        << QStringLiteral("状态：串口号:3,波特率:9600,数据位:8,停止位:1,奇偶效验:假");
    QTest::newRow("blanks, sign, trailing text")
        << " +12x" << 12 << "１９２００bps"
        << QStringLiteral("状态：串口号:12,波特率:19200,数据位:8,停止位:1,奇偶效验:假");
}

void MainWindowTest::startOnTheTtyShowsItsSettings()
{
    QFETCH(QString, portText);
    QFETCH(int, linkedAs);
    QFETCH(QString, baudText);
    QFETCH(QString, status);
    WindowFixture f;
    QVERIFY(f.bus.linkAs(f.folder.path() + QStringLiteral("/ports"), linkedAs));
    QVERIFY(f.openPort(portText, baudText));
    QCOMPARE(f.window->statusText(), status);
    QCOMPARE(f.button(QStringLiteral("按钮1"))->text(), QStringLiteral("关闭"));
    verifyLinkButtons(f, true);

    // "关闭" does not close: it opens the port again with the boxes as they are now.
    f.click(QStringLiteral("按钮1"));
    QVERIFY(f.window->serialPort().isOpen());
    QCOMPARE(f.window->statusText(), status);
}

void MainWindowTest::startOnMissingPortShowsClosedState()
{
    WindowFixture f;
    QVERIFY(f.openPort());
    // Moving to a port that leads nowhere closes the old one and shows the closed state.
    QVERIFY(!f.openPort(QStringLiteral("99")));
    QVERIFY(!f.window->serialPort().isOpen());
    QCOMPARE(f.button(QStringLiteral("按钮1"))->text(), QStringLiteral("启动"));
    QCOMPARE(f.window->statusText(), QStringLiteral("状态：串口未打开..."));
    verifyLinkButtons(f, false);
    QVERIFY(f.dialogs.shown.empty()); // no box for a port failure
}

void MainWindowTest::hangUpWhileOpenShowsClosedState()
{
    WindowFixture f;
    QVERIFY(f.openPort());
    f.bus.hangUp();
    QTRY_VERIFY(!f.window->serialPort().isOpen());
    QCOMPARE(f.button(QStringLiteral("按钮1"))->text(), QStringLiteral("启动"));
    QCOMPARE(f.window->statusText(), QStringLiteral("状态：串口未打开..."));
    verifyLinkButtons(f, false);
}

void MainWindowTest::alwaysOnTopFollowsTheBox()
{
    WindowFixture f;
    auto* box = f.find<QCheckBox>(QStringLiteral("选择框3"));
    box->click();
    QVERIFY(f.window->windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(f.window->isVisible());
    box->click();
    QVERIFY(!(f.window->windowFlags() & Qt::WindowStaysOnTopHint));
    QVERIFY(f.window->isVisible());
}

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
