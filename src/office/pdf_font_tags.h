#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <functional>
#include <vector>

// Qt's PDF writer embeds each font as a subset and tags the subset's
// FontName ("QVEAAA+LiberationSerif"), but names the font by its plain
// BaseFont, so readers report it as embedded whole. This filter passes the
// PDF's bytes on as they are written, gives each BaseFont the tag of its
// FontName, and at the end corrects the cross-reference table and the
// startxref offset for the bytes it added.
class PdfFontTags {
public:
    explicit PdfFontTags(std::function<void(QByteArrayView)> out);

    void write(QByteArrayView bytes);
    // After the writer's last byte: the held cross-reference section, corrected.
    void finish();

private:
    void process(bool atEnd);
    qint64 shifted(qint64 offset) const; // an offset of the writer's output in the filtered output
    QByteArray correctedCrossReference(const QByteArray& section) const;

    std::function<void(QByteArrayView)> m_out;
    QByteArray m_pending; // bytes not yet passed on
    qint64 m_passed = 0; // bytes of the writer's output passed on (before m_pending)
    QHash<QByteArray, QByteArray> m_tags; // font name -> "TAG+"
    std::vector<std::pair<qint64, qsizetype>> m_inserted; // where (in the writer's output) and how many bytes
    bool m_inCrossReference = false; // from "xref" on, everything is held until finish()
};
