#include "protocol/Procedures.h"

#include "app/LearningTable.h"
#include "app/MainWindow.h"
#include "app/UserDialogs.h"
#include "link/HexTransmit.h"
#include "link/ReceiveMonitor.h"
#include "link/SerialPort.h"
#include "protocol/EntryEncoding.h"
#include "protocol/Frames.h"

#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>

#include <vector>

namespace {

const QString infoCaption = QStringLiteral("信息：");

// Marks the window busy for the life of one procedure and frees it again, unless the
// window went away meanwhile.
class ProcedureScope
{
public:
    explicit ProcedureScope(MainWindow* window) : m_window(window)
    {
        m_started = window && window->beginProcedure();
    }
    ~ProcedureScope()
    {
        if (m_started && m_window)
            m_window->endProcedure();
    }
    bool started() const { return m_started; }

private:
    QPointer<MainWindow> m_window;
    bool m_started = false;
};

} // namespace

BusProcedures::BusProcedures(MainWindow& window, UserDialogs& dialogs, const Controls& controls)
    : QObject(&window), m_window(&window), m_dialogs(dialogs), m_controls(controls)
{
}

bool BusProcedures::pause(int milliseconds)
{
    // Only locals are used after the wait: the window, and this object with it, may be gone.
    const QPointer<MainWindow> window = m_window;
    waitWithEvents(milliseconds, [window] { return !window || window->isClosing(); });
    return window && !window->isClosing();
}

bool BusProcedures::send(const QByteArray& hexText)
{
    const QPointer<MainWindow> window = m_window;
    if (!window || window->isClosing())
        return false;
    sendHexText(window->serialPort(), hexText, [window] { return !window || window->isClosing(); });
    return window && !window->isClosing();
}

bool BusProcedures::checkDataText(const QString& text)
{
    const QString problem = encoding::dataTextProblem(text);
    if (problem.isEmpty())
        return true;
    m_dialogs.showMessage(problem, infoCaption, true);
    return false;
}

QByteArray BusProcedures::commandFrame(Command command) const
{
    switch (command) {
    case Command::NetworkConfig:
        return frames::networkConfig;
    case Command::SwitchPanel:
        return frames::switchPanel;
    case Command::ContactMode:
        return frames::mode(m_controls.modeSelector->currentIndex());
    case Command::PanelAddress:
        return frames::addressHead + m_controls.addressSelector->currentText().toLatin1() +
               frames::addressTail;
    }
    return {};
}

void BusProcedures::runCommand(Command command)
{
    static const QString confirmations[] = {
        QStringLiteral("总线上_所有_模块将进入配网状态；"),
        QStringLiteral("尽量避免多次点击生成面板"),
        QStringLiteral("即将对总线上_所有_模块进行干接点模式设置；"),
        QStringLiteral("即将对总线上_所有_面板进行写地址操作；"),
    };
    ProcedureScope scope(m_window);
    if (!scope.started())
        return;
    if (m_dialogs.showMessage(confirmations[int(command)], infoCaption, true) !=
        UserDialogs::answerOk)
        return;
    if (!pause(100))
        return;
    // The selectors are read now, after the confirmation; a mode without a frame sends nothing
    // but still takes its waits.
    const QByteArray frame = commandFrame(command);
    if (!frame.isEmpty() && !send(frame))
        return;
    pause(100);
}

void BusProcedures::enterNetworkConfigMode()
{
    runCommand(Command::NetworkConfig);
}

void BusProcedures::generateSwitchPanel()
{
    runCommand(Command::SwitchPanel);
}

void BusProcedures::setContactMode()
{
    runCommand(Command::ContactMode);
}

void BusProcedures::setPanelAddress()
{
    runCommand(Command::PanelAddress);
}

void BusProcedures::eraseLearningArea(int area)
{
    ProcedureScope scope(m_window);
    if (!scope.started())
        return;
    const QString confirm = QStringLiteral("确认擦除");
    if (m_dialogs.showMessage(confirm, confirm, true) != UserDialogs::answerOk)
        return;
    if (!pause(20))
        return;
    m_controls.progress->setValue(50);
    if (!send(frames::erase(area)))
        return;
    m_controls.progress->setValue(100);
    if (!pause(100))
        return;
    const QString done = QStringLiteral("完成擦除");
    m_dialogs.showMessage(done, done, false);
    m_controls.progress->setValue(0);
}

void BusProcedures::writeLearningPage(int area)
{
    ProcedureScope scope(m_window);
    if (!scope.started())
        return;
    runPageWrite(area);
}

void BusProcedures::runPageWrite(int area)
{
    const LearningAreaInfo& info = LearningTable::area(area);
    LearningTable& table = m_window->learningTable();

    // The texts are sent as they were checked: an edit made during the write cannot reach
    // the bus unchecked.
    std::vector<QString> checkedTexts;
    checkedTexts.reserve(LearningAreaInfo::entriesPerArea);
    for (int entry = info.firstEntry; entry <= info.lastEntry(); ++entry) {
        const QString text = table.dataText(entry);
        if (!checkDataText(text))
            return;
        checkedTexts.push_back(text);
    }

    if (!pause(20) || !send(frames::learningStart) || !pause(200))
        return;
    if (!send(frames::areaStart(area)) || !pause(area == 3 ? 100 : 200))
        return;

    if (m_dialogs.showMessage(QStringLiteral("确认写入"), infoCaption, true) !=
        UserDialogs::answerOk) {
        if (!pause(20) || !send(frames::areaEnd(area)) || !pause(200) ||
            !send(frames::learningEnd) || !pause(100))
            return;
        m_window->receiveMonitor().appendToLog(QStringLiteral("\r\n取消学习！\r\n"));
        return;
    }

    for (int k = 1; k <= LearningAreaInfo::entriesPerArea; ++k) {
        const int entry = info.firstEntry + k - 1;
        // Selectors are read as each entry is reached.
        const encoding::EncodedEntry encoded = encoding::encodeLearningEntry(
            area, {entry, table.relayIndex(entry), table.functionIndex(entry),
                   checkedTexts[std::size_t(k - 1)]});
        if (!encoded.leftOut) {
            if (encoded.newRelayIndex >= 0)
                table.setRelayIndex(entry, encoded.newRelayIndex);
            if (encoded.newFunctionIndex >= 0)
                table.setFunctionIndex(entry, encoded.newFunctionIndex);
            if (!send(encoded.frame) || !pause(150))
                return;
        }
        m_controls.progress->setValue(encoding::progressAfterEntry(k));
    }

    if (!pause(200) || !send(frames::areaEnd(area)) || !pause(200) || !send(frames::learningEnd) ||
        !pause(100))
        return;
    m_controls.progress->setValue(100);
    m_controls.progress->setValue(0);
    m_window->receiveMonitor().appendToLog(QStringLiteral("\r\n发送完成！\r\n"));
}

void BusProcedures::sendTestText()
{
    ProcedureScope scope(m_window);
    if (!scope.started())
        return;
    // The checked text is what is sent and echoed: the box stays editable during the wait.
    const QString text = m_controls.testBox->text();
    if (!checkDataText(text))
        return;
    if (!pause(50))
        return;
    if (!send(encoding::stripSpaces(text).toLatin1()))
        return;
    m_window->receiveMonitor().appendToLog(text + QStringLiteral("\r\n"));
}
