#pragma once

#include "app/LearningAreas.h"

#include <QString>

#include <array>

class QComboBox;
class QLineEdit;
class QWidget;

// One of the three learning areas, each a tab page of 41 entries.
struct LearningAreaInfo
{
    int number;          // 1..3
    int firstEntry;      // 1, 42, 83
    int pageIndex;       // tab page 0..2
    int relayChoices;    // 18 with "场景", 17 without
    int functionChoices; // 5, or 2 in the state feedback area
    const char* dataSection;
    const char* relaySection;
    const char* functionSection;

    int lastEntry() const { return firstEntry + entriesPerArea - 1; }
    static constexpr int entriesPerArea = learning::entriesPerArea;
};

// The 123 learning entries. The controls are the data: nothing is copied out of them.
class LearningTable
{
public:
    static constexpr int entryCount = learning::entryCount;

    static const LearningAreaInfo& area(int number);
    static int areaOfEntry(int entry);

    // Creates the entry controls on the three page layers, placed relative to the tab control.
    explicit LearningTable(const std::array<QWidget*, 3>& pageLayers);

    QComboBox* relaySelector(int entry) const { return m_entries.at(entry - 1).relay; }
    QComboBox* functionSelector(int entry) const { return m_entries.at(entry - 1).function; }
    QLineEdit* dataBox(int entry) const { return m_entries.at(entry - 1).data; }

    int relayIndex(int entry) const;
    int functionIndex(int entry) const;
    QString dataText(int entry) const;

    // Above the last choice selects the last one; -1 or less clears the selection.
    void setRelayIndex(int entry, int value);
    void setFunctionIndex(int entry, int value);
    void setDataText(int entry, const QString& text);

    static void setClampedIndex(QComboBox* selector, int value);

private:
    struct Entry
    {
        QComboBox* relay = nullptr;
        QComboBox* function = nullptr;
        QLineEdit* data = nullptr;
    };
    std::array<Entry, entryCount> m_entries;
};
