#pragma once

#include <QString>

struct ReportDetails;

namespace ReportTyping {

class Typist;

// The pieces of front matter both reports share, filled from the report
// details. A label is printed only with its value, and a heading only with
// something under it, so the reader never meets a blank.
namespace FrontMatter {

// "Report Released by:" and the name (when given), "Report Date:" and the
// date as the page header shows it, aligned at a tab stop.
void releaseLines(Typist& t, const ReportDetails& details, const QString& date);

// The title page's title: the assessment's name, else the enterprise's,
// else "Security assessment"; upper-cased as the title page shows it.
QString title(const QString& assessment, const QString& enterprise);

// Whether section 1 has anything to say: a contact, a company or an address.
bool hasCompanyDetails(const ReportDetails& details, const QString& company);

// Section 1's body: "This report has been prepared for:" and, indented, the
// contact, the company (the enterprise's name) and the address that are given.
void companyDetails(Typist& t, const ReportDetails& details, const QString& company);

// A heading and a memo's text under it, a paragraph per line, then an empty
// paragraph; nothing when the text is empty. Returns whether it was typed, so
// the next heading takes its number.
bool memoSection(Typist& t, const QString& heading, const QString& text);

// The assessment's scope (its description) under "2.1 Scope", or a note
// that none is recorded.
void scope(Typist& t, const QString& description);

}

}
