#pragma once

#include "app/UserDialogs.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>

#include <array>
#include <memory>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTextEdit;
class QTimer;
class LearningTable;
class PagedTabControl;
class PortLocator;
class ReceiveMonitor;
class SerialPort;
class BusProcedures;

// The tool's one window. Its controls are the data model: every handler reads what it needs
// from them when it needs it and writes its results back into them.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    static const QString titleBase;    // "TVK配置程序_继电器模块_V1.1   ", three blanks
    static const QString closedStatus; // "状态：串口未打开..."
    static const QString fileFilter;   // the file dialog's one choice

    // `dataFolder` holds the automatic configuration file and the `ports` folder.
    MainWindow(const QString& dataFolder, UserDialogs& dialogs, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Handlers, public so that tests can drive them like clicks.
    void startUp();
    void shutDown();
    void startLink();
    void applyAlwaysOnTop();
    void openConfigurationFile();
    void saveConfigurationAs();
    void loadConfiguration();
    void saveConfiguration();
    void enableLinkButtons();
    void disableLinkButtons();

    // Accessors for the parts the procedures and tests work with.
    LearningTable& learningTable() { return *m_table; }
    ReceiveMonitor& receiveMonitor() { return *m_monitor; }
    SerialPort& serialPort() { return *m_port; }
    QString statusText() const;
    QString configPath() const { return m_configPath; }
    QString dataFolder() const { return m_dataFolder; }
    QString automaticConfigFile() const;
    // True once the window has begun to close; procedures stop sending at once.
    bool isClosing() const { return m_closing; }

    // One bus procedure at a time: while one runs the other sending buttons are disabled.
    bool beginProcedure();
    void endProcedure();
    bool procedureRunning() const { return m_procedureRunning; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWindow();
    void buildSerialGroup(QGroupBox* group);
    void buildReceiveGroup(QGroupBox* group);
    void buildConfigGroup(QGroupBox* group);
    void buildLearningGroup(QGroupBox* group);
    void connectHandlers();
    void showOpenState();
    void showClosedState();
    void refreshSendingButtons();
    void fitOuterSize();
    void setStatusText(const QString& text);
    void setCaptionToConfigPath();
    // Shows the file dialog; a chosen file becomes the current configuration file.
    std::optional<QString> chooseConfigFile(FileDialogRequest::Kind kind);

    QString m_dataFolder;
    UserDialogs& m_dialogs;
    QString m_windowTitleBase;
    QString m_configPath;
    bool m_closing = false;
    bool m_shutDownDone = false;
    bool m_procedureRunning = false;
    bool m_centred = false;
    bool m_outerSizeFitted = false;
    QString m_lastDialogFile;      // the file dialog remembers the last chosen path
    QString m_dialogDefaultSuffix; // set by Save As, kept for later dialogs

    std::unique_ptr<PortLocator> m_locator;
    SerialPort* m_port = nullptr;
    std::unique_ptr<LearningTable> m_table;
    ReceiveMonitor* m_monitor = nullptr;
    BusProcedures* m_procedures = nullptr;

    QLabel* m_statusPane = nullptr;
    QLineEdit* m_portBox = nullptr;
    QLineEdit* m_baudBox = nullptr;
    QPushButton* m_startButton = nullptr;
    QPushButton* m_clearButton = nullptr;
    QCheckBox* m_onTopBox = nullptr;
    QPlainTextEdit* m_log = nullptr;
    QTimer* m_idleTimer = nullptr;
    QComboBox* m_modeSelector = nullptr;
    QComboBox* m_addressSelector = nullptr;
    QPushButton* m_addressButton = nullptr;
    QPushButton* m_testButton = nullptr;
    QLineEdit* m_testBox = nullptr;
    PagedTabControl* m_tabs = nullptr;
    QProgressBar* m_progress = nullptr;
    // In the order both routines set them.
    std::array<QPushButton*, 9> m_linkButtons{};
};
