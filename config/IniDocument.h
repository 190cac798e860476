#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <vector>

// An INI ("profile") file held as its bytes, read and changed the way the Windows profile
// functions do, while every byte that is not changed stays as it was. Names and values are
// raw GBK bytes.
//
// Syntax: lines end in CR LF, LF or CR. Space, tab and vertical tab around names and values
// do not count. "[name]" starts a section, "name=value" is a key, a line starting with ";"
// is a comment; any other line, and everything before the first section, is ignored.
// Section and key names compare without regard to ASCII letter case; of duplicates the
// first counts. Lookups fill caches, so one document serves one thread at a time.
class IniDocument
{
public:
    IniDocument() = default;
    explicit IniDocument(QByteArray content);

    // The document's bytes with every change applied.
    const QByteArray& content() const;

    // The value of key in section: empty when the section or key is missing; blanks at both
    // ends removed, then one pair of matching outer quotes; at most 10239 bytes.
    QByteArray value(const QByteArray& section, const QByteArray& key) const;

    // Replaces the value of the first matching key in place, or adds the key after the last
    // key line of its section, or adds the section at the end. A line break inside the
    // value is written as a blank so that a value never spans lines.
    void setValue(const QByteArray& section, const QByteArray& key, const QByteArray& value);

private:
    // The source bytes are never changed: changes are kept beside them and spliced in when
    // the content is asked for, so a large file costs one pass however many keys change.
    // Only the sections asked for have their key lines looked at.
    struct SectionLine
    {
        qsizetype nameBegin;
        qsizetype nameSize;
        qsizetype bodyBegin; // first byte after the section line
        qsizetype bodyEnd;   // first byte of the next section line
    };

    struct Written
    {
        QByteArray name; // of added keys
        QByteArray value;
    };

    struct Key
    {
        quint32 nameHash = 0;
        int written = -1;         // into Section::written once added or changed
        qsizetype nameBegin = -1; // in the source; -1 for added keys
        qsizetype nameSize = 0;
        qsizetype valueBegin = 0; // the raw value in the source: after "=" to the line end
        qsizetype valueEnd = 0;
    };

    struct Section
    {
        bool inSource = true;
        QByteArray name; // sections added by setValue
        qsizetype bodyBegin = 0;
        qsizetype bodyEnd = 0;
        bool keysIndexed = false;
        std::vector<Key> keys;             // first of duplicates only, in file order
        std::vector<int> keySlots;         // open addressing by name hash, into keys; -1: free
        int lastFound = -1;                // keys are mostly asked for in file order
        qsizetype insertAt = 0;            // after the last key line
        bool insertNeedsLineBreak = false; // that line ends the file without a break
        std::vector<Written> written;
        std::vector<int> addedKeys; // into keys, in the order added
    };

    void findSectionLines();
    void indexKeys(Section& section) const;
    int sectionIndex(const QByteArray& name) const;
    int keyIndex(Section& section, const QByteArray& key) const;
    int findKey(const Section& section, QByteArrayView name, quint32 nameHash) const;
    static void addKey(Section& section, const Key& key);
    QByteArrayView keyName(const Section& section, const Key& key) const;
    QByteArray rebuildContent() const;

    QByteArray m_source;
    std::vector<SectionLine> m_sectionLines;
    mutable std::vector<Section> m_sections;              // those asked for, and those added
    mutable QHash<QByteArray, int> m_sectionByFoldedName; // into m_sections; -1: missing
    mutable QByteArray m_lastSectionName;
    mutable int m_lastSectionIndex = -1;
    std::vector<int> m_addedSections; // into m_sections, in the order added
    mutable QByteArray m_content;
    mutable bool m_contentStale = false;
};

// Reads a whole file; a missing or unreadable file gives an empty document.
IniDocument readIniFile(const QString& path);

// Replaces the file with the document's bytes atomically (new content written to a file
// beside it, flushed to disk, then renamed over it), so that a crash or a full disk leaves
// the old file whole. A file the user made read-only is not replaced. A missing file is
// created. On failure answers false and puts a reason for the technician into *reason.
bool writeIniFile(const QString& path, const IniDocument& document, QString* reason);
