#include "gui/memo_text.h"

#include <QPlainTextEdit>

namespace Text {

QString toStored(const QString& editorText)
{
    QString s = editorText;
    s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    s.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return s;
}

QString toEditor(const QString& storedText)
{
    QString s = storedText;
    s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

QString memo(const QPlainTextEdit* edit)
{
    return toStored(edit->toPlainText());
}

void setMemo(QPlainTextEdit* edit, const QString& value)
{
    edit->setPlainText(toEditor(value));
}

}
