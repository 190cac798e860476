#include "config/GbkText.h"
#include "config/IniDocument.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

QByteArray repeated(const QByteArray& piece, int times)
{
    QByteArray result;
    for (int i = 0; i < times; ++i)
        result += piece;
    return result;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return file.readAll();
}

bool putFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A document of about 1 MiB with a section of interest in the middle.
IniDocument largeDocument()
{
    QByteArray content;
    for (int section = 0; content.size() < (1 << 20); ++section) {
        content += "[other" + QByteArray::number(section) + "]\r\n";
        for (int key = 0; key < 20; ++key)
            content += "key" + QByteArray::number(key) + "=0102030405060708090A0B0C\r\n";
    }
    IniDocument document(content);
    document.setValue("target", "key", "new");
    return document;
}

} // namespace

class IniDocumentTest : public QObject
{
    Q_OBJECT

private slots:
    void gbkText_data();
    void gbkText();

    void readValue_data();
    void readValue();

    void writeValues_data();
    void writeValues();
    void changesMatchStepByStep();
    void copiesAreIndependent();

    void readFileThatCannotBeRead_data();
    void readFileThatCannotBeRead();

    void writeFile_data();
    void writeFile();
    void readOnlyFileIsKept();
    void unusableFolderIsReported();
    void folderWithoutWritePermission();
    void interruptedWriteKeepsOldFile_data();
    void interruptedWriteKeepsOldFile();
};

void IniDocumentTest::gbkText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("ascii") << QStringLiteral("01 0A ff\\~") << QByteArray("01 0A ff\\~");
    QTest::newRow("empty") << QString() << QByteArray();
    QTest::newRow("file name") << QStringLiteral("配置") << QByteArray("\xC5\xE4\xD6\xC3");
    QTest::newRow("section name") << QStringLiteral("串口配置")
                                  << QByteArray("\xB4\xAE\xBF\xDA\xC5\xE4\xD6\xC3");
    QTest::newRow("key with digits") << QStringLiteral("数据07")
                                     << QByteArray("\xCA\xFD\xBE\xDD"
                                                   "07");
    QTest::newRow("full-width digits") << QStringLiteral("１７") << QByteArray("\xA3\xB1\xA3\xB7");
    QTest::newRow("euro sign of code page 936") << QStringLiteral("€") << QByteArray("\x80");
    QTest::newRow("mixed") << QStringLiteral("A中文b")
                           << QByteArray("A\xD6\xD0\xCE\xC4"
                                         "b");
}

void IniDocumentTest::gbkText()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(gbk::encode(text), bytes);
    QCOMPARE(gbk::decode(bytes), text);
}

void IniDocumentTest::readValue_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("plain") << QByteArray("[s]\r\nk=v\r\n") << QByteArray("s") << QByteArray("k")
                           << QByteArray("v");
    QTest::newRow("empty document")
        << QByteArray() << QByteArray("s") << QByteArray("k") << QByteArray();
    QTest::newRow("missing section")
        << QByteArray("[t]\r\nk=v\r\n") << QByteArray("s") << QByteArray("k") << QByteArray();
    QTest::newRow("missing key") << QByteArray("[s]\r\nj=v\r\n") << QByteArray("s")
                                 << QByteArray("k") << QByteArray();
    QTest::newRow("empty value") << QByteArray("[s]\r\nk=\r\n") << QByteArray("s")
                                 << QByteArray("k") << QByteArray();
    QTest::newRow("no line break at the end")
        << QByteArray("[s]\r\nk=v") << QByteArray("s") << QByteArray("k") << QByteArray("v");
    QTest::newRow("blanks around name and value")
        << QByteArray("[s]\r\n \t\vk \t= \v 01 02 \t\r\n") << QByteArray("s") << QByteArray("k")
        << QByteArray("01 02");
    QTest::newRow("blanks inside the brackets")
        << QByteArray(" \t[ \ts \v]\r\nk=v\r\n") << QByteArray("s") << QByteArray("k")
        << QByteArray("v");
    QTest::newRow("text after the closing bracket")
        << QByteArray("[s] ; old\r\nk=v\r\n") << QByteArray("s") << QByteArray("k")
        << QByteArray("v");
    QTest::newRow("equals sign inside the value")
        << QByteArray("[s]\r\nk=a=b\r\n") << QByteArray("s") << QByteArray("k")
        << QByteArray("a=b");
    QTest::newRow("double quotes") << QByteArray("[s]\r\nk= \" a \" \r\n") << QByteArray("s")
                                   << QByteArray("k") << QByteArray(" a ");
    QTest::newRow("single quotes")
        << QByteArray("[s]\r\nk='5'\r\n") << QByteArray("s") << QByteArray("k") << QByteArray("5");
    QTest::newRow("only one pair of quotes")
        << QByteArray("[s]\r\nk=\"\"x\"\"\r\n") << QByteArray("s") << QByteArray("k")
        << QByteArray("\"x\"");
    QTest::newRow("quotes that do not match") << QByteArray("[s]\r\nk=\"x'\r\n") << QByteArray("s")
                                              << QByteArray("k") << QByteArray("\"x'");
    QTest::newRow("a lone quote") << QByteArray("[s]\r\nk=\"\r\n") << QByteArray("s")
                                  << QByteArray("k") << QByteArray("\"");
    QTest::newRow("comment line") << QByteArray("[s]\r\n;k=1\r\n  ;k=2\r\nk=3\r\n")
                                  << QByteArray("s") << QByteArray("k") << QByteArray("3");
    QTest::newRow("only a comment")
        << QByteArray("[s]\r\n;k=1\r\n") << QByteArray("s") << QByteArray("k") << QByteArray();
    QTest::newRow("first of duplicate keys")
        << QByteArray("[s]\r\nk=1\r\nK=2\r\n") << QByteArray("s") << QByteArray("k")
        << QByteArray("1");
    QTest::newRow("first of duplicate sections")
        << QByteArray("[s]\r\nk=1\r\n[t]\r\n[S]\r\nk=2\r\n") << QByteArray("s") << QByteArray("k")
        << QByteArray("1");
    QTest::newRow("key only in a later duplicate section")
        << QByteArray("[s]\r\nj=1\r\n[s]\r\nk=2\r\n") << QByteArray("s") << QByteArray("k")
        << QByteArray();
    QTest::newRow("letter case of names")
        << QByteArray("[SeCtIoN]\r\nKeY=v\r\n") << QByteArray("section") << QByteArray("kEy")
        << QByteArray("v");
    QTest::newRow("key before the first section")
        << QByteArray("k=1\r\n[s]\r\nj=2\r\n") << QByteArray("s") << QByteArray("k")
        << QByteArray();
    QTest::newRow("text before the first section")
        << QByteArray("junk [x]\r\nmore\r\n[s]\r\nk=v\r\n") << QByteArray("s") << QByteArray("k")
        << QByteArray("v");
    QTest::newRow("line without equals sign")
        << QByteArray("[s]\r\nk\r\nk=v\r\n") << QByteArray("s") << QByteArray("k")
        << QByteArray("v");
    QTest::newRow("key of the next section") << QByteArray("[s]\r\n[t]\r\nk=v\r\n")
                                             << QByteArray("s") << QByteArray("k") << QByteArray();
    QTest::newRow("bracket line without closing bracket")
        << QByteArray("[s]\r\n[t\r\nk=v\r\n") << QByteArray("s") << QByteArray("k")
        << QByteArray("v");
    QTest::newRow("LF line ends") << QByteArray("[a]\nk=1\n[s]\nj=2\nk=v\n") << QByteArray("s")
                                  << QByteArray("k") << QByteArray("v");
    QTest::newRow("CR line ends") << QByteArray("[a]\rk=1\r[s]\rj=2\rk=v\r") << QByteArray("s")
                                  << QByteArray("k") << QByteArray("v");
    QTest::newRow("mixed line ends") << QByteArray("[a]\r\nk=1\r[s]\nj=2\r\r\nk=v")
                                     << QByteArray("s") << QByteArray("k") << QByteArray("v");

    // Trail bytes of double-byte characters can equal "]" or ASCII letters.
    QTest::newRow("GBK names") << QByteArray("[\xB4\xAE\xBF\xDA\xC5\xE4\xD6\xC3]\r\n"
                                             "\xB6\xCB\xBF\xDA\xBA\xC5=3\r\n")
                               << QByteArray("\xB4\xAE\xBF\xDA\xC5\xE4\xD6\xC3")
                               << QByteArray("\xB6\xCB\xBF\xDA\xBA\xC5") << QByteArray("3");
    QTest::newRow("trail byte like a closing bracket")
        << QByteArray("[s]\r\n[\x81]\r\nk=v\r\n") << QByteArray("s") << QByteArray("k")
        << QByteArray("v");
    QTest::newRow("trail bytes differing in letter case")
        << QByteArray("[\xB0\x41]\r\nk=v\r\n") << QByteArray("\xB0\x61") << QByteArray("k")
        << QByteArray();
    QTest::newRow("trail byte letters of the same case")
        << QByteArray("[\xB0\x41]\r\nk=v\r\n") << QByteArray("\xB0\x41") << QByteArray("k")
        << QByteArray("v");

    const QByteArray longValue = repeated("A", 10300);
    QTest::newRow("10300 bytes cut to 10239")
        << "[s]\r\nk=" + longValue + "\r\n"
        << QByteArray("s") << QByteArray("k") << longValue.left(10239);
    QTest::newRow("10239 bytes whole") << "[s]\r\nk=" + longValue.left(10239) << QByteArray("s")
                                       << QByteArray("k") << longValue.left(10239);
    QTest::newRow("quoted long value") << "[s]\r\nk=\"" + longValue + "\"" << QByteArray("s")
                                       << QByteArray("k") << longValue.left(10239);
    QTest::newRow("double-byte character not cut in half")
        << "[s]\r\nk=" + repeated("\xB0\xA1", 5200) << QByteArray("s") << QByteArray("k")
        << repeated("\xB0\xA1", 5119);
}

void IniDocumentTest::readValue()
{
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, expected);

    const IniDocument document(content);
    QCOMPARE(document.value(section, key), expected);
    QCOMPARE(document.content(), content);
}

void IniDocumentTest::writeValues_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArrayList>("changes"); // section, key, value, section, key, ...
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("new document") << QByteArray() << QByteArrayList{"s", "k", "v"}
                                  << QByteArray("[s]\r\nk=v\r\n");
    QTest::newRow("empty value") << QByteArray() << QByteArrayList{"s", "k", ""}
                                 << QByteArray("[s]\r\nk=\r\n");
    QTest::newRow("two sections, no blank line between")
        << QByteArray() << QByteArrayList{"s", "a", "1", "t", "b", "2", "s", "c", "3"}
        << QByteArray("[s]\r\na=1\r\nc=3\r\n[t]\r\nb=2\r\n");
    QTest::newRow("replace in place, keeping the stored spelling")
        << QByteArray("; head\r\n[Sec]\r\n  Key \t= old \r\nz=1\r\n")
        << QByteArrayList{"sEC", "kEY", "new"}
        << QByteArray("; head\r\n[Sec]\r\n  Key \t=new\r\nz=1\r\n");
    QTest::newRow("replace a quoted value")
        << QByteArray("[s]\r\nk=\"x\"\r\n") << QByteArrayList{"s", "k", "5"}
        << QByteArray("[s]\r\nk=5\r\n");
    QTest::newRow("replace keeps the line end")
        << QByteArray("[s]\na=1\r\nk=2\rz=3\n") << QByteArrayList{"s", "k", "9"}
        << QByteArray("[s]\na=1\r\nk=9\rz=3\n");
    QTest::newRow("replace at the end without line break")
        << QByteArray("[s]\r\nk=1") << QByteArrayList{"s", "k", "5"} << QByteArray("[s]\r\nk=5");
    QTest::newRow("first of duplicate keys replaced")
        << QByteArray("[s]\r\nk=1\r\nk=2\r\n") << QByteArrayList{"s", "k", "5"}
        << QByteArray("[s]\r\nk=5\r\nk=2\r\n");
    QTest::newRow("new key below the last key, above blank and comment lines")
        << QByteArray("[s]\r\na=1\r\njunk\r\n\r\n; next\r\n[t]\r\nb=2\r\n")
        << QByteArrayList{"s", "k", "v"}
        << QByteArray("[s]\r\na=1\r\nk=v\r\njunk\r\n\r\n; next\r\n[t]\r\nb=2\r\n");
    QTest::newRow("new key in a section without keys")
        << QByteArray("[s]\r\n\r\n[t]\r\n") << QByteArrayList{"s", "k", "v"}
        << QByteArray("[s]\r\nk=v\r\n\r\n[t]\r\n");
    QTest::newRow("new key after a section line ending the file")
        << QByteArray("[s]") << QByteArrayList{"s", "k", "v"} << QByteArray("[s]\r\nk=v\r\n");
    QTest::newRow("new key after a key line ending the file")
        << QByteArray("[s]\r\na=1") << QByteArrayList{"s", "k", "v", "s", "a", "2"}
        << QByteArray("[s]\r\na=2\r\nk=v\r\n");
    QTest::newRow("new key keeps the caller's spelling")
        << QByteArray("[S]\r\n") << QByteArrayList{"s", "Key", "v"}
        << QByteArray("[S]\r\nKey=v\r\n");
    QTest::newRow("new key goes to the first of duplicate sections")
        << QByteArray("[s]\r\na=1\r\n[s]\r\nk=2\r\n") << QByteArrayList{"s", "k", "5"}
        << QByteArray("[s]\r\na=1\r\nk=5\r\n[s]\r\nk=2\r\n");
    QTest::newRow("comment that looks like the key")
        << QByteArray("[s]\r\n;k=1\r\n") << QByteArrayList{"s", "k", "5"}
        << QByteArray("[s]\r\nk=5\r\n;k=1\r\n");
    QTest::newRow("key before the first section is not the key")
        << QByteArray("k=1\r\n[s]\r\n") << QByteArrayList{"s", "k", "5"}
        << QByteArray("k=1\r\n[s]\r\nk=5\r\n");
    QTest::newRow("new section after a final line break")
        << QByteArray("[t]\r\nb=2\r\n") << QByteArrayList{"s", "k", "v"}
        << QByteArray("[t]\r\nb=2\r\n[s]\r\nk=v\r\n");
    QTest::newRow("new section after a file without final line break")
        << QByteArray("[t]\r\nb=2") << QByteArrayList{"s", "k", "v"}
        << QByteArray("[t]\r\nb=2\r\n[s]\r\nk=v\r\n");
    QTest::newRow("new section after CR-only lines")
        << QByteArray("[t]\rb=2\r") << QByteArrayList{"s", "k", "v"}
        << QByteArray("[t]\rb=2\r[s]\r\nk=v\r\n");
    QTest::newRow("new section after text without sections")
        << QByteArray("just text") << QByteArrayList{"s", "k", "v"}
        << QByteArray("just text\r\n[s]\r\nk=v\r\n");
    QTest::newRow("line breaks in a value become blanks")
        << QByteArray("[s]\r\nk=1\r\n") << QByteArrayList{"s", "k", "a\r\nb\rc\n", "s", "j", "\n"}
        << QByteArray("[s]\r\nk=a  b c \r\nj= \r\n");
    QTest::newRow("extra sections, comments and odd spacing")
        << QByteArray("; written by hand\r\n"
                      "[other]\r\n"
                      "x = 1\r\n"
                      "\r\n"
                      "  [ Port ]  \n"
                      "\tnumber\t=\t7\t\n"
                      "; baud follows\n"
                      "BAUD='4800'\n"
                      "\n"
                      "[Tail]\r\n"
                      "y=2")
        << QByteArrayList{"port", "number", "3", "port", "baud", "9600", "port", "parity",
                          "N",    "tail",   "y", "",     "data", "d01",  "01 02"}
        << QByteArray("; written by hand\r\n"
                      "[other]\r\n"
                      "x = 1\r\n"
                      "\r\n"
                      "  [ Port ]  \n"
                      "\tnumber\t=3\n"
                      "; baud follows\n"
                      "BAUD=9600\n"
                      "parity=N\r\n"
                      "\n"
                      "[Tail]\r\n"
                      "y=\r\n"
                      "[data]\r\n"
                      "d01=01 02\r\n");
    QTest::newRow("GBK names")
        << QByteArray("[\xB4\xAE\xBF\xDA\xC5\xE4\xD6\xC3]\r\n\xB6\xCB\xBF\xDA\xBA\xC5=1\r\n")
        << QByteArrayList{"\xB4\xAE\xBF\xDA\xC5\xE4\xD6\xC3", "\xB6\xCB\xBF\xDA\xBA\xC5", "3",
                          "\xB4\xAE\xBF\xDA\xC5\xE4\xD6\xC3", "\xB2\xA8\xCC\xD8\xC2\xCA", "9600"}
        << QByteArray("[\xB4\xAE\xBF\xDA\xC5\xE4\xD6\xC3]\r\n\xB6\xCB\xBF\xDA\xBA\xC5=3\r\n"
                      "\xB2\xA8\xCC\xD8\xC2\xCA=9600\r\n");
}

void IniDocumentTest::writeValues()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArrayList, changes);
    QFETCH(QByteArray, after);

    IniDocument document(before);
    for (qsizetype i = 0; i + 2 < changes.size(); i += 3) {
        document.setValue(changes[i], changes[i + 1], changes[i + 2]);
        const QByteArray written = changes[i + 2];
        const QByteArray expected = QByteArray(written).replace('\r', ' ').replace('\n', ' ');
        QCOMPARE(document.value(changes[i], changes[i + 1]), expected.trimmed());
    }
    QCOMPARE(document.content(), after);
}

// Many changes kept beside the source must give what one change at a time on freshly read
// bytes gives, and the document must read its own changes as a fresh reading would.
void IniDocumentTest::changesMatchStepByStep()
{
    const QByteArray start = "before\r\n[A]\r\na=1\n  B = 2 \r\n; c\r\n\r\n[b]\rx=\"q\"\r"
                             "[A]\r\nz=9\r\n[C]";
    const QByteArrayList sections = {"A", "a", "b", "B", "C", "new", "NEW", "other"};
    const QByteArrayList keys = {"a", "b", "B", "x", "z", "k", "K", "m"};
    const QByteArrayList values = {
        "", "1", " spaced ", "\"quoted\"", "two\r\nlines", "'x'", "\xB0\xA1\xB0\xA1", "=", "v"};

    QRandomGenerator random(20240917);
    IniDocument batch(start);
    QByteArray stepByStep = start;
    for (int change = 0; change < 300; ++change) {
        const QByteArray& section = sections[random.bounded(int(sections.size()))];
        const QByteArray& key = keys[random.bounded(int(keys.size()))];
        const QByteArray& value = values[random.bounded(int(values.size()))];
        batch.setValue(section, key, value);
        IniDocument single(stepByStep);
        single.setValue(section, key, value);
        stepByStep = single.content();

        if (change % 10 != 0)
            continue;
        QCOMPARE(batch.content(), stepByStep);
        const IniDocument fresh(stepByStep);
        for (const QByteArray& readSection : sections) {
            for (const QByteArray& readKey : keys)
                QCOMPARE(batch.value(readSection, readKey), fresh.value(readSection, readKey));
        }
    }
    QCOMPARE(batch.content(), stepByStep);
}

void IniDocumentTest::copiesAreIndependent()
{
    IniDocument original("[s]\r\nk=1\r\n");
    QCOMPARE(original.value("s", "k"), QByteArray("1"));
    IniDocument copy = original;
    copy.setValue("s", "k", "2");
    copy.setValue("t", "j", "3");
    original.setValue("s", "k", "4");

    QCOMPARE(original.content(), QByteArray("[s]\r\nk=4\r\n"));
    QCOMPARE(copy.content(), QByteArray("[s]\r\nk=2\r\n[t]\r\nj=3\r\n"));
    QCOMPARE(original.value("t", "j"), QByteArray());
}

void IniDocumentTest::readFileThatCannotBeRead_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("missing file") << QStringLiteral("missing.tvk");
    QTest::newRow("folder") << QStringLiteral("folder.tvk");
    QTest::newRow("missing folder") << QStringLiteral("nowhere/missing.tvk");
}

void IniDocumentTest::readFileThatCannotBeRead()
{
    QFETCH(QString, name);
    QTemporaryDir folder;
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("folder.tvk")));

    const IniDocument document = readIniFile(folder.filePath(name));
    QVERIFY(document.content().isEmpty());
    QVERIFY(document.value("s", "k").isEmpty());
}

void IniDocumentTest::writeFile_data()
{
    QTest::addColumn<bool>("fileExists");
    QTest::addColumn<QByteArray>("oldContent");
    QTest::newRow("missing file is created") << false << QByteArray();
    QTest::newRow("longer file is replaced whole")
        << true << QByteArray("[s]\r\nk=old\r\n" + repeated("; padding\r\n", 1000));
    QTest::newRow("empty file") << true << QByteArray();
}

void IniDocumentTest::writeFile()
{
    QFETCH(bool, fileExists);
    QFETCH(QByteArray, oldContent);

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("配置.tvk"));
    if (fileExists) {
        QVERIFY(putFile(path, oldContent));
        QVERIFY(
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    }

    IniDocument document = readIniFile(path);
    QCOMPARE(document.content(), oldContent);
    document.setValue("s", "k", "new");
    QString reason = QStringLiteral("untouched");
    QVERIFY(writeIniFile(path, document, &reason));
    QCOMPARE(reason, QStringLiteral("untouched"));

    QCOMPARE(fileBytes(path), document.content());
    QCOMPARE(readIniFile(path).value("s", "k"), QByteArray("new"));
    // Nothing of the new file is left beside it.
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
             QStringList{QStringLiteral("配置.tvk")});
#ifdef Q_OS_UNIX
    // The replacement keeps the old file's permissions.
    if (fileExists) {
        QCOMPARE(QFile::permissions(path) &
                     (QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup |
                      QFile::ReadOther | QFile::WriteOther),
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    }
#endif
}

void IniDocumentTest::readOnlyFileIsKept()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("kept.tvkcf"));
    const QByteArray old = "[s]\r\nk=old\r\n";
    QVERIFY(putFile(path, old));
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));

    IniDocument document = readIniFile(path);
    document.setValue("s", "k", "new");
    QString reason;
    QVERIFY(!writeIniFile(path, document, &reason));
    QVERIFY2(reason.contains(QStringLiteral("只读")), qPrintable(reason));
    QCOMPARE(fileBytes(path), old);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
             QStringList{QStringLiteral("kept.tvkcf")});
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
}

void IniDocumentTest::unusableFolderIsReported()
{
    QTemporaryDir folder;
    const QString notAFolder = folder.filePath(QStringLiteral("plain-file"));
    QVERIFY(putFile(notAFolder, "x"));

    QString reason;
    QVERIFY(
        !writeIniFile(notAFolder + QStringLiteral("/config.tvk"), IniDocument("[s]\r\n"), &reason));
    QVERIFY2(reason.contains(QDir::toNativeSeparators(notAFolder)), qPrintable(reason));
    QCOMPARE(fileBytes(notAFolder), QByteArray("x"));

    reason.clear();
    QVERIFY(!writeIniFile(folder.path(), IniDocument("[s]\r\n"), &reason));
    QVERIFY(!reason.isEmpty());
}

void IniDocumentTest::folderWithoutWritePermission()
{
    QTemporaryDir parent;
    const QString folder = parent.filePath(QStringLiteral("locked"));
    QVERIFY(QDir(parent.path()).mkdir(QStringLiteral("locked")));
    const QString path = folder + QStringLiteral("/config.tvk");
    QVERIFY(putFile(path, "old"));
    QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    const auto unlock = qScopeGuard([&] {
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    });

    QFile probe(folder + QStringLiteral("/probe"));
    if (probe.open(QIODevice::WriteOnly)) {
        probe.remove();
        QSKIP("This user may write into folders without write permission (administrator)");
    }

    QString reason;
    QVERIFY(!writeIniFile(path, IniDocument("[s]\r\nk=new\r\n"), &reason));
    QVERIFY2(reason.contains(QDir::toNativeSeparators(folder)), qPrintable(reason));
    QCOMPARE(fileBytes(path), QByteArray("old"));
}

void IniDocumentTest::interruptedWriteKeepsOldFile_data()
{
    QTest::addColumn<bool>("killed");
    QTest::newRow("disk full while writing") << false;
    QTest::newRow("program killed while writing") << true;
}

#ifdef Q_OS_UNIX
namespace {
void killSelf(int)
{
    raise(SIGKILL);
}
} // namespace
#endif

// A child process saves a 1 MiB document with a file size limit of 64 KiB: the write stops
// part-way, like a full disk, or the child is killed right there.
void IniDocumentTest::interruptedWriteKeepsOldFile()
{
#ifdef Q_OS_UNIX
    QFETCH(bool, killed);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("配置.tvk"));
    const QByteArray old = "[s]\r\nk=old\r\n";
    QVERIFY(putFile(path, old));
    const IniDocument document = largeDocument();

    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        signal(SIGXFSZ, killed ? killSelf : SIG_IGN);
        const rlimit limit{64 * 1024, 64 * 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
        QString reason;
        const bool written = writeIniFile(path, document, &reason);
        _exit(written ? 1 : reason.isEmpty() ? 2 : 0);
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    if (killed) {
        QVERIFY(WIFSIGNALED(status));
        QCOMPARE(WTERMSIG(status), SIGKILL);
    } else {
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0); // failed, with a reason
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
                 QStringList{QStringLiteral("配置.tvk")});
    }
    QCOMPARE(fileBytes(path), old);

    // The same save without the limit goes through.
    QString reason;
    QVERIFY2(writeIniFile(path, document, &reason), qPrintable(reason));
    QCOMPARE(fileBytes(path), document.content());
#else
    QSKIP("Needs fork and file size limits");
#endif
}

QTEST_GUILESS_MAIN(IniDocumentTest)
#include "tst_inidocument.moc"
