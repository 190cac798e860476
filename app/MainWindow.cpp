#include "app/MainWindow.h"

#include "app/AppIcon.h"
#include "app/DataFolder.h"
#include "app/LearningTable.h"
#include "app/Theme.h"
#include "app/UserDialogs.h"
#include "app/WindowLayout.h"
#include "config/ConfigStore.h"
#include "config/IniDocument.h"
#include "link/NumberText.h"
#include "link/PortLocator.h"
#include "link/ReceiveMonitor.h"
#include "link/SerialPort.h"
#include "protocol/Procedures.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMoveEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTextEdit>
#include <QTimer>
#include <QToolTip>

const QString MainWindow::titleBase = QStringLiteral("TVK配置程序_继电器模块_V1.1   ");
const QString MainWindow::closedStatus = QStringLiteral("状态：串口未打开...");
const QString MainWindow::fileFilter = QStringLiteral("配置文件(*.tvkcf)");

namespace {

// The window's client area: the four groups and the status bar below them.
constexpr int clientWidth = 1072;
constexpr int groupsHeight = 652;
constexpr int statusBarHeight = 20;
constexpr QSize designedOuterSize(1080, 700);

QGroupBox* makeGroup(QWidget* parent, const QString& name, const QString& caption,
                     const QRect& place)
{
    auto* group = new QGroupBox(caption, parent);
    group->setObjectName(name);
    group->setGeometry(place);
    return group;
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, const QRect& place)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(place);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setAttribute(Qt::WA_TranslucentBackground);
    return label;
}

QLineEdit* makeCentredEdit(QWidget* parent, const QString& name, const QString& text,
                           const QRect& place)
{
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(name);
    edit->setGeometry(place);
    edit->setAlignment(Qt::AlignCenter);
    return edit;
}

} // namespace

MainWindow::MainWindow(const QString& dataFolder, UserDialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), m_dataFolder(dataFolder), m_dialogs(dialogs),
      m_locator(std::make_unique<PortLocator>(portsFolder(dataFolder)))
{
    const PortLocator* locator = m_locator.get();
    m_port = new SerialPort([locator](int n) { return locator->deviceFor(n); }, this);
    m_port->setObjectName(QStringLiteral("端口1"));
    buildWindow();
    connectHandlers();
    // The window is created: start-up runs to its end before any input is handled.
    startUp();
}

MainWindow::~MainWindow()
{
    if (!m_shutDownDone)
        shutDown();
}

void MainWindow::buildWindow()
{
    setWindowTitle(titleBase);
    setWindowIcon(appIcon());
    // Minimise and close, no maximise; the size is fixed.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(clientWidth, groupsHeight);
    setCentralWidget(client);

    buildSerialGroup(makeGroup(client, QStringLiteral("分组框2"), QStringLiteral("串口"),
                               QRect(0, 0, 184, 152)));
    buildReceiveGroup(makeGroup(client, QStringLiteral("分组框1"), QStringLiteral("接收\\反馈"),
                                QRect(184, 0, 512, 152)));
    buildConfigGroup(makeGroup(client, QStringLiteral("分组框4"), QStringLiteral("配置"),
                               QRect(704, 0, 360, 152)));
    buildLearningGroup(makeGroup(client, QStringLiteral("分组框3"),
                                 QStringLiteral("学习区-填入十六进制数据"),
                                 QRect(0, 160, 1072, 492)));

    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("状态条1"));
    bar->setSizeGripEnabled(false);
    bar->setFixedHeight(statusBarHeight);
    m_statusPane = new QLabel(QStringLiteral("状态："), bar);
    m_statusPane->setObjectName(QStringLiteral("statusPane"));
    m_statusPane->setFixedWidth(354);
    m_statusPane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    bar->addWidget(m_statusPane);

    setFixedSize(clientWidth, groupsHeight + statusBarHeight);
}

void MainWindow::buildSerialGroup(QGroupBox* group)
{
    makeLabel(group, QStringLiteral("透明标签1"), QStringLiteral("端口号："),
              QRect(14, 33, 43, 16));
    m_portBox = makeCentredEdit(group, QStringLiteral("编辑框1"), QStringLiteral("1"),
                                QRect(62, 29, 98, 22));
    m_portBox->installEventFilter(this); // its tooltip shows which device each number opens
    makeLabel(group, QStringLiteral("透明标签2"), QStringLiteral("波特率："),
              QRect(14, 64, 48, 16));
    m_baudBox = makeCentredEdit(group, QStringLiteral("编辑框2"), QStringLiteral("9600"),
                                QRect(62, 61, 98, 21));
    m_startButton =
        makeButton(group, QStringLiteral("按钮1"), QStringLiteral("启动"), QRect(14, 91, 70, 30));
    m_clearButton =
        makeButton(group, QStringLiteral("按钮3"), QStringLiteral("清空→"), QRect(98, 91, 70, 30));
    m_onTopBox = new QCheckBox(QStringLiteral("在所有窗口最前端"), group);
    m_onTopBox->setObjectName(QStringLiteral("选择框3"));
    m_onTopBox->setGeometry(12, 125, 120, 20);
}

void MainWindow::buildReceiveGroup(QGroupBox* group)
{
    m_log = new QPlainTextEdit(group);
    m_log->setObjectName(QStringLiteral("编辑框4"));
    m_log->setGeometry(8, 13, 488, 129);
    m_log->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_log->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_log->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_idleTimer = new QTimer(this);
    m_idleTimer->setObjectName(QStringLiteral("时钟1"));
    m_monitor = new ReceiveMonitor(m_log, m_idleTimer, this);
}

void MainWindow::buildConfigGroup(QGroupBox* group)
{
    makeButton(group, QStringLiteral("按钮003"), QStringLiteral("打开文件"), QRect(8, 16, 72, 35));
    makeButton(group, QStringLiteral("按钮004"), QStringLiteral("另存文件"), QRect(93, 16, 72, 35));
    makeButton(group, QStringLiteral("按钮007"), QStringLiteral("重置并进\r\n入配网状态"),
               QRect(190, 16, 72, 35));
    makeButton(group, QStringLiteral("按钮008"), QStringLiteral("生成开\r\n关面板"),
               QRect(275, 16, 72, 35));
    m_modeSelector = makeSelector(
        group, QStringLiteral("组合框1"), QRect(8, 125, 88, 20),
        {QStringLiteral("复位开关"), QStringLiteral("船型开关"), QStringLiteral("传感器")});
    makeButton(group, QStringLiteral("按钮005"), QStringLiteral("设置模式"),
               QRect(100, 125, 72, 20));

    QStringList addresses;
    for (int value = 0; value <= 0xFE; ++value)
        addresses.append(QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper());
    m_addressSelector =
        makeSelector(group, QStringLiteral("组合框2"), QRect(184, 125, 88, 20), addresses);
    m_addressSelector->hide();
    m_addressButton = makeButton(group, QStringLiteral("按钮006"), QStringLiteral("设置地址"),
                                 QRect(276, 125, 72, 20));
    m_addressButton->hide();
}

void MainWindow::buildLearningGroup(QGroupBox* group)
{
    m_tabs =
        new PagedTabControl(group, {QStringLiteral("控制学习区1"), QStringLiteral("控制学习区2"),
                                    QStringLiteral("状态反馈学习区"), QStringLiteral("使用说明")});
    m_tabs->setObjectName(QStringLiteral("选择夹1"));
    m_tabs->setGeometry(7, 16, 1060, 472);

    m_table = std::make_unique<LearningTable>(
        std::array<QWidget*, 3>{m_tabs->layer(0), m_tabs->layer(1), m_tabs->layer(2)});

    // The buttons of each learning page stand at the same places.
    struct PageButtons
    {
        const char* eraseName;
        const char* eraseCaption;
        const char* writeName;
    };
    const PageButtons pageButtons[3] = {
        {"按钮002", "擦除模块学习区1", "按钮001"},
        {"按钮10", "擦除模块学习区2", "按钮9"},
        {"按钮11", "擦除模块反馈区", "按钮12"},
    };
    for (int page = 0; page < 3; ++page) {
        makeButton(m_tabs->layer(page), QString::fromUtf8(pageButtons[page].eraseName),
                   QString::fromUtf8(pageButtons[page].eraseCaption), QRect(777, 383, 100, 35));
        makeButton(m_tabs->layer(page), QString::fromUtf8(pageButtons[page].writeName),
                   QStringLiteral("本页写入模块"), QRect(902, 383, 100, 35));
    }

    m_testBox =
        makeUpperCaseEdit(m_tabs->layer(0), QStringLiteral("编辑框5"), QRect(720, 280, 337, 48));
    QFont testFont;
    testFont.setPixelSize(12);
    testFont.setWeight(QFont::Normal);
    m_testBox->setFont(testFont);
    m_testButton = makeButton(m_tabs->layer(0), QStringLiteral("按钮13"),
                              QStringLiteral("发送测试↑"), QRect(832, 336, 100, 35));

    auto* usage = new QTextEdit(m_tabs->layer(3));
    usage->setObjectName(QStringLiteral("超级编辑框1"));
    usage->setGeometry(4, 24, 736, 408);
    usage->setReadOnly(true);
    usage->setFrameShape(QFrame::NoFrame);
    usage->setLineWrapMode(QTextEdit::WidgetWidth);
    usage->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    usage->setAutoFillBackground(true);
    QPalette usagePalette = usage->palette();
    usagePalette.setColor(QPalette::Base, QColor(236, 236, 236));
    usage->setPalette(usagePalette);
    usage->setFont(QFont(QStringLiteral("宋体"), 9));
    usage->setPlainText(usageText().replace(QStringLiteral("\r\n"), QStringLiteral("\n")));

    m_progress = new QProgressBar(group);
    m_progress->setObjectName(QStringLiteral("进度条1"));
    m_progress->setGeometry(7, 477, 1050, 10);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    m_progress->raise(); // over the lowest strip of the tab control, on every page

    // The nine buttons that need an open port, in the order both routines set them.
    const char* linkNames[9] = {"按钮001", "按钮002", "按钮007", "按钮008", "按钮005",
                                "按钮9",   "按钮10",  "按钮11",  "按钮12"};
    for (int i = 0; i < 9; ++i)
        m_linkButtons[std::size_t(i)] =
            window()->findChild<QPushButton*>(QString::fromUtf8(linkNames[i]));
}

void MainWindow::connectHandlers()
{
    m_procedures = new BusProcedures(*this, m_dialogs,
                                     {m_progress, m_modeSelector, m_addressSelector, m_testBox});
    auto onClick = [this](const char* name, auto handler) {
        QPushButton* button = findChild<QPushButton*>(QString::fromUtf8(name));
        Q_ASSERT(button);
        connect(button, &QPushButton::clicked, this, handler);
    };
    onClick("按钮1", [this] { startLink(); });
    onClick("按钮3", [this] { m_monitor->clearLog(); });
    onClick("按钮003", [this] { openConfigurationFile(); });
    onClick("按钮004", [this] { saveConfigurationAs(); });
    onClick("按钮007", [this] { m_procedures->enterNetworkConfigMode(); });
    onClick("按钮008", [this] { m_procedures->generateSwitchPanel(); });
    onClick("按钮005", [this] { m_procedures->setContactMode(); });
    onClick("按钮006", [this] { m_procedures->setPanelAddress(); });
    onClick("按钮002", [this] { m_procedures->eraseLearningArea(1); });
    onClick("按钮10", [this] { m_procedures->eraseLearningArea(2); });
    onClick("按钮11", [this] { m_procedures->eraseLearningArea(3); });
    onClick("按钮001", [this] { m_procedures->writeLearningPage(1); });
    onClick("按钮9", [this] { m_procedures->writeLearningPage(2); });
    onClick("按钮12", [this] { m_procedures->writeLearningPage(3); });
    onClick("按钮13", [this] { m_procedures->sendTestText(); });
    connect(m_onTopBox, &QCheckBox::clicked, this, [this] { applyAlwaysOnTop(); });
    // A whole delivery is shown at once: the log's text is the same as byte by byte.
    connect(m_port, &SerialPort::deliveryArrived, m_monitor, &ReceiveMonitor::showReceivedBytes);
    connect(m_port, &SerialPort::lost, this, [this] { showClosedState(); });
}

void MainWindow::startUp()
{
    m_windowTitleBase = titleBase;
    applyOliveTheme(this);
    setStatusText(closedStatus);
    m_monitor->clearLog();
    if (windowTitle() == m_windowTitleBase) {
        m_configPath = automaticConfigFile();
        loadConfiguration();
        setCaptionToConfigPath();
    }
    m_tabs->setCurrentIndex(0);
    disableLinkButtons();
}

void MainWindow::shutDown()
{
    m_closing = true;
    m_shutDownDone = true;
    m_configPath = automaticConfigFile();
    saveConfiguration();
    m_port->close();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!m_shutDownDone)
        shutDown();
    event->accept();
}

QString MainWindow::automaticConfigFile() const
{
    return automaticConfigPath(m_dataFolder);
}

void MainWindow::setCaptionToConfigPath()
{
    setWindowTitle(m_windowTitleBase + m_configPath);
}

void MainWindow::setStatusText(const QString& text)
{
    m_statusPane->setText(text);
}

QString MainWindow::statusText() const
{
    return m_statusPane->text();
}

void MainWindow::startLink()
{
    m_port->setPortNumber(leadingNumber(m_portBox->text()));
    m_port->setBaudRate(leadingNumber(m_baudBox->text()));
    // One silent retry: a port freshly released by another program may refuse the first try.
    if (m_port->start() || m_port->start())
        showOpenState();
    else
        showClosedState();
}

void MainWindow::showOpenState()
{
    // Read back from the port, so a clamped port number shows as it was opened.
    setStatusText(QStringLiteral("状态：串口号:%1,波特率:%2,数据位:%3,停止位:%4,奇偶效验:%5")
                      .arg(m_port->portNumber())
                      .arg(m_port->baudRate())
                      .arg(m_port->dataBits())
                      .arg(m_port->stopBitsCode())
                      .arg(m_port->parityCheck() ? QStringLiteral("真") : QStringLiteral("假")));
    enableLinkButtons();
    m_startButton->setText(QStringLiteral("关闭"));
}

void MainWindow::showClosedState()
{
    m_startButton->setText(QStringLiteral("启动"));
    setStatusText(closedStatus);
    disableLinkButtons();
}

void MainWindow::enableLinkButtons()
{
    refreshSendingButtons();
}

void MainWindow::disableLinkButtons()
{
    for (QPushButton* button : m_linkButtons)
        button->setEnabled(false);
}

void MainWindow::refreshSendingButtons()
{
    // A link button works exactly when the port is open and no procedure runs.
    const bool linkUsable = m_port->isOpen() && !m_procedureRunning;
    for (QPushButton* button : m_linkButtons)
        button->setEnabled(linkUsable);
    m_testButton->setEnabled(!m_procedureRunning);
    m_addressButton->setEnabled(!m_procedureRunning);
}

bool MainWindow::beginProcedure()
{
    if (m_procedureRunning || m_closing)
        return false;
    m_procedureRunning = true;
    refreshSendingButtons();
    return true;
}

void MainWindow::endProcedure()
{
    m_procedureRunning = false;
    if (!m_closing)
        refreshSendingButtons();
}

void MainWindow::applyAlwaysOnTop()
{
    const bool onTop = m_onTopBox->isChecked();
    const bool wasVisible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    // Changing a window flag hides the window; bring it back where it was.
    if (wasVisible)
        show();
}

void MainWindow::loadConfiguration()
{
    applyConfigValues(readConfigValues(readIniFile(m_configPath)), *m_table, *m_portBox,
                      *m_baudBox);
}

void MainWindow::saveConfiguration()
{
    IniDocument document = readIniFile(m_configPath);
    writeConfigValues(document, collectConfigValues(*m_table, *m_portBox, *m_baudBox));
    QString reason;
    if (!writeIniFile(m_configPath, document, &reason)) {
        // The technician must know the table was not kept.
        m_dialogs.showMessage(
            QStringLiteral("配置文件保存失败：\r\n%1\r\n%2").arg(m_configPath, reason),
            QStringLiteral("信息："), false);
    }
}

std::optional<QString> MainWindow::chooseConfigFile(FileDialogRequest::Kind kind)
{
    // The dialog keeps its settings between uses: the last file chosen, and the default
    // suffix once Save As has set it.
    FileDialogRequest request;
    request.kind = kind;
    request.filter = fileFilter;
    request.defaultSuffix = m_dialogDefaultSuffix;
    request.fileName = m_lastDialogFile;
    const std::optional<QString> chosen = m_dialogs.chooseFile(request);
    if (chosen) {
        m_lastDialogFile = *chosen;
        m_configPath = QDir::toNativeSeparators(*chosen);
        // The caption changes before the file is read or written.
        setCaptionToConfigPath();
    }
    return chosen;
}

void MainWindow::openConfigurationFile()
{
    if (chooseConfigFile(FileDialogRequest::Kind::Open))
        loadConfiguration();
}

void MainWindow::saveConfigurationAs()
{
    m_dialogDefaultSuffix = QStringLiteral("tvkcf");
    if (chooseConfigFile(FileDialogRequest::Kind::Save))
        saveConfiguration();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_portBox && event->type() == QEvent::ToolTip) {
        // Worked out when asked: adapters come and go while the tool runs.
        const auto* help = static_cast<QHelpEvent*>(event);
        QToolTip::showText(help->globalPos(), m_locator->describeMapping(), m_portBox);
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_centred) {
        m_centred = true;
        QTimer::singleShot(0, this, [this] { fitOuterSize(); });
    }
}

void MainWindow::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    // A window manager reports its frame some time after the window is shown; the outer
    // size is fitted once it is known.
    if (m_centred && !m_outerSizeFitted && frameGeometry().size() != geometry().size())
        QTimer::singleShot(0, this, [this] { fitOuterSize(); });
}

void MainWindow::fitOuterSize()
{
    const QSize frameExtra = frameGeometry().size() - geometry().size();
    if (!m_outerSizeFitted && (frameExtra.width() > 0 || frameExtra.height() > 0)) {
        m_outerSizeFitted = true;
        // Outer size as designed where the platform reports its frame, never smaller than
        // the groups and the status bar need.
        const QSize client = (designedOuterSize - frameExtra)
                                 .expandedTo(QSize(clientWidth, groupsHeight + statusBarHeight));
        setFixedSize(client);
    }
    if (const QScreen* screen = this->screen()) {
        const QRect available = screen->availableGeometry();
        const QSize outer = frameGeometry().size();
        move(available.x() + (available.width() - outer.width()) / 2,
             available.y() + (available.height() - outer.height()) / 2);
    }
}
