#include "support/WindowFixture.h"

#include "app/DataFolder.h"
#include "link/SerialPort.h"

#include <QLineEdit>

WindowFixture::WindowFixture()
{
    bus.linkAs(portsFolder(folder.path()), 1);
    window = std::make_unique<MainWindow>(folder.path(), dialogs);
    window->show();
}

WindowFixture::~WindowFixture()
{
    window.reset();
}

void WindowFixture::click(const QString& name) const
{
    QPushButton* b = button(name);
    Q_ASSERT_X(b, "WindowFixture::click", qPrintable(name));
    b->click();
}

bool WindowFixture::openPort(const QString& portText, const QString& baudText)
{
    find<QLineEdit>(QStringLiteral("编辑框1"))->setText(portText);
    find<QLineEdit>(QStringLiteral("编辑框2"))->setText(baudText);
    click(QStringLiteral("按钮1"));
    return window->serialPort().isOpen();
}

void WindowFixture::closeWindow()
{
    if (window)
        window->close();
}

void WindowFixture::restartWindow()
{
    closeWindow();
    window.reset();
    window = std::make_unique<MainWindow>(folder.path(), dialogs);
    window->show();
}
