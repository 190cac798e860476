#include "config/ConfigStore.h"

#include "app/LearningTable.h"

#include <QLineEdit>

ConfigValues collectConfigValues(const LearningTable& table, const QLineEdit& portBox,
                                 const QLineEdit& baudBox)
{
    ConfigValues values;
    values.portNumber = portBox.text();
    values.baudRate = baudBox.text();
    for (int entry = 1; entry <= LearningTable::entryCount; ++entry) {
        const std::size_t i = std::size_t(entry - 1);
        values.dataText[i] = table.dataText(entry);
        values.relayIndex[i] = table.relayIndex(entry);
        values.functionIndex[i] = table.functionIndex(entry);
    }
    return values;
}

void applyConfigValues(const ConfigValues& values, LearningTable& table, QLineEdit& portBox,
                       QLineEdit& baudBox)
{
    portBox.setText(values.portNumber);
    baudBox.setText(values.baudRate);
    for (int entry = 1; entry <= LearningTable::entryCount; ++entry) {
        const std::size_t i = std::size_t(entry - 1);
        table.setDataText(entry, values.dataText[i]);
        table.setRelayIndex(entry, values.relayIndex[i]);
        table.setFunctionIndex(entry, values.functionIndex[i]);
    }
}
