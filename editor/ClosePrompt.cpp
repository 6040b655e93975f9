#include "editor/ClosePrompt.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace {

class MessageBoxPrompt : public ClosePrompt
{
public:
    Answer ask(QWidget *window) override
    {
        QMessageBox box(QMessageBox::Warning, QCoreApplication::translate("EditorWindow", "Vornik editor"),
                        QCoreApplication::translate("ClosePrompt", "Save the changes to this picture before closing?"),
                        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, window);
        box.setInformativeText(
            QCoreApplication::translate("ClosePrompt", "Your figures are lost if you don't save, copy or upload them."));
        box.setDefaultButton(QMessageBox::Save);
        switch (box.exec()) {
        case QMessageBox::Save:
            return Answer::save;
        case QMessageBox::Discard:
            return Answer::discard;
        default:
            return Answer::cancel;
        }
    }
};

} // namespace

std::unique_ptr<ClosePrompt> ClosePrompt::messageBox()
{
    return std::make_unique<MessageBoxPrompt>();
}
