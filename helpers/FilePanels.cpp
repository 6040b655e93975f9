#include "helpers/FilePanels.h"

#include <QCoreApplication>
#include <QFileDialog>

namespace {

QString nameFilterFor(const QStringList &types)
{
    if (types.isEmpty())
        return QString();
    QStringList patterns;
    for (const QString &type : types)
        patterns << QStringLiteral("*.") + type;
    //: The file type filter of file panels; %1 is the patterns, "*.png" for instance.
    return QCoreApplication::translate("FilePanels", "Images (%1)").arg(patterns.join(QLatin1Char(' ')));
}

// The desktop's own file dialogs.
class DialogPanels : public FilePanels
{
public:
    QStringList runOpenPanel(const OpenRequest &request) override
    {
        QFileDialog dialog(nullptr, request.title);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        if (request.canChooseDirectories)
            dialog.setFileMode(QFileDialog::Directory);
        else
            dialog.setFileMode(request.allowsMultipleSelection ? QFileDialog::ExistingFiles
                                                               : QFileDialog::ExistingFile);
        dialog.setOption(QFileDialog::ReadOnly, !request.canCreateDirectories);
        if (!request.allowedFileTypes.isEmpty())
            dialog.setNameFilter(nameFilterFor(request.allowedFileTypes));
        if (dialog.exec() != QDialog::Accepted)
            return {};
        return dialog.selectedFiles();
    }

    QString runSavePanel(const SaveRequest &request) override
    {
        QFileDialog dialog(nullptr, request.title);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        if (!request.allowedFileTypes.isEmpty())
            dialog.setNameFilter(nameFilterFor(request.allowedFileTypes));
        if (!request.defaultSuffix.isEmpty())
            dialog.setDefaultSuffix(request.defaultSuffix);
        if (!request.directory.isEmpty())
            dialog.setDirectory(request.directory);
        if (!request.proposedName.isEmpty())
            dialog.selectFile(request.proposedName);
        dialog.setOption(QFileDialog::ReadOnly, !request.canCreateDirectories);
        if (request.showsHiddenFiles)
            dialog.setFilter(dialog.filter() | QDir::Hidden);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        return dialog.selectedFiles().constFirst();
    }
};

} // namespace

std::unique_ptr<FilePanels> FilePanels::dialogs()
{
    return std::make_unique<DialogPanels>();
}

QString choosePNGFile(FilePanels &panels)
{
    FilePanels::OpenRequest request;
    request.title = QCoreApplication::translate("FilePanels", "Select Image");
    request.allowsMultipleSelection = false;
    request.canChooseDirectories = false;
    request.canCreateDirectories = false;
    request.allowedFileTypes = {QStringLiteral("png")};
    const QStringList chosen = panels.runOpenPanel(request);
    return chosen.isEmpty() ? QString() : chosen.constFirst();
}
