#include "app/store_problem_bar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

StoreProblemBar::StoreProblemBar(QWidget* parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("StoreProblem"));
    setFrameStyle(QFrame::StyledPanel | QFrame::Plain);
    m_text = new QLabel;
    m_text->setObjectName(QStringLiteral("StoreProblemText"));
    m_text->setWordWrap(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* buttons = new QHBoxLayout;
    const auto button = [&](const QString& caption, const char* name, void (StoreProblemBar::*signal)()) {
        auto* b = new QPushButton(caption);
        b->setObjectName(QString::fromLatin1(name));
        connect(b, &QPushButton::clicked, this, signal);
        buttons->addWidget(b);
        return b;
    };
    m_retry = button(QStringLiteral("Try Again"), "bRetryStore", &StoreProblemBar::retryRequested);
    button(QStringLiteral("Open Store..."), "bOpenStore", &StoreProblemBar::openStoreRequested);
    button(QStringLiteral("New Store..."), "bNewStore", &StoreProblemBar::newStoreRequested);
    buttons->addStretch(1);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(10, 8, 10, 8);
    column->addWidget(m_text);
    column->addLayout(buttons);
    hide();
}

namespace {

const QString kProblemColours
    = QStringLiteral("#StoreProblem { background: #fdecea; border: 1px solid #d9534f; border-radius: 3px; }"
                     "#StoreProblem QLabel { color: #5a1410; }");
const QString kReadOnlyColours
    = QStringLiteral("#StoreProblem { background: #fff6d6; border: 1px solid #d9a400; border-radius: 3px; }"
                     "#StoreProblem QLabel { color: #4a3a00; }");

}

void StoreProblemBar::showReadOnly(const QString& text)
{
    setStyleSheet(kReadOnlyColours);
    m_text->setText(text);
    m_retry->hide();
    show();
}

void StoreProblemBar::showProblem(const QString& text, bool retry)
{
    setStyleSheet(kProblemColours);
    m_text->setText(text);
    m_retry->setVisible(retry);
    show();
}

QString StoreProblemBar::text() const
{
    return m_text->text();
}
