#pragma once

// The shape of the learning table, shared by the window, the entry encoding and the
// configuration keys: three areas of 41 entries, numbered 1..123 across the areas.
namespace learning {

constexpr int areaCount = 3;
constexpr int entriesPerArea = 41;
constexpr int entryCount = areaCount * entriesPerArea;

constexpr int firstEntryOfArea(int area)
{
    return (area - 1) * entriesPerArea + 1;
}

constexpr int areaOfEntry(int entry)
{
    return (entry - 1) / entriesPerArea + 1;
}

} // namespace learning
