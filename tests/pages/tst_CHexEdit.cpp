#include "CHexEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QTest>

class TestCHexEdit : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void typedCharacters_data();
    void typedCharacters();
    void composedInput();
    void lengthLimitComesFromTheOwner();
    void pasteIsNotFiltered();
    void controlCharacters();
    void editingKeysKeepWorking();
};

void TestCHexEdit::typedCharacters_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");

    QTest::newRow("digit, lower, blank, upper") << ""
                                                << "1a F"
                                                << "1a F";
    QTest::newRow("all hex digits") << ""
                                    << "0123456789abcdefABCDEF"
                                    << "0123456789abcdefABCDEF";
    QTest::newRow("letters beyond F") << "12"
                                      << "gGxXz"
                                      << "12";
    QTest::newRow("minus and punctuation") << "12"
                                           << "-+.,:"
                                           << "12";
    QTest::newRow("Chinese character") << "12"
                                       << "中"
                                       << "12";
    QTest::newRow("full-width digit") << "12"
                                      << "１"
                                      << "12";
    QTest::newRow("mixed run keeps the hex") << ""
                                             << "0x7FF"
                                             << "07FF";
}

void TestCHexEdit::typedCharacters()
{
    QFETCH(QString, start);
    QFETCH(QString, typed);
    QFETCH(QString, expected);

    CHexEdit edit;
    edit.setText(start);
    edit.end(false);
    // One key event per character with the character as its text, which is
    // how a keyboard layout or an input method delivers anything it types.
    for (const QChar c : typed)
        QTest::sendKeyEvent(QTest::Click, &edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
    QCOMPARE(edit.text(), expected);
}

void TestCHexEdit::composedInput()
{
    CHexEdit edit;
    edit.setText(QStringLiteral("12"));
    edit.end(false);
    for (const QString& committed :
         {QStringLiteral("中文"), QStringLiteral("A中"), QStringLiteral("ab")}) {
        QInputMethodEvent event;
        event.setCommitString(committed);
        QApplication::sendEvent(&edit, &event);
    }
    QCOMPARE(edit.text(), QStringLiteral("12ab"));
}

void TestCHexEdit::lengthLimitComesFromTheOwner()
{
    CHexEdit edit;
    QTest::keyClicks(&edit, "1234567890ABCDEF");
    QCOMPARE(edit.text(), QStringLiteral("1234567890ABCDEF"));

    edit.clear();
    edit.setMaxLength(2);
    QTest::keyClicks(&edit, "123");
    QCOMPARE(edit.text(), QStringLiteral("12"));
}

void TestCHexEdit::pasteIsNotFiltered()
{
    CHexEdit edit;
    edit.setMaxLength(5);
    QApplication::clipboard()->setText(QStringLiteral("zz-中"));
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(edit.text(), QStringLiteral("zz-中"));

    QApplication::clipboard()->setText(QStringLiteral("zzzzzz"));
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(edit.text(), QStringLiteral("zz-中z"));
}

void TestCHexEdit::controlCharacters()
{
    CHexEdit edit;
    edit.setText(QStringLiteral("AB CD"));
    edit.selectAll();
    QApplication::clipboard()->setText(QStringLiteral("before"));

    QTest::keyClick(&edit, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(edit.text(), QStringLiteral("AB CD"));
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("before"));

    QTest::keyClick(&edit, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("AB CD"));

    edit.end(false);
    QTest::keyClick(&edit, Qt::Key_1);
    QTest::keyClick(&edit, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(edit.text(), QStringLiteral("AB CD1"));

    // Ctrl+A types a control character too, so it does not select all.
    edit.deselect();
    QTest::keyClick(&edit, Qt::Key_A, Qt::ControlModifier);
    QVERIFY(!edit.hasSelectedText());
}

void TestCHexEdit::editingKeysKeepWorking()
{
    CHexEdit edit;
    edit.setText(QStringLiteral("12 34"));
    edit.end(false);

    QTest::keyClick(&edit, Qt::Key_Backspace);
    QCOMPARE(edit.text(), QStringLiteral("12 3"));

    QTest::keyClick(&edit, Qt::Key_Home);
    QTest::keyClick(&edit, Qt::Key_Delete);
    QCOMPARE(edit.text(), QStringLiteral("2 3"));

    QTest::keyClick(&edit, Qt::Key_Right);
    QTest::keyClick(&edit, 'F');
    QCOMPARE(edit.text(), QStringLiteral("2F 3"));

    QTest::keyClick(&edit, Qt::Key_End);
    QTest::keyClick(&edit, Qt::Key_Left);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QCOMPARE(edit.text(), QStringLiteral("2F3"));
}

QTEST_MAIN(TestCHexEdit)
#include "tst_CHexEdit.moc"
