#pragma once

#include "reports/listing_canvas.h"

#include <QList>
#include <QString>

// Records every drawing call with its position, page by page. Its page of
// 14000 x 9900 device units gives the column unit u = 100, the line unit
// L = 220 and h = 110.
class RecordingCanvas : public ListingCanvas {
public:
    struct Text {
        int x, y;
        QString text;
        QString family;
        int size;
        bool bold;
    };
    struct Line {
        int x1, y1, x2, y2;
        int pen;
    };
    struct Page {
        QList<Text> texts;
        QList<Line> lines;
        bool empty() const { return texts.isEmpty() && lines.isEmpty(); }
    };

    static constexpr int u = 100, L = 220, h = 110;

    QList<Page> pages { Page() };
    int newPageCalls = 0;

    QSize pageSize() const override { return { 14000, 9900 }; }
    void setFont(const QString& family, int pointSize, bool bold) override
    {
        m_family = family;
        m_size = pointSize;
        m_bold = bold;
    }
    void setPenWidth(int width) override { m_pen = width; }
    void text(int x, int y, const QString& text) override
    {
        pages.last().texts.append({ x, y, text, m_family, m_size, m_bold });
    }
    void line(int x1, int y1, int x2, int y2) override { pages.last().lines.append({ x1, y1, x2, y2, m_pen }); }
    void newPage() override
    {
        ++newPageCalls;
        pages.append(Page());
    }

    // The texts drawn at one x position on a page, top to bottom as drawn.
    QStringList column(int page, int x) const
    {
        QStringList out;
        for (const Text& t : pages.value(page).texts)
            if (t.x == x)
                out << t.text;
        return out;
    }
    const Text* find(int page, const QString& text) const
    {
        for (const Text& t : pages.at(page).texts)
            if (t.text == text)
                return &t;
        return nullptr;
    }

private:
    QString m_family;
    int m_size = 0;
    bool m_bold = false;
    int m_pen = 0;
};
