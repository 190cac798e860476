#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

class MainWindow;
class QComboBox;
class QLineEdit;
class QProgressBar;
class UserDialogs;

// The procedures that put frames on the bus: the management commands, the erases, the page
// writes and the test send. Frames are paced by waits during which the window keeps handling
// its events; only one procedure runs at a time, and one whose window closes mid-way stops at
// once without sending anything more.
class BusProcedures : public QObject
{
    Q_OBJECT
public:
    struct Controls
    {
        QProgressBar* progress;
        QComboBox* modeSelector;
        QComboBox* addressSelector;
        QLineEdit* testBox;
    };

    BusProcedures(MainWindow& window, UserDialogs& dialogs, const Controls& controls);

    void enterNetworkConfigMode();
    void generateSwitchPanel();
    void setContactMode();
    void setPanelAddress();
    void eraseLearningArea(int area);
    void writeLearningPage(int area);
    void sendTestText();

    // Shows the reason a data text is rejected, with the text as typed; true when acceptable.
    bool checkDataText(const QString& text);

private:
    enum class Command { NetworkConfig, SwitchPanel, ContactMode, PanelAddress };
    void runCommand(Command command);
    QByteArray commandFrame(Command command) const;
    void runPageWrite(int area);

    // Both answer false once the window is closing or gone; the caller must then return
    // without touching anything of the window.
    bool pause(int milliseconds);
    bool send(const QByteArray& hexText);

    QPointer<MainWindow> m_window;
    UserDialogs& m_dialogs;
    Controls m_controls;
};
