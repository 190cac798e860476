#include "app/Theme.h"

#include <QWidget>

void applyOliveTheme(QWidget* window)
{
    // Frames of every standard control in the scheme's olive; faces in a light olive-tinted
    // gradient, as the flat themed look draws them. The learning group's caption is red.
    window->setStyleSheet(QStringLiteral(R"(
QGroupBox {
    border: 1px solid rgb(164, 185, 127);
    border-radius: 4px;
    margin-top: 6px;
}
QGroupBox::title {
    subcontrol-origin: margin;
    subcontrol-position: top left;
    left: 8px;
    padding: 0 2px;
}
QGroupBox#分组框3::title { color: rgb(255, 0, 0); }
QPushButton {
    border: 1px solid rgb(164, 185, 127);
    border-radius: 3px;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fefef8, stop:1 #e3e9d3);
    padding: 0px;
}
QPushButton:hover { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:1 #eef3df); border-color: rgb(143, 170, 97); }
QPushButton:pressed { background: #d6dec2; }
QPushButton:disabled { color: #a0a49a; border-color: #cdd6bd; background: #f0f1ea; }
QPushButton:focus { border-color: rgb(128, 156, 80); }
QLineEdit, QPlainTextEdit {
    border: 1px solid rgb(164, 185, 127);
    background: white;
    color: black;
}
QComboBox {
    border: 1px solid rgb(164, 185, 127);
    background: white;
    color: black;
    padding: 0px 0px 0px 1px;
}
QComboBox::drop-down {
    border-left: 1px solid rgb(164, 185, 127);
    width: 11px;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fbfcf4, stop:1 #dfe7cc);
}
QComboBox::down-arrow { image: url(:/theme/arrow-down.xpm); width: 7px; height: 4px; }
QComboBox QAbstractItemView { border: 1px solid rgb(164, 185, 127); selection-background-color: rgb(164, 185, 127); }
QTabWidget::pane { border: 1px solid rgb(164, 185, 127); top: -1px; }
QTabBar::tab {
    border: 1px solid rgb(164, 185, 127);
    border-bottom: none;
    border-top-left-radius: 3px;
    border-top-right-radius: 3px;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fbfcf4, stop:1 #e3e9d3);
    padding: 2px 8px;
    height: 15px;
    margin-right: 1px;
}
QTabBar::tab:selected { background: #fbfcf6; border-top: 2px solid rgb(230, 160, 40); }
QTabBar::tab:!selected { margin-top: 2px; }
QProgressBar { border: 1px solid rgb(164, 185, 127); background: white; }
QProgressBar::chunk { background: rgb(143, 173, 87); }
QCheckBox::indicator { width: 11px; height: 11px; border: 1px solid rgb(164, 185, 127); background: white; }
QCheckBox::indicator:checked { image: url(:/theme/check.xpm); }
QStatusBar::item { border: none; }
)"));
}
