#include "support/window_fixture.h"

#include "gui/link_label.h"
#include "store/line_list.h"

#include <QAbstractButton>
#include <QAction>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableView>

void WindowFixture::SetUp()
{
    ASSERT_TRUE(dir.isValid());
    storePath = dir.filePath(QStringLiteral("Quarrix.mdb"));
    startWindow();
}

void WindowFixture::TearDown()
{
    closeWindow();
}

void WindowFixture::startWindow()
{
    closeWindow();
    auto scripted = std::make_unique<ScriptedDialogs>();
    dialogs = scripted.get();
    window = std::make_unique<MainWindow>(storePath, std::move(scripted));
    window->show();
}

void WindowFixture::closeWindow()
{
    window.reset();
    dialogs = nullptr;
}

void WindowFixture::click(const char* name)
{
    QWidget* w = window->findChild<QWidget*>(QString::fromLatin1(name));
    ASSERT_TRUE(w) << "no control named " << name;
    if (auto* link = qobject_cast<LinkLabel*>(w)) {
        Q_EMIT link->clicked();
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        button->click();
    } else {
        QTest::mouseClick(w, Qt::LeftButton);
    }
}

void WindowFixture::showTab(const char* name)
{
    QWidget* page = window->findChild<QWidget*>(QString::fromLatin1(name));
    ASSERT_TRUE(page) << "no tab named " << name;
    window->pageControl()->setCurrentWidget(page);
}

void WindowFixture::clickRow(const char* gridName, int row)
{
    auto* grid = find<QTableView>(gridName);
    ASSERT_TRUE(grid);
    const QRect cell = grid->visualRect(grid->model()->index(row, 0));
    ASSERT_TRUE(cell.isValid()) << "row " << row << " of " << gridName << " is not shown";
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
}

void WindowFixture::typeInto(const char* editName, const QString& text)
{
    auto* edit = find<QLineEdit>(editName);
    ASSERT_TRUE(edit);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

void WindowFixture::setSystem(const char* field, const QStringList& lines)
{
    Table& sys = window->assessment().system();
    sys.edit();
    sys.setText(QString::fromLatin1(field), LineList::build(lines));
    sys.post();
}

QAction* WindowFixture::action(const char* name) const
{
    return window->findChild<QAction*>(QString::fromLatin1(name));
}
