#include "app/LearningTable.h"

#include "app/WindowLayout.h"

#include <QComboBox>
#include <QLineEdit>

namespace {

const std::array<LearningAreaInfo, 3> areas = {{
    {1, 1, 0, 18, 5, "学习区指令1", "学习区1继电器", "学习区1状态"},
    {2, 42, 1, 18, 5, "学习区指令2", "学习区2继电器", "学习区2状态"},
    {3, 83, 2, 17, 2, "学习区指令3", "反馈区继电器", "反馈区状态"},
}};

// Where each column of an area starts, relative to the tab control.
struct ColumnPlace
{
    int relayX, functionX, dataX, firstRowY;
};
const std::array<std::array<ColumnPlace, 3>, 3> columnPlaces = {{
    {{{0, 59, 102, 23}, {360, 419, 464, 23}, {720, 779, 824, 23}}},
    {{{3, 62, 105, 24}, {360, 419, 464, 24}, {720, 779, 824, 24}}},
    {{{3, 62, 105, 23}, {360, 419, 462, 23}, {720, 779, 822, 23}}},
}};

QStringList relayChoiceTexts(int count)
{
    QStringList texts{QStringLiteral("禁用")};
    for (int relay = 1; relay <= 16; ++relay)
        texts.append(QStringLiteral("第%1路").arg(relay));
    texts.append(QStringLiteral("场景"));
    return texts.mid(0, count);
}

QStringList functionChoiceTexts(int count)
{
    const QStringList texts{QStringLiteral("关"), QStringLiteral("开"), QStringLiteral("翻转"),
                            QStringLiteral("点动"), QStringLiteral("场景")};
    return texts.mid(0, count);
}

} // namespace

const LearningAreaInfo& LearningTable::area(int number)
{
    return areas.at(number - 1);
}

int LearningTable::areaOfEntry(int entry)
{
    return learning::areaOfEntry(entry);
}

LearningTable::LearningTable(const std::array<QWidget*, 3>& pageLayers)
{
    QFont dataFont;
    dataFont.setPixelSize(10);
    dataFont.setWeight(QFont::Normal);

    for (int entry = 1; entry <= entryCount; ++entry) {
        const LearningAreaInfo& info = area(areaOfEntry(entry));
        const int k = entry - info.firstEntry + 1; // place in the area, 1..41
        const int column = k <= 16 ? 0 : (k <= 32 ? 1 : 2);
        const int row = k - (column == 0 ? 0 : column == 1 ? 16 : 32); // 1-based
        const ColumnPlace& place = columnPlaces[info.number - 1][column];
        const int y = place.firstRowY + 25 * (row - 1);
        QWidget* layer = pageLayers[info.number - 1];

        Entry& e = m_entries[entry - 1];
        e.relay =
            makeSelector(layer, QStringLiteral("组合框%1").arg(entry, 3, 10, QLatin1Char('0')),
                         QRect(place.relayX, y, 55, 20), relayChoiceTexts(info.relayChoices));
        e.function = makeSelector(layer, QStringLiteral("组合框%1").arg(600 + entry),
                                  QRect(place.functionX, y, 38, 20),
                                  functionChoiceTexts(info.functionChoices));
        e.function->setCurrentIndex(1); // "开" until a configuration is loaded
        e.data = makeUpperCaseEdit(layer, QStringLiteral("编辑框%1").arg(100 + entry),
                                   QRect(place.dataX, y, 230, 20));
        e.data->setFont(dataFont);
    }
}

int LearningTable::relayIndex(int entry) const
{
    return relaySelector(entry)->currentIndex();
}

int LearningTable::functionIndex(int entry) const
{
    return functionSelector(entry)->currentIndex();
}

QString LearningTable::dataText(int entry) const
{
    return dataBox(entry)->text();
}

void LearningTable::setRelayIndex(int entry, int value)
{
    setClampedIndex(relaySelector(entry), value);
}

void LearningTable::setFunctionIndex(int entry, int value)
{
    setClampedIndex(functionSelector(entry), value);
}

void LearningTable::setDataText(int entry, const QString& text)
{
    dataBox(entry)->setText(text);
}

void LearningTable::setClampedIndex(QComboBox* selector, int value)
{
    const int last = selector->count() - 1;
    if (value > last)
        selector->setCurrentIndex(last);
    else if (value <= -1)
        selector->setCurrentIndex(-1);
    else
        selector->setCurrentIndex(value);
}
