#include "upload/central_upload.h"

#include "analysis/carried_attributes.h"
#include "analysis/in_use_derivation.h"
#include "store/assessment.h"
#include "store/line_list.h"
#include "store/progress.h"
#include "store/quarrix_error.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <optional>

namespace CentralUpload {

namespace {

const QString kSystemDriver = QStringLiteral("SQL-Driver");

// Rows bound for one central table. The names are fixed here, never taken
// from the store, and every value travels as a bound parameter.
struct CentralTable {
    QString name;
    QStringList columns;
    std::vector<std::vector<QVariant>> rows;
};

const char* const kReading = "Reading the assessment";
const char* const kUploading = "Uploading to the central database";

// Walks a local table from its first record to its end, in its current
// order and through its filter, moving the cursor so the hooks run. `read`
// counts the records of every walk, for the progress shown.
void walk(Table& t, qint64& read, const std::function<void()>& each)
{
    const DisplaySuspended quiet { &t }; // grids stay quiet; move hooks still run
    for (t.first(); !t.eof(); t.next()) {
        each();
        Progress::step(kReading, ++read, 0);
    }
}

int impactRank(const QString& rating)
{
    static const QStringList ratings { QStringLiteral("Low"), QStringLiteral("Medium"), QStringLiteral("High") };
    for (int i = 0; i < ratings.size(); ++i)
        if (rating.trimmed().compare(ratings[i], Qt::CaseInsensitive) == 0)
            return i + 1;
    return 0;
}

QString ratingOfRank(int rank)
{
    static const QStringList ratings { QStringLiteral("Low"), QStringLiteral("Medium"), QStringLiteral("High") };
    return ratings.value(rank - 1);
}

struct Collected {
    std::vector<QVariant> assessment; // AssID, Assessment, Description
    std::vector<CentralTable> tables; // in the order written
};

Collected collect(Assessment& a, const QString& division)
{
    Collected c;
    qint64 read = 0;
    Table& sys = a.system();
    c.assessment = { sys.text(QStringLiteral("AssID")), sys.text(QStringLiteral("Assessment")),
        sys.text(QStringLiteral("Description")) };

    // Divisions and groups come from the stored settings, so an upload made
    // before the Settings tab was shown sends them too.
    CentralTable divisions { QStringLiteral("Division"), { QStringLiteral("Division_Name") }, {} };
    for (const QString& line : LineList::split(sys.text(QStringLiteral("Divisions"))))
        divisions.rows.push_back({ line });
    CentralTable groups { QStringLiteral("DivGroup"),
        { QStringLiteral("Group_Name"), QStringLiteral("Group_Sequence") }, {} };
    const QStringList groupNames = LineList::split(sys.text(QStringLiteral("Groups")));
    for (int i = 0; i < groupNames.size(); ++i)
        groups.rows.push_back({ groupNames[i], i });

    CentralTable requirements { QStringLiteral("Requirement"),
        { QStringLiteral("Requirement_Id"), QStringLiteral("Requirement_Description"),
            QStringLiteral("Requirement_Division"), QStringLiteral("Requirement_Priority"),
            QStringLiteral("Requirement_Source"), QStringLiteral("Requirement_Activity") },
        {} };
    Table& reqs = a.requirements();
    walk(reqs, read, [&] {
        requirements.rows.push_back({ reqs.text(QStringLiteral("RSeq")), reqs.text(QStringLiteral("Requirement")),
            reqs.text(QStringLiteral("Division")), reqs.text(QStringLiteral("Priority")),
            reqs.text(QStringLiteral("Source")), reqs.text(QStringLiteral("Activity")) });
    });

    CentralTable reqAtt { QStringLiteral("ReqAtt"), { QStringLiteral("Requirement_Id"), QStringLiteral("Driver_Id") },
        {} };
    CentralTable driverRows { QStringLiteral("Driver"),
        { QStringLiteral("Driver_Id"), QStringLiteral("Driver_Description"), QStringLiteral("Driver_Division"),
            QStringLiteral("Driver_Activity"), QStringLiteral("Group_Name") },
        {} };
    Table& drivers = a.drivers();
    QStringList driverIds;
    walk(drivers, read, [&] {
        const QString cseq = drivers.text(QStringLiteral("CSeq"));
        driverIds << cseq;
        for (const QString& line : LineList::split(drivers.text(QStringLiteral("Requirement"))))
            reqAtt.rows.push_back({ line, cseq });
        driverRows.rows.push_back(
            { cseq, drivers.text(QStringLiteral("Driver")), drivers.text(QStringLiteral("Division")),
                drivers.text(QStringLiteral("Activity")), drivers.text(QStringLiteral("Group")) });
    });

    CentralTable drAtt { QStringLiteral("DrAtt"),
        { QStringLiteral("Driver_Id"), QStringLiteral("Attribute_Id"), QStringLiteral("DrAtt_Priority") }, {} };
    Table& profile = a.driverProfiles();
    const int priorityField = profile.fieldIndex(QStringLiteral("Priority"));
    walk(profile, read, [&] {
        // A priority never set goes as NULL, not as "0".
        const QVariant priority = profile.valueAt(profile.currentRow(), priorityField);
        drAtt.rows.push_back({ profile.text(QStringLiteral("CSeq")), profile.text(QStringLiteral("Attribute")),
            priority.isValid() ? QVariant(QString::number(priority.toLongLong())) : QVariant() });
    });

    // Leaves Attribute showing only the attributes in use.
    deriveAttributesInUse(a, division);

    const QHash<QString, QString> impacts = highestImpacts(a);
    CentralTable attributes { QStringLiteral("Attribute"),
        { QStringLiteral("Attribute_Id"), QStringLiteral("Attribute_Grouped"), QStringLiteral("Attribute_Description"),
            QStringLiteral("Attribute_InUse"), QStringLiteral("Attribute_Impact"), QStringLiteral("Group_Name") },
        {} };
    CentralTable attCon { QStringLiteral("AttCon"), { QStringLiteral("Attribute_Id"), QStringLiteral("Control_Id") },
        {} };
    QHash<QString, QStringList> controlsInUse; // attribute in use -> its control identifiers
    Table& att = a.attribute();
    walk(att, read, [&] {
        const QString name = att.text(QStringLiteral("Attribute"));
        attributes.rows.push_back({ name, att.text(QStringLiteral("GrAtt")), att.text(QStringLiteral("Description")),
            att.boolean(QStringLiteral("InUse")), impacts.value(name), att.text(QStringLiteral("Group")) });
        const QString controls = att.text(QStringLiteral("SecControls"));
        for (const QString& line : LineList::split(controls))
            attCon.rows.push_back({ name, line.left(8) });
        if (!controlsInUse.contains(name))
            controlsInUse.insert(name, controlEntryIdentifiers(controls));
    });

    // Each driver of the walk with each attribute in use it carries and each
    // control identifier of that attribute, once.
    CentralTable drvCon { QStringLiteral("DrvCon"),
        { QStringLiteral("Driver_Id"), QStringLiteral("Attribute_Id"), QStringLiteral("Control_Id") }, {} };
    const CarriedAttributes carried = CarriedAttributes::read(a.store());
    QSet<QString> listedDrivers;
    for (const QString& cseq : driverIds) {
        if (listedDrivers.contains(cseq))
            continue;
        listedDrivers.insert(cseq);
        for (const QString& name : carried.carriedBy(cseq)) {
            const auto ids = controlsInUse.constFind(name);
            if (ids == controlsInUse.constEnd())
                continue;
            QSet<QString> listed;
            for (const QString& id : *ids)
                if (!listed.contains(id)) {
                    listed.insert(id);
                    drvCon.rows.push_back({ cseq, name, id });
                }
        }
    }

    CentralTable controlRows { QStringLiteral("Control"),
        { QStringLiteral("Control_Id"), QStringLiteral("Control_AltId"), QStringLiteral("Control_Name"),
            QStringLiteral("Control_Description"), QStringLiteral("ControlObj_Name") },
        {} };
    CentralTable objectives { QStringLiteral("CObjective"),
        { QStringLiteral("ControlObj_Name"), QStringLiteral("ControlObj_Description") }, {} };
    Table& controls = a.controls();
    QString previousTitle; // the first record's title is compared with empty text
    walk(controls, read, [&] {
        const QString title = controls.text(QStringLiteral("subsection_title"));
        controlRows.rows.push_back({ controls.text(QStringLiteral("Id")), controls.text(QStringLiteral("XId")),
            controls.text(QStringLiteral("control_title")), controls.text(QStringLiteral("control")), title });
        if (title != previousTitle)
            objectives.rows.push_back({ title, controls.text(QStringLiteral("subsection")) });
        previousTitle = title;
    });

    for (CentralTable* t : { &divisions, &groups, &requirements, &reqAtt, &driverRows, &drAtt, &attributes, &attCon,
             &drvCon, &controlRows, &objectives })
        c.tables.push_back(std::move(*t));
    return c;
}

// Whether the central table can be read; fills *reason when it cannot.
bool probe(OdbcConnection& db, const QString& table, QString* reason)
{
    try {
        db.query(QStringLiteral("SELECT * FROM %1 WHERE 1=0").arg(table));
        return true;
    } catch (const QuarrixError& e) {
        *reason = QStringLiteral("%1: %2").arg(table, e.message());
        return false;
    }
}

// The statement that overwrites the first row of Assessment (of `rows`) and
// no other. The table has no key, so with more than one row each server's
// own way of naming one row is used; a server without a known way is
// refused rather than every row overwritten.
QString firstAssessmentRowUpdate(OdbcConnection& db, qlonglong rows)
{
    const QString set = QStringLiteral("SET Assessment_ID = ?, Assessment_Title = ?, Assessment_Description = ?");
    if (rows == 1)
        return QStringLiteral("UPDATE Assessment ") + set;
    const QString server = db.dbmsName();
    auto is = [&](const char* name) { return server.contains(QLatin1String(name), Qt::CaseInsensitive); };
    if (is("PostgreSQL"))
        return QStringLiteral("UPDATE Assessment %1 WHERE ctid = (SELECT ctid FROM Assessment LIMIT 1)").arg(set);
    if (is("SQL Server"))
        return QStringLiteral("UPDATE TOP (1) Assessment ") + set;
    if (is("MariaDB") || is("MySQL"))
        return QStringLiteral("UPDATE Assessment %1 LIMIT 1").arg(set);
    throw QuarrixError(QStringLiteral("The central Assessment table holds %1 rows, and Quarrix cannot overwrite only "
                                      "the first of them on %2")
                           .arg(rows)
                           .arg(server));
}

// A failed statement of the write phase: which table, which rows, why.
struct WriteFailure {
    QString table;
    qsizetype firstRow = -1; // 0-based; -1 while emptying the table
    qsizetype rowCount = 0;
    QString identifier; // the failing row's first value
    QString message;
};

// Writes the collected rows into the open tables. Rows go in multi-row
// INSERT statements of up to `batch` rows (one round trip each); the first
// failing statement stops the write and is returned.
std::optional<WriteFailure> write(OdbcConnection& db, const Collected& c, const QSet<QString>& open, int batch)
{
    qint64 total = 0;
    for (const CentralTable& t : c.tables)
        if (open.contains(t.name))
            total += qint64(t.rows.size());
    qint64 written = 0;
    Progress::step(kUploading, written, total);
    if (open.contains(QStringLiteral("Assessment"))) {
        try {
            const auto count = db.query(QStringLiteral("SELECT COUNT(*) FROM Assessment"));
            const qlonglong rows = count.empty() ? 0 : count.front().value(0).toLongLong();
            if (rows > 0)
                db.exec(firstAssessmentRowUpdate(db, rows), c.assessment);
            else
                db.exec(QStringLiteral("INSERT INTO Assessment (Assessment_ID, Assessment_Title, "
                                       "Assessment_Description) VALUES (?, ?, ?)"),
                    c.assessment);
        } catch (const QuarrixError& e) {
            return WriteFailure { QStringLiteral("Assessment"), 0, 1, c.assessment.front().toString(), e.message() };
        }
    }
    for (const CentralTable& t : c.tables) {
        if (!open.contains(t.name))
            continue;
        try {
            db.exec(QStringLiteral("DELETE FROM %1").arg(t.name));
        } catch (const QuarrixError& e) {
            return WriteFailure { t.name, -1, 0, QString(), e.message() };
        }
        if (t.rows.empty())
            continue;
        const qsizetype columns = t.columns.size();
        // Stay below the smallest parameter limit of the servers in use.
        const qsizetype perStatement = std::max<qsizetype>(1, std::min<qsizetype>(batch, 2000 / columns));
        const QString marker = QLatin1Char('(') + QStringList(columns, QStringLiteral("?")).join(QStringLiteral(", "))
            + QLatin1Char(')');
        const QString head
            = QStringLiteral("INSERT INTO %1 (%2) VALUES ").arg(t.name, t.columns.join(QStringLiteral(", ")));
        std::unique_ptr<OdbcConnection::Prepared> full;
        qsizetype row = 0;
        try {
            for (; row < qsizetype(t.rows.size()); row += perStatement) {
                const qsizetype n = std::min<qsizetype>(perStatement, qsizetype(t.rows.size()) - row);
                auto sqlFor
                    = [&](qsizetype rows) { return head + QStringList(rows, marker).join(QStringLiteral(", ")); };
                std::vector<QVariant> values;
                values.reserve(size_t(n * columns));
                for (qsizetype r = row; r < row + n; ++r)
                    values.insert(values.end(), t.rows[size_t(r)].begin(), t.rows[size_t(r)].end());
                if (n == perStatement) {
                    if (!full)
                        full = std::make_unique<OdbcConnection::Prepared>(db, sqlFor(n));
                    full->execute(values);
                } else {
                    OdbcConnection::Prepared(db, sqlFor(n)).execute(values);
                }
                written += n;
                Progress::step(kUploading, written, total);
            }
        } catch (const QuarrixError& e) {
            const qsizetype n = std::min<qsizetype>(perStatement, qsizetype(t.rows.size()) - row);
            return WriteFailure { t.name, row, n, t.rows[size_t(row)].front().toString(), e.message() };
        }
    }
    return std::nullopt;
}

// Undoes the open transaction. Returns empty text when nothing the upload
// wrote can have stayed: the rollback worked, or the connection is dead and
// the server drops what was not committed. Otherwise says why it failed.
QString rollBack(OdbcConnection& db)
{
    try {
        db.rollback();
    } catch (const QuarrixError& e) {
        if (!db.isDead())
            return e.message();
    }
    return {};
}

// The message of a failed upload; `rollbackProblem` is empty when the
// central database was left as it was.
QString describe(const WriteFailure& f, const QString& rollbackProblem)
{
    QString where;
    if (f.firstRow < 0)
        where = QStringLiteral("while emptying table %1").arg(f.table);
    else if (f.rowCount == 1)
        where = QStringLiteral("at table %1, row %2 (\"%3\")").arg(f.table).arg(f.firstRow + 1).arg(f.identifier);
    else
        where = QStringLiteral("at table %1, rows %2 to %3")
                    .arg(f.table)
                    .arg(f.firstRow + 1)
                    .arg(f.firstRow + f.rowCount);
    const QString after = rollbackProblem.isEmpty()
        ? QStringLiteral("Nothing was changed in the central database.")
        : QStringLiteral("The changes could not be undone: %1").arg(rollbackProblem);
    return QStringLiteral("Upload stopped %1: %2\n%3").arg(where, f.message, after);
}

}

ServerSettings storedSettings(Assessment& assessment)
{
    Table& sys = assessment.system();
    ServerSettings s;
    s.driver = sys.text(kSystemDriver);
    if (s.driver.trimmed().isEmpty())
        s.driver = kDefaultDriver;
    s.address = sys.text(QStringLiteral("SQL-IP"));
    s.port = sys.text(QStringLiteral("SQL-Port"));
    s.user = sys.text(QStringLiteral("SQL-User"));
    s.password = sys.text(QStringLiteral("SQL-Password"));
    s.database = sys.text(QStringLiteral("SQL-Database"));
    return s;
}

QHash<QString, QString> highestImpacts(Assessment& assessment)
{
    Table& risks = assessment.appControl();
    const int attribute = risks.fieldIndex(QStringLiteral("Attribute"));
    const int impact = risks.fieldIndex(QStringLiteral("Impact"));
    QHash<QString, int> best;
    for (int row = 0; row < risks.recordCount(); ++row) {
        const int rank = impactRank(risks.textAt(row, impact));
        if (rank == 0)
            continue;
        int& current = best[risks.textAt(row, attribute)];
        current = std::max(current, rank);
    }
    QHash<QString, QString> result;
    for (auto it = best.cbegin(); it != best.cend(); ++it)
        result.insert(it.key(), ratingOfRank(it.value()));
    return result;
}

Outcome test(const ServerSettings& settings)
{
    const QString connection = OdbcConnectionString::build(settings);
    Outcome outcome { kTestFailed, QString(), {}, {} };
    try {
        OdbcConnection db;
        db.connect(connection);
        QString reason;
        if (probe(db, QStringLiteral("Test"), &reason))
            outcome.status1 = kTestedOk;
        else
            outcome.problems << reason;
    } catch (const QuarrixError& e) {
        outcome.problems << e.message();
    }
    return outcome;
}

Outcome upload(
    Assessment& assessment, const ServerSettings& settings, const QString& division, const StatusChanged& statusChanged)
{
    auto report = [&](const QString& s1, const QString& s2) {
        if (statusChanged)
            statusChanged(s1, s2);
    };
    const QString connection = OdbcConnectionString::build(settings);
    Outcome outcome { kTryingToConnect, kReady, {}, {} };
    report(outcome.status1, outcome.status2);

    OdbcConnection db;
    QSet<QString> open;
    try {
        db.connect(connection);
    } catch (const QuarrixError& e) {
        outcome.problems << e.message();
    }
    // The tables every central database has (with Test, which only the
    // connection test opens), and those written only where they exist.
    static const QStringList kRequired { QStringLiteral("Assessment"), QStringLiteral("Division"),
        QStringLiteral("DivGroup"), QStringLiteral("Requirement"), QStringLiteral("ReqAtt"), QStringLiteral("Driver"),
        QStringLiteral("DrAtt"), QStringLiteral("Attribute"), QStringLiteral("AttCon"), QStringLiteral("Control"),
        QStringLiteral("CObjective") };
    static const QStringList kOptional { QStringLiteral("DrvCon") };
    bool allRequiredOpen = false;
    if (db.isConnected()) {
        allRequiredOpen = true;
        for (const QString& table : kRequired) {
            QString reason;
            if (probe(db, table, &reason))
                open.insert(table);
            else {
                outcome.problems << reason;
                allRequiredOpen = false;
            }
        }
        for (const QString& table : kOptional) {
            QString reason;
            if (probe(db, table, &reason))
                open.insert(table);
            else
                outcome.notes << QStringLiteral("Skipped the optional table %1").arg(reason.simplified());
        }
    }
    if (open.contains(QStringLiteral("Assessment"))) {
        outcome.status1 = kConnected;
        outcome.status2 = kWorking;
        report(outcome.status1, outcome.status2);
    }

    // The local walks (and the in-use derivation) run whether or not the
    // server answered, so the local state after an upload is always the same.
    // They read one state of the store, whatever another program changes.
    const Collected collected = [&] {
        Store::Snapshot snapshot(assessment.store());
        return collect(assessment, division);
    }();

    if (!open.isEmpty()) {
        db.begin();
        std::optional<WriteFailure> failure = write(db, collected, open, 1000);
        if (failure) {
            QString note = rollBack(db);
            // A batch failed on a live connection: write again row by row,
            // inside a transaction that is rolled back as well, to name the
            // row that fails. A dead connection has nothing more to tell:
            // its first failure is the one reported.
            if (failure->rowCount > 1 && !db.isDead() && note.isEmpty()) {
                try {
                    db.begin();
                    std::optional<WriteFailure> exact = write(db, collected, open, 1);
                    note = rollBack(db);
                    if (exact && exact->table == failure->table && !db.isDead())
                        failure = exact;
                } catch (const QuarrixError&) {
                    // the connection failed on the way: the first failure stands
                }
            }
            report(kDisconnected, kTableProblem);
            throw QuarrixError(describe(*failure, note));
        }
        db.commit();
    }
    db.disconnect();
    outcome.status1 = kDisconnected;
    outcome.status2 = allRequiredOpen ? kReady : kTableProblem;
    return outcome;
}

QString uploadStatusLine(const Outcome& outcome)
{
    if (outcome.status2 != kTableProblem)
        return QStringLiteral("Upload complete           ");
    if (outcome.problems.isEmpty())
        return kTableProblem;
    // One line: a server's message may run over several.
    return kTableProblem + QStringLiteral(": ") + outcome.problems.join(QStringLiteral("; ")).simplified();
}

}
