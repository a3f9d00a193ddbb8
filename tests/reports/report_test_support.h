#pragma once

#include "docx_reader.h"
#include "report_fixture.h"

#include "office/word_document.h"
#include "reports/quarrix_report.h"
#include "reports/taxonomy_report.h"
#include "store/report_details.h"
#include "support/qt_printers.h"
#include "support/temp_store.h"

#include <QStringList>

// An assessment in a fresh store (the hand-made one unless fill() builds
// another), with the two reports written to files and read back.
class ReportStoreTest : public StoreFixture {
protected:
    void SetUp() override
    {
        StoreFixture::SetUp();
        fill();
    }
    // The assessment the reports are written from.
    virtual void fill() { ReportFixture::build(a); }

    Docx quarrix(QuarrixReportOptions options = {}, const char* name = "report.docx")
    {
        if (!options.date.isValid())
            options.date = QDate(2026, 3, 4);
        const QString file = dir.filePath(QString::fromLatin1(name));
        QuarrixReport::write(a, file, options);
        Docx d = Docx::read(file);
        EXPECT_TRUE(d.ok) << d.error.toStdString();
        return d;
    }

    Docx taxonomy(TaxonomyReportOptions options = {}, const char* name = "taxonomy.docx")
    {
        if (!options.date.isValid())
            options.date = QDate(2026, 3, 4);
        const QString file = dir.filePath(QString::fromLatin1(name));
        TaxonomyReport::write(a, file, options);
        Docx d = Docx::read(file);
        EXPECT_TRUE(d.ok) << d.error.toStdString();
        return d;
    }
};

// The texts of `count` body paragraphs starting at the first whose text is
// `first` (searching from `from`); empty when there is none.
inline QStringList slice(const Docx& d, const QString& first, int count, int from = 0)
{
    const int start = d.find(first, from);
    QStringList out;
    if (start < 0)
        return out;
    for (int i = start; i < start + count && i < int(d.body.size()); ++i)
        out << d.body[size_t(i)].text();
    return out;
}

// The first body paragraph after the contents page, from which section
// headings are searched (the contents page repeats most of them).
inline int afterContents(const Docx& d)
{
    return d.find(QStringLiteral("8.  PERFORMANCE BY ATTRIBUTE")) + 1;
}

inline QString rule(int n)
{
    return QString(n, QLatin1Char('_'));
}

inline QuarrixReportOptions forActivity(const QString& activity)
{
    QuarrixReportOptions o;
    o.activity = activity;
    return o;
}

inline QuarrixReportOptions forDivision(const QString& division)
{
    QuarrixReportOptions o;
    o.division = division;
    return o;
}

inline TaxonomyReportOptions forGroup(const QString& group)
{
    TaxonomyReportOptions o;
    o.group = group;
    return o;
}

// True when some body paragraph's text equals `text`.
inline bool hasParagraph(const Docx& d, const QString& text)
{
    return d.find(text) >= 0;
}
