#pragma once

#include "config/ConfigKeys.h"

class LearningTable;
class QLineEdit;

// Moves the configuration between the window's controls and plain values.
ConfigValues collectConfigValues(const LearningTable& table, const QLineEdit& portBox,
                                 const QLineEdit& baudBox);
// Texts are put in unchanged; selector values are clamped by the table.
void applyConfigValues(const ConfigValues& values, LearningTable& table, QLineEdit& portBox,
                       QLineEdit& baudBox);
