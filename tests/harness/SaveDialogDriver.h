#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>

namespace vtest {

// Answers the desktop's own save dialog as a person would, while the program runs it
// modally: in `folder` it types `typedName` into the name field and presses Return.
// When the dialog asks whether to replace a file, the question is kept and answered
// with `replace`; after a "No" the dialog is cancelled.
class SaveDialogDriver : public QObject
{
public:
    QString folder;
    QString typedName;
    bool replace = false;
    QStringList questions;   // the texts of the replace questions seen
    int dialogsAnswered = 0;

    SaveDialogDriver()
    {
        m_timer.setInterval(30);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { poll(); });
        m_timer.start();
    }

private:
    void poll()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            if (m_answered == box)
                return;
            m_answered = box;
            questions << box->text();
            m_cancelNext = !replace;
            if (QAbstractButton *answer = box->button(replace ? QMessageBox::Yes : QMessageBox::No))
                QTimer::singleShot(0, answer, &QAbstractButton::click);
            return;
        }
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        if (!dialog)
            return;
        if (m_pending)
            return;
        if (m_cancelNext || m_typedInto == dialog) {
            m_cancelNext = false;
            m_typedInto = nullptr;
            QTimer::singleShot(0, dialog, &QDialog::reject);
            return;
        }
        m_typedInto = dialog;
        ++dialogsAnswered;
        dialog->setDirectory(folder);
        auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        if (!name) {
            dialog->reject();
            return;
        }
        name->setText(typedName);
        // Pressed once this poll has returned: the dialog may open a question that runs
        // its own loop, and the timer must be free to answer it.
        m_pending = true;
        QTimer::singleShot(0, name, [this, name] {
            m_pending = false;
            QTest::keyClick(name, Qt::Key_Return);
        });
    }

    QTimer m_timer;
    QPointer<QFileDialog> m_typedInto;
    QPointer<QMessageBox> m_answered;
    bool m_cancelNext = false;
    bool m_pending = false;   // a Return is on its way
};

} // namespace vtest
