#pragma once

#include "app/MainWindow.h"
#include "support/PtyBus.h"
#include "support/ScriptedDialogs.h"

#include <QPushButton>
#include <QTemporaryDir>

#include <memory>

// A window in a fresh data folder, its boxes answered by a script, and a pseudo-terminal
// linked as port 1.
class WindowFixture
{
public:
    WindowFixture();
    ~WindowFixture();

    template <typename T> T* find(const QString& name) const { return window->findChild<T*>(name); }
    QPushButton* button(const QString& name) const { return find<QPushButton>(name); }
    void click(const QString& name) const;
    // Types the port number and baud rate and clicks "启动"; true when the port is open.
    bool openPort(const QString& portText = QStringLiteral("1"),
                  const QString& baudText = QStringLiteral("9600"));
    // Creates a new window in the same data folder (after closing the current one).
    void restartWindow();
    // Closes the window as the user would; start-up and shut-down are the window's own.
    void closeWindow();

    QTemporaryDir folder;
    ScriptedDialogs dialogs;
    PtyBus bus;
    std::unique_ptr<MainWindow> window;
};
