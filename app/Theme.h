#pragma once

class QWidget;

// A flat look in the olive-green scheme: control frames in RGB 164, 185, 127.
void applyOliveTheme(QWidget* window);
