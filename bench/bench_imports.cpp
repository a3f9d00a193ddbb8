// The two catalogue imports, written as .xlsx first, on sizes S, M, L and XL
// side by side: a control set of the fixture's controls (L: 2,000) and an
// attribute set of a fifth as many attributes per tier (L: 1,200 attributes)
// with two links per business and technical attribute. Each is imported in
// process, as the command line does, and through its tab in a shown window,
// as the analyst does: the question, the file, the import, the tree rebuilt
// and the editors filled, and the window painted.
//
//   bench_imports [SIZE...]
#include "bench_main.h"

#include "app/main_window.h"
#include "catalogues/attribute_set_import.h"
#include "catalogues/control_set_import.h"
#include "store/assessment.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QTabWidget>
#include <QTemporaryDir>
#include <map>
#include <xlsxwriter.h>

namespace {

void writeControls(const QString& path, int count)
{
    lxw_workbook* book = workbook_new(QFile::encodeName(path).constData());
    lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
    for (int i = 0; i < count; ++i) {
        const QByteArray id = QStringLiteral("%1.%2.%3")
                                  .arg(i / 400 % 100 + 1, 2, 10, QLatin1Char('0'))
                                  .arg(i / 20 % 20 + 1, 2, 10, QLatin1Char('0'))
                                  .arg(i % 20 + 1, 2, 10, QLatin1Char('0'))
                                  .toLatin1();
        worksheet_write_string(sheet, lxw_row_t(i), 0, id.constData(), nullptr);
        worksheet_write_string(sheet, lxw_row_t(i), 2, "Section title of moderate length", nullptr);
        worksheet_write_string(sheet, lxw_row_t(i), 3, "Objective title", nullptr);
        worksheet_write_string(
            sheet, lxw_row_t(i), 4, QByteArray("Objective description ").repeated(8).constData(), nullptr);
        worksheet_write_string(sheet, lxw_row_t(i), 5, QByteArray("Control ").append(id).constData(), nullptr);
        worksheet_write_string(
            sheet, lxw_row_t(i), 6, QByteArray("Control description text ").repeated(12).constData(), nullptr);
    }
    workbook_close(book);
}

void writeAttributes(const QString& path, int perTier)
{
    lxw_workbook* book = workbook_new(QFile::encodeName(path).constData());
    lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
    lxw_row_t row = 0;
    const char* tiers[] = { "Business", "Technical", "Security" };
    for (int t = 0; t < 3; ++t)
        for (int i = 0; i < perTier; ++i, ++row) {
            worksheet_write_string(
                sheet, row, 0, QByteArray("Group ").append(QByteArray::number(i / 10)).constData(), nullptr);
            worksheet_write_number(sheet, row, 1, i / 10, nullptr);
            worksheet_write_string(
                sheet, row, 2, QByteArray(tiers[t]).left(3).append(QByteArray::number(i)).constData(), nullptr);
            worksheet_write_string(sheet, row, 3, tiers[t], nullptr);
            worksheet_write_string(sheet, row, 4, QByteArray("Description ").repeated(10).constData(), nullptr);
        }
    for (int i = 0; i < perTier * 2; ++i, ++row) {
        const bool bus = i < perTier;
        worksheet_write_string(sheet, row, 0,
            QByteArray(bus ? "Bus" : "Tec").append(QByteArray::number(i % perTier)).constData(), nullptr);
        worksheet_write_string(sheet, row, 2,
            QByteArray(bus ? "Tec" : "Sec").append(QByteArray::number((i * 7) % perTier)).constData(), nullptr);
        worksheet_write_string(sheet, row, 3, bus ? "BUSTOTECH" : "TECHTOSEC", nullptr);
    }
    worksheet_write_string(sheet, row, 0, "END", nullptr);
    workbook_close(book);
}

// Answers every question Yes and every file dialog with the file set.
class AnsweringDialogs : public Dialogs {
public:
    QString file;
    bool ask(const QString&, Default) override { return true; }
    void notice(const QString&) override { }
    void error(const QString& message) override { std::fprintf(stderr, "error: %s\n", qPrintable(message)); }
    QString openFile(const FileRequest&) override { return file; }
    QString saveFile(const FileRequest&) override { return file; }
    bool print(QPrinter&) override { return false; }
    void openDocument(const QString&) override { }
    void beginWait() override { }
    void endWait() override { }
    void progress(const QString&, qint64, qint64) override { }
};

QString ms(double value)
{
    return QString::number(value, 'f', value < 10 ? 2 : 1);
}

}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList sizes;
    for (int i = 1; i < argc; ++i)
        sizes << QString::fromLatin1(argv[i]);
    if (sizes.isEmpty())
        sizes = { "S", "M", "L", "XL" };

    // Figures by row, each row named for what it shows.
    const std::pair<const char*, const char*> rows[] = { { "controls", "controls" }, { "attributes", "attributes" },
        { "controls core", "import controls, ms" }, { "controls tab", "  through the tab, ms" },
        { "attributes core", "import attributes, ms" }, { "attributes tab", "  through the tab, ms" } };
    std::map<QString, std::map<QString, QString>> table;
    for (const QString& name : sizes) {
        auto& f = table[name];
        const int controlCount = Fixture::byName(name).controls;
        const int perTier = controlCount / 5;
        QTemporaryDir dir;
        const QString controls = dir.filePath(QStringLiteral("controls.xlsx"));
        const QString attributes = dir.filePath(QStringLiteral("attributes.xlsx"));
        writeControls(controls, controlCount);
        writeAttributes(attributes, perTier);
        f["controls"] = QString::number(controlCount);
        f["attributes"] = QString::number(perTier * 3);
        auto step = [&](const char* what) { return QStringLiteral("[%1] %2").arg(name, QLatin1String(what)); };
        {
            Assessment a;
            if (!openStore(a, dir))
                return 1;
            f["controls core"] = ms(benchStep(qPrintable(step("import controls")),
                [&] { importControlSet(a, controls); }));
            f["attributes core"] = ms(benchStep(qPrintable(step("import attributes")), [&] {
                a.emptyTable(a.businessToTechnical());
                a.emptyTable(a.technicalToSecurity());
                importAttributeSet(a, attributes);
            }));
        }

        QTemporaryDir windowDir;
        auto owned = std::make_unique<AnsweringDialogs>();
        AnsweringDialogs& dialogs = *owned;
        MainWindow window(windowDir.filePath(QStringLiteral("Quarrix.mdb")), std::move(owned));
        window.show();
        auto viaTab = [&](const char* tab, const char* button, const QString& file) {
            window.pageControl()->setCurrentWidget(window.findChild<QWidget*>(QString::fromLatin1(tab)));
            QApplication::processEvents();
            dialogs.file = file;
            window.findChild<QAbstractButton*>(QString::fromLatin1(button))->click();
            QApplication::processEvents(); // the window painted as it now stands
        };
        f["controls tab"] = ms(benchStep(qPrintable(step("import controls through the tab")),
            [&] { viaTab("TabSheet5", "bImport2", controls); }));
        Assessment& a = window.assessment();
        f["attributes tab"] = ms(benchStep(qPrintable(step("import attributes through the tab")), [&] {
            a.emptyTable(a.businessToTechnical());
            a.emptyTable(a.technicalToSecurity());
            viaTab("TabSheet7", "bImport1", attributes);
        }));
    }

    std::printf("\n%-26s", "");
    for (const QString& name : sizes)
        std::printf("%12s", qPrintable(name));
    std::printf("\n");
    for (const auto& [key, label] : rows) {
        std::printf("%-26s", label);
        for (const QString& name : sizes)
            std::printf("%12s", qPrintable(table[name][QString::fromLatin1(key)]));
        std::printf("\n");
    }
    return 0;
}
