#include "gui/tab_page_widget.h"

#include "app/main_window.h"
#include "gui/link_label_widget.h"

TabPage::TabPage(MainWindow& form, const char* objectName, const QString& caption)
    : m_form(form)
    , m_caption(caption)
{
    setObjectName(QString::fromLatin1(objectName));
}

Assessment& TabPage::assessment() const
{
    return m_form.assessment();
}
Dialogs& TabPage::dialogs() const
{
    return m_form.dialogs();
}
SessionFlags& TabPage::flags() const
{
    return m_form.flags();
}
void TabPage::setStatus(const QString& text) const
{
    m_form.setStatus(text);
}
bool TabPage::isPageShown() const
{
    return m_form.pageShown() == this;
}
void TabPage::run(const std::function<void()>& command) const
{
    m_form.run(command);
}

LinkLabel* TabPage::link(
    const QString& text, const char* objectName, const QRect& geometry, const std::function<void()>& command)
{
    auto* label = new LinkLabel(text, objectName, this);
    label->setGeometry(geometry);
    connect(label, &LinkLabel::clicked, this, [this, command] { run(command); });
    return label;
}
