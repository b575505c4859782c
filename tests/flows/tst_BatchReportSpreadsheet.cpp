// The station's CSV as a spreadsheet program reads it: LibreOffice Calc,
// run headless, converts the report into a flat OpenDocument spreadsheet,
// whose cells say what the program made of each field. Skipped, saying so,
// where LibreOffice is not installed (scripts/setup installs it).
#include "CBatchReport.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QXmlStreamReader>

namespace {

// A converted file comes in seconds; a loaded machine may take many more.
constexpr int kConversionMs = 180000;

struct Cell
{
    QString type;  // "string", "float", "date", ...
    QString value; // the date's value for a date, else the text shown
    bool formula = false;
};

using Rows = QList<QList<Cell>>;

// The first table's rows, repeated cells spelt out.
Rows ReadCells(QIODevice& file)
{
    Rows rows;
    QXmlStreamReader xml(&file);
    Cell cell;
    int repeated = 1;
    bool inCell = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("table-row")) {
            rows.append(QList<Cell>());
        } else if (xml.isStartElement() && xml.name() == QLatin1String("table-cell")) {
            const QXmlStreamAttributes attributes = xml.attributes();
            cell = {attributes.value(QLatin1String("office:value-type")).toString(),
                    attributes.value(QLatin1String("office:date-value")).toString(),
                    attributes.hasAttribute(QLatin1String("table:formula"))};
            repeated = std::max(
                1, attributes.value(QLatin1String("table:number-columns-repeated")).toInt());
            inCell = true;
        } else if (inCell && xml.isStartElement() && xml.name() == QLatin1String("p")) {
            const QString text = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            if (cell.value.isEmpty())
                cell.value = text;
        } else if (xml.isEndElement() && xml.name() == QLatin1String("table-cell")) {
            if (!rows.isEmpty())
                for (int index = 0; index < repeated && index < 64; ++index)
                    rows.last().append(cell);
            inCell = false;
        } else if (xml.isEndElement() && xml.name() == QLatin1String("table")) {
            break;
        }
    }
    return rows;
}

} // namespace

class TestBatchReportSpreadsheet : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void calcReadsTheReportAsWritten();
};

void TestBatchReportSpreadsheet::calcReadsTheReportAsWritten()
{
    const QString office = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (office.isEmpty())
        QSKIP("LibreOffice (soffice) is not installed: the spreadsheet import is not checked");
    QTemporaryDir folder;
    QVERIFY(folder.isValid());

    PortOutcome formula;
    formula.port = QStringLiteral("=1+2");
    formula.device = QStringLiteral("@SUM(A1)");
    formula.serialNumber = QStringLiteral("+1+cmd");
    formula.result = PortOutcome::Result::Failed;
    formula.reason = QStringLiteral("设备未连接！请检查转换器的电源和接线");
    formula.time = QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7), Qt::OffsetFromUTC, 8 * 3600);
    const BatchRun run{QStringLiteral("产线 3.json"), QStringLiteral("ab12"),
                       QStringLiteral("Ostrel-X"), QStringLiteral("station-3"),
                       QStringLiteral("2.1.0")};
    const QString csv = folder.filePath(QStringLiteral("report.csv"));
    QVERIFY(!CBatchReport::Save(CBatchReport::BaseOf(csv), run, {formula}));

    // Field separator, text delimiter, UTF-8, first line: as the import of a
    // file with a UTF-8 byte-order mark reads it.
    QProcess calc;
    calc.setProcessChannelMode(QProcess::MergedChannels);
    calc.start(office,
               {QStringLiteral("-env:UserInstallation=") +
                    QUrl::fromLocalFile(folder.filePath(QStringLiteral("profile"))).toString(),
                QStringLiteral("--headless"), QStringLiteral("--infilter=CSV:44,34,76,1"),
                QStringLiteral("--convert-to"), QStringLiteral("fods"), QStringLiteral("--outdir"),
                folder.path(), csv});
    QVERIFY2(calc.waitForFinished(kConversionMs), "LibreOffice did not finish converting");
    QFile converted(folder.filePath(QStringLiteral("report.fods")));
    QVERIFY2(converted.open(QIODevice::ReadOnly), calc.readAll().constData());
    const Rows rows = ReadCells(converted);

    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows.at(0).size(), 14);
    QCOMPARE(rows.at(0).at(0).value, QStringLiteral("port")); // no mark left in front
    const QList<Cell>& port = rows.at(1);
    // Text, shown with the mark that keeps it so, never a formula's result.
    for (const int column : {0, 1, 3}) {
        QVERIFY2(!port.at(column).formula, qPrintable(port.at(column).value));
        QCOMPARE(port.at(column).type, QStringLiteral("string"));
    }
    QCOMPARE(port.at(0).value, QStringLiteral("'=1+2"));
    QCOMPARE(port.at(1).value, QStringLiteral("'@SUM(A1)"));
    QCOMPARE(port.at(3).value, QStringLiteral("'+1+cmd"));
    QCOMPARE(port.at(5).value, formula.reason);
    QCOMPARE(port.at(7).type, QStringLiteral("date"));
    QCOMPARE(port.at(7).value, QStringLiteral("2026-03-04T05:06:07"));
    QCOMPARE(port.at(8).value, QStringLiteral("UTC+08:00"));
    QCOMPARE(port.at(9).value, run.document);
}

QTEST_GUILESS_MAIN(TestBatchReportSpreadsheet)
#include "tst_BatchReportSpreadsheet.moc"
