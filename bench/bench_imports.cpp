// The two catalogue imports, written as .xlsx first: at L 2,000 controls and
// 400 attributes per tier with their links; S, M and XL scale them as the
// fixtures scale (a hundredth, a tenth, ten times). Each is imported in
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
    Choice askYesNoCancel(const QString&) override { return Choice::Yes; }
    void notice(const QString&) override { }
    void error(const QString& message) override { std::fprintf(stderr, "error: %s\n", qPrintable(message)); }
    QString openFile(const FileRequest&) override { return file; }
    QString saveFile(const FileRequest&) override { return file; }
    bool print(QPrinter&) override { return false; }
    void openDocument(const QUrl&) override { }
    void beginWait() override { }
    void endWait() override { }
    void progress(const QString&, qint64, qint64) override { }
};

}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList sizes = benchSizes(argc, argv);
    BenchTable table(sizes);
    for (const QString& size : sizes) {
        const double scale = double(Fixture::byName(size).requirements) / Fixture::large().requirements;
        const int controlCount = std::max(1, int(2000 * scale));
        const int perTier = std::max(1, int(400 * scale));
        QTemporaryDir dir;
        const QString controls = dir.filePath(QStringLiteral("controls.xlsx"));
        const QString attributes = dir.filePath(QStringLiteral("attributes.xlsx"));
        writeControls(controls, controlCount);
        writeAttributes(attributes, perTier);
        table.note(size, "controls", controlCount, "");
        table.note(size, "attributes and links", perTier * 5, "");
        // Each run starts without the links of the run before.
        auto withoutLinks = [](Assessment& a) {
            a.emptyTable(a.businessToTechnical());
            a.emptyTable(a.technicalToSecurity());
        };
        {
            Assessment a;
            if (!openStore(a, dir))
                return 1;
            table.time(size, "import the control set (.xlsx)", [&] { importControlSet(a, controls); });
            table.time(size, "import the attribute set with its links (.xlsx)", [&] {
                withoutLinks(a);
                importAttributeSet(a, attributes);
            });
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
        table.time(
            size, "  the same through the Controls Database tab", [&] { viaTab("TabSheet5", "bImport2", controls); });
        table.time(size, "  the same through the Attributes Database tab", [&] {
            withoutLinks(window.assessment());
            viaTab("TabSheet7", "bImport1", attributes);
        });
    }
    table.print("bench_imports");
    return 0;
}
