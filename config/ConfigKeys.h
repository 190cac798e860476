#pragma once

#include "app/LearningAreas.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <vector>

class IniDocument;

// The 371 keys of a configuration file, in the order the program writes them.
struct ConfigKey
{
    enum class Kind { PortNumber, BaudRate, Data, Relay, Function };
    Kind kind;
    int entryNumber; // 1..123 for Data, Relay and Function; 0 otherwise
    QString section;
    QString key;
};

const std::vector<ConfigKey>& configKeys();

// Everything a configuration file holds, as plain values.
struct ConfigValues
{
    QString portNumber;
    QString baudRate;
    std::array<QString, learning::entryCount> dataText; // index = entry number - 1
    std::array<int, learning::entryCount> relayIndex{}; // not clamped: the window clamps
    std::array<int, learning::entryCount> functionIndex{};
};

// All 371 keys from one document: missing texts are empty, selector values go through the
// leading-number conversion (full-width digits included), missing ones read 0.
ConfigValues readConfigValues(const IniDocument& document);

// All 371 keys into one document, in file order, with the same result as writing them one
// by one.
void writeConfigValues(IniDocument& document, const ConfigValues& values);
