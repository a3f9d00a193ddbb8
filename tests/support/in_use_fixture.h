#pragma once

#include "store/assessment.h"

#include <QString>

// Brings a security attribute into use the way the in-use derivation finds
// it: every driver (one, BD0, is added when there is none) profiles the
// business attribute "Need" at priority 1, and BTAtt and TSAtt map Need to
// "Means" and Means to the attribute. A requirement (BR0) is added when there
// is none, since without one nothing is in use.
namespace InUseFixture {

inline void bringIntoUse(Assessment& a, const QString& attribute)
{
    Store& store = a.store();
    auto exists = [&](const char* sql) {
        SqlStatement& q = store.cached(QString::fromLatin1(sql));
        const bool found = q.step() && q.columnInt64(0) != 0;
        q.reset();
        return found;
    };
    if (!exists("SELECT EXISTS(SELECT 1 FROM Requirements)"))
        store.exec(QStringLiteral("INSERT INTO Requirements (RSeq, Requirement) VALUES ('BR0', 'Needed')"));
    if (!exists("SELECT EXISTS(SELECT 1 FROM Drivers)"))
        store.exec(QStringLiteral("INSERT INTO Drivers (CSeq, Driver) VALUES ('BD0', 'Needs')"));
    if (!exists("SELECT EXISTS(SELECT 1 FROM BTAtt WHERE BusAtt='Need')"))
        store.exec(QStringLiteral("INSERT INTO BTAtt (BTAtt, BusAtt, TechAtt) VALUES ('Need', 'Need', 'Means')"));
    store.exec(QStringLiteral("INSERT INTO DrAtt (CSeq, Attribute, Priority) SELECT CSeq, 'Need', 1 FROM Drivers "
                              "WHERE CSeq NOT IN (SELECT CSeq FROM DrAtt WHERE Attribute='Need')"));
    SqlStatement& link
        = store.cached(QStringLiteral("INSERT INTO TSAtt (TSAtt, TechAtt, SecAtt) VALUES (?, 'Means', ?)"));
    link.bind(1, QStringLiteral("Means") + attribute);
    link.bind(2, attribute);
    link.run();
    for (Table* t :
        { &a.requirements(), &a.drivers(), &a.driverProfiles(), &a.businessToTechnical(), &a.technicalToSecurity() })
        t->refresh();
}

}
