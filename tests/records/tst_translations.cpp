// The translation catalogue and the running program agree: lupdate files every sentence under
// the context the program looks it up in. A pseudo-translation of everything lupdate finds is
// built and installed, and sentences from each module, made the way the program makes them,
// must come out translated.
#include "csv_export.h"
#include "journal.h"
#include "link_rules.h"
#include "records_window.h"
#include "sheet_row.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTranslator>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <QtTest>

using namespace estrivo;
using namespace Qt::StringLiterals;

namespace {

// Every translation is the source text between these marks, placeholders and all.
const QString kOpen = u"\u27EA"_s, kClose = u"\u27EB"_s;

bool translated(const QString &text)
{
    return text.startsWith(kOpen) && text.contains(kClose);
}

} // namespace

class TestTranslations : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void contextsAreTheProgramsOwn();
    void sentencesComeOutTranslated_data();
    void sentencesComeOutTranslated();
    void cleanupTestCase() { QCoreApplication::removeTranslator(&m_translator); }

private:
    QTemporaryDir m_dir;
    QStringList m_contexts;
    QByteArray m_lupdateOutput;
    QTranslator m_translator;
};

void TestTranslations::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QString ts = m_dir.filePath(u"all.ts"_s);
    QProcess lupdate;
    lupdate.setProcessChannelMode(QProcess::MergedChannels);
    const QString sources = QStringLiteral(ESTRIVO_SOURCE_DIR);
    lupdate.start(QStringLiteral(LUPDATE),
                  {sources + u"/records"_s, sources + u"/journal"_s, sources + u"/print"_s,
                   sources + u"/link"_s, u"-extensions"_s, u"cpp,h"_s, u"-locations"_s, u"none"_s,
                   u"-ts"_s, ts});
    QVERIFY(lupdate.waitForFinished(120000));
    m_lupdateOutput = lupdate.readAll();
    QCOMPARE(lupdate.exitCode(), 0);

    // Translate every message into itself between marks, then compile that.
    QFile in(ts);
    QVERIFY(in.open(QIODevice::ReadOnly));
    QXmlStreamReader reader(&in);
    QByteArray pseudo;
    QXmlStreamWriter writer(&pseudo);
    writer.writeStartDocument();
    writer.writeStartElement(u"TS"_s);
    writer.writeAttribute(u"version"_s, u"2.1"_s);
    writer.writeAttribute(u"language"_s, u"de_DE"_s);
    QString source;
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement())
            continue;
        if (reader.name() == u"name"_s) {
            m_contexts << reader.readElementText();
            if (m_contexts.size() > 1)
                writer.writeEndElement();
            writer.writeStartElement(u"context"_s);
            writer.writeTextElement(u"name"_s, m_contexts.last());
        } else if (reader.name() == u"source"_s) {
            source = reader.readElementText();
            writer.writeStartElement(u"message"_s);
            writer.writeTextElement(u"source"_s, source);
            writer.writeTextElement(u"translation"_s, kOpen + source + kClose);
            writer.writeEndElement();
        }
    }
    QVERIFY2(!reader.hasError(), qPrintable(reader.errorString()));
    if (!m_contexts.isEmpty())
        writer.writeEndElement();
    writer.writeEndDocument();
    QFile out(m_dir.filePath(u"pseudo.ts"_s));
    QVERIFY(out.open(QIODevice::WriteOnly) && out.write(pseudo) == pseudo.size());
    out.close();
    QProcess lrelease;
    lrelease.setProcessChannelMode(QProcess::MergedChannels);
    lrelease.start(QStringLiteral(LRELEASE),
                   {out.fileName(), u"-qm"_s, m_dir.filePath(u"pseudo.qm"_s)});
    QVERIFY(lrelease.waitForFinished(60000));
    QVERIFY2(lrelease.exitCode() == 0, lrelease.readAll().constData());
    QVERIFY(m_translator.load(m_dir.filePath(u"pseudo.qm"_s)));
    QVERIFY(QCoreApplication::installTranslator(&m_translator));
}

void TestTranslations::contextsAreTheProgramsOwn()
{
    // A tr() lupdate cannot place lands under a context no one looks up, or it warns.
    QVERIFY2(!m_lupdateOutput.contains("Cannot invoke tr()"), m_lupdateOutput.constData());
    QVERIFY2(!m_lupdateOutput.contains("not a translatable"), m_lupdateOutput.constData());
    for (const QString &context : std::as_const(m_contexts)) {
        QVERIFY2(!context.isEmpty() && context != u"estrivo"_s && !context.endsWith(u"::"_s),
                 qPrintable(context));
    }
    for (const char *module : {"Journal", "Records", "Print", "Link"})
        QVERIFY2(m_contexts.contains(QString::fromLatin1(module)), module);
}

void TestTranslations::sentencesComeOutTranslated_data()
{
    QTest::addColumn<QString>("text");
    // The journal's reason for a location it cannot use.
    const QString folder = m_dir.path();
    Journal journal(folder);
    QTest::newRow("journal reason") << journal.open().reason;
    QTest::newRow("journal address") << Journal(u"postgresql://lab@[::1/estrivo"_s).open().reason;
    // The records program's words outside its windows, and inside one.
    QTest::newRow("export outcome")
        << exportOutcomeText({3, ExportOutcome::Kind::None, u"/tmp/x.csv"_s, {}});
    QTest::newRow("table cell") << cellText(SheetRow{}, SheetColumn::Printed);
    QTest::newRow("column title") << columnTitle(SheetColumn::Doses);
    QTest::newRow("window title") << RecordsWindow(u"/nonexistent/j.sqlite"_s).windowTitle();
    // The link's explanation of a port text that names no port.
    QTest::newRow("port choice") << portDeviceForText(u"lab bench"_s, PortPlatform::Posix).problem;
}

void TestTranslations::sentencesComeOutTranslated()
{
    QFETCH(QString, text);
    QVERIFY2(translated(text), qPrintable(text));
}

QTEST_MAIN(TestTranslations)
#include "tst_translations.moc"
