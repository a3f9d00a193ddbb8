#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

class Store;

// The taxonomy's two mappings, business to technical (BTAtt) and technical
// to security (TSAtt), read from the store in stored order.
class AttributeMappings {
public:
    static AttributeMappings read(Store& store);
    // The names TSAtt gives the technical attributes BTAtt gives the business
    // attribute: each once, in mapping order.
    QStringList securityNames(const QString& business) const;
    // Whether a TSAtt row names the attribute as its security attribute.
    bool isSecurityName(const QString& name) const { return m_securityNames.contains(name); }

private:
    QHash<QString, QStringList> m_businessToTechnical, m_technicalToSecurity;
    QSet<QString> m_securityNames;
};

// The control identifiers of an attribute's control entries (SecControls):
// the text before the first colon of each entry that has one, in entry order.
QStringList controlEntryIdentifiers(const QString& secControls);

// Whether a DrAtt priority counts for the chain: 1, 2 or 3 (never-set is null).
bool isProfiledPriority(const QVariant& priority);

// One profile row (DrAtt) and the attributes it brings to its driver.
struct ProfileReach {
    QString cseq;
    QString attribute; // the attribute the row names
    QVariant priority; // null when never set
    QStringList reached; // what BTAtt and TSAtt reach from it; empty unless priority 1 to 3
    QStringList brings; // the row's own attribute, then what it reaches; each once
};

// Which attributes the drivers carry. A driver D carries an attribute A when
// - a DrAtt row of D names A itself, or
// - a DrAtt row of D of priority 1 to 3 names a business attribute from which
//   BTAtt and TSAtt reach A (the chain the in-use derivation follows).
// Profiles name business attributes, and only the second way reaches the
// security attributes in use from them; the first keeps stores whose
// profiles name security attributes directly reading as before.
//
// Every DrAtt row counts, whatever the division filter: readers restrict the
// drivers and attributes to those they show.
class CarriedAttributes {
public:
    // Reads DrAtt (every row, in stored order), BTAtt and TSAtt once.
    static CarriedAttributes read(Store& store);

    const std::vector<ProfileReach>& rows() const { return m_rows; }
    // The drivers that carry the attribute, each once, in the order of the
    // first DrAtt row that brings it to them.
    const QStringList& driversCarrying(const QString& attribute) const;
    // The attributes the driver carries, each once, in the order its rows
    // bring them.
    const QStringList& carriedBy(const QString& cseq) const;
    bool carries(const QString& cseq, const QString& attribute) const;

private:
    std::vector<ProfileReach> m_rows;
    QHash<QString, QStringList> m_driversOf; // attribute -> drivers
    QHash<QString, QStringList> m_attributesOf; // driver -> attributes
};
