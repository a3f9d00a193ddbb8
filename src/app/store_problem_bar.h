#pragma once

#include <QFrame>

class QLabel;
class QPushButton;

// The bar across the top of the window while no store is open: which file
// could not be opened, why, and what to do, with the commands that open the
// store again or pick another one. While a store is open for reading only, it
// says so in quieter colours.
class StoreProblemBar : public QFrame {
    Q_OBJECT
public:
    explicit StoreProblemBar(QWidget* parent = nullptr);

    // Shows the problem; retry offers "Try Again" (for a store that another
    // program holds for a while).
    void showProblem(const QString& text, bool retry);
    // Shows why the store open can only be read.
    void showReadOnly(const QString& text);
    QString text() const;

Q_SIGNALS:
    void openStoreRequested();
    void newStoreRequested();
    void retryRequested();

private:
    QLabel* m_text;
    QPushButton* m_retry;
};
