#pragma once

#include <QString>

class QPlainTextEdit;

// Memo boxes hold text with CR LF line ends, as the store keeps them; Qt's
// editors use LF. These convert at the boundary.
namespace Text {
QString memo(const QPlainTextEdit* edit); // the box's text with CR LF line ends
void setMemo(QPlainTextEdit* edit, const QString& value); // shows a stored value
QString toStored(const QString& editorText); // LF to CR LF
QString toEditor(const QString& storedText); // CR LF (or lone CR) to LF
}
