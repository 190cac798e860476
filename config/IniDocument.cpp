#include "config/IniDocument.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cstring>

namespace {

// The reading buffer of the profile functions holds 10240 bytes with the terminator.
constexpr qsizetype maxValueLength = 10239;

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v';
}

bool isLineBreak(char c)
{
    return c == '\r' || c == '\n';
}

// Code page 936 double-byte characters: a lead byte 0x81..0xFE and a trail byte 0x40..0xFE
// other than 0x7F. Trail bytes can look like ASCII letters or "]", so names are walked
// character by character.
bool startsDoubleByte(const char* text, qsizetype at, qsizetype size)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x81 || lead > 0xFE || at + 1 >= size)
        return false;
    const auto trail = static_cast<unsigned char>(text[at + 1]);
    return trail >= 0x40 && trail <= 0xFE && trail != 0x7F;
}

QByteArrayView trimmed(QByteArrayView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

bool isUpperAscii(char c)
{
    return c >= 'A' && c <= 'Z';
}

char lowerAscii(char c)
{
    return isUpperAscii(c) ? char(c - 'A' + 'a') : c;
}

// Names compared without regard to ASCII letter case become equal byte strings. Most names
// have nothing to fold; they are then borrowed, not copied, so the result must not outlive
// the bytes of name.
QByteArray foldedView(QByteArrayView name)
{
    const char* bytes = name.data();
    const qsizetype size = name.size();
    qsizetype first = 0;
    while (first < size && !isUpperAscii(bytes[first]))
        first += startsDoubleByte(bytes, first, size) ? 2 : 1;
    if (first >= size)
        return QByteArray::fromRawData(bytes, size);
    QByteArray result(bytes, size);
    char* folded = result.data();
    for (qsizetype i = first; i < size; ++i) {
        if (startsDoubleByte(bytes, i, size))
            ++i;
        else
            folded[i] = lowerAscii(folded[i]);
    }
    return result;
}

QByteArray ownedCopy(const QByteArray& bytes)
{
    return QByteArray(bytes.constData(), bytes.size());
}

// FNV-1a over the name as folded for comparison.
quint32 foldedHash(QByteArrayView name)
{
    const char* bytes = name.data();
    const qsizetype size = name.size();
    quint32 hash = 2166136261u;
    for (qsizetype i = 0; i < size; ++i) {
        char byte = bytes[i];
        if (startsDoubleByte(bytes, i, size)) {
            hash = (hash ^ static_cast<unsigned char>(byte)) * 16777619u;
            byte = bytes[++i];
        } else {
            byte = lowerAscii(byte);
        }
        hash = (hash ^ static_cast<unsigned char>(byte)) * 16777619u;
    }
    return hash;
}

bool equalsIgnoringCase(QByteArrayView name, QByteArrayView other)
{
    const qsizetype size = name.size();
    if (size != other.size())
        return false;
    if (size == 0 || std::memcmp(name.data(), other.data(), size_t(size)) == 0)
        return true;
    const char* bytes = name.data();
    for (qsizetype i = 0; i < size; ++i) {
        if (startsDoubleByte(bytes, i, size)) {
            if (bytes[i] != other[i] || bytes[i + 1] != other[i + 1])
                return false;
            ++i;
        } else if (lowerAscii(bytes[i]) != lowerAscii(other[i])) {
            return false;
        }
    }
    return true;
}

qsizetype lineTextEnd(const char* text, qsizetype from, qsizetype size)
{
    while (from < size && !isLineBreak(text[from]))
        ++from;
    return from;
}

qsizetype lineBreakLength(const char* text, qsizetype at, qsizetype size)
{
    if (at >= size)
        return 0;
    if (text[at] == '\r')
        return at + 1 < size && text[at + 1] == '\n' ? 2 : 1;
    return text[at] == '\n' ? 1 : 0;
}

QByteArray readableValue(QByteArrayView raw)
{
    QByteArrayView value = trimmed(raw);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.sliced(1, value.size() - 2);
    if (value.size() > maxValueLength) {
        // Cut before a double-byte character that would not fit whole.
        qsizetype cut = 0;
        while (cut < maxValueLength) {
            const qsizetype step = startsDoubleByte(value.data(), cut, value.size()) ? 2 : 1;
            if (cut + step > maxValueLength)
                break;
            cut += step;
        }
        value = value.first(cut);
    }
    return value.toByteArray();
}

QByteArray singleLine(const QByteArray& value)
{
    if (!value.contains('\r') && !value.contains('\n'))
        return value; // shared, not copied
    QByteArray line = value;
    line.replace('\r', ' ');
    line.replace('\n', ' ');
    return line;
}

} // namespace

IniDocument::IniDocument(QByteArray content) : m_source(std::move(content)), m_content(m_source)
{
    findSectionLines();
}

const QByteArray& IniDocument::content() const
{
    if (m_contentStale) {
        m_content = rebuildContent();
        m_contentStale = false;
    }
    return m_content;
}

// Section lines are found from their "[" alone, so the bodies of sections nobody asks for
// are never split into lines.
void IniDocument::findSectionLines()
{
    const char* text = m_source.constData();
    const qsizetype size = m_source.size();
    qsizetype searchFrom = 0;
    while (searchFrom < size) {
        const void* found = std::memchr(text + searchFrom, '[', size_t(size - searchFrom));
        if (!found)
            break;
        const qsizetype bracket = static_cast<const char*>(found) - text;
        qsizetype lineBegin = bracket;
        while (lineBegin > 0 && isBlank(text[lineBegin - 1]))
            --lineBegin;
        if (lineBegin > 0 && !isLineBreak(text[lineBegin - 1])) {
            searchFrom = bracket + 1;
            continue;
        }
        qsizetype closing = -1;
        qsizetype at = bracket + 1;
        while (at < size && !isLineBreak(text[at])) {
            if (text[at] == ']')
                closing = at;
            at += startsDoubleByte(text, at, size) ? 2 : 1;
        }
        const qsizetype bodyBegin = at + lineBreakLength(text, at, size);
        searchFrom = bodyBegin;
        if (closing < 0)
            continue; // not a section line: an ordinary line of the section before
        if (!m_sectionLines.empty())
            m_sectionLines.back().bodyEnd = lineBegin;
        const QByteArrayView name =
            trimmed(QByteArrayView(text + bracket + 1, closing - bracket - 1));
        m_sectionLines.push_back({name.data() - text, name.size(), bodyBegin, size});
    }
}

void IniDocument::indexKeys(Section& section) const
{
    section.keysIndexed = true;
    if (!section.inSource)
        return;
    const char* text = m_source.constData();
    const qsizetype size = m_source.size();
    section.insertAt = section.bodyBegin;
    section.insertNeedsLineBreak = !isLineBreak(text[section.bodyBegin - 1]);
    // Key lines of a configuration file are rarely shorter than 12 bytes.
    const size_t expectedKeys = size_t((section.bodyEnd - section.bodyBegin) / 12 + 4);
    section.keys.reserve(expectedKeys);
    size_t capacity = 16;
    while (capacity < expectedKeys * 2)
        capacity *= 2;
    section.keySlots.assign(capacity, -1);
    qsizetype lineBegin = section.bodyBegin;
    while (lineBegin < section.bodyEnd) {
        const qsizetype textEnd = lineTextEnd(text, lineBegin, size);
        const qsizetype next = textEnd + lineBreakLength(text, textEnd, size);
        qsizetype nameBegin = lineBegin;
        while (nameBegin < textEnd && isBlank(text[nameBegin]))
            ++nameBegin;
        if (nameBegin < textEnd && text[nameBegin] != ';') {
            const void* equals = std::memchr(text + nameBegin, '=', size_t(textEnd - nameBegin));
            if (equals) {
                const qsizetype equalsAt = static_cast<const char*>(equals) - text;
                const QByteArrayView name =
                    trimmed(QByteArrayView(text + nameBegin, equalsAt - nameBegin));
                const quint32 nameHash = foldedHash(name);
                if (findKey(section, name, nameHash) < 0) {
                    Key entry;
                    entry.nameHash = nameHash;
                    entry.nameBegin = name.data() - text;
                    entry.nameSize = name.size();
                    entry.valueBegin = equalsAt + 1;
                    entry.valueEnd = textEnd;
                    addKey(section, entry);
                }
                section.insertAt = next;
                section.insertNeedsLineBreak = next == textEnd;
            }
        }
        lineBegin = next;
    }
}

int IniDocument::findKey(const Section& section, QByteArrayView name, quint32 nameHash) const
{
    if (section.keySlots.empty())
        return -1;
    const size_t mask = section.keySlots.size() - 1;
    for (size_t slot = nameHash & mask;; slot = (slot + 1) & mask) {
        const int index = section.keySlots[slot];
        if (index < 0)
            return -1;
        const Key& key = section.keys[size_t(index)];
        if (key.nameHash == nameHash && equalsIgnoringCase(keyName(section, key), name))
            return index;
    }
}

void IniDocument::addKey(Section& section, const Key& key)
{
    section.keys.push_back(key);
    const size_t count = section.keys.size();
    if (count * 2 > section.keySlots.size()) {
        size_t capacity = 16;
        while (capacity < count * 4)
            capacity *= 2;
        section.keySlots.assign(capacity, -1);
        for (size_t index = 0; index + 1 < count; ++index) {
            size_t slot = section.keys[index].nameHash & (capacity - 1);
            while (section.keySlots[slot] >= 0)
                slot = (slot + 1) & (capacity - 1);
            section.keySlots[slot] = int(index);
        }
    }
    const size_t mask = section.keySlots.size() - 1;
    size_t slot = section.keys.back().nameHash & mask;
    while (section.keySlots[slot] >= 0)
        slot = (slot + 1) & mask;
    section.keySlots[slot] = int(count - 1);
}

// A section is looked up among the section lines the first time its name is asked for;
// the answer is kept, as the source never changes.
int IniDocument::sectionIndex(const QByteArray& name) const
{
    if (m_lastSectionIndex >= 0 && name == m_lastSectionName)
        return m_lastSectionIndex;
    const QByteArray folded = foldedView(name);
    int index = -1;
    const auto known = m_sectionByFoldedName.constFind(folded);
    if (known != m_sectionByFoldedName.cend()) {
        index = *known;
    } else {
        const QByteArrayView source(m_source);
        for (const SectionLine& line : m_sectionLines) {
            if (equalsIgnoringCase(source.sliced(line.nameBegin, line.nameSize), folded)) {
                Section section;
                section.bodyBegin = line.bodyBegin;
                section.bodyEnd = line.bodyEnd;
                m_sections.push_back(std::move(section));
                index = int(m_sections.size() - 1);
                break;
            }
        }
        m_sectionByFoldedName.insert(ownedCopy(folded), index);
    }
    if (index >= 0) {
        m_lastSectionName = ownedCopy(name);
        m_lastSectionIndex = index;
    }
    return index;
}

QByteArrayView IniDocument::keyName(const Section& section, const Key& key) const
{
    if (key.nameBegin < 0)
        return section.written[size_t(key.written)].name;
    return QByteArrayView(m_source).sliced(key.nameBegin, key.nameSize);
}

int IniDocument::keyIndex(Section& section, const QByteArray& key) const
{
    if (!section.keysIndexed)
        indexKeys(section);
    // Only first occurrences are listed, so a listed key of that name is the one.
    const int next = section.lastFound + 1;
    if (next < int(section.keys.size()) &&
        equalsIgnoringCase(keyName(section, section.keys[size_t(next)]), key)) {
        section.lastFound = next;
        return next;
    }
    const int found = findKey(section, key, foldedHash(key));
    if (found >= 0)
        section.lastFound = found;
    return found;
}

QByteArray IniDocument::value(const QByteArray& section, const QByteArray& key) const
{
    if (m_sectionLines.empty() && m_sections.empty())
        return {};
    const int index = sectionIndex(section);
    if (index < 0)
        return {};
    Section& found = m_sections[size_t(index)];
    const int foundKey = keyIndex(found, key);
    if (foundKey < 0)
        return {};
    const Key& entry = found.keys[size_t(foundKey)];
    if (entry.written >= 0)
        return readableValue(found.written[size_t(entry.written)].value);
    return readableValue(
        QByteArrayView(m_source).sliced(entry.valueBegin, entry.valueEnd - entry.valueBegin));
}

void IniDocument::setValue(const QByteArray& section, const QByteArray& key,
                           const QByteArray& value)
{
    int index = sectionIndex(section);
    if (index < 0) {
        Section added;
        added.inSource = false;
        added.name = section;
        added.keysIndexed = true;
        m_sections.push_back(std::move(added));
        index = int(m_sections.size() - 1);
        m_sectionByFoldedName.insert(ownedCopy(foldedView(section)), index);
        m_addedSections.push_back(index);
    }
    Section& target = m_sections[size_t(index)];
    const int foundKey = keyIndex(target, key);
    if (foundKey >= 0) {
        Key& entry = target.keys[size_t(foundKey)];
        if (entry.written < 0) {
            entry.written = int(target.written.size());
            target.written.push_back({});
        }
        target.written[size_t(entry.written)].value = singleLine(value);
    } else {
        Key entry;
        entry.nameHash = foldedHash(key);
        entry.written = int(target.written.size());
        target.written.push_back({key, singleLine(value)});
        addKey(target, entry);
        const int added = int(target.keys.size() - 1);
        target.addedKeys.push_back(added);
        target.lastFound = added;
    }
    m_contentStale = true;
}

QByteArray IniDocument::rebuildContent() const
{
    struct Splice
    {
        qsizetype begin;
        qsizetype end;
        QByteArrayView text;
    };
    std::vector<Splice> splices;
    std::vector<QByteArray> addedLines; // what the splices of added keys point into
    addedLines.reserve(m_sections.size());
    qsizetype size = m_source.size();
    for (const Section& section : m_sections) {
        if (!section.inSource)
            continue;
        for (const Key& key : section.keys) {
            if (key.nameBegin >= 0 && key.written >= 0) {
                const QByteArray& value = section.written[size_t(key.written)].value;
                splices.push_back({key.valueBegin, key.valueEnd, value});
                size += value.size() - (key.valueEnd - key.valueBegin);
            }
        }
        if (section.addedKeys.empty())
            continue;
        QByteArray lines;
        if (section.insertNeedsLineBreak)
            lines += "\r\n";
        for (const int added : section.addedKeys) {
            const Written& key = section.written[size_t(section.keys[size_t(added)].written)];
            lines += key.name + '=' + key.value + "\r\n";
        }
        size += lines.size();
        addedLines.push_back(std::move(lines));
        splices.push_back({section.insertAt, section.insertAt, addedLines.back()});
    }
    // Sections are taken up in the order they were first asked for. Within one, a changed
    // value and the added keys can meet at the end of a file without a final line break;
    // the value, pushed first, stays first.
    const auto byPosition = [](const Splice& a, const Splice& b) { return a.begin < b.begin; };
    if (!std::is_sorted(splices.begin(), splices.end(), byPosition))
        std::stable_sort(splices.begin(), splices.end(), byPosition);

    QByteArray result(size, Qt::Uninitialized);
    char* out = result.data();
    const auto put = [&out](const char* bytes, qsizetype count) {
        if (count > 0)
            std::memcpy(out, bytes, size_t(count));
        out += count;
    };
    const char* source = m_source.constData();
    qsizetype copied = 0;
    for (const Splice& splice : splices) {
        put(source + copied, splice.begin - copied);
        put(splice.text.data(), splice.text.size());
        copied = splice.end;
    }
    put(source + copied, m_source.size() - copied);

    for (const int index : m_addedSections) {
        const Section& section = m_sections[size_t(index)];
        if (!result.isEmpty() && !isLineBreak(result.back()))
            result += "\r\n";
        result += '[' + section.name + "]\r\n";
        for (const Written& key : section.written)
            result += key.name + '=' + key.value + "\r\n";
    }
    return result;
}

IniDocument readIniFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return IniDocument();
    return IniDocument(file.readAll());
}

bool writeIniFile(const QString& path, const IniDocument& document, QString* reason)
{
    const auto fail = [&](const QString& text) {
        if (reason)
            *reason = text;
        return false;
    };
    const QString shownPath = QDir::toNativeSeparators(path);
    const QFileInfo existing(path);
    if (existing.isDir())
        return fail(QStringLiteral("该路径是一个文件夹，配置未保存：%1").arg(shownPath));
    if (existing.exists()) {
        // Renaming over the file would succeed even when it is read-only, so look first;
        // the permission bits count even for an administrator, as the read-only attribute
        // does on Windows.
        if (!existing.permissions().testFlag(QFileDevice::WriteOwner))
            return fail(QStringLiteral("文件为只读，配置未保存：%1").arg(shownPath));
        if (!existing.isWritable())
            return fail(QStringLiteral("没有写入该文件的权限，配置未保存：%1").arg(shownPath));
    }

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return fail(
            QStringLiteral("无法在文件夹 %1 中写入新文件（%2），配置未保存")
                .arg(QDir::toNativeSeparators(existing.absolutePath()), file.errorString()));
    }
    const QByteArray& bytes = document.content();
    // An unfinished new file is removed when file goes out of scope uncommitted.
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        return fail(
            QStringLiteral("写入失败（%1），原文件未改动：%2").arg(file.errorString(), shownPath));
    }
    return true;
}
