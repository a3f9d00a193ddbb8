#include "office/typed_document.h"

#include "store/progress.h"
#include "store/quarrix_error.h"

#include <algorithm>
#include <cmath>

namespace {

using Paragraph = TypedDocument::Paragraph;
using Run = TypedDocument::Run;

void appendText(Paragraph& p, const TypedDocument::CharFormat& format, const QString& text)
{
    if (text.isEmpty())
        return;
    if (!p.runs.empty() && p.runs.back().kind == Run::Text && p.runs.back().format == format) {
        p.runs.back().text += text;
        return;
    }
    p.runs.push_back({ Run::Text, format, text });
}

// The paragraph that follows an ended one keeps its settings.
Paragraph nextParagraph(const Paragraph& ended)
{
    Paragraph next;
    next.format = ended.format;
    next.markFormat = ended.markFormat;
    return next;
}

// Types text into `p`; each line end hands the ended paragraph to `ended`
// and continues in a fresh one.
template <typename Ended>
void type(Paragraph& p, const QString& text, const TypedDocument::CharFormat& format, Ended ended)
{
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'\r' && c != u'\n')
            continue;
        appendText(p, format, text.mid(start, i - start));
        p.markFormat = format;
        Paragraph next = nextParagraph(p);
        ended(std::move(p));
        p = std::move(next);
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    appendText(p, format, text.mid(start));
    p.markFormat = format;
}

// Types text at the end of a header or footer story.
void typeInto(TypedDocument::Story& story, const QString& text)
{
    if (story.empty())
        story.emplace_back();
    Paragraph last = std::move(story.back());
    story.pop_back();
    type(last, text, {}, [&](Paragraph&& p) { story.push_back(std::move(p)); });
    story.push_back(std::move(last));
}

}

QString TypedDocument::defaultFontName()
{
    return QStringLiteral("Times New Roman");
}

TypedDocument::TypedDocument() = default;
TypedDocument::~TypedDocument() = default;
TypedDocument::Picture::~Picture() = default;

void TypedDocument::setFontName(const QString& name)
{
    m_format.fontName = name;
}
void TypedDocument::setFontSize(double points)
{
    m_format.fontSize = points;
}
void TypedDocument::setBold(bool on)
{
    m_format.bold = on;
}
void TypedDocument::setItalic(bool on)
{
    m_format.italic = on;
}
void TypedDocument::setUnderline(bool on)
{
    m_format.underline = on;
}
void TypedDocument::setColor(int wordColor)
{
    m_format.color = wordColor;
}

void TypedDocument::setAlignment(int alignment)
{
    current().format.alignment = alignment;
}

void TypedDocument::indent()
{
    ++current().format.indentSteps;
}

void TypedDocument::outdent()
{
    int& steps = current().format.indentSteps;
    if (steps > 0)
        --steps;
}

void TypedDocument::clearTabStops()
{
    current().format.tabStops.clear();
}

void TypedDocument::addTabStop(double points)
{
    const int twips = int(std::lround(points * 20));
    std::vector<int>& stops = current().format.tabStops;
    const auto at = std::lower_bound(stops.begin(), stops.end(), twips);
    if (at == stops.end() || *at != twips)
        stops.insert(at, twips);
}

void TypedDocument::setKeepWithNext(bool on)
{
    current().format.keepWithNext = on;
}

void TypedDocument::passOn(const Paragraph& paragraph)
{
    if (paragraph.runs.empty()) {
        m_heldEmpty.push_back(paragraph);
        return;
    }
    for (const Paragraph& held : m_heldEmpty)
        writeParagraph(held);
    m_heldEmpty.clear();
    writeParagraph(paragraph);
    m_passedOn = true;
}

void TypedDocument::endBodyParagraph()
{
    Paragraph next = nextParagraph(m_current);
    passOn(m_current);
    Progress::step("Writing the report", ++m_paragraphs, 0);
    m_current = std::move(next);
}

void TypedDocument::typeText(const QString& text)
{
    type(m_current, text, m_format, [this](Paragraph&& p) { passOn(p); });
}

void TypedDocument::typeParagraph()
{
    m_current.markFormat = m_format;
    endBodyParagraph();
}

void TypedDocument::insertPageBreak()
{
    m_current.runs.push_back({ Run::PageBreak, m_format, {} });
    m_current.markFormat = m_format;
    endBodyParagraph();
}

void TypedDocument::insertPicture(std::shared_ptr<const Picture> picture)
{
    m_current.runs.push_back({ Run::Picture, m_format, {}, std::move(picture) });
}

void TypedDocument::setProperties(const QString& title, const QString& author)
{
    m_title = title;
    m_author = author;
}

void TypedDocument::setHeaderText(const QString& text)
{
    m_header.clear();
    typeInto(m_header, text);
}

void TypedDocument::insertAfterHeader(const QString& text)
{
    typeInto(m_header, text);
}

void TypedDocument::addPageNumbers(int alignment, bool firstPage)
{
    if (m_footer.empty())
        m_footer.emplace_back();
    Paragraph& last = m_footer.back();
    last.runs.push_back({ Run::PageNumber, CharFormat {}, {} });
    last.format.alignment = alignment;
    m_pageNumbers = true;
    m_numberFirstPage = firstPage;
}

void TypedDocument::insertBeforeFooter(const QString& text)
{
    Story inserted;
    typeInto(inserted, text);
    if (m_footer.empty()) {
        m_footer = std::move(inserted);
        return;
    }
    // The last inserted piece joins the footer's first paragraph, which keeps
    // its own paragraph settings.
    Paragraph& joined = m_footer.front();
    std::vector<Run> runs = std::move(inserted.back().runs);
    runs.insert(runs.end(), joined.runs.begin(), joined.runs.end());
    joined.runs = std::move(runs);
    inserted.pop_back();
    m_footer.insert(m_footer.begin(), inserted.begin(), inserted.end());
}

void TypedDocument::setFooterAlignment(int alignment)
{
    for (Paragraph& p : m_footer)
        p.format.alignment = alignment;
}

TypedDocument::Story TypedDocument::firstPageHeader() const
{
    return m_firstPageBare ? Story {} : m_header;
}

TypedDocument::Story TypedDocument::firstPageFooter() const
{
    if (m_firstPageBare)
        return {};
    Story story = m_footer;
    if (m_pageNumbers && !m_numberFirstPage)
        for (Paragraph& p : story)
            std::erase_if(p.runs, [](const Run& r) { return r.kind == Run::PageNumber; });
    return story;
}

void TypedDocument::finish()
{
    if (m_finished)
        throw QuarrixError(QStringLiteral("The document was already saved."));
    m_finished = true;
    // The paragraph being typed is the document's last. Empty paragraphs at
    // the end are dropped, so they cannot spill onto a blank last page; a
    // document with no text keeps one.
    if (!m_current.runs.empty())
        passOn(m_current);
    else if (!m_passedOn)
        writeParagraph(m_current);
    writeEnd();
}
