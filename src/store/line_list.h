#pragma once

#include <QString>
#include <QStringList>

// A memo field holding one item per line. Built values end every item with
// CR LF; reading splits at CR LF, lone CR or lone LF, and a final line break
// adds no empty item.
namespace LineList {
QString build(const QStringList& items);
QStringList split(const QString& value);
}
