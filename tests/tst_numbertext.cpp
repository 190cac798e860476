// The leading-number conversion used for the port boxes and stored selector values.
#include "link/NumberText.h"

#include <QtTest>

class NumberTextTest : public QObject
{
    Q_OBJECT
private slots:
    void leadingNumber_data();
    void leadingNumber();
};

void NumberTextTest::leadingNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("number");
    QTest::newRow("plain") << "3" << 3;
    QTest::newRow("full-width digit") << "３" << 3;
    QTest::newRow("full-width seventeen") << "１７" << 17;
    QTest::newRow("leading blanks") << "  5" << 5;
    QTest::newRow("full-width blank and tab") << "　\t9" << 9;
    QTest::newRow("trailing text") << "5abc" << 5;
    QTest::newRow("no number") << "abc" << 0;
    QTest::newRow("prefix before the number") << "COM3" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("minus") << "-1" << -1;
    QTest::newRow("full-width minus") << "－１" << -1;
    QTest::newRow("plus") << "+12" << 12;
    QTest::newRow("sign without digits") << "-" << 0;
    QTest::newRow("blank between sign and digits") << "- 4" << 0;
    QTest::newRow("mixed widths") << "1２3" << 123;
    QTest::newRow("too large is held") << "99999999999" << 2147483647;
    QTest::newRow("too small is held") << "-99999999999" << -2147483647 - 1;
    QTest::newRow("other script digits are not digits") << "٣" << 0;
}

void NumberTextTest::leadingNumber()
{
    QFETCH(QString, text);
    QFETCH(int, number);
    QCOMPARE(::leadingNumber(text), number);
}

QTEST_GUILESS_MAIN(NumberTextTest)
#include "tst_numbertext.moc"
