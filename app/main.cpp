#include "app/DataFolder.h"
#include "app/MainWindow.h"
#include "app/TerminationSignals.h"
#include "app/UserDialogs.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("relaytool"));
    QApplication::setOrganizationName(QStringLiteral("relaytool"));

    // Boxes say "确定" and "取消", as a technician on a Chinese desktop expects.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                     QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    WidgetDialogs dialogs;
    MainWindow window(defaultDataFolder(), dialogs);
    dialogs.setOwner(&window);
    closeOnTerminationSignals(&window);
    window.show();
    return QApplication::exec();
}
