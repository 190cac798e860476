#pragma once

class QWidget;

// When the session ends the process politely (SIGTERM, SIGHUP, SIGINT), the window is closed
// as if by its close box, so the table is saved before the program ends. Call before the
// event loop runs; a signal that comes before the loop is handled once it runs. Nothing
// happens on platforms without these signals.
void closeOnTerminationSignals(QWidget* window);
