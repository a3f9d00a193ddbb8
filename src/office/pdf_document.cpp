#include "office/pdf_document.h"

#include "files/atomic_file.h"
#include "office/block_file.h"
#include "office/pdf_font_tags.h"
#include "office/pdf_properties.h"
#include "office/recent_values.h"
#include "store/quarrix_error.h"

#include <QDir>
#include <QIODevice>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QTextLayout>

#include <algorithm>

namespace {

using Paragraph = TypedDocument::Paragraph;
using Run = TypedDocument::Run;

// Page geometry in points, as the .docx writer sets it: A4, margins of one
// inch at top and bottom and three quarters of an inch at the sides, header
// and footer half an inch from the edge.
constexpr double kA4Short = 11906 / 20.0;
constexpr double kA4Long = 16838 / 20.0;
constexpr double kTopMargin = 72;
constexpr double kBottomMargin = 72;
constexpr double kSideMargin = 54;
constexpr double kHeaderDistance = 36;
constexpr double kFooterDistance = 36;
constexpr double kPictureGap = 9; // between a picture and the text beside it, as the .docx writer sets it

QColor colorOf(int wordColor)
{
    const unsigned v = unsigned(wordColor) & 0xFFFFFFu;
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

Qt::Alignment alignmentOf(int alignment)
{
    switch (alignment) {
    case TypedDocument::Centre:
        return Qt::AlignHCenter;
    case TypedDocument::Right:
        return Qt::AlignRight;
    case TypedDocument::Justify:
        return Qt::AlignJustify;
    default:
        return Qt::AlignLeft;
    }
}

// The PDF writer's output. The writer does not report failures, so the first
// one is kept here (with the system's reason) and raised by the document. The
// fonts' subset tags are completed on the way (see PdfFontTags).
class Output : public QIODevice {
public:
    Output(const QString& path, const QString& shownPath)
        : m_file(path, shownPath)
        , m_tags([this](QByteArrayView bytes) { append(bytes); })
    {
        open(QIODevice::WriteOnly);
    }

    // After the writer's last byte: what the filter held is written.
    void endOfPdf() { m_tags.finish(); }
    qint64 written() const { return m_written; }
    // The last bytes written (the PDF's trailer once it is complete).
    const QByteArray& tail() const { return m_tail; }

    // Bytes written to the file as they are.
    void append(QByteArrayView bytes)
    {
        if (!m_failure.isEmpty() || bytes.isEmpty())
            return;
        try {
            m_file.write(bytes.data(), bytes.size());
        } catch (const QuarrixError& e) {
            m_failure = e.message();
            return;
        }
        m_written += bytes.size();
        m_tail.append(bytes);
        if (m_tail.size() > kTail)
            m_tail.remove(0, m_tail.size() - kTail);
    }

    // Raises the first failure, if any.
    void check() const
    {
        if (!m_failure.isEmpty())
            throw QuarrixError(m_failure);
    }
    void finish()
    {
        check();
        QIODevice::close();
        try {
            m_file.close();
        } catch (const QuarrixError& e) {
            m_failure = e.message();
        }
        check();
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override
    {
        if (!m_failure.isEmpty())
            return -1;
        m_tags.write(QByteArrayView(data, qsizetype(size)));
        return m_failure.isEmpty() ? size : -1;
    }

private:
    static constexpr qsizetype kTail = 4096;
    BlockFile m_file;
    QString m_failure;
    qint64 m_written = 0;
    QByteArray m_tail;
    PdfFontTags m_tags;
};

}

class PdfDocument::Pages {
public:
    Pages(PdfDocument& doc, const QString& path)
        : m_doc(doc)
        , m_target(path)
        , m_file(path)
        , m_out(m_file.tempPath(), path)
    {
        m_pdf = std::make_unique<QPdfWriter>(&m_out);
        m_pdf->setCreator(QStringLiteral("Quarrix"));
        m_scale = m_pdf->resolution() / 72.0;
    }

    ~Pages()
    {
        if (m_painter.isActive())
            m_painter.end();
    }

    int pageCount() const { return m_page; }

    // A paragraph kept with the next waits for it, so the two can be moved to
    // a new page together.
    void paragraph(const Paragraph& p)
    {
        if (m_page == 0)
            newPage();
        const bool breaks
            = std::any_of(p.runs.begin(), p.runs.end(), [](const Run& r) { return r.kind == Run::PageBreak; });
        if (p.format.keepWithNext && !breaks) {
            m_kept.push_back(p);
            return;
        }
        placeKept(breaks ? nullptr : &p);
        draw(p);
    }

    void end()
    {
        placeKept(nullptr);
        if (m_page == 0)
            newPage();
        const bool ended = m_painter.end();
        m_pdf.reset();
        m_out.endOfPdf();
        if (!m_doc.title().isEmpty() || !m_doc.author().isEmpty())
            m_out.append(PdfProperties::infoUpdate(
                m_out.tail(), m_out.written(), m_doc.title(), m_doc.author(), QStringLiteral("Quarrix")));
        m_out.finish();
        if (!ended)
            fail();
        m_file.commit();
    }

private:
    // Places the paragraphs kept for the next one: on a new page when they
    // and the first line of the next do not fit on this one (and would on an
    // empty page).
    void placeKept(const Paragraph* next)
    {
        if (m_kept.empty())
            return;
        double needed = 0;
        for (const Paragraph& k : m_kept)
            needed += heightOf(k);
        if (next) {
            std::vector<const Run*> runs = textRuns(*next);
            const std::unique_ptr<QTextLayout> layout = layOut(*next, runs, textWidth());
            if (layout->lineCount() > 0)
                needed += layout->lineAt(0).height();
        }
        if (m_y + needed > m_bodyBottom && m_y > m_bodyTop && needed <= m_bodyBottom - m_bodyTop)
            newPage();
        std::vector<Paragraph> kept = std::move(m_kept);
        m_kept.clear();
        for (const Paragraph& k : kept)
            draw(k);
    }

    double heightOf(const Paragraph& p)
    {
        const std::unique_ptr<QTextLayout> layout = layOut(p, textRuns(p), textWidth());
        double height = 0;
        for (int i = 0; i < layout->lineCount(); ++i)
            height += layout->lineAt(i).height();
        return height;
    }

    static std::vector<const Run*> textRuns(const Paragraph& p)
    {
        std::vector<const Run*> runs;
        for (const Run& r : p.runs)
            if (r.kind == Run::Text || r.kind == Run::PageNumber)
                runs.push_back(&r);
        return runs;
    }

    void draw(const Paragraph& p)
    {
        // The line up to a page break stays on this page (it takes its room
        // there even when empty), text after the break starts the next; a
        // break that ends its paragraph leaves no empty line on the new page.
        // So a word processor lays out such a document.
        std::vector<const Run*> piece;
        bool broken = false;
        for (const Run& run : p.runs) {
            if (run.kind == Run::Picture) {
                if (run.picture)
                    drawPicture(*run.picture);
                continue;
            }
            if (run.kind != Run::PageBreak) {
                piece.push_back(&run);
                continue;
            }
            place(p, piece);
            piece.clear();
            newPage();
            broken = true;
        }
        if (!piece.empty() || !broken)
            place(p, piece);
    }

    // A picture at the right margin, its top where the paragraph starts (on
    // a new page when it does not fit below); the text beside it is set
    // narrower until its foot.
    void drawPicture(const TypedDocument::Picture& picture)
    {
        const QSizeF size = picture.size();
        const double height = units(size.height());
        if (m_y + height > m_bodyBottom && m_y > m_bodyTop)
            newPage();
        const double width = units(size.width());
        const QRectF target(m_pageWidth - units(kSideMargin) - width, m_y, width, height);
        m_painter.save();
        m_painter.translate(target.topLeft());
        m_painter.scale(m_scale, m_scale);
        picture.draw(m_painter, QRectF(QPointF(0, 0), size));
        m_painter.restore();
        m_besidePicture = { m_y + height, width + units(kPictureGap) };
    }
    // A failure of the drawing itself; one of the file is raised by m_out.
    [[noreturn]] void fail() const
    {
        m_out.check();
        throw QuarrixError(QStringLiteral("Cannot write the file '%1': the pages could not be drawn.")
                               .arg(QDir::toNativeSeparators(m_target)));
    }

    double units(double points) const { return points * m_scale; }

    const QTextCharFormat& formatOf(const TypedDocument::CharFormat& f)
    {
        return m_formats.get(f, [&] {
            QTextCharFormat format;
            format.setFont(fontOf(f));
            format.setForeground(colorOf(f.color));
            return format;
        });
    }

    static QFont fontOf(const TypedDocument::CharFormat& f)
    {
        QFont font(f.fontName.isEmpty() ? TypedDocument::defaultFontName() : f.fontName);
        font.setPointSizeF(f.fontSize > 0 ? f.fontSize : TypedDocument::kDefaultFontSize);
        font.setBold(f.bold);
        font.setItalic(f.italic);
        font.setUnderline(f.underline);
        font.setHintingPreference(QFont::PreferNoHinting);
        return font;
    }

    // The runs' text laid out in lines of `width` device units, the lines
    // placed one below the other from 0.
    std::unique_ptr<QTextLayout> layOut(const Paragraph& p, const std::vector<const Run*>& runs, double width)
    {
        QString text;
        QList<QTextLayout::FormatRange> ranges;
        for (const Run* run : runs) {
            if (run->kind == Run::Picture)
                continue;
            const QString t = run->kind == Run::PageNumber ? QString::number(m_page) : run->text;
            ranges.append({ int(text.size()), int(t.size()), formatOf(run->format) });
            text += t;
        }
        // Line breaks cannot occur in a paragraph's text; other control
        // characters are shown as nothing.
        for (QChar& c : text)
            if (c.unicode() < 0x20 && c != u'\t')
                c = QChar(0x200B);
        auto layout = std::make_unique<QTextLayout>(text, formatOf(p.markFormat).font(), m_pdf.get());
        QTextOption option(alignmentOf(p.format.alignment));
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        // Tab stops count from the left margin, the layout from the indent.
        // The layout takes them in pixels of a 96 dpi screen, whatever the
        // device.
        const int indentTwips = p.format.indentSteps * TypedDocument::kIndentStep;
        auto pixels = [](int twips) { return twips / 20.0 * 96 / 72; };
        QList<QTextOption::Tab> tabs;
        for (int twips : p.format.tabStops)
            if (twips > indentTwips)
                tabs.append(QTextOption::Tab(pixels(twips - indentTwips), QTextOption::LeftTab));
        option.setTabs(tabs);
        option.setTabStopDistance(pixels(TypedDocument::kDefaultTabStop));
        layout->setTextOption(option);
        layout->setFormats(ranges);
        layout->beginLayout();
        double y = 0;
        for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
            line.setLeadingIncluded(true);
            // Lines that start beside a picture leave its room free.
            const bool beside = m_y + y < m_besidePicture.foot;
            line.setLineWidth(width - indentOf(p) - (beside ? m_besidePicture.width : 0));
            line.setPosition(QPointF(0, y));
            y += line.height();
        }
        layout->endLayout();
        return layout;
    }

    double textWidth() const { return m_pageWidth - 2 * units(kSideMargin); }
    double indentOf(const Paragraph& p) const
    {
        return units(p.format.indentSteps * TypedDocument::kIndentStep / 20.0);
    }

    // Places a paragraph's lines below what the page holds, starting new
    // pages as they fill.
    void place(const Paragraph& p, const std::vector<const Run*>& runs)
    {
        const std::unique_ptr<QTextLayout> layout = layOut(p, runs, textWidth());
        const double x = units(kSideMargin) + indentOf(p);
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            if (m_y + line.height() > m_bodyBottom && m_y > m_bodyTop)
                newPage();
            line.draw(&m_painter, QPointF(x, m_y - line.y()));
            m_y += line.height();
        }
    }

    // A header or footer laid out: its paragraphs one below the other.
    struct StoryLayout {
        std::vector<std::pair<std::unique_ptr<QTextLayout>, double>> paragraphs; // with their indents
        double height = 0;
    };

    StoryLayout layOut(const TypedDocument::Story& story)
    {
        StoryLayout laid;
        for (const Paragraph& p : story) {
            std::unique_ptr<QTextLayout> layout = layOut(p, textRuns(p), textWidth());
            laid.height += layout->boundingRect().height();
            laid.paragraphs.emplace_back(std::move(layout), indentOf(p));
        }
        return laid;
    }

    void draw(const StoryLayout& story, double top)
    {
        for (const auto& [layout, indent] : story.paragraphs) {
            layout->draw(&m_painter, QPointF(units(kSideMargin) + indent, top));
            top += layout->boundingRect().height();
        }
    }

    void newPage()
    {
        if (m_painter.isActive()) {
            if (!m_pdf->newPage())
                fail();
        } else {
            const QPageLayout layout(QPageSize(QPageSize::A4),
                m_doc.landscape() ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
            m_pdf->setPageLayout(layout);
            // The document's properties are set before its first page.
            if (!m_doc.title().isEmpty() || !m_doc.author().isEmpty()) {
                m_pdf->setTitle(m_doc.title());
                m_pdf->setDocumentXmpMetadata(
                    PdfProperties::xmp(m_doc.title(), m_doc.author(), QStringLiteral("Quarrix")));
            }
            if (!m_painter.begin(m_pdf.get()))
                fail();
            m_pageWidth = units(m_doc.landscape() ? kA4Long : kA4Short);
            m_pageHeight = units(m_doc.landscape() ? kA4Short : kA4Long);
            // The header is the same on every page but the first.
            m_besidePicture = {};
            m_firstHeader = layOut(m_doc.firstPageHeader());
            m_header = layOut(m_doc.header());
        }
        m_out.check();
        ++m_page;
        m_besidePicture = {};
        // A header or footer taller than its margin pushes the body away.
        const StoryLayout& header = m_page == 1 ? m_firstHeader : m_header;
        const double headerTop = units(kHeaderDistance);
        draw(header, headerTop);
        const StoryLayout footer = layOut(m_page == 1 ? m_doc.firstPageFooter() : m_doc.footer());
        const double footerTop = m_pageHeight - units(kFooterDistance) - footer.height;
        draw(footer, footerTop);
        m_bodyTop = std::max(units(kTopMargin), headerTop + header.height);
        m_bodyBottom = std::min(m_pageHeight - units(kBottomMargin), footerTop);
        m_y = m_bodyTop;
    }

    PdfDocument& m_doc;
    QString m_target;
    AtomicFile::Replacement m_file;
    Output m_out;
    std::unique_ptr<QPdfWriter> m_pdf;
    QPainter m_painter;
    double m_scale = 1; // device units per point
    double m_pageWidth = 0;
    double m_pageHeight = 0;
    double m_bodyTop = 0;
    double m_bodyBottom = 0;
    double m_y = 0; // where the next line goes
    int m_page = 0;
    StoryLayout m_firstHeader;
    StoryLayout m_header;
    std::vector<Paragraph> m_kept; // kept with the paragraph still to come
    struct {
        double foot = 0; // where the picture beside the text ends on this page
        double width = 0; // the room it takes, its gap included
    } m_besidePicture;
    RecentValues<TypedDocument::CharFormat, QTextCharFormat> m_formats;
};

PdfDocument::PdfDocument(const QString& path)
    : m_pages(std::make_unique<Pages>(*this, path))
{
}

PdfDocument::~PdfDocument() = default;

int PdfDocument::pageCount() const
{
    return m_pages->pageCount();
}

void PdfDocument::writeParagraph(const Paragraph& paragraph)
{
    m_pages->paragraph(paragraph);
}

void PdfDocument::writeEnd()
{
    m_pages->end();
}
